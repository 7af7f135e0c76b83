#pragma once
// The export window ("ExportProc", a companion of the browse): a selection
// of messages written in another program's format — the formats the
// database type offers, written to the temporary directory under plain file
// names, or mbox, Maildir and EML written where the path says — with the
// line settings; the run in a job window, and what was written at its end.

#include <QWidget>
#include <vector>

#include "export/copy_msg.h"
#include "export/mailbox_export.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace qv::gui {

class MainWindow;
class SelectionPanel;

class ExportWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ExportWindow(MainWindow& frame, QWidget* parent = nullptr);

  enum class Outcome { Done, Refused, Cancelled, Failed };
  // Runs the export in a job window and waits for its end.
  Outcome start();
  // Chooses a format by its label ("TAPCIS", "mbox" …); false when not offered.
  bool chooseFormat(const QString& label);

  SelectionPanel* selection() const { return selection_; }
  QComboBox* formatBox() const { return format_; }
  QLineEdit* inFile() const { return in_; }
  QLineEdit* outFile() const { return out_; }
  QCheckBox* plainBox() const { return plain_; }
  QCheckBox* wrapBox() const { return wrap_; }
  QSpinBox* widthBox() const { return width_; }
  QCheckBox* convertBox() const { return convert_; }
  QPushButton* startButton() const { return start_; }
  // "Messages exported to …" after a run.
  QLabel* resultText() const { return result_; }
  // The files written by the last run, one a line.
  QPlainTextEdit* writtenFiles() const { return files_; }

 private:
  struct Choice {
    QString label;
    bool mailbox = false;
    ExportFormat format = ExportFormat::Tapcis;
    exporting::MailboxFormat box = exporting::MailboxFormat::Mbox;
  };
  const Choice& choice() const;
  void formatChosen();
  void browseFile();
  Outcome runLegacy();
  Outcome runMailbox();

  MainWindow& frame_;
  std::vector<Choice> choices_;
  SelectionPanel* selection_ = nullptr;
  QCheckBox* plain_ = nullptr;
  QComboBox* format_ = nullptr;
  QLabel* where_ = nullptr;
  QLineEdit* in_ = nullptr;
  QLineEdit* out_ = nullptr;
  QPushButton* browse_ = nullptr;
  QCheckBox* wrap_ = nullptr;
  QSpinBox* width_ = nullptr;
  QCheckBox* convert_ = nullptr;
  QPushButton* start_ = nullptr;
  QLabel* result_ = nullptr;
  QPlainTextEdit* files_ = nullptr;
};

}  // namespace qv::gui
