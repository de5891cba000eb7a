// The editor of one planned recording: the station (from the current tuner), the first
// day and time, the repetition, the duration in minutes, the format and the cut by title.
// OK checks the choice (a station, a single plan still to come) and says what is wrong
// without closing.
#pragma once

#include <QDialog>
#include <QStringList>
#include <utility>
#include <vector>

#include "recording/recordplan.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QSpinBox;

class TPlanEditForm : public QDialog {
  Q_OBJECT
 public:
  // `stations`: name and address of each station of the tuner; `formats`: those offered.
  TPlanEditForm(const TRecordPlan& plan, const std::vector<std::pair<QString, QString>>& stations,
                const QStringList& formats, QWidget* parent = nullptr);

  // The plan as edited (valid after OK).
  TRecordPlan Plan() const;
  // What keeps OK from closing; empty when the choice is sound.
  QString Problem() const;

  QComboBox* cbStation() const { return station_; }
  QDateTimeEdit* dtStart() const { return start_; }
  QComboBox* cbRepeat() const { return repeat_; }
  QSpinBox* sbDuration() const { return duration_; }
  QComboBox* cbFormat() const { return format_; }
  QCheckBox* cbCutByTitle() const { return cut_; }

  void accept() override;

 private:
  TRecordPlan plan_;
  std::vector<std::pair<QString, QString>> stations_;
  int initialMinutes_ = 0;
  QComboBox* station_ = nullptr;
  QDateTimeEdit* start_ = nullptr;
  QComboBox* repeat_ = nullptr;
  QSpinBox* duration_ = nullptr;
  QComboBox* format_ = nullptr;
  QCheckBox* cut_ = nullptr;
  QLabel* problem_ = nullptr;
};
