#pragma once
// The topic windows: the topic list ("BrowseTopics") with the database's
// topics and key words and the form that adds, changes and deletes them;
// and the topic tree, a dock beside the browse listing every topic with
// whether the browse's current message is linked to it, where activating a
// line links or unlinks the message.

#include <QDialog>
#include <QDockWidget>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "store/context.h"
#include "topics/codes.h"
#include "topics/topic_tree.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace qv::gui {

class BrowseWindow;
class MainWindow;

// " Add New Topic", " Update Topic" or " Delete Topic" (key words alike):
// the text and, for key words, the two match options.
class TopicForm : public QDialog {
  Q_OBJECT

 public:
  enum class Action { Add, Change, Delete };
  TopicForm(Action action, CodeType type, const std::optional<Codes>& opened, QWidget* parent = nullptr);
  Action action() const { return action_; }
  CodeType type() const { return type_; }
  const std::optional<Codes>& opened() const { return opened_; }
  QLineEdit* text() const { return text_; }
  QCheckBox* matchCase() const { return case_; }
  QCheckBox* wholeWords() const { return whole_; }
  QPushButton* acceptButton() const { return accept_; }

 signals:
  // The accept button: the list window makes the change, and closes the
  // form unless the text was refused.
  void confirmed();

 private:
  Action action_;
  CodeType type_;
  std::optional<Codes> opened_;
  QLineEdit* text_ = nullptr;
  QCheckBox* case_ = nullptr;
  QCheckBox* whole_ = nullptr;
  QPushButton* accept_ = nullptr;
};

class TopicsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TopicsWindow(MainWindow& frame, QWidget* parent = nullptr);

  // Reads the lists again and sets the title's count.
  void reload();
  QTableWidget* topics() const { return topics_; }
  QTableWidget* keyWords() const { return words_; }
  QTabWidget* tabs() const { return tabs_; }
  // The forms open without blocking; the change is made when one is accepted.
  TopicForm* add();
  TopicForm* change();      // the highlighted line; nullptr when none
  TopicForm* remove();      // likewise

 private:
  CodeType shownType() const;
  std::optional<Codes> highlighted() const;
  TopicForm* openForm(TopicForm::Action action, const std::optional<Codes>& opened);
  void accepted(TopicForm& form);

  MainWindow& frame_;
  QTabWidget* tabs_ = nullptr;
  QTableWidget* topics_ = nullptr;
  QTableWidget* words_ = nullptr;
  std::vector<Codes> topicCodes_;
  std::vector<Codes> wordCodes_;
};

class TopicTreeDock : public QDockWidget {
  Q_OBJECT

 public:
  TopicTreeDock(MainWindow& frame, BrowseWindow& browse, QWidget* parent = nullptr);

  // Shows the lines for the browse's current message.
  void follow();
  // Reads the topics again (after the topic list changed).
  void reload();
  // Links or unlinks the message of line `row`.
  void toggle(int row);
  QListWidget* list() const { return list_; }
  std::uint32_t message() const { return tree_.message(); }

 private:
  void fill();

  MainWindow& frame_;
  QPointer<BrowseWindow> browse_;
  topics::TopicTree tree_;
  QListWidget* list_ = nullptr;
};

}  // namespace qv::gui
