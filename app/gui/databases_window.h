#pragma once
// The database list: every database with its type, messages and status;
// adding a mail or forum database through its form, and making one the
// active database.

#include <QDialog>
#include <QWidget>
#include <cstdint>
#include <optional>
#include "app/gui/id_table.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qv::gui {

class MainWindow;

// "Add New Mail Database": the owner's name, default address and up to ten further addresses.
class MailDatabaseDialog : public QDialog {
  Q_OBJECT

 public:
  explicit MailDatabaseDialog(QWidget* parent = nullptr);
  QLineEdit* name() const { return name_; }
  QLineEdit* address() const { return address_; }
  QPlainTextEdit* alternatives() const { return alternatives_; }

 private:
  QLineEdit* name_ = nullptr;
  QLineEdit* address_ = nullptr;
  QPlainTextEdit* alternatives_ = nullptr;
};

// "Add New Forum Database": the forum's name.
class ForumDatabaseDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ForumDatabaseDialog(QWidget* parent = nullptr);
  QLineEdit* name() const { return name_; }

 private:
  QLineEdit* name_ = nullptr;
};

class DatabasesWindow : public QWidget {
  Q_OBJECT

 public:
  explicit DatabasesWindow(MainWindow& frame, QWidget* parent = nullptr);

  void reload();
  IdTable* table() const { return table_; }
  // The forms open without blocking; the database is added when one is accepted.
  MailDatabaseDialog* addMail();
  ForumDatabaseDialog* addForum();
  // Activates the selected database.
  void activateSelected();
  // Removes the selected database after the user confirmed.
  void removeSelected();
  std::optional<std::uint32_t> selectedId() const;

 private:
  void acceptMail(MailDatabaseDialog& form);
  void acceptForum(ForumDatabaseDialog& form);

  MainWindow& frame_;
  IdTable* table_ = nullptr;
};

}  // namespace qv::gui
