#pragma once
// "Change first and last name": renaming a person together with every name
// copy of it in the message tables, and, for a mail database's own person,
// the database's name.

#include <cstdint>
#include <string_view>

#include "store/context.h"

namespace qv::browse {

// The form's title by database type: " Update Mail Partner name", " Update
// Forum Member name", " Update Newsgroup Participant name".
std::string_view renameTitle(DatabaseType type);

enum class RenameOutcome {
  Renamed,
  ChangedMeanwhile,  // "The record has just been changed by another user!\r\nTry again!"; nothing saved
  Failed,            // the person could not be held, or a write failed (reported); nothing saved
};

struct RenameResult {
  RenameOutcome outcome = RenameOutcome::Failed;
  // The person as stored afterwards: renamed, or what the other user stored
  // (for the form to show), or the copy it opened with when nothing could be read.
  Person stored{};
};

// Renames person `opened.PERSONID` of the active database to `lastName` and
// `firstName` (cut to 25 bytes each), in one transaction over Mail, Person,
// Forums and REF (a mail database) or MsgNmbr and Person (the others):
// - the person re-read there must equal `opened` byte for byte (the copy the
//   form took); otherwise "Warning!" / "The record has just been changed by
//   another user!\r\nTry again!" (unless unattended) and nothing is saved.
// - when the last name changes, every name copy of the person is rewritten:
//   MSG:FROMALPHA / MSG:TOALPHA, or MAI:FROMALPHA / MAI:TOALPHA and
//   MAI:PAIRALPHA where the person is the mail's partner. Without a last-name
//   change no message record is written.
// - the mail database's default person (Mem:PersonID) also renames the
//   database: its FOR:DESCRIPTION and REF become the first name, a blank and
//   the last name (the last name alone when the first is blank), and after
//   the commit ctx.mem.Description and the library's published globals carry
//   it. A name another database already has fails the rename (reported).
// Opens and releases its tables; uses ctx.per, ctx.msg / ctx.mai, ctx.for_.
RenameResult renamePerson(Context& ctx, const Person& opened, std::string_view lastName, std::string_view firstName);

}  // namespace qv::browse
