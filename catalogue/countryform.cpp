#include "catalogue/countryform.h"

TcountryForm::TcountryForm(QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("countryForm"), QSize(403, 290), QStringLiteral("listeditor.png"),
                                   QStringLiteral("Gestion des pays"), QRect(353, 0, 44, 19), QPoint(42, 5), QPoint(10, 4)),
                   parent) {}
