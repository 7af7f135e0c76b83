#include "app/windows/config_window.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>
#include <map>

#include "app/windows/window_layouts.h"
#include "store/config.h"
#include "store/config_records.h"
#include "store/config_store.h"
#include "store/config_texts.h"
#include "store/dates.h"
#include "store/report.h"

namespace qv {

namespace {

namespace text = config::text;
using Kind = ConfigWindow::Kind;
using Item = ConfigWindow::Item;

// Where an item's value lives.
enum class Source {
  General,       // Konfig 2/3 item `no`
  Display,       // Konfig 7/8 item `no` (fonts: typeface and size; period: items `no` and `no2`)
  ImportPath,    // Konfig 24/25
  Directory,     // AutoPath item `no`
  Counter,       // the identifier counter, shown only
  ResetWindows,  // not stored: "yes" resets the window layouts on save
};

struct Entry {
  Item item;
  Source source;
  int no = 0;
  int no2 = 0;
  std::int32_t zeroAs = 0;  // what a value of 0 shows as, when not 0 itself
};

constexpr std::int64_t kMaxNumber = std::numeric_limits<std::int32_t>::max();

std::vector<ConfigWindow::Choice> yesNo(std::int32_t yes, std::int32_t no) { return {{yes, "yes"}, {no, "no"}}; }

std::vector<ConfigWindow::Choice> speedChoices() {
  std::vector<ConfigWindow::Choice> c;
  for (std::int32_t i = 1; i <= 7; ++i) c.push_back({i, std::to_string(i)});
  return c;
}

const std::vector<Entry>& entries() {
  static const std::vector<Entry> table = [] {
    const std::vector<ConfigWindow::Choice> persons = {{1, text::kPersonName}, {2, text::kPersonNameAddress}};
    std::vector<Entry> s;
    auto number = [&](const char* key, const char* text, Source src, int no, std::int64_t min, std::int64_t max) {
      s.push_back({{key, text, Kind::Number, {}, min, max}, src, no});
    };
    auto choice = [&](const char* key, const char* text, Kind kind, Source src, int no,
                      std::vector<ConfigWindow::Choice> choices, std::int32_t zeroAs = 0) {
      s.push_back({{key, text, kind, std::move(choices)}, src, no, 0, zeroAs});
    };
    auto simple = [&](const char* key, const char* text, Kind kind, Source src, int no, int no2 = 0) {
      s.push_back({{key, text, kind, {}}, src, no, no2});
    };
    number("locator-delay", text::kLocatorDelay, Source::General,
           kItemLocatorDelay, 1, 35);
    choice("tool-tips", text::kToolTips, Kind::YesNo, Source::General, kItemToolTips, yesNo(1, 2));
    number("start-database", text::kStartDatabase, Source::General, kItemStartDatabase, 0, kMaxNumber);
    choice("tree-floating", text::kTreeFloating, Kind::YesNo, Source::General, kItemTreeFloating,
           yesNo(1, 2));
    choice("tree-format", text::kTreeFormat, Kind::Choice, Source::General, kItemTreeItemFormat,
           {{1, text::kTreeFormats[0]},
            {2, text::kTreeFormats[1]},
            {3, text::kTreeFormats[2]},
            {4, text::kTreeFormats[3]},
            {5, text::kTreeFormats[4]}});
    choice("date-format", text::kDateFormat, Kind::Choice, Source::General, kItemDateFormat,
           {{dates::kDateMmDdYyyy, text::kDateMmDdYyyy},
            {dates::kDateDdMmYyyy, text::kDateDdMmYyyy},
            {dates::kDateYyyyMmDd, text::kDateYyyyMmDd},
            {dates::kDateSystem, text::kSystemSetting}});
    choice("import-date-format", text::kImportDateFormat, Kind::Choice, Source::Display, kItemImportDateOrder,
           {{1, text::kImportDateOrders[0]}, {2, text::kImportDateOrders[1]}, {3, text::kImportDateOrders[2]}}, 1);
    choice("time-format", text::kTimeFormat, Kind::Choice, Source::General, kItemTimeFormat,
           {{dates::kTimeHhMm, text::kTimeHhMm},
            {dates::kTimeHhMmXm, text::kTimeHhMmXm},
            {dates::kTimeSystem, text::kSystemSetting}});
    number("import-format", text::kImportFormat, Source::General, kItemImportFormat, 1, 40);
    simple("import-path", text::kImportPath, Kind::Text, Source::ImportPath, kItemImportPath);
    simple("program-version", text::kProgramVersion, Kind::ReadOnly, Source::General, kItemProgramVersion);
    choice("reset-windows", text::kResetWindows, Kind::YesNo,
           Source::ResetWindows, 0, yesNo(1, 0));
    number("frame-open-mode", text::kFrameOpenMode, Source::General, kItemFrameOpenMode, 1,
           kMaxNumber);
    simple("next-id", text::kNextId, Kind::ReadOnly, Source::Counter, 0);
    simple("task-period", text::kTaskPeriod, Kind::Period, Source::Display, kItemTaskPeriodStart,
           kItemTaskPeriodEnd);
    choice("tasks-off", text::kTasksOff, Kind::YesNo, Source::Display, kItemTasksOff, yesNo(1, 0));
    choice("message-persons", text::kMessagePersons, Kind::Choice,
           Source::Display, kItemMessagePersons, persons);
    choice("mail-persons", text::kMailPersons, Kind::Choice, Source::Display,
           kItemMailPersons, persons);
    simple("temp-dir", text::kTempDir, Kind::Directory, Source::Directory,
           kItemTempDir);
    simple("data-dir", text::kDataDir, Kind::Directory,
           Source::Directory, kItemDataDir);
    simple("index-dir", "Directory for the word index files", Kind::Directory, Source::Directory, kItemIndexDir);
    simple("tab-colour", "Colour of the current tab", Kind::Colour, Source::Display, kItemTabColour);
    simple("read-only-colour", "Background colour of read-only fields", Kind::Colour, Source::Display,
           kItemReadOnlyColour);
    simple("keep-colour", "List line colour of messages to keep", Kind::Colour, Source::Display, kItemKeepColour);
    simple("delete-colour", "List line colour of messages to delete", Kind::Colour, Source::Display,
           kItemDeleteColour);
    simple("list-font", "Font of list boxes", Kind::Font, Source::Display, kItemListFont);
    simple("tree-font", "Font of the thread tree", Kind::Font, Source::Display, kItemTreeFont);
    simple("entry-font", "Font of entry fields and drop boxes", Kind::Font, Source::Display, kItemEntryFont);
    simple("text-font", "Font of text boxes", Kind::Font, Source::Display, kItemTextFont);
    choice("import-timing", "Show the time an import took", Kind::YesNo, Source::Display, kItemImportTiming,
           yesNo(1, 0));
    choice("speed-duplicates", "Speed of duplicate elimination", Kind::Choice, Source::Display,
           kItemSpeedDuplicates, speedChoices());
    choice("speed-purge", "Speed of counting and purging", Kind::Choice, Source::Display, kItemSpeedPurge,
           speedChoices());
    choice("speed-indexing", "Speed of keyword indexing", Kind::Choice, Source::Display, kItemSpeedIndexing,
           speedChoices());
    choice("speed-find", "Speed of finding text", Kind::Choice, Source::Display, kItemSpeedFind, speedChoices());
    choice("speed-import", "Speed of import and merge", Kind::Choice, Source::Display, kItemSpeedImport,
           speedChoices());
    return s;
  }();
  return table;
}

std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return out;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A whole decimal number, all of `s`.
bool toNumber(std::string_view s, std::int64_t& n) {
  s = trim(s);
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  return ec == std::errc() && end == s.data() + s.size();
}

// "hh:mm" (24-hour) as a time number.
bool toTime(std::string_view s, std::int32_t& t) {
  s = trim(s);
  const std::size_t colon = s.find(':');
  std::int64_t h = 0;
  std::int64_t m = 0;
  if (colon == std::string_view::npos || !toNumber(s.substr(0, colon), h) || !toNumber(s.substr(colon + 1), m) ||
      s.size() - colon - 1 != 2 || h < 0 || h > 23 || m < 0 || m > 59)
    return false;
  t = dates::timeOf(static_cast<int>(h), static_cast<int>(m), 0);
  return t != 0;
}

std::string colourText(std::int32_t bgr) {
  const auto u = static_cast<std::uint32_t>(bgr);
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", u & 0xFFu, (u >> 8) & 0xFFu, (u >> 16) & 0xFFu);
  return buf;
}

bool toColour(std::string_view s, std::int32_t& bgr) {
  s = trim(s);
  if (!s.empty() && s.front() == '#') {
    if (s.size() != 7) return false;
    std::uint32_t rgb = 0;
    const auto [end, ec] = std::from_chars(s.data() + 1, s.data() + s.size(), rgb, 16);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    bgr = static_cast<std::int32_t>((rgb >> 16 & 0xFFu) | (rgb & 0xFF00u) | (rgb & 0xFFu) << 16);
    return true;
  }
  std::int64_t n = 0;
  if (!toNumber(s, n) || n < 0 || n > 0xFFFFFF) return false;
  bgr = static_cast<std::int32_t>(n);
  return true;
}

}  // namespace

ConfigWindow::ConfigWindow(Context& ctx) : ctx_(ctx) {
  // A record that cannot be loaded has said so; its items show the defaults.
  for (int id : {config::kRecGeneral, config::kRecDisplay, config::kRecPaths, config::kRecImportPath})
    config::ensureLoaded(ctx_, id);
  for (std::size_t i = 0; i < entries().size(); ++i) {
    items_.push_back(entries()[i].item);
    original_.push_back(current(i));
  }
  edited_ = original_;
}

const ConfigWindow::Item* ConfigWindow::find(std::string_view key) const {
  const std::size_t i = indexOf(key);
  return i < items_.size() ? &items_[i] : nullptr;
}

std::size_t ConfigWindow::indexOf(std::string_view key) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].key == key) return i;
  return items_.size();
}

