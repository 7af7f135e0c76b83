// Enriched text to plain text: commands are removed, "<<" is a literal "<",
// and the text of PARAM commands (font names, colours) is dropped. Line ends
// are copied as they are.
#include <algorithm>

#include "text/body/body.h"
#include "store/charset.h"

namespace qv::body {
namespace {

bool isParamCommand(std::string_view name) {
  if (!name.empty() && name.front() == '/') name.remove_prefix(1);
  return name.size() == 5 && upper1252(name) == "PARAM";
}

}  // namespace

std::string enrichedToText(std::string_view text) {
  text = text.substr(0, std::min(text.size(), kTextMax));
  std::string out;
  out.reserve(text.size());
  bool inParam = false;
  bool inCommand = false;
  std::size_t commandStart = 0;  // position of the "<" of the current command
  auto copy = [&](std::string_view s) {
    if (!inParam) out.append(s);
  };

  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inCommand) {
      if (c == '>') {
        const std::string_view name = text.substr(commandStart + 1, i - commandStart - 1);
        if (isParamCommand(name)) inParam = name.front() != '/';
        inCommand = false;
        continue;
      }
      if (c != '<') continue;
      // A second "<" before any ">": the earlier one opened no command.
      copy(text.substr(commandStart, i - commandStart));
      inCommand = false;
    }
    if (c == '<') {
      if (i + 1 < text.size() && text[i + 1] == '<') {
        copy("<");
        ++i;
      } else {
        inCommand = true;
        commandStart = i;
      }
      continue;
    }
    copy(std::string_view(&text[i], 1));
  }
  // A "<" never closed is text.
  if (inCommand) copy(text.substr(commandStart));
  return out;
}

}  // namespace qv::body
