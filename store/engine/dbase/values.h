#pragma once
// Column values of a dBase-family record and the declared fields they are
// read into and written from.
//
// Reading, by the declared field's type:
// - STRING(n): the column's text, cut to n and blank-padded. C columns as
//   stored; N and F without their aligning blanks; D "YYYYMMDD" as stored;
//   L "T", "F" or blank (unknown); memo columns the block number; the binary
//   columns of Visual FoxPro and dBase 7 (I, B, Y, O, +) as decimal text.
// - integers and REAL: the numeric value. Integers take the whole part
//   (toward zero) and are clamped to their type's range; text that is no
//   number gives 0. D columns (and the date part of Visual FoxPro's T) give
//   a day number of the system's calendar, 0 for a blank or impossible date.
//   L gives 1 or 0, a memo column its block number. A field declared with
//   column type 'D' reads a C column holding "YYYYMMDD" as a day number too.
// - raw byte groups: the column's bytes as stored, zero-padded.
//
// Writing (dBase III files only, so C, N, F, D, L and M columns): N and F
// right-aligned with the column's decimals; a value that does not fit the
// width is refused, never written as asterisks. D from a day number, L "T"
// or "F" (blank for text that is neither), C the field's text.

#include <cstdint>
#include <string>
#include <string_view>

#include "store/engine/declaration.h"
#include "store/engine/dbase/header.h"

namespace qv::engine::dbase {

// Sets a field to its empty value: blanks for STRING, zeros otherwise.
void clearField(const FieldDecl& f, unsigned char* record);

// Reads the column's bytes (c.width of them) into the field of `record`.
void decodeField(const Header& h, const Column& c, std::string_view bytes, const FieldDecl& f,
                 unsigned char* record);

// The column's bytes (c.width of them) for the field of `record`. Returns ""
// or, when the value cannot be written in the column, what is wrong.
std::string encodeField(const Column& c, const FieldDecl& f, const unsigned char* record, std::string& out);

// The numeric value of a C, N or F column's text; 0 for blank or no number.
double numberOf(std::string_view text);

// The block number of a memo column: 10 ASCII digits (blank: none), or a
// 4-byte little-endian number when the column is 4 bytes wide. False when
// the text is not a number.
bool memoBlock(const Column& c, std::string_view bytes, std::uint32_t& block);

}  // namespace qv::engine::dbase