ConfigWindow::Value ConfigWindow::current(std::size_t i) {
  // Gets of known items into unlimited fields cannot fail.
  const Entry& entry = entries()[i];
  Value v;
  switch (entry.source) {
    case Source::General:
      v.a = generalSetting(ctx_, entry.no);
      break;
    case Source::Display:
      if (entry.item.kind == Kind::Font) {
        Konfig(ctx_, kKonfigGetDisplay, entry.no, v.a, 0, v.text);
      } else {
        v.a = displaySetting(ctx_, entry.no);
        if (entry.no2 != 0) v.b = displaySetting(ctx_, entry.no2);
      }
      break;
    case Source::ImportPath:
      Konfig(ctx_, kKonfigGetImportPath, kItemImportPath, v.a, 0, v.text);
      break;
    case Source::Directory: {
      std::filesystem::path p;
      AutoPath(ctx_, kAutoPathGet, entry.no, 0, p);
      v.text = p.string();
      break;
    }
    case Source::Counter:
      v.a = static_cast<std::int32_t>(config::storedCounter(ctx_));
      break;
    case Source::ResetWindows:
      break;
  }
  if (v.a == 0 && entry.zeroAs != 0) v.a = entry.zeroAs;
  return v;
}

std::string ConfigWindow::format(std::size_t i, const Value& v) const {
  const Item& item = items_[i];
  switch (item.kind) {
    case Kind::Number:
      return std::to_string(v.a);
    case Kind::ReadOnly:
      return entries()[i].source == Source::Counter ? std::to_string(static_cast<std::uint32_t>(v.a))
                                                  : std::to_string(v.a);
    case Kind::YesNo:
      return v.a == item.choices.front().value ? "yes" : "no";
    case Kind::Choice:
      for (const Choice& c : item.choices)
        if (c.value == v.a) return c.label;
      return std::to_string(v.a);
    case Kind::Text:
    case Kind::Directory:
      return v.text;
    case Kind::Colour:
      return colourText(v.a);
    case Kind::Font:
      return v.text + "," + std::to_string(v.a);
    case Kind::Period:
      if (v.a == 0 && v.b == 0) return "none";
      return dates::formatTime(v.a, dates::kTimeHhMm) + "-" + dates::formatTime(v.b, dates::kTimeHhMm);
  }
  return {};
}

