#include "store/engine/dbase/dbase_file.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "store/dates.h"
#include "store/engine/dbase/values.h"
#include "store/engine/os_errors.h"

namespace qv::engine::dbase {

static_assert(std::endian::native == std::endian::little, "index keys are stored as the machine's doubles");

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
// Memo texts are cut here when the declaration sets no limit: the readers'
// buffers hold 65,280 characters.
constexpr std::size_t kDefaultMemoCap = 65280;

std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The name a new companion file gets: the table's stem with the extension in
// the letter case of the table's own extension.
std::filesystem::path companionFor(const std::filesystem::path& table, const std::string& extension) {
  const std::string ext = table.extension().string();
  const bool lower = ext.size() > 1 && lowerAscii(ext) == ext;
  return table.parent_path() / (table.stem().string() + "." + (lower ? lowerAscii(extension) : extension));
}

// The column a declared name stands for, compared the way dBase compares
// names: without regard to case, and cut to what the file's names can hold.
std::size_t columnNamed(const Header& h, std::string_view name) {
  const std::string want = upperAscii(name).substr(0, h.nameLimit());
  for (std::size_t i = 0; i < h.columns.size(); ++i)
    if (upperAscii(h.columns[i].name) == want) return i;
  return kNone;
}

std::string declaredColumnName(const FieldDecl& f) { return f.column.name.empty() ? f.name : f.column.name; }

std::size_t defaultNumericWidth(FieldType t) {
  switch (t) {
    case FieldType::Byte: return 3;
    case FieldType::Short: return 6;
    case FieldType::UShort: return 5;
    case FieldType::Long: return 11;
    case FieldType::ULong: return 10;
    default: return 20;
  }
}

Status endOfFile() { return {Err::RecordNotAvailable, std::string(defaultText(Err::RecordNotAvailable)) + ": end of file"}; }

NdxKey ndxKeyOf(const Column& c) {
  NdxKey k;
  k.expression = c.name;
  k.numeric = c.type == 'N' || c.type == 'F';
  k.length = c.width;
  return k;
}

bool indexable(const Column& c) {
  return c.type == 'N' || c.type == 'F' || (c.type == 'C' && c.width <= NdxFile::kMaxCharKey);
}

}  // namespace

std::vector<NewColumn> columnsFor(const TableDecl& d) {
  auto fail = [&d](const std::string& why) { throw std::logic_error(d.label + ": " + why); };
  std::vector<NewColumn> out;
  for (std::size_t i = 0; i < d.fields.size(); ++i) {
    const FieldDecl& f = d.fields[i];
    NewColumn n;
    n.field = i;
    Column& c = n.column;
    c.name = upperAscii(declaredColumnName(f)).substr(0, 10);
    const bool text = f.type == FieldType::String || f.type == FieldType::Raw;
    c.type = f.column.type != 0 ? f.column.type : (text ? 'C' : 'N');
    c.width = f.column.width;
    c.decimals = f.column.decimals;
    if (c.width == 0) {
      switch (c.type) {
        case 'C': c.width = f.size; break;
        case 'D': c.width = 8; break;
        case 'L': c.width = 1; break;
        case 'M': c.width = 10; break;
        default:
          c.width = defaultNumericWidth(f.type);
          if (f.type == FieldType::Real && f.column.type == 0) c.decimals = 6;
          break;
      }
    }
    c.isMemo = c.type == 'M';
    out.push_back(std::move(n));
  }
  if (d.hasMemo()) {
    const std::string slot = upperAscii(d.memoName).substr(0, 10);
    const bool declared = std::any_of(out.begin(), out.end(), [&](const NewColumn& n) { return n.column.name == slot; });
    if (!declared) out.push_back(NewColumn{Column{slot, 'M', 0, 10, 0, true}, kNone});
  }
  std::size_t offset = 1;
  for (std::size_t i = 0; i < out.size(); ++i) {
    Column& c = out[i].column;
    if (c.name.empty()) fail("a column without a name");
    for (std::size_t k = 0; k < i; ++k)
      if (out[k].column.name == c.name) fail("two columns named " + c.name);
    if (std::string_view("CNFDLM").find(c.type) == std::string_view::npos)
      fail("column " + c.name + " of type " + std::string(1, c.type) + " cannot be written");
    if (c.width < 1 || c.width > 254) fail("column " + c.name + " has width " + std::to_string(c.width));
    if ((c.type == 'N' || c.type == 'F') && c.decimals > 0 && c.decimals + 2u > c.width)
      fail("column " + c.name + " has no room for its decimals");
    c.offset = offset;
    offset += c.width;
  }
  if (offset > 0xFFFF) fail("records longer than a dBase file allows");
  return out;
}

