#include "store/engine/sqlite/schema.h"

#include <stdexcept>

namespace qv::engine::sql {

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

namespace {

std::string columnType(const FieldDecl& f) {
  switch (f.type) {
    case FieldType::String: return "TEXT COLLATE QVCASE NOT NULL DEFAULT ''";
    case FieldType::Raw: return "BLOB NOT NULL DEFAULT x''";
    case FieldType::Real: return "REAL NOT NULL DEFAULT 0";
    default: return "INTEGER NOT NULL DEFAULT 0";
  }
}

std::string table(const std::string& schema) { return quoted(schema) + ".rec"; }

// The column of the i-th identifying field of a table with keyed positions.
std::string idColumn(const TableDecl& d, std::size_t i) { return quoted(d.fields[d.keys[0].components[i].field].name); }

// The two halves of a position held by parameter p, as the identifying
// fields hold them.
std::string highHalf(const std::string& p) { return "((" + p + " >> 32) & 4294967295)"; }
std::string lowHalf(const std::string& p) { return "(" + p + " & 4294967295)"; }

void checkKeyedPositions(const TableDecl& d) {
  bool ok = !d.keys.empty() && d.keys[0].unique() && d.keys[0].components.size() == 2 && !d.hasMemo();
  for (std::size_t i = 0; ok && i < 2; ++i) ok = d.fields[d.keys[0].components[i].field].type == FieldType::ULong;
  if (!ok)
    throw std::logic_error(d.label + ": keyed positions need a unique first key of two ULONG fields and no memo");
}

}  // namespace

std::string createTableSql(const TableDecl& d) {
  if (d.keyedPositions) {
    checkKeyedPositions(d);
    std::string s = "CREATE TABLE rec (";
    for (const FieldDecl& f : d.fields) s += quoted(f.name) + " " + columnType(f) + ", ";
    s += "PRIMARY KEY (";
    for (std::size_t i = 0; i < 2; ++i)
      s += (i > 0 ? ", " : "") + idColumn(d, i) + (d.keys[0].components[i].descending ? " DESC" : "");
    return s + ")) WITHOUT ROWID";
  }
  std::string s = "CREATE TABLE rec (pos INTEGER PRIMARY KEY";
  for (const FieldDecl& f : d.fields) s += ", " + quoted(f.name) + " " + columnType(f);
  if (d.hasMemo()) s += ", memo BLOB NOT NULL DEFAULT x''";
  return s + ")";
}

bool storedAsIndex(const TableDecl& d, const KeyDecl& k) { return !d.keyedPositions || &k != &d.keys[0]; }

std::string positionIs(const TableDecl& d, const std::string& p) {
  if (!d.keyedPositions) return "pos = " + p;
  return idColumn(d, 0) + " = " + highHalf(p) + " AND " + idColumn(d, 1) + " = " + lowHalf(p);
}

std::string createMetaSql() { return "CREATE TABLE qv_meta (k TEXT PRIMARY KEY, v TEXT NOT NULL)"; }

std::string excludeEmptyCondition(const TableDecl& d, const KeyDecl& k) {
  if (!k.excludeEmpty()) return "1";
  std::string s = "NOT (";
  for (std::size_t i = 0; i < k.components.size(); ++i) {
    const FieldDecl& f = d.fields[k.components[i].field];
    if (i > 0) s += " AND ";
    s += quoted(f.name);
    s += f.type == FieldType::String ? " = ''" : f.type == FieldType::Raw ? " = x''" : " = 0";
  }
  return s + ")";
}

std::string createIndexSql(const TableDecl& d, const KeyDecl& k, const std::string& schema) {
  std::string s = std::string("CREATE ") + (k.unique() ? "UNIQUE " : "") + "INDEX " + quoted(schema) + "." +
                  quoted(k.name) + " ON rec (";
  for (std::size_t i = 0; i < k.components.size(); ++i) {
    if (i > 0) s += ", ";
    s += quoted(d.fields[k.components[i].field].name);
    if (k.components[i].descending) s += " DESC";
  }
  s += ")";
  if (k.excludeEmpty()) s += " WHERE " + excludeEmptyCondition(d, k);
  return s;
}

std::string dropIndexSql(const KeyDecl& k, const std::string& schema) {
  return "DROP INDEX IF EXISTS " + quoted(schema) + "." + quoted(k.name);
}

std::string selectColumns(const TableDecl& d) {
  std::string s = d.keyedPositions ? "((" + idColumn(d, 0) + " << 32) | " + idColumn(d, 1) + ")" : "pos";
  for (const FieldDecl& f : d.fields) s += ", " + quoted(f.name);
  if (d.hasMemo()) s += ", memo";
  return s;
}

std::string insertSql(const TableDecl& d, const std::string& schema) {
  std::string cols, params;
  int n = 0;
  for (const FieldDecl& f : d.fields) {
    cols += (n > 0 ? ", " : "") + quoted(f.name);
    params += (n > 0 ? ", ?" : "?") + std::to_string(n + 1);
    ++n;
  }
  if (d.hasMemo()) {
    cols += ", memo";
    params += ", ?" + std::to_string(n + 1);
  }
  return "INSERT INTO " + table(schema) + " (" + cols + ") VALUES (" + params + ")";
}

std::string updateSql(const TableDecl& d, const std::string& schema) {
  std::string s = "UPDATE " + table(schema) + " SET ";
  int n = 0;
  for (const FieldDecl& f : d.fields) {
    s += (n > 0 ? ", " : "") + quoted(f.name) + " = ?" + std::to_string(n + 1);
    ++n;
  }
  if (d.hasMemo()) s += ", memo = ?" + std::to_string(++n);
  return s + " WHERE " + positionIs(d, "?" + std::to_string(n + 1));
}

std::string keyQuery(const TableDecl& d, const KeyDecl* k, const std::string& schema, Direction dir, int branch) {
  const bool fwd = dir == Direction::Forward;
  std::string where = k != nullptr ? excludeEmptyCondition(d, *k) : "1";
  std::string order;
  const int n = k != nullptr ? static_cast<int>(k->components.size()) : 0;
  const std::string posParam = "?" + std::to_string(n + 1);
  const std::string limitParam = "?" + std::to_string(n + 2);

  auto col = [&](int i) { return quoted(d.fields[k->components[static_cast<std::size_t>(i)].field].name); };
  // Whether component i runs upwards in this walk's direction.
  auto upward = [&](int i) { return k->components[static_cast<std::size_t>(i)].descending != fwd; };
  // Records equal on the key follow each other by position: the rowid, or
  // the identifying fields of keyed positions (those the key does not
  // already hold; within equal key values they are constant).
  auto byPosition = [&] {
    if (!d.keyedPositions) return std::string(fwd ? "pos ASC" : "pos DESC");
    std::string o;
    for (std::size_t i = 0; i < 2; ++i) {
      const std::size_t field = d.keys[0].components[i].field;
      bool held = false;
      for (int c = 0; k != nullptr && c < n; ++c) held = held || k->components[static_cast<std::size_t>(c)].field == field;
      if (!held) o += (o.empty() ? "" : ", ") + idColumn(d, i) + (fwd ? " ASC" : " DESC");
    }
    return o;
  };
  auto orderFrom = [&](int first) {
    std::string o;
    for (int i = first; i < n; ++i) o += (o.empty() ? "" : ", ") + col(i) + (upward(i) ? " ASC" : " DESC");
    const std::string tie = byPosition();
    return o.empty() ? tie : tie.empty() ? o : o + ", " + tie;
  };
  // Positions after (before) the bound; for keyed positions the bound's
  // halves are compared with the identifying fields, and the extreme
  // values that start a walk at a key value let every record through.
  auto positionBeyond = [&] {
    if (!d.keyedPositions) return std::string(" AND pos ") + (fwd ? "> " : "< ") + posParam;
    std::string c = "(" + idColumn(d, 0) + ", " + idColumn(d, 1) + ") " + (fwd ? "> " : "< ") + "(" +
                    highHalf(posParam) + ", " + lowHalf(posParam) + ")";
    if (k != nullptr)
      c = "(" + posParam + (fwd ? " = (-9223372036854775807 - 1)" : " = 9223372036854775807") + " OR " + c + ")";
    return " AND " + c;
  };

  if (branch == -2) {
    for (int i = 0; i < n; ++i) where += " AND " + col(i) + " = ?" + std::to_string(i + 1);
    return "SELECT " + selectColumns(d) + " FROM " + table(schema) + " WHERE " + where + " ORDER BY " +
           orderFrom(0) + " LIMIT 1";  // n > 0 or a tie-break: never empty
  }
  if (branch == -1) {
    order = orderFrom(0);
  } else {
    for (int i = 0; i < branch && i < n; ++i) where += " AND " + col(i) + " = ?" + std::to_string(i + 1);
    if (branch == n) {
      where += positionBeyond();
      order = orderFrom(n);
    } else {
      where += " AND " + col(branch) + (upward(branch) ? " > ?" : " < ?") + std::to_string(branch + 1);
      order = orderFrom(branch);
    }
  }
  // Equal on a key that holds both identifying fields: one record at most.
  if (order.empty()) return "SELECT " + selectColumns(d) + " FROM " + table(schema) + " WHERE " + where + " LIMIT " + limitParam;
  return "SELECT " + selectColumns(d) + " FROM " + table(schema) + " WHERE " + where + " ORDER BY " + order +
         " LIMIT " + limitParam;
}

}  // namespace qv::engine::sql