std::string ConfigWindow::rule(std::string_view key) const {
  const std::size_t i = indexOf(key);
  if (i >= items_.size()) return {};
  const Item& item = items_[i];
  switch (item.kind) {
    case Kind::Number:
      return "a whole number from " + std::to_string(item.min) + " to " + std::to_string(item.max);
    case Kind::ReadOnly:
      return "read only";
    case Kind::YesNo:
      return "yes or no";
    case Kind::Choice: {
      std::string r = "one of:";
      for (const Choice& c : item.choices) r += (&c == &item.choices.front() ? " " : ", ") + c.label;
      return r;
    }
    case Kind::Text:
      return "a path of up to " + std::to_string(config::kImportPathBytes) + " characters";
    case Kind::Directory:
      return "an absolute directory path, or nothing for the default; the three directories share " +
             std::to_string(config::kPathRoom) + " characters";
    case Kind::Colour:
      return "a colour as #RRGGBB";
    case Kind::Font:
      return "typeface,size: a typeface name of up to " + std::to_string(config::kTypefaceBytes) +
             " characters and a size from 1 to 127";
    case Kind::Period:
      return "hh:mm-hh:mm (24-hour), or none";
  }
  return {};
}

std::string ConfigWindow::value(std::string_view key) const {
  const std::size_t i = indexOf(key);
  return i < items_.size() ? format(i, edited_[i]) : std::string();
}

