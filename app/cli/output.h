#pragma once
// The one formatter of the command line's output.
//
// Every command that lists something builds a Listing (rows under named
// columns) or a Record (one thing's fields) and hands it here, so every
// listing has both forms: an aligned text table for people, and with --json a
// JSON document for programs.
//
// Values are integers, texts as the system stores them (Windows-1252, CR LF),
// or yes/no. Column names and record keys are the program's own texts, plain
// ASCII or UTF-8, used as they are.
//
// Text form (UTF-8):
//   - a table has a header line, a line of dashes under each column, then one
//     line per row; columns are two blanks apart and as wide as their widest
//     entry counted in characters; a column whose values are all integers is
//     right-aligned (header included), any other left-aligned; booleans read
//     "yes" / "no"; lines carry no trailing blanks. Within a cell, line
//     breaks and tabs become blanks and other control characters U+FFFD, so a
//     row is one line and stored text cannot drive the terminal.
//   - a record has one "Key: value" line per field, values aligned; a text
//     with line breaks goes on in lines indented to the value column.
// JSON form: a table is an array with one object per row (on a line of its
//   own), keyed by column name in column order; a record is one object with
//   one field per line. Texts are converted to UTF-8 with CR LF as "\n";
//   '"' and '\' are escaped, \b \f \n \r \t use their short forms and every
//   other control character (U+0000..U+001F, U+007F..U+009F) is written as
//   \u00XX. Integers are numbers, booleans true/false. An empty table is "[]",
//   an empty record "{}".

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace qv::app::cli {

enum class OutputFormat { Text, Json };

// A text held in a value: stored bytes, Windows-1252 with CR LF.
struct Text {
  std::string stored;
};

using Value = std::variant<std::int64_t, Text, bool>;

inline Value text(std::string_view stored) { return Text{std::string(stored)}; }

class Listing {
 public:
  // Column names must be distinct: a repeated name would make two JSON fields
  // of one name, and a reader keeps only one of them. A repeated name throws
  // std::logic_error (a fault of the calling command, found by its tests).
  explicit Listing(std::vector<std::string> columns);

  // Appends a row. Throws std::logic_error unless it has one value per column.
  void addRow(std::vector<Value> row);

  const std::vector<std::string>& columns() const { return columns_; }
  const std::vector<std::vector<Value>>& rows() const { return rows_; }

 private:
  std::vector<std::string> columns_;
  std::vector<std::vector<Value>> rows_;
};

class Record {
 public:
  // Appends a field; fields keep their order. A key given twice throws
  // std::logic_error, for the same reason as repeated column names.
  void add(std::string key, Value value);

  const std::vector<std::pair<std::string, Value>>& fields() const { return fields_; }

 private:
  std::vector<std::pair<std::string, Value>> fields_;
};

// The whole output, ending with "\n".
std::string render(const Listing& listing, OutputFormat format);
std::string render(const Record& record, OutputFormat format);

void print(std::ostream& out, const Listing& listing, OutputFormat format);
void print(std::ostream& out, const Record& record, OutputFormat format);

}  // namespace qv::app::cli
