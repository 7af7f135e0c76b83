#pragma once
// The print window ("PrintProc", a companion of the browse): a selection of
// messages laid out on pages and written as a PDF file (by default
// "Messages.pdf" in the temporary directory), and, when this machine has a
// print queue, handed to it. The run goes in a job window; what was written
// shows at its end.

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qv::gui {

class MainWindow;
class SelectionPanel;

class PrintWindow : public QWidget {
  Q_OBJECT

 public:
  explicit PrintWindow(MainWindow& frame, QWidget* parent = nullptr);

  enum class Outcome { Done, Refused, Stopped, Failed };
  // Prints in a job window and waits for its end.
  Outcome start();

  SelectionPanel* selection() const { return selection_; }
  QLineEdit* pdfFile() const { return pdf_; }
  // "Send to the print queue": enabled only where a queue exists.
  QCheckBox* queueBox() const { return queue_; }
  QPushButton* startButton() const { return start_; }
  // What was written by the last run.
  QLabel* resultText() const { return result_; }

 private:
  void browseFile();

  MainWindow& frame_;
  SelectionPanel* selection_ = nullptr;
  QLineEdit* pdf_ = nullptr;
  QCheckBox* queue_ = nullptr;
  QPushButton* start_ = nullptr;
  QLabel* result_ = nullptr;
};

}  // namespace qv::gui