std::string ConfigWindow::parse(std::size_t i, std::string_view text, Value& v) const {
  const Item& item = items_[i];
  const std::string given(trim(text));
  const std::string bad = "\"" + given + "\" is not a valid value for " + item.key + ": expected " + rule(item.key) +
                          ".";
  switch (item.kind) {
    case Kind::ReadOnly:
      return item.key + " is shown only and cannot be changed.";
    case Kind::Number: {
      std::int64_t n = 0;
      if (!toNumber(given, n) || n < item.min || n > item.max) return bad;
      v.a = static_cast<std::int32_t>(n);
      return {};
    }
    case Kind::YesNo:
    case Kind::Choice: {
      const std::string wanted = lower(given);
      for (const Choice& c : item.choices) {
        if (lower(c.label) == wanted || (item.kind == Kind::Choice && std::to_string(c.value) == wanted)) {
          v.a = c.value;
          return {};
        }
      }
      return bad;
    }
    case Kind::Text: {
      const std::string path(clip(text));
      if (std::string why = config::importPathRefusal(path); !why.empty()) return why;
      v.text = path;
      return {};
    }
    case Kind::Directory: {
      if (!given.empty() && !std::filesystem::path(given).is_absolute())
        return "The directory " + given + " must be given as an absolute path.";
      v.text = given;
      return {};
    }
    case Kind::Colour:
      return toColour(given, v.a) ? std::string() : bad;
    case Kind::Font: {
      const std::size_t comma = given.rfind(',');
      std::int64_t size = 0;
      if (comma == std::string::npos || !toNumber(given.substr(comma + 1), size) || size < 1 || size > 127)
        return bad;
      const std::string face(trim(std::string_view(given).substr(0, comma)));
      if (face.empty()) return bad;
      if (std::string why = config::typefaceRefusal(face); !why.empty()) return why;
      v.text = face;
      v.a = static_cast<std::int32_t>(size);
      return {};
    }
    case Kind::Period: {
      if (lower(given) == "none") {
        v.a = v.b = 0;
        return {};
      }
      const std::size_t dash = given.find('-');
      if (dash == std::string::npos || !toTime(std::string_view(given).substr(0, dash), v.a) ||
          !toTime(std::string_view(given).substr(dash + 1), v.b))
        return bad;
      return {};
    }
  }
  return bad;
}

