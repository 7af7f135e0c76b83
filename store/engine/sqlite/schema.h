#pragma once
// The SQL that keeps one declared table in a SQLite file.
//
// Layout of a table file: table "rec" with the rowid alias "pos" (the record
// position, stable across packing; a table with keyed positions has no
// "pos": it is a WITHOUT ROWID table whose primary key is its first key, and
// the position is computed from the two identifying fields), one column per field in declared order
// (integers as INTEGER, STRING(n) as TEXT without its trailing blanks and with
// the QVCASE collation, arrays as BLOB) and "memo" when the table has one;
// one index per key, named after the key, with descending components as
// declared and "excludes empty" as a partial index; and table "qv_meta" with
// the layout signature and whether the keys are valid.

#include <string>

#include "store/engine/declaration.h"

namespace qv::engine::sql {

std::string quoted(const std::string& name);
std::string createTableSql(const TableDecl& d);
std::string createMetaSql();
std::string createIndexSql(const TableDecl& d, const KeyDecl& k, const std::string& schema);
// Whether a key is kept as an index of its own: not the first key of a
// table with keyed positions, which is the table's own order.
bool storedAsIndex(const TableDecl& d, const KeyDecl& k);
// The condition "the record at the position held by parameter p".
std::string positionIs(const TableDecl& d, const std::string& p);
std::string dropIndexSql(const KeyDecl& k, const std::string& schema);
// "pos", every field column, and "memo" when present: the order of every
// select, and of the insert and update parameters (without "pos").
std::string selectColumns(const TableDecl& d);
std::string insertSql(const TableDecl& d, const std::string& schema);
std::string updateSql(const TableDecl& d, const std::string& schema);
// The condition that leaves out a key's empty records ("1" for other keys).
std::string excludeEmptyCondition(const TableDecl& d, const KeyDecl& k);

enum class Direction { Forward, Backward };

// The queries of a walk or a get along a key (or file order when k is null).
// Parameters: the key components' values as ?1..?n in component order, the
// position bound as ?(n+1), the row limit as ?(n+2).
//   branch == n: the records equal on all components, positions after (or
//                before) the bound;
//   branch j < n: equal on components 0..j-1, after (before) on component j;
//   branch -1: from the start (or end), no bound;
//   branch -2: the first record equal on all components (a get by key).
std::string keyQuery(const TableDecl& d, const KeyDecl* k, const std::string& schema, Direction dir, int branch);

}  // namespace qv::engine::sql
