#include "store/engine/sqlite/row_codec.h"

#include <cstring>

namespace qv::engine::sql {
namespace {

std::int64_t readInteger(const FieldDecl& f, const unsigned char* p) {
  switch (f.type) {
    case FieldType::Byte: return p[0];
    case FieldType::Short: { std::int16_t v; std::memcpy(&v, p, 2); return v; }
    case FieldType::UShort: { std::uint16_t v; std::memcpy(&v, p, 2); return v; }
    case FieldType::Long: { std::int32_t v; std::memcpy(&v, p, 4); return v; }
    case FieldType::ULong: { std::uint32_t v; std::memcpy(&v, p, 4); return v; }
    default: return 0;
  }
}

void writeInteger(const FieldDecl& f, unsigned char* p, std::int64_t v) {
  switch (f.type) {
    case FieldType::Byte: p[0] = static_cast<unsigned char>(v); break;
    case FieldType::Short: { auto x = static_cast<std::int16_t>(v); std::memcpy(p, &x, 2); break; }
    case FieldType::UShort: { auto x = static_cast<std::uint16_t>(v); std::memcpy(p, &x, 2); break; }
    case FieldType::Long: { auto x = static_cast<std::int32_t>(v); std::memcpy(p, &x, 4); break; }
    case FieldType::ULong: { auto x = static_cast<std::uint32_t>(v); std::memcpy(p, &x, 4); break; }
    default: break;
  }
}

}  // namespace

void bindField(sqlite3_stmt* st, int index, const FieldDecl& f, const unsigned char* record) {
  const unsigned char* p = record + f.offset;
  switch (f.type) {
    case FieldType::String: {
      std::size_t n = f.size;
      while (n > 0 && p[n - 1] == ' ') --n;
      sqlite3_bind_text(st, index, reinterpret_cast<const char*>(p), static_cast<int>(n), SQLITE_STATIC);
      break;
    }
    case FieldType::Raw:
      sqlite3_bind_blob(st, index, p, static_cast<int>(f.size), SQLITE_STATIC);
      break;
    case FieldType::Real: {
      double v;
      std::memcpy(&v, p, sizeof v);
      sqlite3_bind_double(st, index, v);
      break;
    }
    default:
      sqlite3_bind_int64(st, index, readInteger(f, p));
  }
}

void bindRecord(sqlite3_stmt* st, const TableDecl& d, const unsigned char* record, const std::string* memo) {
  int i = 1;
  for (const FieldDecl& f : d.fields) bindField(st, i++, f, record);
  if (d.hasMemo()) {
    const std::size_t n = memo->size() < d.memoMax ? memo->size() : d.memoMax;
    sqlite3_bind_blob(st, i, memo->data(), static_cast<int>(n), SQLITE_STATIC);
  }
}

void bindKey(sqlite3_stmt* st, const TableDecl& d, const KeyDecl& k, const unsigned char* record) {
  int i = 1;
  for (const KeyComponent& c : k.components) bindField(st, i++, d.fields[c.field], record);
}

std::int64_t loadRow(sqlite3_stmt* st, const TableDecl& d, unsigned char* record, std::string* memo) {
  const std::int64_t pos = sqlite3_column_int64(st, 0);
  int col = 1;
  for (const FieldDecl& f : d.fields) {
    unsigned char* p = record + f.offset;
    switch (f.type) {
      case FieldType::String:
      case FieldType::Raw: {
        const void* src = f.type == FieldType::String ? static_cast<const void*>(sqlite3_column_text(st, col))
                                                       : sqlite3_column_blob(st, col);
        std::size_t n = static_cast<std::size_t>(sqlite3_column_bytes(st, col));
        if (n > f.size) n = f.size;
        if (n > 0) std::memcpy(p, src, n);
        std::memset(p + n, f.type == FieldType::String ? ' ' : 0, f.size - n);
        break;
      }
      case FieldType::Real: {
        const double v = sqlite3_column_double(st, col);
        std::memcpy(p, &v, sizeof v);
        break;
      }
      default:
        writeInteger(f, p, sqlite3_column_int64(st, col));
    }
    ++col;
  }
  if (d.hasMemo()) {
    const void* src = sqlite3_column_blob(st, col);
    const auto n = static_cast<std::size_t>(sqlite3_column_bytes(st, col));
    memo->assign(static_cast<const char*>(src), n);
  }
  return pos;
}

std::int64_t keyedPosition(const TableDecl& d, const unsigned char* record) {
  std::uint32_t high = 0, low = 0;
  std::memcpy(&high, record + d.fields[d.keys[0].components[0].field].offset, sizeof high);
  std::memcpy(&low, record + d.fields[d.keys[0].components[1].field].offset, sizeof low);
  return static_cast<std::int64_t>((std::uint64_t{high} << 32) | low);
}

}  // namespace qv::engine::sql
