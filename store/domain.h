#pragma once
// The values that stored records and the shared globals carry, by name.
// Each stored byte keeps the number it has on disk; code reads and writes it
// through the names and accessors here, so no other file compares a status,
// a database type, a mail direction or the task mode with a bare number.
// The limits every layer shares (message text length, forum message
// numbers, the identifier counter, the import's disk and commit thresholds)
// are defined here once.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qv {

// ---------------------------------------------------------------------------
// Database type: FOR:TYPE, REF:TYPE, Mem:ForumType and the import's target
// databases. A byte outside these reads as a value no name matches.

enum class DatabaseType : std::uint8_t { Forum = 1, Mail = 2, Newsgroup = 3 };

constexpr DatabaseType databaseType(std::uint8_t stored) { return static_cast<DatabaseType>(stored); }
constexpr std::uint8_t stored(DatabaseType t) { return static_cast<std::uint8_t>(t); }

// ---------------------------------------------------------------------------
// Status: the byte named DUMMY of MsgNmbr, Mail, Threads, Sections, Person,
// Forums and NewHR (the field keeps its stored name), published for the
// active database as Mem:ForumCheck. Purging removes what has Delete.

enum class Status : std::uint8_t { Normal = 0, Keep = 1, Delete = 2 };

constexpr Status status(std::uint8_t stored) { return static_cast<Status>(stored); }
constexpr std::uint8_t stored(Status s) { return static_cast<std::uint8_t>(s); }

template <class Record>
constexpr Status statusOf(const Record& record) {
  return status(record.DUMMY);
}
template <class Record>
constexpr void setStatus(Record& record, Status s) {
  record.DUMMY = stored(s);
}

// ---------------------------------------------------------------------------
// Mail direction: NHR:MAILTYPE, as seen from the mail database's owner.

enum class MailDirection : std::uint8_t {
  InBox = 1,   // received by the owner
  OutBox = 2,  // sent by the owner
};

constexpr MailDirection mailDirection(std::uint8_t stored) { return static_cast<MailDirection>(stored); }
constexpr std::uint8_t stored(MailDirection d) { return static_cast<std::uint8_t>(d); }

template <class Record>
constexpr MailDirection mailDirectionOf(const Record& record) {
  return mailDirection(record.MAILTYPE);
}
template <class Record>
constexpr void setMailDirection(Record& record, MailDirection d) {
  record.MAILTYPE = stored(d);
}

// ---------------------------------------------------------------------------
// Task mode: Mem:DoTask.

enum class TaskMode : std::uint8_t {
  Interactive = 0,  // no scheduled task runs
  Scheduled = 2,    // a scheduled task runs
  Quitting = 6,     // a scheduled task runs and the user asked to quit it
};

constexpr TaskMode taskMode(std::uint8_t stored) { return static_cast<TaskMode>(stored); }
constexpr std::uint8_t stored(TaskMode m) { return static_cast<std::uint8_t>(m); }

// Unattended: nobody watches the run. Information and warnings are not
// shown and questions take their safe answer.
constexpr bool isUnattended(TaskMode m) { return m == TaskMode::Scheduled || m == TaskMode::Quitting; }

// ---------------------------------------------------------------------------
// Recipient kinds: NHR:RECIPTYPE, MAI:RECIPTYPE, CCT:RECIPTYPE (STRING(2)).

inline constexpr std::string_view kRecipientTo = "TO";
inline constexpr std::string_view kRecipientCc = "CC";
inline constexpr std::string_view kRecipientBc = "BC";

// ---------------------------------------------------------------------------
// The name a mail gets when its source names no sender or receiver; export
// treats it as no name.

inline constexpr std::string_view kNameUnknown = "Name Unknown";

// ---------------------------------------------------------------------------
// Export formats of the message writer: the numbers the settings keep as
// the format last used per database type (items 61, 62, 63). Number 5 is
// "Generic Mail Type 2" in a mail database and "Unix News" in a newsgroup
// database.

enum class ExportFormat : std::uint8_t {
  Tapcis = 1,
  Eudora = 2,
  GenericMail1 = 3,
  OzWin = 4,  // shown as "OzWin II"
  GenericMail2 = 5,
  UnixNews = 5,
  DBase3 = 6,
};

constexpr ExportFormat exportFormat(std::uint8_t stored) { return static_cast<ExportFormat>(stored); }
constexpr std::uint8_t stored(ExportFormat f) { return static_cast<std::uint8_t>(f); }

// ---------------------------------------------------------------------------
// What a row of Codes holds: COD:TYPE.

enum class CodeType : std::uint8_t { KeyWord = 1, Topic = 2 };

// ---------------------------------------------------------------------------
// The online service's Internet mail domain (upper case): an address
// "70000.101@COMPUSERVE.COM" is the service identifier 70000,101.

inline constexpr std::string_view kServiceMailDomain = "COMPUSERVE.COM";

// ---------------------------------------------------------------------------
// Identifiers and limits

// No identifier: what NextNr answers when it cannot give one, and the
// "none" of every identifier field (no active database, no person …).
inline constexpr std::uint32_t kNoIdentifier = 0;

// The installation-wide identifier counter never starts below this.
inline constexpr std::uint32_t kCounterFloor = 250000;

// Forum message numbers lie in 1 .. kForumNumberLimit - 1; a number from
// here on (or 0) is no forum message number and its message is skipped.
inline constexpr std::uint32_t kForumNumberLimit = 9'000'000;

// The most characters of one message text (TXT:MsgText and every memo that
// carries a message body); longer texts are cut by the import.
inline constexpr std::size_t kMessageTextMax = 64000;

// The import warns before it converts or merges with less than this many
// bytes free on the disk it writes to.
inline constexpr std::uint64_t kLowDiskBytes = 5000000;
// While converting, the free space is looked at again once the temporary
// tables have grown by this much since the last look.
inline constexpr std::uint64_t kSpaceCheckBytes = 1000000;

// The merge commits its transaction after this many record writes.
inline constexpr std::uint32_t kCommitAfterWrites = 400;

}  // namespace qv
