#pragma once
// The separator line of the "From " mailboxes ("Generic Mail Type 2", Poco
// Mail, Winvn) and of the "From "-separated news files ("Unix News", "Agent
// News").

#include <cstddef>
#include <string_view>

namespace qv::internet {

// A date line longer than this is not taken for a separator by its date.
inline constexpr std::size_t kFromLineDateMax = 400;

// Whether `line` (without its line end) separates two messages: it begins
// "From " and either holds an "@" within its first 100 characters
// ("From jane@example.org Sat Jan  1 10:00:00 2000"), or it is at most
// kFromLineDateMax characters long and ends in the mailbox date
// (endsInMailboxDate). The date rule takes the archives that write the
// sender as "jane at example.org", and the "From MAILER-DAEMON …" and
// "From user …" lines of local mail; a body line such as "From here on we
// go" is neither.
bool fromSeparatorLine(std::string_view line);

// Whether `text` ends in the date of a mailbox separator line,
//   Www Mmm dd hh:mm:ss yyyy
// as blank-separated words: an English day and month name (any letter case),
// a day of one or two digits, a time of two-digit hours and minutes with
// or without seconds, and a four-digit year; one time zone word ("EST",
// "-0700": up to five capital letters, or a sign and four digits) may stand
// before the year or after it. Trailing blanks, tabs and a CR are ignored.
bool endsInMailboxDate(std::string_view text);

}  // namespace qv::internet
