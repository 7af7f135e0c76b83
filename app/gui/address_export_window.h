#pragma once
// The address export window ("AddressExport", a companion of the browse):
// the persons of the active database as an address book for another
// program — all of them, or the correspondents of a topic's messages and/or
// of a date range — written under a plain file name into the temporary
// directory. The library reports the end (count, nothing passed, stopped);
// the window shows the file written.

#include <QWidget>

#include "app/gui/window_parts.h"
#include "export/address_export.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qv::gui {

class MainWindow;

class AddressExportWindow : public QWidget {
  Q_OBJECT

 public:
  explicit AddressExportWindow(MainWindow& frame, QWidget* parent = nullptr);

  enum class Outcome { Done, NoneSelected, Refused, Cancelled, Failed };
  // Exports in a job window and waits for its end.
  Outcome start();
  // Chooses a format by its label ("TAPCIS", "OzWin II" …); false when not offered.
  bool chooseFormat(const QString& label);
  // Reads the topics again (after the topic list changed).
  void reloadTopics();

  QComboBox* formatBox() const { return format_; }
  QLineEdit* fileName() const { return file_; }
  QCheckBox* topicFilter() const { return byTopic_; }
  QComboBox* topicBox() const { return topic_; }
  QCheckBox* rangeBox() const { return range_.on; }
  QLineEdit* fromField() const { return range_.from; }
  QLineEdit* toField() const { return range_.to; }
  QPushButton* startButton() const { return start_; }
  // The count and the file written by the last run.
  QLabel* resultText() const { return result_; }

 private:
  void formatChosen();

  MainWindow& frame_;
  QComboBox* format_ = nullptr;
  QLineEdit* file_ = nullptr;
  QCheckBox* byTopic_ = nullptr;
  QComboBox* topic_ = nullptr;
  DateRangeFields range_;
  QPushButton* start_ = nullptr;
  QLabel* result_ = nullptr;
};

}  // namespace qv::gui
