// The program's ten windows, created once at start-up in a fixed order and kept until exit.
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

// Creates the windows in order, each creation running to its end before the next. When
// the main window's start-up fails, no other window is created and false is returned.
bool CreateForms(zengine::OutputKind output);

// The windows in creation order.
const std::vector<QWidget*>& AllForms();

// Destroys the windows, the last created first (the main window's end releases the engine).
void DestroyForms();
