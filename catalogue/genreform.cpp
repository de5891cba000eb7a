#include "catalogue/genreform.h"

TgenreForm::TgenreForm(QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("genreForm"), QSize(403, 290), QStringLiteral("listeditor.png"),
                                   QStringLiteral("Gestion des styles musicaux"), QRect(353, 0, 44, 19), QPoint(42, 5), QPoint(10, 4)),
                   parent) {}
