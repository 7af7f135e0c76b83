// HTML to plain text, in one pass, for mail bodies and (with a few
// differences) for the texts of AOL and CompuServe 2000 stores.
//
// Text between tags is collected as a pending run and written when the next
// tag closes, so that a "<" that turns out not to open a tag joins the text
// around it. Mail: text before the first "<" and after the last tag is not
// written (it is the MIME matter around an HTML part when a mail store hands
// over a whole multipart body), and the closing HTML tag ends the text.
// AOL: the text around the markup is written, "<<" is a literal "<", a "<"
// inside a tag is a blank unless a BR tag starts there, and the HTML and
// HEAD tags mean nothing.
#include <algorithm>

#include "text/body/body.h"
#include "text/body/html_output.h"
#include "text/body/text_util.h"
#include "store/charset.h"

namespace qv::body {
namespace {

using detail::HtmlOutput;
using detail::safeSub;
using detail::startsWith;

// Only this much of a tag is examined, and a link target is kept to this
// length; the rest of a longer tag is passed over.
constexpr std::size_t kTagMax = 1000;
constexpr std::size_t kTargetMax = 1000;
// Paragraph breaks of P, LI and table cells only once there is some text.
constexpr std::size_t kParagraphAfter = 4;
// AOL texts shorter than this are stored as they are.
constexpr std::size_t kAolShortest = 5;

constexpr std::string_view kBullet = "* ";
constexpr std::string_view kDefinitionIndent = "   ";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class HtmlConverter {
 public:
  explicit HtmlConverter(bool aol) : aol_(aol) {}
  std::string convert(std::string_view html);

 private:
  void handleTag(std::string_view raw);
  void writeRun();
  void startLink(std::string_view raw, std::string_view upper);
  void endLink();
  void paragraphBreakAfterText() {
    if (out_.size() > kParagraphAfter) out_.paragraphBreak();
  }

  const bool aol_;
  HtmlOutput out_;
  std::string pending_;
  std::string target_;
  bool link_ = false;
  bool linkHasText_ = false;
  bool preformatted_ = false;
  bool title_ = false;
  bool unorderedList_ = false;
  bool orderedList_ = false;
  bool bulletPending_ = false;
  bool definitionList_ = false;
  bool definitionData_ = false;
  bool indentPending_ = false;
  bool ended_ = false;
};

std::string HtmlConverter::convert(std::string_view html) {
  html = html.substr(0, std::min(html.size(), kTextMax));
  bool inTag = false;
  bool seenTag = false;
  std::size_t tagStart = 0;  // position of the "<" of the current tag
  for (std::size_t i = 0; i < html.size() && !ended_; ++i) {
    const char c = html[i];
    if (inTag) {
      if (c == '>') {
        inTag = false;
        writeRun();
        handleTag(html.substr(tagStart + 1, i - tagStart - 1));
      } else if (c == '<') {
        if (!aol_) {
          // The earlier "<" opened no tag: it and what followed it are text.
          pending_.append(html.substr(tagStart, i - tagStart));
          tagStart = i;
        } else if (upper1252(safeSub(html, i + 1, 2)) == "BR") {
          tagStart = i;  // the unfinished tag is given up for the line break
        }
        // Any other "<" inside an AOL tag counts as a blank of the tag.
      }
      continue;
    }
    if (c == '<') {
      if (aol_ && i + 1 < html.size() && html[i + 1] == '<') {
        pending_.push_back('<');
        ++i;
        continue;
      }
      inTag = true;
      seenTag = true;
      tagStart = i;
      continue;
    }
    // The text up to the next "<" in one piece.
    const std::size_t next = std::min(html.find('<', i), html.size());
    if (aol_ || seenTag) pending_.append(html.substr(i, next - i));
    i = next - 1;
  }
  if (aol_) {
    if (inTag) pending_.append(html.substr(tagStart));
    writeRun();
  }
  endLink();
  out_.cutTrailingBlanks();
  std::string text = out_.take();
  if (aol_ && text.empty()) return std::string(html);
  return text;
}

void HtmlConverter::writeRun() {
  // A blank before a tag is kept (as one blank, which a following break
  // replaces): "a <span>b</span>" reads "a b", not "ab".
  const bool hasText = pending_.find_first_not_of(' ') != std::string::npos;
  if (!title_ && hasText) {
    if (bulletPending_) out_.raw(kBullet);
    if (indentPending_ && definitionList_ && definitionData_) out_.raw(kDefinitionIndent);
    bulletPending_ = false;
    indentPending_ = false;
    if (link_) linkHasText_ = true;
  }
  if (!title_) out_.run(pending_, preformatted_);
  pending_.clear();
}

void HtmlConverter::startLink(std::string_view raw, std::string_view upper) {
  endLink();  // a link left open ends where the next one starts
  std::size_t at = upper.find("HREF");
  if (at == std::string_view::npos) return;
  at += 4;
  while (at < upper.size() && isBlank(upper[at])) ++at;
  if (at >= upper.size() || upper[at] != '=') return;
  ++at;
  while (at < upper.size() && isBlank(upper[at])) ++at;
  std::string_view target;
  if (at < raw.size() && (raw[at] == '"' || raw[at] == '\'')) {
    const std::size_t close = raw.find(raw[at], at + 1);
    target = raw.substr(at + 1, close == std::string_view::npos ? std::string_view::npos : close - at - 1);
  } else {
    target = safeSub(raw, at);
    const auto blank = std::find_if(target.begin(), target.end(), isBlank);
    target = target.substr(0, static_cast<std::size_t>(blank - target.begin()));
  }
  target = target.substr(0, std::min(target.size(), kTargetMax));
  for (char c : target) target_.push_back(lower1252(c));
  link_ = !target_.empty();
  linkHasText_ = false;
}

void HtmlConverter::endLink() {
  // The target follows the link's text once, after all of it.
  if (link_ && linkHasText_) {
    out_.separator();
    out_.raw("[");
    out_.raw(target_);
    out_.raw("] ");
  }
  link_ = false;
  linkHasText_ = false;
  target_.clear();
}

void HtmlConverter::handleTag(std::string_view raw) {
  raw = raw.substr(0, std::min(raw.size(), kTagMax));
  std::string upper = upper1252(raw);
  std::replace(upper.begin(), upper.end(), '<', ' ');
  if (upper.empty() || upper.front() == '!') return;  // comments and declarations
  const bool closing = upper.front() == '/';
  const std::size_t nameStart = closing ? 1 : 0;
  const std::size_t nameEnd = upper.find_first_of(" \t\r\n/", nameStart + 1);
  const std::string_view name = safeSub(upper, nameStart, nameEnd == std::string::npos ? std::string::npos
                                                                                      : nameEnd - nameStart);
  if (aol_ && (name == "HTML" || name == "HEAD" ||
               (startsWith(name, "H") && upper.find("ALIGN") != std::string::npos)))
    return;

  if (name == "A") {
    if (closing)
      endLink();
    else
      startLink(raw, upper);
  } else if (name == "BR") {
    out_.lineBreak();
  } else if (name == "B" || name == "I" || name == "U") {
    out_.separator();
  } else if (name == "P") {
    paragraphBreakAfterText();
  } else if (name == "DIV") {
    if (closing) out_.lineBreak();
  } else if (name.size() == 2 && name[0] == 'H' && name[1] >= '1' && name[1] <= '6') {
    if (closing) out_.paragraphBreak();
  } else if (name == "TR" || name == "TD") {
    if (closing) paragraphBreakAfterText();
  } else if (name == "LI") {
    if (!closing && (unorderedList_ || orderedList_)) {
      paragraphBreakAfterText();
      bulletPending_ = true;
    }
  } else if (name == "UL") {
    unorderedList_ = !closing;
  } else if (name == "OL") {
    orderedList_ = !closing;
  } else if (name == "DL") {
    definitionList_ = !closing;
    if (closing) definitionData_ = false;
  } else if (name == "DT") {
    if (!closing) definitionData_ = false;  // a term
  } else if (name == "DD") {
    definitionData_ = !closing;
    indentPending_ = !closing;
  } else if (name == "PRE" || name == "PLAINTEXT") {
    preformatted_ = !closing;
  } else if (name == "TITLE") {
    title_ = !closing;
  } else if (name == "HTML") {
    if (closing) ended_ = true;  // nothing after the document is read
  }
  // Every other tag is dropped; its content stays.
}

}  // namespace

std::string htmlToText(std::string_view html) { return HtmlConverter(false).convert(html); }

std::string aolHtmlToText(std::string_view html) {
  if (html.size() < kAolShortest) return std::string(html);
  return HtmlConverter(true).convert(html);
}

}  // namespace qv::body
