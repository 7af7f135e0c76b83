// The Import Wizard's rules and the checks before an import starts.
#include "import/wizard.h"

#include <utility>

#include "import/formats.h"
#include "import/source_selection.h"
#include "import/folder_source.h"
#include "store/config.h"
#include "store/dispatcher.h"
#include "store/report.h"

namespace qv {

using engine::Err;

namespace {

constexpr const char* kRefusalTitle = "Warning!";

bool refuse(Context& ctx, const char* title, const std::string& text) {
  inform(ctx, title, text, MessageKind::Warning);
  return false;
}

enum class Found { Yes, Missing, OtherType, Unreadable };

// Whether database `id` is in the database list with type `type`. The
// caller's Forums buffer is left as it was.
Found databaseOfType(Context& ctx, std::uint32_t id, DatabaseType type) {
  const Forums keep = ctx.for_;
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  engine::File& forums = ctx.fileOf<Forums>();
  ctx.for_ = Forums{};
  ctx.for_.ID = id;
  const Err e = forums.get(Forums::ForumKey);
  Found found = e == Err::RecordNotFound              ? Found::Missing
                : databaseType(ctx.for_.TYPE) == type ? Found::Yes
                                                      : Found::OtherType;
  if (e != Err::Ok && e != Err::RecordNotFound) {
    inform(ctx, std::string(clip(forums.name().string())), forums.errorText(), MessageKind::Error);
    found = Found::Unreadable;
  }
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  ctx.for_ = keep;
  return found;
}

bool checkTargets(Context& ctx, const ImportSettings& s) {
  if (!s.mail && !s.forum && !s.news)
    return refuse(ctx, kRefusalTitle,
                  "No message type is selected!\r\nChoose mail, forum or newsgroup messages to import.");
  if (s.mail) {
    if (s.mailDatabase == 0)
      return refuse(ctx, kRefusalTitle, "Mail messages are to be imported,\r\nbut no mail database is selected!");
    switch (databaseOfType(ctx, s.mailDatabase, DatabaseType::Mail)) {
      case Found::Yes: break;
      case Found::Missing:
        return refuse(ctx, kRefusalTitle, "The mail database selected for this import does not exist!");
      case Found::OtherType:
        return refuse(ctx, kRefusalTitle, "The database selected for mail messages is not a mail database!");
      case Found::Unreadable: return false;
    }
  }
  if (s.forum && filesNameNoForum(s.formatNumber)) {
    if (s.forumDatabase == 0)
      return refuse(ctx, kRefusalTitle,
                    "Forum messages are to be imported, but no forum database is selected!\r\nThe files of " +
                        formatName(s.formatNumber) + " do not name the forum they come from.");
    switch (databaseOfType(ctx, s.forumDatabase, DatabaseType::Forum)) {
      case Found::Yes: break;
      case Found::Missing:
        return refuse(ctx, kRefusalTitle, "The forum database selected for this import does not exist!");
      case Found::OtherType:
        return refuse(ctx, kRefusalTitle, "The database selected for forum messages is not a forum database!");
      case Found::Unreadable: return false;
    }
  }
  return true;
}

// Without an answer of the caller's, the folder source registered for the
// format asks its client; a format without one has no client to drive.
bool clientAvailable(Context& ctx, std::string_view format, const OutlookAvailable& outlookAvailable) {
  if (outlookAvailable) return outlookAvailable();
  const std::unique_ptr<FolderSource> folders = makeFolderSource(ctx.lib, format);
  return folders && folders->clientInstalled();
}

bool checkSources(Context& ctx, const ImportSettings& s, StartFrom from, const OutlookAvailable& outlookAvailable) {
  auto noFiles = [&] {
    return from == StartFrom::Definition ? refuse(ctx, kNoFilesEditorTitle, kNoFilesEditorText)
                                        : refuse(ctx, kNoFilesTitle, kNoFilesText);
  };
  if (selectsFolders(s.formatNumber)) {
    if (!clientAvailable(ctx, formatName(s.formatNumber), outlookAvailable)) return refuse(ctx, kRefusalTitle, kOutlookMissingText);
    return s.files.empty() ? noFiles() : true;
  }
  const int method = skipsMethodPage(s.formatNumber) ? kSelectFiles : s.method;
  switch (method) {
    case kSelectTree:
    case kSelectDirectory:
      return s.masks.empty() ? refuse(ctx, kNoMaskTitle, kNoMaskText) : true;
    case kSelectFiles:
      return s.files.empty() ? noFiles() : true;
    default:
      return refuse(ctx, kRefusalTitle, "Unknown file selection method " + std::to_string(method) + "!");
  }
}

}  // namespace

bool validateForStart(Context& ctx, const ImportSettings& settings, StartFrom from,
                      const OutlookAvailable& outlookAvailable) {
  if (formatName(settings.formatNumber).empty())
    return refuse(ctx, kRefusalTitle,
                  "The import format " + std::to_string(settings.formatNumber) + " is not known!");
  return checkTargets(ctx, settings) && checkSources(ctx, settings, from, outlookAvailable);
}

bool prepareForStart(ImportSettings& settings) {
  const std::string name = formatName(settings.formatNumber);
  if (name.empty()) return false;
  settings.formatNumber = effectiveFormatNumber(settings.formatNumber);
  settings.format = name;
  if (skipsMethodPage(settings.formatNumber) || selectsFolders(settings.formatNumber))
    settings.method = kSelectFiles;
  settings.variant = navcisVariant(settings.formatNumber);
  return true;
}

ImportWizard::ImportWizard(Context& ctx, OutlookAvailable outlookAvailable)
    : ctx_(ctx), outlookAvailable_(std::move(outlookAvailable)) {
  int number = effectiveFormatNumber(generalSetting(ctx_, kItemImportFormat));
  if (formatName(number).empty()) number = kDefaultImportFormat;
  settings_.formatNumber = number;
  settings_.format = formatName(number);
  settings_.path = defaultImportPath();
  if (const auto masks = defaultMaskString(number)) settings_.masks = splitMasks(*masks);
  if (skipsMethodPage(number) || selectsFolders(number)) settings_.method = kSelectFiles;
  settings_.variant = navcisVariant(number);
}

std::filesystem::path ImportWizard::defaultImportPath() const {
  std::int32_t unused = 0;
  std::string text;
  if (Konfig(ctx_, kKonfigGetImportPath, kItemImportPath, unused, 0, text) != kSettingsDone) return {};
  return std::filesystem::path(std::string(clip(text)));
}

bool ImportWizard::chooseFormat(int number) {
  if (number == 0 || formatName(number).empty()) return false;
  if (selectsFolders(number) && !clientAvailable(ctx_, formatName(number), outlookAvailable_)) {
    inform(ctx_, kRefusalTitle, kOutlookMissingText, MessageKind::Warning);
    return false;
  }
  settings_.formatNumber = number;
  settings_.format = formatName(number);
  if (const auto masks = defaultMaskString(number)) settings_.masks = splitMasks(*masks);
  settings_.files.clear();
  if (!offersMethodPage()) settings_.method = kSelectFiles;
  settings_.variant = navcisVariant(number);
  return true;
}

bool ImportWizard::outlookAvailable() const {
  return clientAvailable(ctx_, "Outlook Mail", outlookAvailable_);
}

bool ImportWizard::offersMethodPage() const {
  return !skipsMethodPage(settings_.formatNumber) && !selectsFolders(settings_.formatNumber);
}

bool ImportWizard::choosesFolders() const { return selectsFolders(settings_.formatNumber); }

bool ImportWizard::chooseMethod(int method) {
  if (method != kSelectTree && method != kSelectDirectory && method != kSelectFiles) return false;
  if (!offersMethodPage() && method != kSelectFiles) return false;
  settings_.method = method;
  return true;
}

void ImportWizard::setDirectory(const std::filesystem::path& dir, std::string_view maskString) {
  settings_.path = dir;
  settings_.masks = splitMasks(maskString);
}

void ImportWizard::chooseFiles(const std::filesystem::path& dir, std::vector<std::string> names) {
  settings_.path = dir;
  settings_.files = std::move(names);
}

void ImportWizard::chooseFolders(std::vector<std::string> folders) { settings_.files = std::move(folders); }

void ImportWizard::cancelFileSelection() {
  settings_.path = defaultImportPath();
  if (const auto masks = defaultMaskString(settings_.formatNumber)) settings_.masks = splitMasks(*masks);
  settings_.files.clear();
}

std::string ImportWizard::fileListText() const { return joinFileList(settings_.files, "##"); }

bool ImportWizard::start() {
  if (!validateForStart(ctx_, settings_, StartFrom::Wizard, outlookAvailable_)) return false;
  return prepareForStart(settings_);
}

}  // namespace qv
