#include "windows/genreform.h"

TgenreForm::TgenreForm(QWidget* parent)
    : TListEditForm(QStringLiteral("genreForm"), QStringLiteral("Gestion des styles musicaux"), TCatalogueKind::Genres,
                    {{QStringLiteral("Name"), QStringLiteral("Genre"), 311}}, parent) {}