std::filesystem::path findCompanion(const std::filesystem::path& table, const std::string& extension) {
  std::error_code ec;
  const std::filesystem::path exact = companionFor(table, extension);
  if (std::filesystem::is_regular_file(exact, ec)) return exact;
  const std::filesystem::path dir = table.has_parent_path() ? table.parent_path() : std::filesystem::path(".");
  const std::string want = upperAscii(table.stem().string() + "." + extension);
  for (auto it = std::filesystem::directory_iterator(dir, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec)) {
    if (upperAscii(it->path().filename().string()) == want && it->is_regular_file(ec))
      return table.parent_path() / it->path().filename();
  }
  return {};
}

Status DbaseFile::open(OpenMode mode) {
  writable_ = mode != OpenMode::ReadOnlyShared;
  if (Status s = table_.open(b_.name, writable_); !s.ok()) return s;
  auto fail = [this](Status s) {
    close();
    return s;
  };
  const std::uint64_t size = table_.size();
  std::string head(32, '\0');
  std::size_t got = 0;
  if (Status s = table_.readAt(0, head.data(), head.size(), got); !s.ok()) return fail(s);
  head.resize(got);
  const std::size_t length = std::max<std::size_t>(storedHeaderLength(head), 32);
  std::string bytes(length, '\0');
  if (Status s = table_.readAt(0, bytes.data(), bytes.size(), got); !s.ok()) return fail(s);
  bytes.resize(got);
  if (std::string why = parseHeader(bytes, size, header_); !why.empty())
    return fail({Err::FileSystemError, why + ": " + b_.name.string()});
  const std::uint64_t whole = (size - header_.headerLength) / header_.recordLength;
  available_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(whole, header_.records));
  mapColumns();
  record_.assign(header_.recordLength, 0);
  if (header_.hasMemoColumns())
    if (Status s = openMemo(); !s.ok()) return fail(s);
  if (writable_ && !b_.decl.keys.empty())
    if (Status s = openIndex(); !s.ok()) return fail(s);
  nextPos_ = 1;
  prevPos_ = header_.records;
  current_ = 0;
  return {};
}

void DbaseFile::close() {
  table_.close();
  memo_.close();
  index_.close();
  current_ = 0;
}

void DbaseFile::mapColumns() {
  const TableDecl& d = b_.decl;
  fieldColumn_.assign(d.fields.size(), kNone);
  columnField_.assign(header_.columns.size(), kNone);
  for (std::size_t i = 0; i < d.fields.size(); ++i) {
    const std::size_t c = columnNamed(header_, declaredColumnName(d.fields[i]));
    fieldColumn_[i] = c;
    if (c != kNone && columnField_[c] == kNone) columnField_[c] = i;
  }
  slotColumn_ = d.hasMemo() ? columnNamed(header_, d.memoName) : kNone;
  keyColumn_ = kNone;
  if (!d.keys.empty() && !d.keys[0].components.empty()) keyColumn_ = fieldColumn_[d.keys[0].components[0].field];
}

