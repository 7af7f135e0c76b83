#pragma once
// Finding mail that an import brought twice: the same subject (in any letter
// case), date and time to the minute, sender, receiver, and text. The purge
// of a mail database runs this at its head; the survivors of each group stay
// and the others are marked Delete.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/domain.h"

namespace qv::maintenance {

// One suspect mail.
struct DuplicateEntry {
  std::uint32_t MAILID = 0;
  std::string SUBJECT;  // MAI:SUBJECT in upper case, without trailing blanks
  std::int32_t DATE = 0;
  std::int32_t TIME = 0;
  std::uint32_t FROMID = 0;
  std::uint32_t TOID = 0;
  std::string INITSTR;  // the first 30 characters of the text; empty when the text is missing
  Status DUMMY = Status::Normal;  // Delete once found to repeat another entry
};

// A mail time (hundredths of a second since midnight plus 1) cut to the
// start of its minute; 0 (no time) stays 0. Every time of one minute, the
// last hundredth included, gives the same value.
std::int32_t minuteOf(std::int32_t time);

// The upper-case form of a stored subject, trailing blanks dropped.
std::string upperSubject(std::string_view subject);

// Whether two mails, neighbours along MAI:SubjectKey (whose text
// components compare without regard to case), have the same upper-case
// subject, date and time: both are then suspects.
inline bool sameSuspect(const DuplicateEntry& a, const DuplicateEntry& b) {
  return a.SUBJECT == b.SUBJECT && a.DATE == b.DATE && a.TIME == b.TIME;
}

// Compares the suspects: sorted by subject, date, time, sender, receiver and
// text start (Keep mail before the others of an equal group, so that a kept
// mail is the one that stays), each entry equal in all six to the reference
// before it and with the same text (`sameText(reference, entry)`) gets the
// status Delete; any other becomes the next reference. Entries already
// Delete are passed over. Answers how many were marked.
std::size_t markRepeats(std::vector<DuplicateEntry>& list,
                        const std::function<bool(std::uint32_t reference, std::uint32_t entry)>& sameText);

}  // namespace qv::maintenance
