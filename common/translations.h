// Qt's own texts in French: the standard buttons ("Oui", "Non", "Annuler"), the file and
// folder dialogs, the context menus of text fields. The program speaks French whatever
// the desktop's language, so Qt's French catalogue is loaded at every start.
//
// Thread: interface thread, once the application object exists.
#pragma once

class QCoreApplication;

// Loads Qt's French catalogue ("qtbase_fr" in Qt's translations folder) into `app`, once.
// False when it is not installed (then Qt's English texts remain).
bool InstallQtFrench(QCoreApplication& app);
