// "Ouvrir une adresse ...": a small dialog with one field, pre-filled from the clipboard
// when it holds an address. "Écouter" (Enter) plays the address at once through the
// station player; "Ajouter au tuner local" plays it too and puts it in the local tuner
// with what the stream announces, in the station editor. The rules are TOpenAddress's
// (playback/openaddress.h); the dialog shows them and reports the user's choice.
#pragma once

#include <QDialog>

#include "catalogue/stationrecord.h"
#include "playback/openaddress.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TOpenAddressForm : public QDialog {
  Q_OBJECT
 public:
  // `clipboard`: the clipboard's text as the dialog opens.
  explicit TOpenAddressForm(const QString& clipboard, QWidget* parent = nullptr);

  QLineEdit* edAddress() const { return edAddress_; }
  QPushButton* btPlay() const { return btPlay_; }
  QPushButton* btAddLocal() const { return btAddLocal_; }
  QPushButton* btCancel() const { return btCancel_; }
  QLabel* lbHint() const { return lbHint_; }
  const TOpenAddress& Logic() const { return logic_; }

  // Handlers.
  void edAddressChange(const QString& text);
  void btPlayClick();
  void btAddLocalClick();

 Q_SIGNALS:
  // The station to play (its address as name and address); the dialog has closed.
  void PlayRequested(const TStationRecord& station);
  // The same, to be added to the local tuner once the stream said what it is.
  void AddRequested(const TStationRecord& station);

 private:
  TOpenAddress logic_;
  QLineEdit* edAddress_ = nullptr;
  QPushButton* btPlay_ = nullptr;
  QPushButton* btAddLocal_ = nullptr;
  QPushButton* btCancel_ = nullptr;
  QLabel* lbHint_ = nullptr;
};
