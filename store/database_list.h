#pragma once
// The database list (Forums) and what keeps each database directory in
// step with it: creating forum and mail databases, changing a mail
// database's addresses, allowing or refusing imports, the database's own
// description (REF) and removing a database with its files.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store/context.h"
#include "store/records.h"

namespace qv {

// Makes the database of `record` the one the globals name: its directory
// name, identifier, name, type, newsgroup flag, status, owner person and
// word-list flag. Its tables open in its directory from then on.
void setDatabaseGlobals(MemGroup& mem, const Forums& record);

// Writes the database description of the record in ctx.for_ into REF of the
// directory ctx.mem.Dirnamn (adding it, or rewriting it when it differs).
// `mode` is the write error mode (kReport 7, kRollback 8). Answers as
// UppDat: kUppDatDone on success.
UppDatResult UpdREF(Context& ctx, int mode);

// The highest directory number in the list plus 1, or 1 for an empty list.
std::uint32_t NextDirNumber(Context& ctx);

// A directory number for a new database, at least NextDirNumber and at
// least `atLeast`, whose directory this call has just created. Processes
// adding databases at once each get a number of their own: the directory
// is the reservation (a directory made by anyone else is passed over).
// 0 when no directory can be made (the user was told why).
std::uint32_t ReserveDirNumber(Context& ctx, std::uint32_t atLeast = 1);

// Gives back a reservation that was not used: removes its directory when
// it is still empty.
void ReleaseDirNumber(Context& ctx, std::uint32_t dirNumber);

// The quick form " Add New Forum": adds a forum database named `name` with a
// new identifier and the next free directory, creates the directory and its
// description. False when the record cannot be added (the user was told
// why, e.g. a name that exists already); ctx.for_ then still holds the
// entered values, as the form does.
bool AddForumDatabase(Context& ctx, std::string_view name);

struct MailDatabaseForm {
  std::string name;     // "Mail database name"
  std::string address;  // "Default mail address"
  std::array<std::string, 10> alternatives;  // "Alternative mail address"
};

// The form "Add New Mail Database": creates the directory F<dirNumber>,
// and in one transaction adds the owner as a person, the database record and
// its description. On success `dirNumber` is raised by 1 and ctx.for_ holds
// the new record (its identifier and name are what a caller asking for the
// new database gets); on failure everything is rolled back.
bool AddMailDatabase(Context& ctx, const MailDatabaseForm& form, std::uint32_t& dirNumber);

// The form "Update alternative addresses": rewrites the name and the
// alternative addresses of mail database `id` (its default address stays)
// together with its description, in one transaction.
bool UpdateMailDatabase(Context& ctx, std::uint32_t id, const MailDatabaseForm& form);

// "Allow import" / "Disallow import" from the database selection list.
bool SetImportAllowed(Context& ctx, std::uint32_t id, bool allowed);

// Holds the record of database `id` in the list (HoldRec), lets `change` set
// its fields in ctx.for_ and rewrites it (UppDat, mode 7). False when it
// could not be held (missing, held elsewhere) or rewritten; the user was
// told why and nothing changed. ctx.for_ is left holding the record.
bool changeDatabaseRecord(Context& ctx, std::uint32_t id, const std::function<void(Forums&)>& change);

// Raises or clears FOR:WORDLISTINDEXNEEDSUPDATE of the active database, and
// Mem:WordListIndexNeedsUpdate with it. False (after a message) when the
// record could not be held or written; memory is then unchanged.
bool SetWordListNeedsUpdate(Context& ctx, bool needed);

// Removes the active database's files and directories (also the word-index
// directory when it lies apart), clears it from the import definitions, and
// sets ctx.mem.ForumNumber to 0. The caller makes sure no other window uses
// the database. False when files could not be removed (the user was told).
bool RemoveDatabaseFiles(Context& ctx);

// Removes database `id` altogether: its files as above and its record in the
// database list. False when it does not exist or its files stay.
bool RemoveDatabase(Context& ctx, std::uint32_t id);

}  // namespace qv
