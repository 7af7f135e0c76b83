#pragma once
// "Scheduled Tasks": the tasks with their state, next run, repeat, last run
// and result; a new or changed task through the task form (the definitions
// it runs, its first run date and time, the weekdays or days of the month
// it repeats on, the housekeeping afterwards), removing one (asked first),
// and a run-now request, which the frame's due check answers with the
// countdown.

#include <QDialog>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

#include "store/tables.h"
#include "app/gui/id_table.h"

class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTimeEdit;

namespace qv::gui {

class ImportMenu;

class TaskDialog : public QDialog {
  Q_OBJECT

 public:
  enum Repeat : int { kNoRepeat = 0, kWeekly = 1, kMonthly = 2 };

  // `id` 0: a new task.
  TaskDialog(ImportMenu& imports, std::uint32_t id, QWidget* parent = nullptr);

  QLineEdit* description() const { return description_; }
  QCheckBox* active() const { return active_; }
  QListWidget* definitions() const { return definitions_; }
  QCheckBox* scheduled() const { return scheduled_; }
  QDateEdit* date() const { return date_; }
  QTimeEdit* time() const { return time_; }
  QButtonGroup* repeat() const { return repeat_; }
  QCheckBox* weekday(int day) const { return weekdays_[static_cast<std::size_t>(day)]; }  // 0 = Sunday
  QSpinBox* monthDay(int i) const { return monthDays_[static_cast<std::size_t>(i)]; }
  QCheckBox* duplicates() const { return dupes_; }
  QCheckBox* purge() const { return purge_; }
  QCheckBox* count() const { return count_; }
  QCheckBox* index() const { return index_; }
  // Ticks the definition `id` in the list; false when it is not listed.
  bool checkDefinition(std::uint32_t id, bool on = true);

  void accept() override;

 signals:
  void stored(std::uint32_t id);

 private:
  void showTask(const TAS& task);
  // The form's values on `task`; false (after a message) when they do not make a schedule.
  bool read(TAS& task);
  bool storeLinks(std::uint32_t taskId);
  void enableRepeat();

  ImportMenu& imports_;
  std::uint32_t id_ = 0;
  QLineEdit* description_ = nullptr;
  QCheckBox* active_ = nullptr;
  QListWidget* definitions_ = nullptr;
  QCheckBox* scheduled_ = nullptr;
  QDateEdit* date_ = nullptr;
  QTimeEdit* time_ = nullptr;
  QButtonGroup* repeat_ = nullptr;
  std::array<QCheckBox*, 7> weekdays_{};
  std::array<QSpinBox*, 5> monthDays_{};
  QCheckBox* dupes_ = nullptr;
  QCheckBox* purge_ = nullptr;
  QCheckBox* count_ = nullptr;
  QCheckBox* index_ = nullptr;
};

class TasksWindow : public QWidget {
  Q_OBJECT

 public:
  enum Column : int { kDescription, kActive, kNextRun, kRepeat, kLastRun, kResult, kDefinitions, kColumns };

  explicit TasksWindow(ImportMenu& imports, QWidget* parent = nullptr);

  void reload();
  IdTable* table() const { return table_; }
  std::optional<std::uint32_t> selectedId() const;
  bool select(std::uint32_t id);

  TaskDialog* addTask();
  TaskDialog* editSelected();
  void removeSelected();
  // Asks for a run of the selected task now (honoured today and tomorrow).
  void runSelectedNow();

 private:
  TaskDialog* openEditor(std::uint32_t id);

  ImportMenu& imports_;
  IdTable* table_ = nullptr;
};

}  // namespace qv::gui
