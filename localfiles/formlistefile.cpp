#include "localfiles/formlistefile.h"

TFormListeFile::TFormListeFile(QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("FormListeFile"), QSize(480, 320), QStringLiteral("playlist.png"),
                                   QStringLiteral("Ecoutez vos enregistrements ...."), QRect(428, 0, 44, 19), QPoint(42, 4), QPoint(10, 4)),
                   parent) {}
