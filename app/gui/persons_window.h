#pragma once
// The person browse ("BrowsePerson"): the correspondents of the active
// database in name or address order, read a page at a time; from it the
// messages of a sender in the browse, the alias addresses with the swap
// ("ShowAlias"), renaming, and the manual merge ("MergePersons").

#include <QAbstractTableModel>
#include <QDialog>
#include <QWidget>
#include <optional>
#include <vector>

#include "browse/persons_list.h"
#include "store/context.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabBar;
class QTableView;
class QTableWidget;

namespace qv::gui {

class MainWindow;

// The persons in one order, fetched a page at a time as the list scrolls.
class PersonsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  PersonsModel(Context& ctx, QObject* parent = nullptr);
  void setOrder(browse::PersonOrder order);
  void reload();
  const Person* personAt(int row) const;
  std::optional<int> rowOf(std::uint32_t id);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  Context& ctx_;
  browse::PersonOrder order_ = browse::PersonOrder::Name;
  std::vector<Person> rows_;
  bool atEnd_ = false;
};

// "Change first and last name": the person's fields, the names editable.
class RenameForm : public QDialog {
  Q_OBJECT

 public:
  RenameForm(DatabaseType type, const Person& person, QWidget* parent = nullptr);
  void show(const Person& person);
  const Person& opened() const { return opened_; }
  QLineEdit* lastName() const { return last_; }
  QLineEdit* firstName() const { return first_; }
  QPushButton* acceptButton() const { return accept_; }

 signals:
  void confirmed();

 private:
  Person opened_;
  QLineEdit* full_ = nullptr;
  QLineEdit* last_ = nullptr;
  QLineEdit* first_ = nullptr;
  QLineEdit* address_ = nullptr;
  QLineEdit* sent_ = nullptr;
  QLineEdit* received_ = nullptr;
  QPushButton* accept_ = nullptr;
};

class PersonsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit PersonsWindow(MainWindow& frame, QWidget* parent = nullptr);

  void showOrder(browse::PersonOrder order);
  void reload();
  bool goTo(std::uint32_t personId);
  const Person* current() const;
  // "Show messages for this sender": the browse in its sender view on the person's first message.
  bool showMessages();
  // "Change first and last name": the form opens without blocking.
  RenameForm* rename();
  // "Show related alias addresses" and "Open merge duplicates window" (the
  // current person joins the merge list).
  QWidget* showAliases();
  QWidget* addToMerge();

  PersonsModel* model() const { return model_; }
  QTableView* list() const { return list_; }
  QTabBar* orders() const { return orders_; }

 private:
  void renamed(RenameForm& form);

  MainWindow& frame_;
  QTabBar* orders_ = nullptr;
  PersonsModel* model_ = nullptr;
  QTableView* list_ = nullptr;
};

// "ShowAlias": the person's current address and its aliases; a swap is made
// in the window and saved on request.
class AliasWindow : public QWidget {
  Q_OBJECT

 public:
  AliasWindow(MainWindow& frame, const Person& person, QWidget* parent = nullptr);
  void swapHighlighted();
  // Saves the shown current address when it differs from the stored one.
  bool save();
  QLineEdit* currentAddress() const { return current_; }
  QListWidget* aliases() const { return aliases_; }

 private:
  MainWindow& frame_;
  Person person_;
  QLineEdit* current_ = nullptr;
  QListWidget* aliases_ = nullptr;
};

// "MergePersons": the persons collected for a merge, one marked "Keep".
class MergeWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MergeWindow(MainWindow& frame, QWidget* parent = nullptr);
  void add(const Person& person);
  void keepHighlighted();
  void removeHighlighted();
  // Merges the others into the kept person; false when nothing was merged.
  bool merge();
  QTableWidget* table() const { return table_; }

 private:
  void fill();

  MainWindow& frame_;
  std::vector<Person> persons_;
  std::uint32_t kept_ = 0;
  QTableWidget* table_ = nullptr;
};

}  // namespace qv::gui
