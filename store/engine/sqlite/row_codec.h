#pragma once
// Moves field values between a packed record buffer and SQLite statement
// parameters and result columns, following the table's declaration.

#include <sqlcipher/sqlite3.h>

#include <string>

#include "store/engine/declaration.h"

namespace qv::engine::sql {

// Binds field `f` of `record` to parameter `index`. Text is bound without its
// trailing blanks and points into `record`, which must stay unchanged until
// the statement has run.
void bindField(sqlite3_stmt* st, int index, const FieldDecl& f, const unsigned char* record);
// Binds every field as ?1..?n, then the memo (cut to the declared size) as ?(n+1).
void bindRecord(sqlite3_stmt* st, const TableDecl& d, const unsigned char* record, const std::string* memo);
// Binds the components of key `k` as ?1..?m from `record`.
void bindKey(sqlite3_stmt* st, const TableDecl& d, const KeyDecl& k, const unsigned char* record);
// Loads a result row laid out as selectColumns(): returns the position.
std::int64_t loadRow(sqlite3_stmt* st, const TableDecl& d, unsigned char* record, std::string* memo);
// The position of a record of a table with keyed positions: its two
// identifying fields, the first in the high half.
std::int64_t keyedPosition(const TableDecl& d, const unsigned char* record);

}  // namespace qv::engine::sql