Status DbaseFile::openMemo() {
  // The version byte names the usual memo file; FoxPro also writes .FPT
  // files beside 0x03 and 0x83 tables, so the other kind is looked for too.
  const bool fptFirst = header_.memo == MemoKind::Fpt;
  const char* first = fptFirst ? "FPT" : "DBT";
  const char* second = fptFirst ? "DBT" : "FPT";
  std::filesystem::path p = findCompanion(b_.name, first);
  std::string ext = first;
  if (p.empty()) {
    p = findCompanion(b_.name, second);
    ext = second;
  }
  if (p.empty())
    return {Err::FileSystemError, "The memo file " + companionFor(b_.name, first).filename().string() +
                                      " of the table " + b_.name.string() + " is missing"};
  MemoKind kind = MemoKind::Fpt;
  if (ext == "DBT") kind = header_.memo == MemoKind::Dbt4 || header_.dbase7 ? MemoKind::Dbt4 : MemoKind::Dbt3;
  return memo_.open(p, kind, writable_);
}

Status DbaseFile::openIndex() {
  // Indexes are kept only where records can be added.
  const bool dbase3 = (header_.version == 0x03 || header_.version == 0x83);
  if (!dbase3) return {};
  if (keyColumn_ == kNone || !indexable(header_.columns[keyColumn_]))
    return {Err::NotSupported, "The table " + b_.name.string() + " has no column its index can be kept on"};
  const NdxKey key = ndxKeyOf(header_.columns[keyColumn_]);
  std::filesystem::path p = findCompanion(b_.name, "NDX");
  if (!p.empty() && index_.open(p, key).ok()) return {};
  return rebuildIndex();
}

Status DbaseFile::rebuildIndex() {
  index_.close();
  std::filesystem::path p = findCompanion(b_.name, "NDX");
  if (p.empty()) p = companionFor(b_.name, "NDX");
  if (Status s = index_.create(p, ndxKeyOf(header_.columns[keyColumn_])); !s.ok()) return s;
  // Deleted records stay in a dBase index; they are records until a pack.
  for (std::uint32_t pos = 1; pos <= available_; ++pos) {
    std::size_t got = 0;
    const std::uint64_t at = header_.headerLength + std::uint64_t{pos - 1} * header_.recordLength;
    if (Status s = table_.readAt(at, record_.data(), record_.size(), got); !s.ok()) return s;
    if (Status s = index_.insert(indexKey(record_), pos); !s.ok()) return s;
  }
  return {};
}

std::string DbaseFile::indexKey(const std::vector<unsigned char>& record) const {
  const Column& c = header_.columns[keyColumn_];
  const std::string_view text(reinterpret_cast<const char*>(record.data()) + c.offset, c.width);
  if (c.type == 'C') return std::string(text);
  const double v = numberOf(text);
  std::string key(sizeof v, '\0');
  std::memcpy(key.data(), &v, sizeof v);
  return key;
}

Status DbaseFile::badRecord(std::uint32_t pos, const std::string& what) const {
  return {Err::FileSystemError, "Record " + std::to_string(pos) + " of " + b_.name.string() + ": " + what};
}

Status DbaseFile::shortfall() {
  current_ = 0;
  return {Err::FileSystemError, "The file " + b_.name.string() + " ends after record " + std::to_string(available_) +
                                    ", but its header counts " + std::to_string(header_.records) + " records"};
}

Status DbaseFile::readRecord(std::uint32_t pos, Read& state) {
  current_ = 0;
  std::size_t got = 0;
  const std::uint64_t at = header_.headerLength + std::uint64_t{pos - 1} * header_.recordLength;
  if (Status s = table_.readAt(at, record_.data(), record_.size(), got); !s.ok()) return s;
  if (got < record_.size()) return badRecord(pos, "it is cut off by the end of the file");
  if (record_[0] == ' ') {
    state = Read::Live;
  } else if (record_[0] == '*') {
    state = Read::Deleted;
  } else {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", record_[0]);
    return badRecord(pos, std::string("it has no deleted flag (") + hex + " instead of a blank or '*')");
  }
  return {};
}

