#pragma once
// The text rules of the record-structured CompuServe stores (CISCOMM,
// NavCIS, OUI): address clean-up, NavCIS line ends, dates and times as the
// tables keep them, and memo texts cut into line-queue entries.

#include <cstdint>
#include <string>
#include <string_view>

#include "text/line_queue.h"

namespace qv::records {

// The longest address left after "INTERNET:" is removed: what fits the
// 60-character address field after the 9-character prefix.
inline constexpr std::size_t kInternetAddressMax = 51;

// An address as stored. A CompuServe user ID (a "," before any "@") stays as
// it is, prefix or not; otherwise a leading "INTERNET:" (any letter case) is
// removed and at most 51 characters of the rest are kept. Anything else is
// returned unchanged.
std::string cleanAddress(std::string_view address);

// A field value without one trailing CR LF (NavCIS keeps some fields with it).
std::string_view withoutTrailingCrLf(std::string_view text);

// A NavCIS message text with CR LF line ends. Texts of 2 characters or fewer
// are returned as they are. Variant 62 ("NavCIS 1.6x") separates lines with NUL: a leading
// NUL is dropped and every other NUL becomes CR LF. Mail of variant 76 ("NavCIS 1.7x-") uses
// LF: when the text holds no CR LF, every LF becomes CR LF. Forum texts of
// variant 76, and texts of any other variant, stay as they are.
std::string repairNavcisLineEnds(std::string_view text, int variant, bool mail);

// A NavCIS date "DD-MMM-YY" (day from characters 1-2, month name from 4-6,
// year from 8-9 with the system's century rule) as a day number; 0 when the
// text is not such a date.
std::int32_t navcisDate(std::string_view text);

// A NavCIS time "H:MM", "HH:MM" or "HH:MM:SS" as a time number; 0 for any
// other text or an impossible clock time.
std::int32_t navcisTime(std::string_view text);

// A CISCOMM mail time "HH:MM" as a time number; 0 when it is not one.
std::int32_t hhmmTime(std::string_view text);

// A memo text as line-queue entries: lines end at CR LF, or at LF while no CR
// has been seen; a line longer than 400 characters goes on in further
// entries marked split. Leading empty lines are passed over; a text without
// any line gives an empty queue.
LineQueue memoLines(std::string_view text);

// An OUI message as one Internet message: the header lines of `extra`, an
// empty line, then the lines of `body`. Empty when `extra` has no line.
LineQueue ouiMessageLines(std::string_view extra, std::string_view body);

}  // namespace qv::records
