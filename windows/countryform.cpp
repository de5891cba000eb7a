#include "windows/countryform.h"

TcountryForm::TcountryForm(QWidget* parent)
    : TListEditForm(QStringLiteral("countryForm"), QStringLiteral("Gestion des pays"), TCatalogueKind::Countries,
                    {{QStringLiteral("Name"), QStringLiteral("Pays"), 147}, {QStringLiteral("Flag"), QStringLiteral("Drapeau"), 192}}, parent) {}
