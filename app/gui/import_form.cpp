#include "app/gui/import_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/gui/qt_text.h"
#include "app/gui/window_parts.h"
#include "app/windows/databases.h"
#include "import/formats.h"

namespace qv::gui {

namespace {

// "(none)" first, then the databases of one type; the item data is the identifier.
void fillCombo(QComboBox& combo, const std::vector<Forums>& list, DatabaseType type) {
  const std::uint32_t kept = combo.currentData().toUInt();
  combo.clear();
  combo.addItem("(none)", 0u);
  for (const Forums& f : list)
    if (databaseType(f.TYPE) == type) combo.addItem(fromStored(f.DESCRIPTION.str()), static_cast<uint>(f.ID));
  const int at = combo.findData(kept);
  combo.setCurrentIndex(at < 0 ? 0 : at);
}

bool pick(QComboBox& combo, std::uint32_t id) {
  const int at = combo.findData(static_cast<uint>(id));
  if (at < 0) return false;
  combo.setCurrentIndex(at);
  return true;
}

QString pathText(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

}  // namespace

ImportForm::ImportForm(Context& ctx, Layout layout, QWidget* parent)
    : QWidget(parent), ctx_(ctx), wizard_(ctx), layout_(layout) {
  pages_[kFormatPage] = buildFormatPage();
  pages_[kMethodPage] = buildMethodPage();
  pages_[kSourcePage] = buildSourcePage();
  pages_[kOptionsPage] = buildOptionsPage();
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  if (layout_ == Layout::Pages) {
    stack_ = new QStackedWidget(this);
    for (QWidget* p : pages_) stack_->addWidget(p);
    outer->addWidget(stack_);
  } else {
    for (int i = 0; i < kPageCount; ++i) {
      auto* box = new QGroupBox(pageCaption(i), this);
      auto* inner = new QVBoxLayout(box);
      inner->addWidget(pages_[i]);
      outer->addWidget(box);
      pages_[i] = box;
    }
  }
  fillDatabases();
  showModel();
}

QString ImportForm::pageCaption(int page) {
  switch (page) {
    case kFormatPage: return "Format of the source files";
    case kMethodPage: return "How the source files are chosen";
    case kSourcePage: return "Source files";
    case kOptionsPage: return "Messages and target databases";
    default: return {};
  }
}

QWidget* ImportForm::buildFormatPage() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  format_ = new QComboBox(page);
  for (const FormatEntry& f : offeredFormats()) format_->addItem(fromStored(f.name), f.number);
  form->addRow("&Format", format_);
  connect(format_, &QComboBox::currentIndexChanged, this, [this] {
    if (showing_) return;
    if (!chooseFormat(format_->currentData().toInt())) showModel();
  });
  return page;
}

QWidget* ImportForm::buildMethodPage() {
  auto* page = new QWidget(this);
  auto* box = new QVBoxLayout(page);
  methods_ = new QButtonGroup(page);
  const char* names[] = {"Directory &tree (the directory and all below it)", "&Directory", "&File selection"};
  for (int m = kSelectTree; m <= kSelectFiles; ++m) {
    auto* b = new QRadioButton(names[m], page);
    methods_->addButton(b, m);
    box->addWidget(b);
  }
  box->addStretch(1);
  connect(methods_, &QButtonGroup::idClicked, this, [this] { methodChanged(); });
  return page;
}

QWidget* ImportForm::buildSourcePage() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  const PathRow pathRow = addPathRow(*form, *page, "&Path", "&Browse...");
  path_ = pathRow.field;
  QPushButton* browse = pathRow.button;
  masksLabel_ = new QLabel("File &masks", page);
  masks_ = new QLineEdit(page);
  masks_->setPlaceholderText("*.MSG;*.OLD");
  masksLabel_->setBuddy(masks_);
  form->addRow(masksLabel_, masks_);
  filesBox_ = new QWidget(page);
  auto* filesRow = new QHBoxLayout(filesBox_);
  filesRow->setContentsMargins(0, 0, 0, 0);
  files_ = new QListWidget(filesBox_);
  auto* choose = new QPushButton("Choose &Files...", filesBox_);
  filesRow->addWidget(files_, 1);
  filesRow->addWidget(choose, 0, Qt::AlignTop);
  form->addRow("Files", filesBox_);
  connect(browse, &QPushButton::clicked, this, &ImportForm::browseDirectory);
  connect(choose, &QPushButton::clicked, this, &ImportForm::browseFiles);
  return page;
}

QWidget* ImportForm::buildOptionsPage() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  mail_ = new QCheckBox("&Mail messages", page);
  forum_ = new QCheckBox("F&orum messages", page);
  news_ = new QCheckBox("&Newsgroup messages", page);
  auto* types = new QVBoxLayout();
  types->addWidget(mail_);
  types->addWidget(forum_);
  types->addWidget(news_);
  form->addRow("Import", types);
  mailDb_ = new QComboBox(page);
  forumDb_ = new QComboBox(page);
  form->addRow("Mail &database", mailDb_);
  form->addRow("Forum d&atabase", forumDb_);
  createOnly_ = new QCheckBox("Import no messages, only &create the databases the files name", page);
  reimport_ = new QCheckBox("&Re-import messages already imported (they overwrite the stored ones)", page);
  form->addRow(createOnly_);
  form->addRow(reimport_);
  return page;
}

