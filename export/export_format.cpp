#include "export/export_format.h"

#include <array>

#include "store/charset.h"
#include "store/config.h"

namespace qv::exporting {
namespace {

using F = ExportFormat;

int formatItem(DatabaseType type) {
  switch (type) {
    case DatabaseType::Mail: return kItemExportMail;
    case DatabaseType::Newsgroup: return kItemExportNews;
    case DatabaseType::Forum: break;
  }
  return kItemExportForum;
}

std::string clipped(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

std::string_view formatLabel(ExportFormat format, DatabaseType type) {
  switch (format) {
    case F::Tapcis: return "TAPCIS";
    case F::Eudora: return "Eudora";
    case F::GenericMail1: return "Generic Mail Type 1";
    case F::OzWin: return "OzWin II";
    case F::GenericMail2: return type == DatabaseType::Newsgroup ? "Unix News" : "Generic Mail Type 2";
    case F::DBase3: return "dBase III";
  }
  return {};
}

const std::vector<ExportFormat>& offeredFormats(DatabaseType type) {
  static const std::vector<F> forum = {F::OzWin, F::Tapcis, F::DBase3};
  static const std::vector<F> mail = {F::Eudora, F::OzWin, F::Tapcis, F::GenericMail1, F::GenericMail2, F::DBase3};
  static const std::vector<F> news = {F::UnixNews, F::DBase3};
  static const std::vector<F> none;
  switch (type) {
    case DatabaseType::Forum: return forum;
    case DatabaseType::Mail: return mail;
    case DatabaseType::Newsgroup: return news;
  }
  return none;
}

bool isOffered(ExportFormat format, DatabaseType type) {
  for (F f : offeredFormats(type))
    if (f == format) return true;
  return false;
}

std::string offeredList(DatabaseType type) {
  std::string out;
  for (F f : offeredFormats(type)) {
    if (!out.empty()) out += "|";
    out += formatLabel(f, type);
  }
  return out;
}

bool writesTwoFiles(ExportFormat format, DatabaseType type) {
  return type == DatabaseType::Mail && format != F::Tapcis && format != F::DBase3;
}

ExportFiles defaultFiles(ExportFormat format, DatabaseType type, std::string_view description) {
  if (format == F::DBase3) return {type == DatabaseType::Mail ? "Mail.DBF" : "SaveMsg.DBF", {}};
  switch (type) {
    case DatabaseType::Forum:
      if (format == F::OzWin) {
        std::string name = clipped(description.substr(0, 8));
        for (char& c : name)
          if (c == '/' || c == '\\' || c == ':' || c == '\0') c = '_';
        return {name + ".SAV", {}};
      }
      return {"SaveMsg.Txt", {}};
    case DatabaseType::Newsgroup: return {"SaveMsg.TXT", {}};
    case DatabaseType::Mail:
      if (format == F::Tapcis) return {"SaveMail.Txt", {}};
      if (format == F::OzWin) return {"CISMAIL.IN", "CISMAIL.OUT"};
      return {"InBox.MBX", "OutBox.MBX"};
  }
  return {};
}

ExportFiles unnamedFiles(ExportFormat format, DatabaseType type) {
  if (type != DatabaseType::Mail) return {format == F::DBase3 ? "SaveMsg.DBF" : "SaveMsg.Txt", {}};
  if (format == F::Tapcis) return {"SaveMail.Txt", {}};
  if (format == F::DBase3) return {"Mail.DBF", {}};
  return {"InBox.Mbx", "OutBox.Mbx"};
}

ExportFormat configuredFormat(Context& ctx, DatabaseType type) {
  const std::int32_t value = generalSetting(ctx, formatItem(type));
  if (value > 0 && value < 256) {
    const F f = exportFormat(static_cast<std::uint8_t>(value));
    if (isOffered(f, type)) return f;
  }
  return type == DatabaseType::Newsgroup ? F::UnixNews : F::Tapcis;
}

void rememberFormat(Context& ctx, DatabaseType type, ExportFormat format) {
  std::int32_t value = stored(format);
  std::string text;
  if (Konfig(ctx, kKonfigSetGeneral, formatItem(type), value, 0, text) == kSettingsDone)
    Konfig(ctx, kKonfigSaveGeneral, 0, value, 0, text);
}

LineSettings configuredLines(Context& ctx) {
  LineSettings s;
  s.wrap = displaySetting(ctx, kItemExportWrap) != kWrapOff;
  const std::int32_t width = displaySetting(ctx, kItemExportWidth);
  s.width = width > 0 ? static_cast<std::size_t>(width) : kDefaultWidth;
  return s;
}

FileNameError checkFileNames(const ExportFiles& files, bool twoFiles) {
  const auto bad = [](const std::string& n) {
    return n.find('/') != std::string::npos || n.find('\\') != std::string::npos || n == "." || n == "..";
  };
  if (files.in.empty() || (twoFiles && files.out.empty())) return FileNameError::Missing;
  if (bad(files.in) || (twoFiles && bad(files.out))) return FileNameError::HasPath;
  if (twoFiles && upper1252(files.in) == upper1252(files.out)) return FileNameError::SameNames;
  return FileNameError::None;
}

std::string_view fileNameErrorText(FileNameError error) {
  switch (error) {
    case FileNameError::Missing: return kNoName;
    case FileNameError::HasPath: return kPathInName;
    case FileNameError::SameNames: return kSameNames;
    case FileNameError::None: break;
  }
  return {};
}

}  // namespace qv::exporting
