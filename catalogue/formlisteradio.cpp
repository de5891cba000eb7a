#include "catalogue/formlisteradio.h"

TFormListeRadio::TFormListeRadio(QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("FormListeRadio"), QSize(480, 320), QStringLiteral("browser.png"),
                                   QStringLiteral("Tuner"), QRect(428, 0, 44, 19), QPoint(42, 5), QPoint(10, 4)),
                   parent) {}