std::string ConfigWindow::set(std::string_view key, std::string_view text) {
  const std::size_t i = indexOf(key);
  if (i >= items_.size()) return "There is no setting named " + std::string(key) + ".";
  Value v = edited_[i];
  if (std::string why = parse(i, text, v); !why.empty()) return why;
  if (items_[i].kind == Kind::Directory) {
    // The three directories share their room: measure them together, as
    // they would be stored, without touching the settings.
    std::map<int, std::filesystem::path> dirs;
    for (std::size_t j = 0; j < items_.size(); ++j)
      if (items_[j].kind == Kind::Directory && (j == i || edited_[j] != original_[j]))
        dirs[entries()[j].no] = j == i ? v.text : edited_[j].text;
    config::StoredPaths paths = config::readImage(ctx_, config::kRecPaths, config::decodePaths);
    if (std::string why = config::planDirectories(ctx_, paths, dirs); !why.empty()) return why;
  }
  edited_[i] = v;
  return {};
}

bool ConfigWindow::changed() const { return edited_ != original_; }

std::string ConfigWindow::store(std::size_t i, const Value& v) {
  const Entry& entry = entries()[i];
  std::int32_t value = v.a;
  std::string text = v.text;
  bool ok = true;
  switch (entry.source) {
    case Source::General:
      ok = Konfig(ctx_, kKonfigSetGeneral, entry.no, value, 0, text) == kSettingsDone;
      break;
    case Source::Display:
      ok = Konfig(ctx_, kKonfigSetDisplay, entry.no, value, 0, text) == kSettingsDone;
      if (ok && entry.no2 != 0) {
        value = v.b;
        ok = Konfig(ctx_, kKonfigSetDisplay, entry.no2, value, 0, text) == kSettingsDone;
      }
      break;
    case Source::ImportPath:
      ok = Konfig(ctx_, kKonfigSetImportPath, kItemImportPath, value, 0, text) == kSettingsDone;
      break;
    case Source::Directory:
    case Source::Counter:
    case Source::ResetWindows:
      break;
  }
  return ok ? std::string() : items_[i].key + " could not be stored.";
}

SettingsResult ConfigWindow::save() {
  bool stored = true;
  std::map<int, std::filesystem::path> dirs;
  bool reset = false;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (edited_[i] == original_[i]) continue;
    const Entry& entry = entries()[i];
    if (entry.source == Source::Directory) {
      dirs[entry.no] = edited_[i].text;
    } else if (entry.source == Source::ResetWindows) {
      reset = edited_[i].a == 1;
    } else if (!store(i, edited_[i]).empty()) {
      stored = false;
    }
  }
  if (!dirs.empty()) {
    if (std::string why = config::setDirectories(ctx_, dirs); !why.empty()) {
      inform(ctx_, "Configuration", why, MessageKind::Warning);
      stored = false;
    }
  }
  if (!stored) return kSettingsNotDone;

  bool saved = true;
  for (int id : {config::kRecGeneral, config::kRecPaths, config::kRecDisplay, config::kRecImportPath})
    if (!config::saveQuietly(ctx_, id)) saved = false;
  SpeedVal(ctx_, kSpeedCompute, 0);
  if (!saved) {
    config::reportSaveFailure(ctx_);
    return kSettingsNotDone;
  }
  if (reset) {
    WindowPlace place;
    ListColumns widths{};
    if (WindowPos(ctx_, kLayoutReset, 0, place) != kSettingsDone ||
        WindowPos2(ctx_, kLayoutReset, 0, place) != kSettingsDone ||
        ListCol(ctx_, kLayoutReset, 0, widths) != kSettingsDone)
      return kSettingsNotDone;
  }
  for (std::size_t i = 0; i < items_.size(); ++i) original_[i] = current(i);
  edited_ = original_;
  return kSettingsDone;
}

}  // namespace qv
