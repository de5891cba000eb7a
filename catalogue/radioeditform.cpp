#include "catalogue/radioeditform.h"

TRadioEditForm::TRadioEditForm(QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("RadioEditForm"), QSize(403, 285), QStringLiteral("editor.png"),
                                   QStringLiteral("Edition d'une radio"), QRect(353, 0, 44, 19), QPoint(42, 5), QPoint(10, 4)),
                   parent) {}
