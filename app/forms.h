// The program's ten windows, each created once (at start-up or on first use) and kept until exit.
#pragma once

#include <QWidget>
#include <vector>

#include "playback/engine/engine.h"

class TMainForm;
class TConfigForm;
class TInfoForm;
class TDownLoadForm;
class TFormListeRadio;
class TRadioEditForm;
class TgenreForm;
class TnetworkForm;
class TcountryForm;
class TFormListeFile;

extern TMainForm* MainForm;
extern TConfigForm* ConfigForm;
extern TInfoForm* InfoForm;
extern TDownLoadForm* DownLoadForm;
extern TFormListeRadio* FormListeRadio;
extern TRadioEditForm* RadioEditForm;
extern TgenreForm* genreForm;
extern TnetworkForm* networkForm;
extern TcountryForm* countryForm;
extern TFormListeFile* FormListeFile;

// How much CreateForms builds: every window (the order of the design, as the tests
// check it), or only what a start shows and uses at once (the main window, the download
// window, the station browser and the playlist), the others on first use through the
// Ensure functions below, which the program does to start faster and smaller.
enum class TFormCreation { All, OnDemand };

// Creates the windows in order, each creation running to its end before the next. When
// the main window's start-up fails, no other window is created and false is returned.
bool CreateForms(zengine::OutputKind output, TFormCreation creation = TFormCreation::All);

// The window, created (and given the current state) the first time it is asked for.
TConfigForm* EnsureConfigForm();
TInfoForm* EnsureInfoForm();
TRadioEditForm* EnsureRadioEditForm();
TgenreForm* EnsuregenreForm();
TnetworkForm* EnsurenetworkForm();
TcountryForm* EnsurecountryForm();

// The windows in creation order.
const std::vector<QWidget*>& AllForms();

// Destroys the windows, the last created first (the main window's end releases the engine).
void DestroyForms();
