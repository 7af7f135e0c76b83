#include "app/cli/output.h"

#include <algorithm>
#include <ostream>
#include <stdexcept>

#include "text/text_encoding.h"

namespace qv::app::cli {
namespace {

constexpr std::string_view kColumnGap = "  ";

bool isInteger(const Value& v) { return std::holds_alternative<std::int64_t>(v); }

// A value as one line of a table cell.
std::string cellText(const Value& v) {
  if (const auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
  if (const auto* b = std::get_if<bool>(&v)) return *b ? "yes" : "no";
  return displayText(std::get<Text>(v).stored, LineBreaks::AsSpace);
}

void pad(std::string& out, std::size_t n) { out.append(n, ' '); }

void trimTrailingBlanks(std::string& line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
}

void appendHex2(std::string& out, unsigned v) {
  constexpr std::string_view kDigits = "0123456789abcdef";
  out += "\\u00";
  out.push_back(kDigits[(v >> 4) & 0xF]);
  out.push_back(kDigits[v & 0xF]);
}

// A JSON string literal of a UTF-8 text.
void appendJsonString(std::string& out, std::string_view utf8) {
  out.push_back('"');
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    switch (b) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (b < 0x20 || b == 0x7F) {
          appendHex2(out, b);
        } else if (b == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
          appendHex2(out, static_cast<unsigned char>(utf8[i + 1]));  // C1 control U+0080..U+009F
          ++i;
        } else {
          out.push_back(static_cast<char>(b));
        }
    }
  }
  out.push_back('"');
}

void appendJsonValue(std::string& out, const Value& v) {
  if (const auto* i = std::get_if<std::int64_t>(&v)) {
    out += std::to_string(*i);
  } else if (const auto* b = std::get_if<bool>(&v)) {
    out += *b ? "true" : "false";
  } else {
    const std::string& stored = std::get<Text>(v).stored;
    // Plain ASCII without line ends, most names and subjects, needs no
    // conversion before the escapes.
    const bool plain = std::all_of(stored.begin(), stored.end(), [](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return byte < 0x80 && byte != '\r';
    });
    appendJsonString(out, plain ? std::string_view(stored) : std::string_view(utf8From1252(displayLineBreaks(stored))));
  }
}

std::string tableText(const Listing& listing) {
  const auto& columns = listing.columns();
  const auto& rows = listing.rows();
  std::vector<std::vector<std::string>> cells;
  cells.reserve(rows.size());
  for (const auto& row : rows) {
    auto& line = cells.emplace_back();
    for (const auto& v : row) line.push_back(cellText(v));
  }
  std::vector<std::size_t> width(columns.size());
  std::vector<bool> numeric(columns.size());
  for (std::size_t c = 0; c < columns.size(); ++c) {
    width[c] = displayWidth(columns[c]);
    numeric[c] = !rows.empty() && std::all_of(rows.begin(), rows.end(), [c](const auto& r) { return isInteger(r[c]); });
    for (const auto& line : cells) width[c] = std::max(width[c], displayWidth(line[c]));
  }

  std::string out;
  auto appendLine = [&](const std::vector<std::string>& line) {
    std::string s;
    for (std::size_t c = 0; c < line.size(); ++c) {
      if (c > 0) s += kColumnGap;
      const std::size_t fill = width[c] - displayWidth(line[c]);
      if (numeric[c]) pad(s, fill);
      s += line[c];
      if (!numeric[c]) pad(s, fill);
    }
    trimTrailingBlanks(s);
    out += s;
    out.push_back('\n');
  };
  appendLine(columns);
  std::vector<std::string> rule;
  rule.reserve(width.size());
  for (const std::size_t w : width) rule.emplace_back(w, '-');
  appendLine(rule);
  for (const auto& line : cells) appendLine(line);
  return out;
}

std::string tableJson(const Listing& listing) {
  const auto& columns = listing.columns();
  const auto& rows = listing.rows();
  if (rows.empty()) return "[]\n";
  std::string out = "[\n";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    out += "  {";
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c > 0) out += ", ";
      appendJsonString(out, columns[c]);
      out += ": ";
      appendJsonValue(out, rows[r][c]);
    }
    out += r + 1 < rows.size() ? "},\n" : "}\n";
  }
  out += "]\n";
  return out;
}

std::string recordText(const Record& record) {
  std::size_t keyWidth = 0;
  for (const auto& [key, value] : record.fields()) keyWidth = std::max(keyWidth, displayWidth(key));
  const std::size_t valueColumn = keyWidth + 2;  // "Key:" and one blank
  std::string out;
  for (const auto& [key, value] : record.fields()) {
    std::string line = key + ":";
    pad(line, valueColumn - displayWidth(line));
    if (const auto* t = std::get_if<Text>(&value)) {
      // Continuation lines of a text start under the first one.
      for (const char ch : displayText(t->stored, LineBreaks::Keep)) {
        if (ch != '\n') {
          line.push_back(ch);
          continue;
        }
        trimTrailingBlanks(line);
        out += line;
        out.push_back('\n');
        line.assign(valueColumn, ' ');
      }
    } else {
      line += cellText(value);
    }
    trimTrailingBlanks(line);
    out += line;
    out.push_back('\n');
  }
  return out;
}

std::string recordJson(const Record& record) {
  const auto& fields = record.fields();
  if (fields.empty()) return "{}\n";
  std::string out = "{\n";
  for (std::size_t f = 0; f < fields.size(); ++f) {
    out += "  ";
    appendJsonString(out, fields[f].first);
    out += ": ";
    appendJsonValue(out, fields[f].second);
    out += f + 1 < fields.size() ? ",\n" : "\n";
  }
  out += "}\n";
  return out;
}

}  // namespace

Listing::Listing(std::vector<std::string> columns) : columns_(std::move(columns)) {
  for (std::size_t c = 0; c < columns_.size(); ++c)
    if (std::find(columns_.begin(), columns_.begin() + static_cast<std::ptrdiff_t>(c), columns_[c]) !=
        columns_.begin() + static_cast<std::ptrdiff_t>(c))
      throw std::logic_error("listing column named twice: " + columns_[c]);
}

void Listing::addRow(std::vector<Value> row) {
  if (row.size() != columns_.size())
    throw std::logic_error("listing row has " + std::to_string(row.size()) + " values for " +
                           std::to_string(columns_.size()) + " columns");
  rows_.push_back(std::move(row));
}

void Record::add(std::string key, Value value) {
  for (const auto& field : fields_)
    if (field.first == key) throw std::logic_error("record field named twice: " + key);
  fields_.emplace_back(std::move(key), std::move(value));
}

std::string render(const Listing& listing, OutputFormat format) {
  return format == OutputFormat::Json ? tableJson(listing) : tableText(listing);
}

std::string render(const Record& record, OutputFormat format) {
  return format == OutputFormat::Json ? recordJson(record) : recordText(record);
}

void print(std::ostream& out, const Listing& listing, OutputFormat format) { out << render(listing, format); }
void print(std::ostream& out, const Record& record, OutputFormat format) { out << render(record, format); }

}  // namespace qv::app::cli
