#include "app/forms.h"

#include "app/mainform.h"
#include "app/mpris.h"
#include "catalogue/countryform.h"
#include "catalogue/formlisteradio.h"
#include "catalogue/genreform.h"
#include "catalogue/networkform.h"
#include "catalogue/radioeditform.h"
#include "localfiles/formlistefile.h"
#include "windows/configform.h"
#include "windows/downloadform.h"
#include "windows/infoform.h"

TMainForm* MainForm = nullptr;
TConfigForm* ConfigForm = nullptr;
TInfoForm* InfoForm = nullptr;
TDownLoadForm* DownLoadForm = nullptr;
TFormListeRadio* FormListeRadio = nullptr;
TRadioEditForm* RadioEditForm = nullptr;
TgenreForm* genreForm = nullptr;
TnetworkForm* networkForm = nullptr;
TcountryForm* countryForm = nullptr;
TFormListeFile* FormListeFile = nullptr;

namespace {

std::vector<QWidget*> forms;

template <typename T>
T* Create(T*& instance) {
  instance = new T();
  forms.push_back(instance);
  return instance;
}

}  // namespace

bool CreateForms(zengine::OutputKind output, TFormCreation creation) {
  MainForm = new TMainForm(output);
  forms.push_back(MainForm);
  if (MainForm->StartupFailed()) return false;
  if (creation == TFormCreation::All) EnsureConfigForm(), EnsureInfoForm();
  Create(DownLoadForm);
  Create(FormListeRadio);
  MainForm->AttachCatalogue(FormListeRadio);
  if (creation == TFormCreation::All) {
    EnsureConfigForm()->AttachBrowser(FormListeRadio);
    EnsureInfoForm()->AttachBrowser(FormListeRadio);
    EnsureRadioEditForm();
    EnsuregenreForm();
    EnsurenetworkForm();
    EnsurecountryForm();
  }
  Create(FormListeFile);
  MainForm->AttachPlaylist(FormListeFile);
  // The desktop's media controls (owned by the main window).
  new TMpris(MainForm);
  return true;
}

// A window created after start-up takes the state the start gave the others: the
// browser's lists and tuners, the favourites, the now-playing lists.
TConfigForm* EnsureConfigForm() {
  if (ConfigForm) return ConfigForm;
  Create(ConfigForm);
  if (FormListeRadio) ConfigForm->AttachBrowser(FormListeRadio);
  if (MainForm) MainForm->CopyFavouritesToConfig();
  return ConfigForm;
}

TInfoForm* EnsureInfoForm() {
  if (InfoForm) return InfoForm;
  Create(InfoForm);
  if (FormListeRadio) InfoForm->AttachBrowser(FormListeRadio);
  if (MainForm) MainForm->SyncInfoForm();
  return InfoForm;
}

TRadioEditForm* EnsureRadioEditForm() {
  if (RadioEditForm) return RadioEditForm;
  Create(RadioEditForm);
  if (FormListeRadio) RadioEditForm->Attach(FormListeRadio);
  return RadioEditForm;
}

namespace {
template <typename T>
T* EnsureListEditor(T*& instance) {
  if (instance) return instance;
  Create(instance);
  if (FormListeRadio) instance->Attach(FormListeRadio);
  return instance;
}
}  // namespace

TgenreForm* EnsuregenreForm() { return EnsureListEditor(genreForm); }
TnetworkForm* EnsurenetworkForm() { return EnsureListEditor(networkForm); }
TcountryForm* EnsurecountryForm() { return EnsureListEditor(countryForm); }

const std::vector<QWidget*>& AllForms() {
  return forms;
}

void DestroyForms() {
  while (!forms.empty()) {
    delete forms.back();
    forms.pop_back();
  }
  MainForm = nullptr;
  ConfigForm = nullptr;
  InfoForm = nullptr;
  DownLoadForm = nullptr;
  FormListeRadio = nullptr;
  RadioEditForm = nullptr;
  genreForm = nullptr;
  networkForm = nullptr;
  countryForm = nullptr;
  FormListeFile = nullptr;
}
