#pragma once
// The search window, a companion of the browse: the words to look for (all
// of them, or any; as a phrase; "*" at a word's end for every word it
// begins; field terms as the command line takes them) and the sender,
// receiver, subject and date range fields. "Search" searches the word index
// of the active database, stores the set found and shows it in the
// browse's result view, whose hit buttons then step through the words.

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qv::gui {

class MainWindow;

class SearchWindow : public QWidget {
  Q_OBJECT

 public:
  explicit SearchWindow(MainWindow& frame, QWidget* parent = nullptr);

  // Runs the search as filled in; true when a set was found and shown.
  bool search();

  QLineEdit* wordsField() const { return words_; }
  QRadioButton* anyWordButton() const { return any_; }
  QCheckBox* phraseBox() const { return phrase_; }
  QLineEdit* fromField() const { return from_; }
  QLineEdit* toField() const { return to_; }
  QLineEdit* subjectField() const { return subject_; }
  QLineEdit* dateFromField() const { return dateFrom_; }
  QLineEdit* dateToField() const { return dateTo_; }
  QPushButton* searchButton() const { return search_; }
  QLabel* outcomeLabel() const { return outcome_; }

 private:
  MainWindow& frame_;
  QLineEdit* words_ = nullptr;
  QRadioButton* all_ = nullptr;
  QRadioButton* any_ = nullptr;
  QCheckBox* phrase_ = nullptr;
  QLineEdit* from_ = nullptr;
  QLineEdit* to_ = nullptr;
  QLineEdit* subject_ = nullptr;
  QLineEdit* dateFrom_ = nullptr;
  QLineEdit* dateTo_ = nullptr;
  QPushButton* search_ = nullptr;
  QLabel* outcome_ = nullptr;
};

}  // namespace qv::gui
