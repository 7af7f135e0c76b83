#pragma once
// Persons of a message database: finding or adding the person behind a name
// and an address, checking a person's message counts against the messages
// that name it, and judging whether two message texts are the same.
//
// The name and address rules themselves (identifying string, name split,
// address split, text comparison) are in store/names.h; this file applies
// them to the Person, PLINK, Mail, MsgNmbr and MsgText tables of the active
// database, through the Context's record buffers.

#include <cstdint>
#include <string_view>

#include "store/context.h"

namespace qv {

// What AddPers answers.
enum AddPersResult : std::uint8_t {
  kPersonReady = 0,   // ctx.per holds the person
  kPersonFailed = 1,  // the caller's transaction was rolled back
};

// Finds or adds the person for a name and an address.
//
// Must run inside the caller's transaction over Person, PLINK and Control
// (all three open); every write uses error mode 8, so any failure rolls the
// whole transaction back.
//
// The identifying string (personString) is looked up in PER:StringKey, then
// as an alias in PLI:StringKey:
// - found as a person, or as an alias of an existing person: kPersonReady, ctx.per
//   holds that person; nothing is written.
// - not found: a new person is added (below); kPersonReady, ctx.per holds it.
// - an alias whose person no longer exists: the alias is deleted and a new
//   person added under the string; kPersonReady, ctx.per holds the new person.
// - failure: kPersonFailed. When no identifier can be had (NextNr gives 0) the message
//   "A new person ID could not be generated \r\nThe last transaction is rolled
//   back." is shown under the Person file's name (except while Mem:DoTask is
//   2) after NextNr's own report, and the transaction is rolled back. A failed
//   write was reported and rolled back by UppDat.
// A new person gets the next identifier, the identifying string, the address
// (cut to 60 bytes), the name split by ParseName into LASTNAME and FIRSTNAME
// (25 bytes each), counts 0, LASTDATE 0 and status 0.
//
// Names and addresses may have any length and any bytes; they are cut to
// their fields. Also changes ctx.pli (the alias looked up).
AddPersResult AddPers(Context& ctx, std::string_view address, std::string_view name);

// Results of the message count checks.
enum CountResult : std::uint8_t {
  kCountsUnchanged = 0,
  kCountsChanged = 2,  // stored in ctx.per; the caller rewrites the person
  kPersonUnused = 3,   // no message names the person; it may be removed
};

// CFromToMail modes: whether the person is the mailbox owner.
inline constexpr int kCountOther = 0;  // a person without mail is reported unused
inline constexpr int kCountOwner = 1;  // the owner stays: counts 0 are stored

// Counts the mails of the person in ctx.per (a mail database, Mail open):
// the records of MAI:FromKey whose FROMALPHA is the first 10 characters of
// PER:LASTNAME and whose FROMID is PER:PERSONID, and likewise along
// MAI:ToKey. Mails of other persons whose last names start alike are not
// counted, and neither are the person's mails whose name copy is stale.
// - No mail: mode 0 gives kPersonUnused; mode 1 sets FROMCOUNT and TOCOUNT
//   to 0 and gives kCountsChanged; any other mode gives kCountsUnchanged and
//   changes nothing.
// - Counts equal to PER:FROMCOUNT and PER:TOCOUNT: kCountsUnchanged.
// - Otherwise the counts are stored in ctx.per: kCountsChanged.
// Nothing is written. When the Mail table cannot be read the result is 0 (so
// no caller removes or rewrites the person on a partial count) after the
// engine's error is shown under the file's name, unless unattended.
// ctx.mai is used for the walk.
CountResult CFromToMail(Context& ctx, int mode);

// The same count for forum and newsgroup databases, along MSG:FromKey and
// MSG:ToKey of MsgNmbr: a person without messages always gives kPersonUnused; otherwise
// as CFromToMail. ctx.msg is used for the walk.
CountResult ForumFromToCount(Context& ctx);

// SemaFore code of ForumFromToCount.
inline constexpr int kSemaForumFromToCount = 213;

// Registers the person procedures started by code (213).
void registerPersonProcedures(Library& lib);

// DupString modes.
inline constexpr int kDupImported = 1;  // the stored text of firstId against the text being imported
inline constexpr int kDupStored = 2;    // the stored texts of firstId and secondId

// kTextsSame when two message texts count as the same (sameText: trailing
// blanks ignored, the shorter is the start of the longer, lengths differ by
// less than 20), else kTextsDiffer. Texts are read by TXT:IdKey from MsgText (open).
// A message without a stored text is never the same as anything, so a
// message is not dropped as a duplicate of a text that does not exist; the
// same goes for a text that cannot be read (its engine error is shown under
// the file's name, unless unattended) and for any other mode.
// `importedText` is used in mode 1 only; it may view ctx.txtMemo. ctx.txt and
// ctx.txtMemo hold the last text read afterwards.
enum DupStringResult : std::uint8_t { kTextsDiffer = 0, kTextsSame = 1 };
DupStringResult DupString(Context& ctx, int mode, std::uint32_t firstId, std::uint32_t secondId,
                          std::string_view importedText = {});

}  // namespace qv
