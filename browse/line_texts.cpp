#include "browse/line_texts.h"

#include <cstdio>

#include "store/config.h"

namespace qv::browse {

namespace {

std::string_view clipped(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string cut(std::string s, std::size_t width) {
  if (s.size() > width) s.resize(width);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

std::string personText(std::string_view lastName, std::string_view firstName, std::string_view address,
                       PersonForm form, std::size_t width) {
  const std::string_view last = clipped(lastName), first = clipped(firstName);
  const std::string bracketed = "<" + std::string(clipped(address)) + ">";
  if (last.empty() && first.empty()) return cut(bracketed, width);
  if (form == PersonForm::Name) return cut(std::string(last) + " " + std::string(first), width);
  return cut(std::string(last) + "," + std::string(first) + " " + bracketed, width);
}

std::string sectionText(bool newsgroup, std::uint32_t number, std::string_view description) {
  if (newsgroup) return std::string(clipped(description));
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02u", number);
  return std::string(digits) + " " + std::string(clipped(description));
}

Status effectiveStatus(std::initializer_list<Status> fromNearest) {
  for (Status s : fromNearest)
    if (s != Status::Normal) return s;
  return Status::Normal;
}

std::int32_t statusColour(Context& ctx, Status status) {
  switch (status) {
    case Status::Delete: return displaySetting(ctx, kItemDeleteColour);
    case Status::Keep: return displaySetting(ctx, kItemKeepColour);
    case Status::Normal: break;
  }
  return kDefaultColour;
}

}  // namespace qv::browse