void ImportForm::fillDatabases() {
  const std::vector<Forums> list = app::readDatabaseList(ctx_);
  fillCombo(*mailDb_, list, DatabaseType::Mail);
  fillCombo(*forumDb_, list, DatabaseType::Forum);
}

void ImportForm::showModel() {
  showing_ = true;
  const ImportSettings& s = wizard_.settings();
  const int at = format_->findData(s.formatNumber);
  if (at >= 0) format_->setCurrentIndex(at);
  if (QAbstractButton* b = methods_->button(s.method)) b->setChecked(true);
  path_->setText(pathText(s.path));
  masks_->setText(fromStored(joinMasks(s.masks)));
  files_->clear();
  for (const std::string& f : s.files) files_->addItem(QString::fromStdString(f));
  if (layout_ == Layout::OnePage) pages_[kMethodPage]->setVisible(wizard_.offersMethodPage());
  showing_ = false;
  methodChanged();
}

void ImportForm::methodChanged() {
  const bool files = methods_->checkedId() == kSelectFiles || !wizard_.offersMethodPage();
  masksLabel_->setVisible(!files);
  masks_->setVisible(!files);
  filesBox_->setVisible(files);
}

int ImportForm::page() const { return stack_ != nullptr ? stack_->currentIndex() : kFormatPage; }

void ImportForm::showPage(int page) {
  if (stack_ != nullptr && page >= 0 && page < kPageCount) stack_->setCurrentIndex(page);
}

int ImportForm::nextPage(int page) const {
  if (page == kFormatPage && !wizard_.offersMethodPage()) return kSourcePage;
  return page + 1 < kPageCount ? page + 1 : -1;
}

int ImportForm::previousPage(int page) const {
  if (page == kSourcePage && !wizard_.offersMethodPage()) return kFormatPage;
  return page - 1;
}

bool ImportForm::chooseFormat(int number) {
  if (!wizard_.chooseFormat(number)) return false;
  showModel();
  return true;
}

void ImportForm::chooseFiles(const std::filesystem::path& dir, const std::vector<std::string>& names) {
  wizard_.chooseFiles(dir, names);
  showModel();
}

bool ImportForm::chooseMailDatabase(std::uint32_t id) { return pick(*mailDb_, id); }
bool ImportForm::chooseForumDatabase(std::uint32_t id) { return pick(*forumDb_, id); }

void ImportForm::browseDirectory() {
  auto* dialog = new QFileDialog(this, "Import directory", path_->text());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setOption(QFileDialog::ShowDirsOnly);
  connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& dir) { path_->setText(dir); });
  dialog->open();
}

void ImportForm::browseFiles() {
  auto* dialog = new QFileDialog(this, "Files to import", path_->text());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setFileMode(QFileDialog::ExistingFiles);
  connect(dialog, &QFileDialog::filesSelected, this, [this](const QStringList& chosen) {
    if (chosen.isEmpty()) return;
    std::vector<std::string> names;
    for (const QString& f : chosen) names.push_back(std::filesystem::path(f.toStdString()).filename().string());
    chooseFiles(std::filesystem::path(chosen.front().toStdString()).parent_path(), names);
  });
  // A cancelled selection puts back the default path and masks.
  connect(dialog, &QDialog::rejected, this, [this] {
    wizard_.cancelFileSelection();
    showModel();
  });
  dialog->open();
}

void ImportForm::setSettings(const ImportSettings& settings) {
  if (!wizard_.chooseFormat(settings.formatNumber)) return;
  wizard_.settings() = settings;
  mail_->setChecked(settings.mail);
  forum_->setChecked(settings.forum);
  news_->setChecked(settings.news);
  pick(*mailDb_, settings.mailDatabase);
  pick(*forumDb_, settings.forumDatabase);
  createOnly_->setChecked(settings.filter == kFilterCreateOnly);
  reimport_->setChecked(settings.reimport);
  showModel();
}

ImportWizard& ImportForm::wizard() {
  ImportSettings& s = wizard_.settings();
  wizard_.chooseMethod(methods_->checkedId());
  const std::filesystem::path dir(path_->text().trimmed().toStdString());
  if (s.method == kSelectFiles) {
    std::vector<std::string> names;
    for (int i = 0; i < files_->count(); ++i) names.push_back(files_->item(i)->text().toStdString());
    wizard_.chooseFiles(dir, names);
  } else {
    wizard_.setDirectory(dir, toStored(masks_->text()));
  }
  s.mail = mail_->isChecked();
  s.forum = forum_->isChecked();
  s.news = news_->isChecked();
  s.mailDatabase = mailDb_->currentData().toUInt();
  s.forumDatabase = forumDb_->currentData().toUInt();
  s.filter = createOnly_->isChecked() ? kFilterCreateOnly : kFilterNone;
  s.reimport = reimport_->isChecked();
  return wizard_;
}

ImportSettings ImportForm::settings() { return wizard().settings(); }

}  // namespace qv::gui
