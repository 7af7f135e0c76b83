#pragma once
// The Import Wizard: the format, the selection method (only for the
// formats that have one), the path and masks or the chosen files, then the
// message types, target databases, filter and re-import switch. Start
// checks the pages (a refusal keeps the wizard open on its page), closes
// the wizard and runs the import in the import procedure's window; the run
// can be kept as an import definition with a task of the same description.

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace qv::gui {

class ImportForm;
class ImportMenu;

class ImportWizardWindow : public QWidget {
  Q_OBJECT

 public:
  ImportWizardWindow(ImportMenu& imports, QWidget* parent = nullptr);

  ImportForm* form() const { return form_; }
  void next();
  void back();
  // Checks the pages and, when the import may start, runs it. False when refused.
  bool start();

  QLabel* caption() const { return caption_; }
  QPushButton* backButton() const { return back_; }
  QPushButton* nextButton() const { return next_; }
  QPushButton* startButton() const { return start_; }
  QCheckBox* saveRun() const { return save_; }

 private:
  void showPage(int page);

  ImportMenu& imports_;
  ImportForm* form_ = nullptr;
  QLabel* caption_ = nullptr;
  QPushButton* back_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* start_ = nullptr;
  QCheckBox* save_ = nullptr;
};

}  // namespace qv::gui
