#pragma once
// The classify window ("ClassifyProc") and the status window ("StatusProc"),
// companions of the browse: a topic attached to or removed from every
// message of a selection, or their status recoded, run in a job window.

#include <QWidget>

#include "export/batch_operation.h"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace qv::gui {

class MainWindow;
class SelectionPanel;

class BatchWindow : public QWidget {
  Q_OBJECT

 public:
  enum class Purpose { Classify, Status };
  BatchWindow(MainWindow& frame, Purpose purpose, QWidget* parent = nullptr);

  Purpose purpose() const { return purpose_; }
  // Runs the operation in a job window and waits for its end.
  exporting::BatchResult start();
  // Chooses the topic to attach or remove by its text; false when there is none.
  bool chooseTopic(const QString& text);
  // Reads the topics again (after the topic list changed).
  void reloadTopics();

  SelectionPanel* selection() const { return selection_; }
  QComboBox* topicBox() const { return topic_; }
  QRadioButton* attachButton() const { return attach_; }
  QRadioButton* removeButton() const { return remove_; }
  QRadioButton* statusButton(Status status) const;
  QPushButton* startButton() const { return start_; }
  QLabel* resultText() const { return result_; }

 private:
  MainWindow& frame_;
  Purpose purpose_;
  SelectionPanel* selection_ = nullptr;
  QComboBox* topic_ = nullptr;
  QRadioButton* attach_ = nullptr;
  QRadioButton* remove_ = nullptr;
  QRadioButton* normal_ = nullptr;
  QRadioButton* keep_ = nullptr;
  QRadioButton* delete_ = nullptr;
  QPushButton* start_ = nullptr;
  QLabel* result_ = nullptr;
};

}  // namespace qv::gui
