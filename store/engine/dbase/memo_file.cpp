#include "store/engine/dbase/memo_file.h"

#include <algorithm>
#include <cstring>

namespace qv::engine::dbase {

namespace {

constexpr std::uint32_t kDbt3Block = 512;

std::uint32_t be32(const unsigned char* b) {
  return static_cast<std::uint32_t>(b[0]) << 24 | static_cast<std::uint32_t>(b[1]) << 16 |
         static_cast<std::uint32_t>(b[2]) << 8 | b[3];
}
std::uint32_t le32(const unsigned char* b) {
  return static_cast<std::uint32_t>(b[3]) << 24 | static_cast<std::uint32_t>(b[2]) << 16 |
         static_cast<std::uint32_t>(b[1]) << 8 | b[0];
}

Status damaged(std::string what) { return {Err::FileSystemError, std::move(what)}; }

}  // namespace

Status MemoFile::open(const std::filesystem::path& p, MemoKind kind, bool writable) {
  kind_ = kind;
  if (Status s = file_.open(p, writable); !s.ok()) return s;
  unsigned char h[22] = {};
  std::size_t got = 0;
  if (Status s = file_.readAt(0, h, sizeof h, got); !s.ok()) return s;
  blockSize_ = kDbt3Block;
  if (kind == MemoKind::Fpt) {
    if (got < 8) {
      file_.close();
      return damaged("The memo file " + p.string() + " is too short to be a FoxPro memo file");
    }
    blockSize_ = static_cast<std::uint32_t>(h[6]) << 8 | h[7];
    if (blockSize_ == 0) {
      file_.close();
      return damaged("The memo file " + p.string() + " gives a block size of 0");
    }
  } else if (kind == MemoKind::Dbt4 && got >= 22) {
    const std::uint32_t declared = static_cast<std::uint32_t>(h[21]) << 8 | h[20];
    if (declared != 0) blockSize_ = declared;
  }
  return {};
}

Status MemoFile::create(const std::filesystem::path& p) {
  kind_ = MemoKind::Dbt3;
  blockSize_ = kDbt3Block;
  if (Status s = file_.create(p); !s.ok()) return s;
  unsigned char h[kDbt3Block] = {};
  h[0] = 1;     // next free block
  h[16] = 3;    // dBase III
  return file_.writeAt(0, h, sizeof h);
}

Status MemoFile::read(std::uint32_t block, std::size_t cap, std::string& text) const {
  text.clear();
  if (block == 0) return {};
  const std::uint64_t size = file_.size();
  const std::uint64_t offset = static_cast<std::uint64_t>(block) * blockSize_;
  if (offset >= size)
    return damaged("points past the end of the memo file (block " + std::to_string(block) + " of " +
                   std::to_string(size / blockSize_) + ")");
  if (kind_ == MemoKind::Dbt3) return scanToEndMark(offset, cap, text);

  unsigned char head[8] = {};
  std::size_t got = 0;
  if (Status s = file_.readAt(offset, head, sizeof head, got); !s.ok()) return s;
  std::uint64_t length = 0;
  if (kind_ == MemoKind::Fpt) {
    if (got < 8) return damaged("is cut off by the end of the memo file");
    length = be32(head + 4);
  } else if (got == 8 && head[0] == 0xFF && head[1] == 0xFF && head[2] == 0x08 && head[3] == 0x00) {
    const std::uint32_t whole = le32(head + 4);  // counts the 8 bytes of the block head
    length = whole > 8 ? whole - 8 : 0;
  } else {
    return scanToEndMark(offset, cap, text);  // a dBase III style block in a dBase IV file
  }
  if (length > size - offset - 8) return damaged("is longer than the memo file holds");
  text.resize(static_cast<std::size_t>(std::min<std::uint64_t>(length, cap)));
  if (Status s = file_.readAt(offset + 8, text.data(), text.size(), got); !s.ok()) return s;
  text.resize(got);
  return {};
}

Status MemoFile::scanToEndMark(std::uint64_t offset, std::size_t cap, std::string& text) const {
  constexpr std::size_t kChunk = 4096;
  char buf[kChunk];
  while (text.size() < cap) {
    std::size_t got = 0;
    if (Status s = file_.readAt(offset, buf, kChunk, got); !s.ok()) return s;
    if (got == 0) {
      text.clear();
      return damaged("reaches the end of the memo file without its end mark");
    }
    const char* end = std::find(buf, buf + got, '\x1A');
    text.append(buf, static_cast<std::size_t>(end - buf));
    if (end != buf + got) break;
    offset += got;
  }
  if (text.size() > cap) text.resize(cap);
  return {};
}

Status MemoFile::append(std::string_view text, std::uint32_t& block) {
  block = 0;
  if (kind_ != MemoKind::Dbt3) return {Err::NotSupported, "Only dBase III memo files are written"};
  // New memos go after whatever the file holds. The header's next free block
  // is written for other programs but not trusted: a stale or damaged one
  // would overwrite other memos or leave a hole of any size.
  const std::uint64_t blocksInFile = (file_.size() + kDbt3Block - 1) / kDbt3Block;
  if (blocksInFile >= 0xFFFFFF00u) return damaged("The memo file " + file_.name().string() + " is full");
  block = std::max<std::uint32_t>(static_cast<std::uint32_t>(blocksInFile), 1);
  std::string data(text);
  std::replace(data.begin(), data.end(), '\x1A', ' ');
  data += "\x1A\x1A";
  data.resize((data.size() + kDbt3Block - 1) / kDbt3Block * kDbt3Block, '\0');
  if (Status s = file_.writeAt(static_cast<std::uint64_t>(block) * kDbt3Block, data.data(), data.size()); !s.ok())
    return s;
  const std::uint32_t nextFree = block + static_cast<std::uint32_t>(data.size() / kDbt3Block);
  const unsigned char next[4] = {static_cast<unsigned char>(nextFree), static_cast<unsigned char>(nextFree >> 8),
                                 static_cast<unsigned char>(nextFree >> 16), static_cast<unsigned char>(nextFree >> 24)};
  return file_.writeAt(0, next, sizeof next);
}

}  // namespace qv::engine::dbase
