#include "maintenance/mail_duplicates.h"

#include <algorithm>
#include <tuple>

#include "store/charset.h"

namespace qv::maintenance {

namespace {

constexpr std::int32_t kHundredthsPerMinute = 6000;

auto sixFields(const DuplicateEntry& e) {
  return std::tie(e.SUBJECT, e.DATE, e.TIME, e.FROMID, e.TOID, e.INITSTR);
}

}  // namespace

std::int32_t minuteOf(std::int32_t time) {
  // Times count from 1 at midnight: 1 + 6000 * k is the start of minute k.
  if (time <= 0) return time;
  return time - (time - 1) % kHundredthsPerMinute;
}

std::string upperSubject(std::string_view subject) {
  while (!subject.empty() && subject.back() == ' ') subject.remove_suffix(1);
  return upper1252(subject);
}

std::size_t markRepeats(std::vector<DuplicateEntry>& list,
                        const std::function<bool(std::uint32_t, std::uint32_t)>& sameText) {
  std::stable_sort(list.begin(), list.end(), [](const DuplicateEntry& a, const DuplicateEntry& b) {
    if (sixFields(a) != sixFields(b)) return sixFields(a) < sixFields(b);
    return a.DUMMY == Status::Keep && b.DUMMY != Status::Keep;
  });
  const DuplicateEntry* reference = nullptr;
  std::size_t marked = 0;
  for (DuplicateEntry& e : list) {
    if (e.DUMMY == Status::Delete) continue;
    if (reference != nullptr && sixFields(e) == sixFields(*reference) && sameText(reference->MAILID, e.MAILID)) {
      e.DUMMY = Status::Delete;
      ++marked;
      continue;
    }
    reference = &e;
  }
  return marked;
}

}  // namespace qv::maintenance
