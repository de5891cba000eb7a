#include "windows/networkform.h"

TnetworkForm::TnetworkForm(QWidget* parent)
    : TListEditForm(QStringLiteral("networkForm"), QStringLiteral("Gestion des réseaux de diffusion"), TCatalogueKind::Networks,
                    {{QStringLiteral("Name"), QStringLiteral("Réseaux de diffusion"), 313}}, parent) {}
