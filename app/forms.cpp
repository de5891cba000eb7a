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

bool CreateForms(zengine::OutputKind output) {
  MainForm = new TMainForm(output);
  forms.push_back(MainForm);
  if (MainForm->StartupFailed()) return false;
  Create(ConfigForm);
  Create(InfoForm);
  Create(DownLoadForm);
  Create(FormListeRadio);
  MainForm->AttachCatalogue(FormListeRadio);
  ConfigForm->AttachBrowser(FormListeRadio);
  InfoForm->AttachBrowser(FormListeRadio);
  Create(RadioEditForm);
  RadioEditForm->Attach(FormListeRadio);
  Create(genreForm);
  Create(networkForm);
  Create(countryForm);
  for (TListEditForm* editor : std::initializer_list<TListEditForm*>{genreForm, networkForm, countryForm})
    editor->Attach(FormListeRadio);
  Create(FormListeFile);
  MainForm->AttachPlaylist(FormListeFile);
  // The desktop's media controls (owned by the main window).
  new TMpris(MainForm);
  return true;
}

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
