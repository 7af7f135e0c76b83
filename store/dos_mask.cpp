#include "store/dos_mask.h"

#include <algorithm>
#include <string>

#include "store/charset.h"

namespace qv {
namespace fs = std::filesystem;

namespace {

// "*" and "?" matching without regard to case. Greedy with one remembered
// star: on a mismatch the last "*" takes one more character, which is enough
// because a later "*" can absorb anything an earlier one could.
bool wildcardMatch(std::string_view mask, std::string_view name) {
  constexpr std::size_t none = std::string_view::npos;
  std::size_t m = 0;
  std::size_t n = 0;
  std::size_t star = none;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star = m++;
      starName = n;
    } else if (m < mask.size() && (mask[m] == '?' || upper1252(mask[m]) == upper1252(name[n]))) {
      ++m;
      ++n;
    } else if (star != none) {
      m = star + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

bool matchesMask(std::string_view mask, std::string_view name) {
  if (mask.empty() || name.empty()) return false;
  const bool hasDot = name.find('.') != std::string_view::npos;
  if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*") {
    if (!hasDot && wildcardMatch(mask.substr(0, mask.size() - 2), name)) return true;
    return wildcardMatch(mask, name);
  }
  if (mask.back() == '.') return !hasDot && wildcardMatch(mask.substr(0, mask.size() - 1), name);
  return wildcardMatch(mask, name);
}

std::vector<fs::path> listMatching(const fs::path& dir, std::string_view mask, std::error_code* error) {
  std::vector<fs::path> found;
  if (error != nullptr) error->clear();
  std::error_code ec;
  const fs::file_status st = fs::status(dir, ec);
  if (!fs::is_directory(st)) {
    // A missing directory simply holds no files; anything else is a failure.
    if (ec && error != nullptr && st.type() != fs::file_type::not_found) *error = ec;
    return found;
  }
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    if (!matchesMask(mask, p.filename().string())) continue;
    std::error_code entryError;
    if (it->is_regular_file(entryError)) found.push_back(p);
  }
  if (ec && error != nullptr) *error = ec;

  std::vector<std::pair<std::string, fs::path>> keyed;
  keyed.reserve(found.size());
  for (fs::path& p : found) keyed.emplace_back(upper1252(p.filename().string()), std::move(p));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return a.second.filename().string() < b.second.filename().string();
  });
  found.clear();
  for (auto& k : keyed) found.push_back(std::move(k.second));
  return found;
}

std::uint64_t totalSize(const fs::path& dirOrFile, std::string_view mask) {
  std::error_code ec;
  const fs::file_status st = fs::status(dirOrFile, ec);
  std::uint64_t total = 0;
  if (fs::is_directory(st)) {
    for (const fs::path& p : listMatching(dirOrFile, mask)) {
      const std::uintmax_t size = fs::file_size(p, ec);
      if (!ec) total += size;  // a file removed meanwhile adds nothing
    }
  } else if (fs::is_regular_file(st) && (mask.empty() || matchesMask(mask, dirOrFile.filename().string()))) {
    const std::uintmax_t size = fs::file_size(dirOrFile, ec);
    if (!ec) total = size;
  }
  return total;
}

}  // namespace qv
