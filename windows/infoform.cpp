#include "windows/infoform.h"

TInfoForm::TInfoForm(QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("InfoForm"), QSize(406, 290), QStringLiteral("info.png"),
                                   QStringLiteral("Informations Supplémentaires"), QRect(356, 2, 44, 18), QPoint(50, 5), QPoint(10, 4)),
                   parent) {}
