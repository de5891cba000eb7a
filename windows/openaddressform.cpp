#include "windows/openaddressform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TOpenAddressForm::TOpenAddressForm(const QString& clipboard, QWidget* parent) : QDialog(parent), logic_(clipboard) {
  setObjectName(QStringLiteral("OpenAddressForm"));
  setWindowTitle(QStringLiteral("Ouvrir une adresse"));
  auto* column = new QVBoxLayout(this);
  auto* label = new QLabel(QStringLiteral("Adresse du flux ou de la liste (.pls, .m3u, .m3u8, .xspf) :"), this);
  column->addWidget(label);
  edAddress_ = new QLineEdit(this);
  edAddress_->setObjectName(QStringLiteral("edAddress"));
  edAddress_->setPlaceholderText(QStringLiteral("http://"));
  edAddress_->setMaxLength(int(kMaxAddressLength));
  edAddress_->setMinimumWidth(420);
  edAddress_->setClearButtonEnabled(true);
  label->setBuddy(edAddress_);
  column->addWidget(edAddress_);
  lbHint_ = new QLabel(this);
  lbHint_->setObjectName(QStringLiteral("lbHint"));
  QPalette pal = lbHint_->palette();
  pal.setColor(QPalette::WindowText, QColor(176, 0, 0));
  lbHint_->setPalette(pal);
  column->addWidget(lbHint_);

  auto* row = new QHBoxLayout;
  btAddLocal_ = new QPushButton(QStringLiteral("Ajouter au tuner local"), this);
  btAddLocal_->setObjectName(QStringLiteral("btAddLocal"));
  btAddLocal_->setAutoDefault(false);
  btPlay_ = new QPushButton(QStringLiteral("Écouter"), this);
  btPlay_->setObjectName(QStringLiteral("btPlay"));
  btPlay_->setDefault(true);
  btCancel_ = new QPushButton(QStringLiteral("Annuler"), this);
  btCancel_->setObjectName(QStringLiteral("btCancel"));
  btCancel_->setAutoDefault(false);
  row->addWidget(btAddLocal_);
  row->addStretch(1);
  row->addWidget(btPlay_);
  row->addWidget(btCancel_);
  column->addLayout(row);

  connect(edAddress_, &QLineEdit::textChanged, this, &TOpenAddressForm::edAddressChange);
  connect(btPlay_, &QPushButton::clicked, this, &TOpenAddressForm::btPlayClick);
  connect(btAddLocal_, &QPushButton::clicked, this, &TOpenAddressForm::btAddLocalClick);
  connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);

  edAddress_->setText(logic_.Text());
  edAddressChange(logic_.Text());
  edAddress_->selectAll();
  edAddress_->setFocus();
}

void TOpenAddressForm::edAddressChange(const QString& text) {
  logic_.SetText(text);
  const bool ok = logic_.CanOpen();
  btPlay_->setEnabled(ok);
  btAddLocal_->setEnabled(ok);
  // A text that is no address says so once something was typed.
  lbHint_->setText(ok || text.trimmed().isEmpty() ? QString() : QStringLiteral("Adresse non reconnue."));
}

void TOpenAddressForm::btPlayClick() {
  if (!logic_.CanOpen()) return;
  const TStationRecord station = logic_.Station();
  accept();
  Q_EMIT PlayRequested(station);
}

void TOpenAddressForm::btAddLocalClick() {
  if (!logic_.CanOpen()) return;
  const TStationRecord station = logic_.Station();
  accept();
  Q_EMIT AddRequested(station);
}
