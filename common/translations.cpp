#include "common/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtFrench(QCoreApplication& app) {
  // Kept for the whole run: the application reads the translator it was given.
  static QTranslator* translator = nullptr;
  if (translator) return true;
  auto* t = new QTranslator(&app);
  if (!t->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete t;
    return false;
  }
  app.installTranslator(t);
  translator = t;
  return true;
}