std::size_t DbaseFile::memoCap() const { return b_.decl.memoMax > 0 ? b_.decl.memoMax : kDefaultMemoCap; }

Status DbaseFile::readMemoColumn(std::size_t column, std::uint32_t pos, std::string& text) {
  text.clear();
  const Column& c = header_.columns[column];
  const std::string_view bytes(reinterpret_cast<const char*>(record_.data()) + c.offset, c.width);
  if (!c.isMemo) {
    text = std::string(bytes.substr(0, bytes.find_last_not_of(' ') + 1));
    return {};
  }
  std::uint32_t block = 0;
  if (!memoBlock(c, bytes, block)) return badRecord(pos, "the memo " + c.name + " has a pointer that is no number");
  Status s = memo_.read(block, memoCap(), text);
  if (s.err == Err::FileSystemError) return badRecord(pos, "the memo " + c.name + " " + s.text);
  return s;
}

Status DbaseFile::fill(std::uint32_t pos) {
  const TableDecl& d = b_.decl;
  const std::string_view rec(reinterpret_cast<const char*>(record_.data()), record_.size());
  for (std::size_t i = 0; i < d.fields.size(); ++i) {
    const std::size_t c = fieldColumn_[i];
    if (c == kNone) {
      clearField(d.fields[i], b_.record);
    } else {
      const Column& col = header_.columns[c];
      decodeField(header_, col, rec.substr(col.offset, col.width), d.fields[i], b_.record);
    }
  }
  if (b_.memo != nullptr) {
    b_.memo->clear();
    if (slotColumn_ != kNone)
      if (Status s = readMemoColumn(slotColumn_, pos, *b_.memo); !s.ok()) return s;
  }
  current_ = pos;
  return {};
}

Status DbaseFile::getPosition(Position pos) {
  current_ = 0;
  if (pos < 1 || pos > header_.records)
    return {Err::RecordNotFound, std::string(defaultText(Err::RecordNotFound)) + ": there is no record " +
                                     std::to_string(pos) + " in " + b_.name.string()};
  const auto p = static_cast<std::uint32_t>(pos);
  if (p > available_) return badRecord(p, "it lies beyond the end of the file");
  Read state = Read::Live;
  if (Status s = readRecord(p, state); !s.ok()) return s;
  return fill(p);
}

Status DbaseFile::set(const KeyDecl* key, bool) {
  if (key != nullptr) return {Err::NotSupported, "dBase tables are walked in record order only"};
  nextPos_ = 1;
  prevPos_ = header_.records;
  return {};
}

Status DbaseFile::setPosition(const KeyDecl* key, Position pos) {
  if (key != nullptr) return {Err::NotSupported, "dBase tables are walked in record order only"};
  nextPos_ = pos;
  prevPos_ = pos;
  return {};
}

Status DbaseFile::next() {
  current_ = 0;
  const std::int64_t count = header_.records;
  for (std::int64_t p = std::max<std::int64_t>(nextPos_, 1); p <= count; ++p) {
    const auto pos = static_cast<std::uint32_t>(p);
    if (pos > available_) {
      nextPos_ = count + 1;
      prevPos_ = available_;
      return shortfall();
    }
    nextPos_ = p + 1;
    prevPos_ = p - 1;
    Read state = Read::Live;
    if (Status s = readRecord(pos, state); !s.ok()) return s;
    if (state == Read::Live) return fill(pos);
  }
  nextPos_ = count + 1;
  return endOfFile();
}

Status DbaseFile::previous() {
  current_ = 0;
  const std::int64_t count = header_.records;
  for (std::int64_t p = std::min<std::int64_t>(prevPos_, count); p >= 1; --p) {
    const auto pos = static_cast<std::uint32_t>(p);
    if (pos > available_) {
      prevPos_ = available_;
      nextPos_ = count + 1;
      return shortfall();
    }
    prevPos_ = p - 1;
    nextPos_ = p + 1;
    Read state = Read::Live;
    if (Status s = readRecord(pos, state); !s.ok()) return s;
    if (state == Read::Live) return fill(pos);
  }
  prevPos_ = 0;
  return endOfFile();
}

