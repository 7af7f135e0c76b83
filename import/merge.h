#pragma once
// Merging the converted messages of one target database into it.
//
// The import driver opens the database's tables (tables()), starts and
// commits the transactions, walks the temporary message file in key order
// and hands each record to merge() through ctx.nhr / ctx.nhrMemo. The merge
// turns it into stored messages — a message and its text in a forum or
// newsgroup database, a mail with its text in a mail database — finding or
// creating sections, threads and persons, deciding duplicates and re-imports,
// and counting per person, thread and section in memory. After the last
// record the driver asks for the carbon copies (mail) and the counts.
//
// Every write goes through UppDat in mode 8: the first failure rolls the
// driver's transaction back, is reported, and fails the record (the run
// then ends). The one exception is registering a newsgroup message's own
// identifier: when that add fails (reported) the record is skipped.
//
// Within one database the merge keeps what it has read or written in
// memory — sections, threads by subject, persons by identifying string,
// the thread and author of each message it stored, newsgroup identifiers —
// so a large import reads each of them once.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "import/settings.h"
#include "import/targets.h"
#include "store/context.h"

namespace qv {

// Counts collected while merging, added to the stored counts afterwards.
struct CountingLists {
  struct PersonCount {
    std::uint32_t sent = 0;
    std::uint32_t received = 0;
  };
  std::map<std::uint32_t, PersonCount> persons;  // by person identifier
  std::map<std::uint32_t, std::uint32_t> threads;   // by thread number
  std::map<std::uint32_t, std::uint32_t> sections;  // by section system ID
  bool dropped = false;  // the lists could not grow: counting is skipped for the database
};

enum class MergeResult { Imported = 0, Skipped = 1, Failed = 2 };

class DatabaseMerge {
 public:
  // `db` is the database being merged into; ctx.mem names it (Dirnamn,
  // ForumNumber, ForumType, PersonID for mail) and its tables are open.
  // `settings` must outlive the merge. runDate and runTime are when the
  // import started; every stored text carries them.
  DatabaseMerge(Context& ctx, const TargetDatabase& db, const ImportSettings& settings, std::int32_t runDate,
                std::int32_t runTime);
  ~DatabaseMerge();
  DatabaseMerge(const DatabaseMerge&) = delete;
  DatabaseMerge& operator=(const DatabaseMerge&) = delete;

  // Decodes the encoded words of a sender name, receiver name or subject
  // (the message body decoding's header rule). Applied to each of them that
  // is not blank before anything else; the result is cut to the field.
  // Empty (the default): the texts are taken as they are.
  std::function<std::string(std::string_view)> decodeHeaderText;

  // The file numbers of the database's tables the merge writes for this
  // database's type (forum: MsgNmbr, MsgText, Person, PLINK, Sections,
  // Threads; newsgroup: the same and MsgString; mail: Mail, MsgText, Person,
  // PLINK, CCR, SIndex). The driver opens them, together with Control,
  // SaveFile, NewHR, CCT and TempID (which the merge also uses), and names
  // them with Control and SaveFile in its transactions (at most 9 tables).
  std::vector<int> tables() const;

  // Loads what the merge keeps per database: the section cache (forum and
  // newsgroup); for a mail database its list record (Forums, opened and
  // released here) with the own addresses. False when it cannot (reported).
  bool prepare();

  // Merges the record in ctx.nhr / ctx.nhrMemo inside the driver's
  // transaction. Imported: stored (and counted). Skipped: a duplicate mail, a
  // newsgroup message without identifier or already stored (re-import off),
  // or an identifier that could not be registered (reported). Failed: a write
  // failed or no identifier could be had; the transaction is rolled back,
  // the failure reported (unless unattended), and the run must end: the
  // merge's caches are dropped with the transaction's records. ctx.nhr may
  // be changed (decoded texts, reference and number resolved, cut time).
  MergeResult merge();

  // Writes since the driver last committed (the driver resets it).
  std::uint32_t writes = 0;

  // Carbon copies are stored with their mail, in the same transaction (see
  // merge()): a run cut off between a mail and a later carbon-copy step
  // would lose the copies for good, since the rerun skips the stored mail as
  // a duplicate.

  // Add the counting lists to the stored counts of persons, threads and
  // sections, each list in the driver's transaction; a list is emptied once
  // written, so a repeated call adds nothing twice. Records removed since
  // are passed over. Nothing happens when the lists were dropped. False on a
  // read or write error (reported, rolled back).
  bool addPersonCounts();
  bool addThreadCounts();
  bool addSectionCounts();

  CountingLists counts;
  std::uint64_t imported = 0;
  std::uint64_t skipped = 0;

 private:
  // The caches and the steps of the merge (import/merge_work.h).
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The own-address check of the mail readers: compares the sender address
// (lower-cased, trailing blanks ignored) with the mail database's default
// and alternative addresses (up to the first blank one); a blank sender
// address is nobody's. No match: in-box mail (NHR:MAILTYPE 1), the receiver
// address becomes the default address, the sender address is stored
// lower-cased. A match: out-box (2), the sender address becomes the default
// address, the receiver address is stored lower-cased. The default address
// is stored lower-cased too, so the owner's side always names the same
// person. Works on ctx.nhr; `mailDb` is the mail database's list record.
void ownAddressCheck(Context& ctx, const Forums& mailDb);

}  // namespace qv
