#pragma once
// The fields of one import — format, selection method, path and masks or
// chosen files, message types, target databases, filter and re-import —
// over the wizard's rules (import/wizard.h). The Import Wizard shows them
// page by page; the import definition editor shows all of them at once.
//
// Choosing a format applies the wizard's rules at once: its default masks
// replace the masks, chosen files are dropped, and the method page is
// offered only to the formats that have one.

#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "import/settings.h"
#include "import/wizard.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace qv::gui {

class ImportForm : public QWidget {
  Q_OBJECT

 public:
  enum Page : int { kFormatPage = 0, kMethodPage = 1, kSourcePage = 2, kOptionsPage = 3, kPageCount = 4 };
  enum class Layout { Pages, OnePage };

  ImportForm(Context& ctx, Layout layout, QWidget* parent = nullptr);

  // Pages: the page shown. OnePage: every page is shown; the method page
  // only when the format offers it.
  int page() const;
  void showPage(int page);
  // The page after / before `page` in the wizard's order (the method page
  // skipped when the format has none); -1 past either end.
  int nextPage(int page) const;
  int previousPage(int page) const;
  static QString pageCaption(int page);

  // Chooses the format by number; false (the combo unchanged) when the
  // wizard refuses it.
  bool chooseFormat(int number);
  // The result of the file selection: the directory and the names chosen in it.
  void chooseFiles(const std::filesystem::path& dir, const std::vector<std::string>& names);
  // Picks the database `id` in the mail or forum combo; false when it is not offered.
  bool chooseMailDatabase(std::uint32_t id);
  bool chooseForumDatabase(std::uint32_t id);

  // Shows stored working values (the definition editor).
  void setSettings(const ImportSettings& settings);
  // The working values the fields describe.
  ImportSettings settings();
  // The wizard's model, with the fields' values (for its start check).
  ImportWizard& wizard();

  QComboBox* format() const { return format_; }
  QButtonGroup* methods() const { return methods_; }
  QLineEdit* path() const { return path_; }
  QLineEdit* masks() const { return masks_; }
  QListWidget* files() const { return files_; }
  QCheckBox* mail() const { return mail_; }
  QCheckBox* forum() const { return forum_; }
  QCheckBox* news() const { return news_; }
  QComboBox* mailDatabase() const { return mailDb_; }
  QComboBox* forumDatabase() const { return forumDb_; }
  QCheckBox* createOnly() const { return createOnly_; }
  QCheckBox* reimport() const { return reimport_; }

 private:
  QWidget* buildFormatPage();
  QWidget* buildMethodPage();
  QWidget* buildSourcePage();
  QWidget* buildOptionsPage();
  void fillDatabases();
  // Shows the wizard model's format, method, path, masks and files.
  void showModel();
  void methodChanged();
  void browseDirectory();
  void browseFiles();

  Context& ctx_;
  ImportWizard wizard_;
  Layout layout_;
  QStackedWidget* stack_ = nullptr;
  QWidget* pages_[kPageCount] = {};
  QComboBox* format_ = nullptr;
  QButtonGroup* methods_ = nullptr;
  QLineEdit* path_ = nullptr;
  QLabel* masksLabel_ = nullptr;
  QLineEdit* masks_ = nullptr;
  QWidget* filesBox_ = nullptr;
  QListWidget* files_ = nullptr;
  QCheckBox* mail_ = nullptr;
  QCheckBox* forum_ = nullptr;
  QCheckBox* news_ = nullptr;
  QComboBox* mailDb_ = nullptr;
  QComboBox* forumDb_ = nullptr;
  QCheckBox* createOnly_ = nullptr;
  QCheckBox* reimport_ = nullptr;
  bool showing_ = false;
};

}  // namespace qv::gui
