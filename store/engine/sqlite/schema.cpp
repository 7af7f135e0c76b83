#include "store/engine/sqlite/schema.h"

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

}  // namespace

std::string createTableSql(const TableDecl& d) {
  std::string s = "CREATE TABLE rec (pos INTEGER PRIMARY KEY";
  for (const FieldDecl& f : d.fields) s += ", " + quoted(f.name) + " " + columnType(f);
  if (d.hasMemo()) s += ", memo BLOB NOT NULL DEFAULT x''";
  return s + ")";
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
  std::string s = "pos";
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
  return s + " WHERE pos = ?" + std::to_string(n + 1);
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
  auto orderFrom = [&](int first) {
    std::string o;
    for (int i = first; i < n; ++i) o += col(i) + (upward(i) ? " ASC, " : " DESC, ");
    return o + (fwd ? "pos ASC" : "pos DESC");
  };

  if (branch == -2) {
    for (int i = 0; i < n; ++i) where += " AND " + col(i) + " = ?" + std::to_string(i + 1);
    return "SELECT " + selectColumns(d) + " FROM " + table(schema) + " WHERE " + where + " ORDER BY " +
           orderFrom(0) + " LIMIT 1";
  }
  if (branch == -1) {
    order = orderFrom(0);
  } else {
    for (int i = 0; i < branch && i < n; ++i) where += " AND " + col(i) + " = ?" + std::to_string(i + 1);
    if (branch == n) {
      where += std::string(" AND pos ") + (fwd ? "> " : "< ") + posParam;
      order = fwd ? "pos ASC" : "pos DESC";
    } else {
      where += " AND " + col(branch) + (upward(branch) ? " > ?" : " < ?") + std::to_string(branch + 1);
      order = orderFrom(branch);
    }
  }
  return "SELECT " + selectColumns(d) + " FROM " + table(schema) + " WHERE " + where + " ORDER BY " + order +
         " LIMIT " + limitParam;
}

}  // namespace qv::engine::sql
