// Building the list of source files of one import.
#include "import/source_selection.h"

#include <algorithm>
#include <limits>
#include <set>
#include <system_error>

#include "import/formats.h"
#include "store/dos_mask.h"

namespace qv {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kMaxTotal = std::numeric_limits<std::uint32_t>::max();

// Name order of the directory listings: letter case ignored, names equal but
// for case in byte order (the order listMatching gives files).
std::string folded(const fs::path& p) {
  std::string s = p.filename().string();
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool nameBefore(const fs::path& a, const fs::path& b) {
  const std::string x = folded(a);
  const std::string y = folded(b);
  if (x != y) return x < y;
  return a.filename().string() < b.filename().string();
}

// The top directory without doubled or trailing separators; the root stays
// "/" so that its subdirectories are "/name", never "//name".
fs::path cleanTop(const fs::path& top) {
  fs::path p = top.lexically_normal();
  if (!p.has_filename() && p.has_relative_path()) p = p.parent_path();
  return p;
}

// The subdirectories of `dir` in name order; false when it cannot be read.
bool subdirectories(const fs::path& dir, std::vector<fs::path>& out) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return false;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code kindError;
    if (it->is_directory(kindError)) out.push_back(it->path());
  }
  std::sort(out.begin(), out.end(), nameBefore);
  return !ec;
}

// Where a directory really is, to recognise one reached twice.
fs::path identity(const fs::path& dir) {
  std::error_code ec;
  fs::path real = fs::canonical(dir, ec);
  return ec ? dir.lexically_normal() : real;
}

std::uint32_t cappedSize(std::uint64_t bytes) {
  return bytes > kMaxTotal ? kMaxTotal : static_cast<std::uint32_t>(bytes);
}

std::uint64_t sizeOf(const fs::path& file) {
  std::error_code ec;
  const std::uintmax_t n = fs::file_size(file, ec);
  return ec ? 0 : static_cast<std::uint64_t>(n);
}

void noteUnreadable(std::vector<fs::path>* unreadable, const fs::path& dir) {
  if (unreadable != nullptr && std::find(unreadable->begin(), unreadable->end(), dir) == unreadable->end())
    unreadable->push_back(dir);
}

}  // namespace

bool addSize(std::uint32_t& total, std::uint64_t bytes) {
  if (bytes > static_cast<std::uint64_t>(kMaxTotal - total)) {
    total = kMaxTotal;
    return true;
  }
  total += static_cast<std::uint32_t>(bytes);
  return false;
}

std::vector<fs::path> directoryTree(const fs::path& top, std::vector<fs::path>* unreadable) {
  const fs::path start = cleanTop(top);
  std::error_code ec;
  if (start.empty() || !fs::is_directory(start, ec)) return {};

  std::vector<fs::path> list{start};
  std::set<fs::path> seen{identity(start)};
  // The list is its own queue: everything before `next` has been expanded.
  for (std::size_t next = 0; next < list.size(); ++next) {
    std::vector<fs::path> subs;
    if (!subdirectories(list[next], subs)) noteUnreadable(unreadable, list[next]);
    for (fs::path& sub : subs)
      if (seen.insert(identity(sub)).second) list.push_back(std::move(sub));
  }
  return list;
}

std::vector<SourceFile> matchingFiles(const fs::path& dir, const std::vector<std::string>& masks,
                                      std::vector<fs::path>* unreadable) {
  std::vector<SourceFile> files;
  std::set<std::string> taken;
  for (const std::string& mask : masks) {
    std::error_code ec;
    for (fs::path& file : listMatching(dir, mask, &ec)) {
      if (!taken.insert(file.filename().string()).second) continue;
      const std::uint32_t size = cappedSize(sizeOf(file));
      files.push_back({std::move(file), size});
    }
    if (ec) noteUnreadable(unreadable, dir);
  }
  return files;
}

SourceList buildSourceList(const ImportSettings& settings) {
  SourceList result;
  auto take = [&](std::vector<SourceFile> files) {
    for (SourceFile& f : files) {
      if (addSize(result.totalBytes, f.size)) result.capped = true;
      result.files.push_back(std::move(f));
    }
  };
  std::error_code ec;
  switch (settings.method) {
    case kSelectTree: {
      const std::vector<fs::path> dirs = directoryTree(settings.path, &result.unreadable);
      if (dirs.empty()) result.status = SourceStatus::MissingDirectory;
      for (const fs::path& dir : dirs) take(matchingFiles(dir, settings.masks, &result.unreadable));
      break;
    }
    case kSelectDirectory:
      if (settings.path.empty() || !fs::is_directory(settings.path, ec)) {
        result.status = SourceStatus::MissingDirectory;
        break;
      }
      take(matchingFiles(settings.path, settings.masks, &result.unreadable));
      break;
    case kSelectFiles: {
      const bool folders = selectsFolders(settings.formatNumber);
      std::vector<SourceFile> files;
      for (const std::string& name : settings.files) {
        if (folders) {
          files.push_back({fs::path(name), 0});
        } else {
          fs::path file = settings.path / name;
          const std::uint32_t size = cappedSize(sizeOf(file));
          files.push_back({std::move(file), size});
        }
      }
      take(std::move(files));
      break;
    }
    default:
      result.status = SourceStatus::UnknownMethod;
      break;
  }
  return result;
}

std::string joinFileList(const std::vector<std::string>& files, std::string_view separator) {
  std::string text;
  for (const std::string& f : files) {
    if (!text.empty()) text += separator;
    text += f;
  }
  return text;
}

std::vector<std::string> splitFileList(std::string_view text, std::string_view separator) {
  std::vector<std::string> files;
  if (separator.empty()) {
    if (!text.empty()) files.emplace_back(text);
    return files;
  }
  while (true) {
    const std::size_t cut = text.find(separator);
    const std::string_view name = text.substr(0, cut);
    if (!name.empty()) files.emplace_back(name);
    if (cut == std::string_view::npos) break;
    text.remove_prefix(cut + separator.size());
  }
  return files;
}

}  // namespace qv