Status DbaseFile::memo(std::string_view column, std::string& text) {
  text.clear();
  if (current_ == 0) return {Err::RecordNotAvailable, std::string(defaultText(Err::RecordNotAvailable)) + ": no record read"};
  const std::size_t c = columnNamed(header_, column);
  if (c == kNone) return {};
  return readMemoColumn(c, current_, text);
}

Status DbaseFile::setMemo(std::string_view column, std::string text) {
  const std::size_t c = columnNamed(header_, column);
  if (c == kNone || !header_.columns[c].isMemo || c == slotColumn_)
    return {Err::NotSupported, "The table " + b_.name.string() + " has no further memo column " + std::string(column)};
  std::erase_if(pendingMemos_, [c](const auto& m) { return m.first == c; });
  pendingMemos_.emplace_back(c, std::move(text));
  return {};
}

Status DbaseFile::records(std::int64_t& n) {
  n = header_.records;
  return {};
}

Status DbaseFile::writeHeaderCount() {
  const dates::Ymd d = dates::fromDayNumber(dates::today());
  const std::uint32_t n = header_.records;
  const unsigned char h[7] = {static_cast<unsigned char>(d.year - 1900), static_cast<unsigned char>(d.month),
                              static_cast<unsigned char>(d.day),       static_cast<unsigned char>(n),
                              static_cast<unsigned char>(n >> 8),      static_cast<unsigned char>(n >> 16),
                              static_cast<unsigned char>(n >> 24)};
  return table_.writeAt(1, h, sizeof h);
}

Status DbaseFile::add(std::size_t) {
  current_ = 0;
  std::vector<std::pair<std::size_t, std::string>> memos = std::move(pendingMemos_);
  pendingMemos_.clear();
  if (!writable_) return {Err::AccessDenied, "The file is open read-only"};
  const bool dbase3 = header_.version == 0x03 || header_.version == 0x83;
  if (!dbase3 || (memo_.isOpen() && memo_.kind() != MemoKind::Dbt3))
    return {Err::NotSupported, "Only dBase III tables are written: " + b_.name.string()};
  if (available_ < header_.records)
    return {Err::FileSystemError, "The table " + b_.name.string() + " holds fewer records than its header counts; " +
                                      "nothing is added to it"};
  if (header_.records == 0xFFFFFFFFu) return {Err::FileSystemError, "The table " + b_.name.string() + " is full"};

  // Everything that can be refused is checked before anything is written.
  std::vector<unsigned char> rec(header_.recordLength, ' ');
  std::string bytes;
  for (std::size_t c = 0; c < header_.columns.size(); ++c) {
    const Column& col = header_.columns[c];
    if (columnField_[c] == kNone || col.isMemo) continue;
    if (std::string why = encodeField(col, b_.decl.fields[columnField_[c]], b_.record, bytes); !why.empty())
      return {Err::FileSystemError, why};
    std::memcpy(rec.data() + col.offset, bytes.data(), col.width);
  }
  // The memos go first: a record is never left pointing at a memo that was
  // not written.
  if (slotColumn_ != kNone && b_.memo != nullptr) memos.emplace_back(slotColumn_, *b_.memo);
  for (const auto& [column, memoText] : memos) {
    const Column& col = header_.columns[column];
    if (memoText.empty() || !col.isMemo) continue;
    std::uint32_t block = 0;
    if (Status s = memo_.append(std::string_view(memoText).substr(0, memoCap()), block); !s.ok()) return s;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%*u", static_cast<int>(col.width), block);
    std::memcpy(rec.data() + col.offset, digits, col.width);
  }

  const std::uint32_t pos = header_.records + 1;
  rec.push_back(0x1A);  // the end-of-file mark after the last record
  const std::uint64_t at = header_.headerLength + std::uint64_t{pos - 1} * header_.recordLength;
  if (Status s = table_.writeAt(at, rec.data(), rec.size()); !s.ok()) return s;
  rec.pop_back();
  header_.records = pos;
  available_ = pos;
  if (Status s = writeHeaderCount(); !s.ok()) return s;
  if (index_.isOpen())
    if (Status s = index_.insert(indexKey(rec), pos); !s.ok()) return s;
  record_ = std::move(rec);
  current_ = pos;
  return {};
}

