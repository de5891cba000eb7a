// The program object of a window test, reached by the names of its windows. One program
// at a time: CreateForms starts it, DestroyForms ends it (and every window with it).
#pragma once

#include <memory>

#include "app/program.h"

namespace testprogram {
inline std::unique_ptr<TProgram>& Instance() {
  static std::unique_ptr<TProgram> program;
  return program;
}
}  // namespace testprogram

inline TProgram& Program() { return *testprogram::Instance(); }

// Starts a program on `output` (a null output in tests). False when its start failed.
inline bool CreateForms(zengine::OutputKind output, TFormCreation creation = TFormCreation::All) {
  testprogram::Instance() = std::make_unique<TProgram>(output);
  return Program().Start(creation);
}

inline void DestroyForms() { testprogram::Instance().reset(); }

// The windows, nullptr when not made (or no program runs).
#define ZOVALIS_TEST_WINDOW(Type, Name) \
  inline Type* Name() { return testprogram::Instance() ? Program().Name() : nullptr; }
ZOVALIS_TEST_WINDOW(TMainForm, MainForm)
ZOVALIS_TEST_WINDOW(TConfigForm, ConfigForm)
ZOVALIS_TEST_WINDOW(TInfoForm, InfoForm)
ZOVALIS_TEST_WINDOW(TDownLoadForm, DownLoadForm)
ZOVALIS_TEST_WINDOW(TFormListeRadio, FormListeRadio)
ZOVALIS_TEST_WINDOW(TRadioEditForm, RadioEditForm)
ZOVALIS_TEST_WINDOW(TgenreForm, genreForm)
ZOVALIS_TEST_WINDOW(TnetworkForm, networkForm)
ZOVALIS_TEST_WINDOW(TcountryForm, countryForm)
ZOVALIS_TEST_WINDOW(TFormListeFile, FormListeFile)
#undef ZOVALIS_TEST_WINDOW

inline TConfigForm* EnsureConfigForm() { return Program().EnsureConfigForm(); }
inline TInfoForm* EnsureInfoForm() { return Program().EnsureInfoForm(); }
inline TRadioEditForm* EnsureRadioEditForm() { return Program().EnsureRadioEditForm(); }
inline TgenreForm* EnsuregenreForm() { return Program().EnsuregenreForm(); }
inline TnetworkForm* EnsurenetworkForm() { return Program().EnsurenetworkForm(); }
inline TcountryForm* EnsurecountryForm() { return Program().EnsurecountryForm(); }
inline const std::vector<QWidget*>& AllForms() { return Program().AllForms(); }
