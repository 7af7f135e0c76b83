#pragma once
// The purge and count window ("PurgeMess") and the duplicate-person window
// ("Duplicates"): the options of the run, the start and end buttons, the run
// itself in a job window with its step texts, and the figures at its end.
// The browse of the database reads its lines again when a run has finished.

#include <QWidget>
#include <cstdint>

#include "maintenance/purge_mess.h"
#include "maintenance/duplicate_persons.h"

class QCheckBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace qv::gui {

class MainWindow;

class PurgeWindow : public QWidget {
  Q_OBJECT

 public:
  PurgeWindow(MainWindow& frame, maintenance::PurgeMode mode, QWidget* parent = nullptr);

  maintenance::PurgeMode mode() const { return mode_; }
  // Runs the purge or count in a job window and waits for its end.
  maintenance::PurgeResult start();

  QCheckBox* agedBox() const { return aged_; }
  QSpinBox* weeksBox() const { return weeks_; }
  QPushButton* startButton() const { return start_; }
  QPushButton* endButton() const { return end_; }
  // "label\tvalue" per line of the statistics, then of the count panel.
  QStringList figures() const;
  QGroupBox* statisticsBox() const { return statistics_; }
  QGroupBox* countPanel() const { return panel_; }

 private:
  void agedToggled(bool on);

  MainWindow& frame_;
  maintenance::PurgeMode mode_;
  QCheckBox* aged_ = nullptr;
  QSpinBox* weeks_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* end_ = nullptr;
  QGroupBox* statistics_ = nullptr;
  QFormLayout* statisticsLines_ = nullptr;
  QGroupBox* panel_ = nullptr;
  QFormLayout* panelLines_ = nullptr;
};

class DuplicatesWindow : public QWidget {
  Q_OBJECT

 public:
  explicit DuplicatesWindow(MainWindow& frame, QWidget* parent = nullptr);

  // Runs the duplicate elimination in a job window and waits for its end.
  maintenance::DuplicatesResult start();

  QLabel* heading() const { return heading_; }
  QPushButton* startButton() const { return start_; }
  QPushButton* endButton() const { return end_; }
  // "caption\tvalue" per result line.
  QStringList figures() const;
  QLabel* finishedText() const { return finished_; }

 private:
  MainWindow& frame_;
  QLabel* heading_ = nullptr;
  QLabel* finished_ = nullptr;
  QFormLayout* lines_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* end_ = nullptr;
};

}  // namespace qv::gui
