#include "windows/configform.h"

TConfigForm::TConfigForm(QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("ConfigForm"), QSize(405, 288), QStringLiteral("config.png"),
                                   QStringLiteral("Configuration"), QRect(355, 2, 44, 18), QPoint(49, 5), QPoint(10, 4)),
                   parent) {}