Status DbaseFile::empty() {
  if (!writable_) return {Err::AccessDenied, "The file is open read-only"};
  if (header_.version != 0x03 && header_.version != 0x83)
    return {Err::NotSupported, "Only dBase III tables are written: " + b_.name.string()};
  const unsigned char eof = 0x1A;
  if (Status s = table_.truncate(header_.headerLength); !s.ok()) return s;
  if (Status s = table_.writeAt(header_.headerLength, &eof, 1); !s.ok()) return s;
  header_.records = 0;
  available_ = 0;
  if (Status s = writeHeaderCount(); !s.ok()) return s;
  if (memo_.isOpen()) {
    const std::filesystem::path p = memo_.name();
    memo_.close();
    if (Status s = memo_.create(p); !s.ok()) return s;
  }
  if (index_.isOpen())
    if (Status s = rebuildIndex(); !s.ok()) return s;
  nextPos_ = 1;
  prevPos_ = 0;
  current_ = 0;
  return {};
}

Status DbaseFile::build() {
  if (b_.decl.keys.empty()) return unsupported();
  if (!writable_) return {Err::AccessDenied, "The file is open read-only"};
  if (!index_.isOpen()) return {Err::NotSupported, "Indexes are kept for dBase III tables only"};
  return rebuildIndex();
}

Status DbaseFile::create() {
  close();
  const std::vector<NewColumn> made = columnsFor(b_.decl);
  std::vector<Column> columns;
  for (const NewColumn& n : made) columns.push_back(n.column);
  const TableDecl& d = b_.decl;
  const Column* key = nullptr;
  if (!d.keys.empty()) {
    if (d.keys.size() > 1 || d.keys[0].components.size() != 1)
      throw std::logic_error(d.label + ": a dBase table keeps one index on one column");
    for (const NewColumn& n : made)
      if (n.field == d.keys[0].components[0].field) key = &n.column;
    if (key == nullptr || !indexable(*key))
      throw std::logic_error(d.label + ": an index is kept on a C column of up to 100 bytes or an N column");
  }
  const dates::Ymd today = dates::fromDayNumber(dates::today());
  DiskFile table;
  if (Status s = table.create(b_.name); !s.ok()) return s;
  const std::string bytes = makeHeader(columns, today.year, today.month, today.day) + '\x1A';
  if (Status s = table.writeAt(0, bytes.data(), bytes.size()); !s.ok()) return s;
  if (std::any_of(columns.begin(), columns.end(), [](const Column& c) { return c.isMemo; })) {
    MemoFile memo;
    if (Status s = memo.create(companionFor(b_.name, "DBT")); !s.ok()) return s;
  }
  if (key != nullptr) {
    NdxFile index;
    if (Status s = index.create(companionFor(b_.name, "NDX"), ndxKeyOf(*key)); !s.ok()) return s;
  }
  return {};
}

Status DbaseFile::remove() {
  close();
  std::vector<std::filesystem::path> companions;
  for (const char* ext : {"DBT", "FPT", "NDX"})
    if (std::filesystem::path p = findCompanion(b_.name, ext); !p.empty()) companions.push_back(p);
  if (::unlink(b_.name.c_str()) != 0 && errno != ENOENT) return statusOfErrno(errno, b_.name);
  for (const std::filesystem::path& p : companions)
    if (::unlink(p.c_str()) != 0 && errno != ENOENT) return statusOfErrno(errno, p);
  return {};
}

}  // namespace qv::engine::dbase
