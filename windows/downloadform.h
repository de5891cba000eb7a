// The splash and progress window: a small frameless window on top of the others, centred,
// that shows the progress of long catalogue work (the loader's display).
#pragma once

#include <QWidget>

#include "catalogue/catalogueloader.h"

class QLabel;
class QProgressBar;

class TDownLoadForm : public QWidget, public TLoadDisplay {
  Q_OBJECT
 public:
  explicit TDownLoadForm(QWidget* parent = nullptr);

  QLabel* lbAppVersion() const { return lbAppVersion_; }
  QLabel* lbMessage() const { return lbMessage_; }
  QProgressBar* ProgressBar() const { return progressBar_; }

  // TLoadDisplay: what the catalogue loader shows.
  void ShowSplash() override;
  void HideSplash() override;
  void SetStatus(const QString& text) override;
  void SetProgressMax(int max) override;
  void SetProgress(int position) override;
  void ProcessEvents() override;
  void ShowError(const QString& text) override;

 private:
  QLabel* lbAppVersion_ = nullptr;
  QLabel* lbMessage_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
};
