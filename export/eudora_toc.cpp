#include "export/eudora_toc.h"

#include <fstream>

#include "store/dates.h"

namespace qv::exporting {
namespace {

constexpr std::size_t kHeader = 104;
constexpr std::size_t kEntry = 218;
constexpr std::uint16_t kVersion = 30;
constexpr std::int32_t kDay1970 = 61731;  // dates::dayNumber(1970, 1, 1)

void put32(std::string& b, std::size_t at, std::uint64_t v) {
  const auto u = static_cast<std::uint32_t>(v > 0xFFFFFFFFu ? 0xFFFFFFFFu : v);
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

void putText(std::string& b, std::size_t at, std::size_t size, std::string_view text) {
  b.replace(at, std::min(size - 1, text.size()), text.substr(0, size - 1));
}

std::uint64_t unixSeconds(std::int32_t date, std::int32_t time) {
  if (date < kDay1970) return 0;
  const std::int64_t seconds = dates::secondsOfDay(time);
  return static_cast<std::uint64_t>(date - kDay1970) * 86400u + static_cast<std::uint64_t>(seconds);
}

bool save(const std::filesystem::path& path, const std::string& bytes) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out.flush()) return true;
  }
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return false;
}

}  // namespace

std::filesystem::path tocPath(const std::filesystem::path& mailbox) {
  std::string name = mailbox.filename().string();
  if (name.size() >= 4 && name[name.size() - 4] == '.')
    name.replace(name.size() - 3, 3, "TOC");
  else
    name += ".TOC";
  return mailbox.parent_path() / name;
}

bool CreateTOC(const std::filesystem::path& mailbox, bool outgoing, const std::vector<TocEntry>& entries) {
  std::string b(kHeader + kEntry * entries.size(), '\0');
  b[0] = static_cast<char>(kVersion & 0xFF);
  b[1] = static_cast<char>(kVersion >> 8);
  std::string name = mailbox.stem().string();
  putText(b, 2, 32, name);
  b[34] = outgoing ? 1 : 0;
  std::size_t at = kHeader;
  for (const TocEntry& e : entries) {
    put32(b, at, e.offset);
    put32(b, at + 4, e.length);
    put32(b, at + 8, unixSeconds(e.date, e.time));
    b[at + 12] = outgoing ? 2 : 0;
    putText(b, at + 13, 33, e.dateText);
    putText(b, at + 46, 64, e.who);
    putText(b, at + 110, 64, e.subject);
    at += kEntry;
  }
  return save(tocPath(mailbox), b);
}

bool CreateDeskMap(const std::filesystem::path& dir, const std::vector<std::string>& mailboxFiles,
                   std::filesystem::path& written) {
  std::string text;
  for (const std::string& file : mailboxFiles) {
    const std::string name = std::filesystem::path(file).stem().string();
    text += name + "," + file + ",S,N\r\n";
  }
  written = dir / "DESCMAP.PCE";
  return save(written, text);
}

}  // namespace qv::exporting
