#include "catalogue/networkform.h"

TnetworkForm::TnetworkForm(QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("networkForm"), QSize(403, 290), QStringLiteral("listeditor.png"),
                                   QStringLiteral("Gestion des réseaux de diffusion"), QRect(353, 0, 44, 19), QPoint(42, 5), QPoint(10, 4)),
                   parent) {}
