#pragma once
// The lines of a capture-family file, read through the Internet readers'
// block window (two 10,000-byte blocks in view; the file is never read whole).
//
// A line ends at LF; a CR right before the LF is dropped, so CR LF and LF
// files read alike. Of a longer line only the first `keep` characters are
// kept and the rest is read over, so a binary file without line ends costs
// no more memory than one kept line. The last line needs no line end.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "text/block_window.h"

namespace qv::capture {

struct TextLine {
  std::string text;
  std::uint64_t offset = 0;  // of its first byte in the file
};

class TextLines {
 public:
  struct Options {
    std::size_t keep = 1200;   // characters kept of a line
    bool clipBlanks = true;    // trailing blanks removed
    // Quoted-printable as the separator files write it: an "=" right before
    // the line end (not after a "?") joins the next line to this one, and
    // "=" with two hexadecimal digits becomes the byte they encode.
    bool quotedPrintable = false;
    // Lines taken as they are, without joining or decoding (the separator
    // lines, which end in "=" themselves).
    std::function<bool(std::string_view)> literal;
  };

  // Reads `source` (which must outlive this object) from its start. False on
  // a read error at once.
  bool open(internet::ByteSource& source, Options options);

  // The next line; nothing at the end of the data (or after a read error).
  std::optional<TextLine> next();
  // The line next() would give, without taking it.
  const TextLine* peek();

  std::uint64_t position() const { return window_.pos(); }
  std::uint64_t size() const { return window_.size(); }
  bool failed() const { return window_.failed(); }

 private:
  // One physical line, raw; false at the end of the data.
  bool readRaw(std::string& out, std::uint64_t& offset);
  void decode(std::string& line) const;

  internet::BlockWindow window_;
  Options options_;
  std::optional<TextLine> peeked_;
};

}  // namespace qv::capture
