#pragma once
// The output side of the HTML conversion: a text of at most kTextMax
// characters with the operations the tags map to. Whatever would go beyond
// the limit is not written.

#include <string>
#include <string_view>

namespace qv::body::detail {

class HtmlOutput {
 public:
  std::size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }
  std::string take() { return std::move(text_); }

  // CR LF; blanks at the end of the output are replaced by it.
  void lineBreak();
  // Makes the output end in one empty line (CR LF CR LF); nothing when it
  // already does.
  void paragraphBreak();
  // One blank, unless the output is empty or already ends in a blank or a
  // line end.
  void separator();
  // Text written as it is ("* ", indentation, link targets).
  void raw(std::string_view s);
  // A run of document text. Outside preformatted text CR, LF and blanks
  // become single blanks (none at the start of the output or after a blank
  // or line end) and tabs are dropped; inside it every character is copied.
  // In both, "&" entities and accepted "=" pairs are decoded.
  void run(std::string_view s, bool preformatted);
  void cutTrailingBlanks();

 private:
  void put(char c);
  void blank();
  bool endsInBlankOrLineEnd() const;

  std::string text_;
};

}  // namespace qv::body::detail
