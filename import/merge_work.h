#pragma once
// The working parts of DatabaseMerge, shared by its files: the caches it
// keeps while one database is merged, and the steps every kind of database
// uses (sections, threads, persons, storing a message, counting).
//
// Caches hold only what this merge has read or written in the database; they
// stay right across the driver's commits. When a write fails the driver's
// transaction is rolled back and the run ends, so the caches are simply
// dropped with it (forget()).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "import/merge.h"
#include "store/records.h"

namespace qv {

// The outcome of a read by key.
enum class Lookup { Found, Missing, Failed };

// A thread as messages name it.
struct ThreadRef {
  std::uint32_t number = 0;
  FixedString<10> alpha;
};

// A person as messages name it.
struct PersonRef {
  std::uint32_t id = 0;
  FixedString<25> last;
  FixedString<25> first;
  FixedString<60> address;
};

// The own addresses of a mail database, lower case and without trailing
// blanks: the default address first, then the alternative addresses up to
// the first blank one.
struct OwnAddresses {
  std::string defaultAddress;
  std::vector<std::string> all;
  // Whether `address` (compared lower-cased, trailing blanks ignored) is one
  // of them. A blank address is nobody's.
  bool contains(std::string_view address) const;
};
OwnAddresses ownAddressesOf(const Forums& mailDb);

// Lower case (Windows-1252) without trailing blanks.
std::string lowerAddress(std::string_view address);

struct DatabaseMerge::Impl {
  Impl(DatabaseMerge& owner_, Context& ctx_, const TargetDatabase& db_, const ImportSettings& settings_,
       std::int32_t runDate_, std::int32_t runTime_)
      : self(owner_), ctx(ctx_), db(db_), settings(settings_), runDate(runDate_), runTime(runTime_) {}

  DatabaseMerge& self;  // writes, counts, imported, skipped, decodeHeaderText
  Context& ctx;
  const TargetDatabase db;
  const ImportSettings& settings;
  const std::int32_t runDate;
  const std::int32_t runTime;
  std::optional<Codes> mailTopic;  // the topic every imported mail is linked to

  // --- merge_common.cpp
  bool prepare();
  MergeResult merge();
  void forget();
  // A write through UppDat in mode 8, counted in `writes`.
  bool write(engine::File& f, int op);
  // A read by key; a read error rolls the transaction back and is shown.
  Lookup find(engine::File& f, engine::KeyRef key);
  bool readFailed(engine::File& f);
  // The next identifier, counted as a write. kNoIdentifier rolls the transaction back
  // with "Transaction Frame Error!" (unless unattended).
  std::uint32_t newId();
  void countPerson(std::uint32_t id, bool sent);
  void countThread(std::uint32_t number);
  void countSection(std::uint32_t sysId);

  // --- merge_threads.cpp: sections and threads
  bool loadSections();
  bool resolveSection(std::uint32_t& sysId);
  bool threadBySubject(std::uint32_t secSysId, ThreadRef& out);

  // --- merge_persons.cpp
  bool person(std::string_view address, std::string_view name, PersonRef& out);
  Lookup personById(std::uint32_t id, PersonRef& out);
  bool ownerParty(std::string_view address, std::string_view name, PersonRef& out);

  // --- merge_message.cpp: what forum and newsgroup messages share
  struct StoredMessage {
    ThreadRef thread;
    std::uint32_t fromId = 0;
  };
  // Reads message `number` (MSG:IdKey) into ctx.msg.
  Lookup findMessage(std::uint32_t number);
  // The thread and author of message `number`: from what this merge stored,
  // else from MsgNmbr.
  Lookup storedMessage(std::uint32_t number, StoredMessage& out);
  bool storeMessage(std::uint32_t number, std::uint32_t secSysId, const ThreadRef& thread, const PersonRef& from,
                    const PersonRef& to, bool isNew);

  // --- merge_forum.cpp, merge_news.cpp, merge_mail.cpp
  MergeResult mergeForum();
  bool logImported(std::uint32_t number);
  MergeResult mergeNews();
  Lookup identifierOf(std::uint32_t runNumber, std::string& out);
  Lookup numberOfIdentifier(const std::string& identifier, std::uint32_t& out);
  bool registerIdentifier(const std::string& identifier, std::uint32_t number, int mode);
  MergeResult mergeMail();
  Lookup duplicateMail(std::uint32_t fromId, std::uint32_t toId);
  // The date, minute and subject (its first 50 characters, letter case and
  // trailing blanks ignored) that duplicate mail share.
  static std::string mailKey(std::int32_t date, std::int32_t time, std::string_view subject);

  // --- carbon_copies.cpp, merge_counts.cpp
  // Where the walk through the run's carbon copies stands: the last run
  // number asked for, and the record read ahead (of a later mail).
  struct CopyWalk {
    bool started = false;
    bool ended = false;
    std::uint32_t lastRun = 0;
    std::optional<CCT> pending;
  };
  CopyWalk copyWalk;
  // The carbon-copy recipients of the mail with run number `runNumber` that
  // are not the owner, from the run's CCT.
  Lookup carbonCopies(std::uint32_t runNumber, std::vector<CCR>& out);
  bool addPersonCounts();
  bool addThreadCounts();
  bool addSectionCounts();

  // Section cache: (section number, name) → system ID.
  std::map<std::pair<std::uint32_t, std::string>, std::uint32_t> sections;
  // Threads by section and full subject (threadKey); loadedRuns names the
  // runs of THR:SecKey (section and upper-case alpha) already read, so a
  // subject missing from `threads` within a loaded run has no thread.
  std::unordered_map<std::string, ThreadRef> threads;
  std::unordered_set<std::string> loadedRuns;
  // Persons by identifying string and by identifier.
  std::unordered_map<std::string, PersonRef> personsByString;
  std::unordered_map<std::uint32_t, PersonRef> personsById;
  // Messages stored by this merge: number → thread and author.
  std::unordered_map<std::uint32_t, StoredMessage> stored;
  // Newsgroups: message identifiers (upper case) → their numbers, as read or
  // registered by this merge.
  std::unordered_map<std::string, std::uint32_t> messageIds;
  // Mail databases: the own addresses, the owner as the list names it, and
  // the owner once known.
  OwnAddresses own;
  // Mail databases: whether the mail table was empty when this merge began,
  // and the mails this merge stored by date, minute and subject (mailKey).
  // Mail enters a database only through an import, and imports exclude each
  // other, so in a database that began empty these are all the candidates a
  // duplicate test has: it reads them from here instead of walking the mail
  // table by subject.
  struct StoredMail {
    std::uint32_t fromId = 0;
    std::uint32_t toId = 0;
    std::uint32_t mailId = 0;
  };
  bool mailBeganEmpty = false;
  std::unordered_map<std::string, std::vector<StoredMail>> storedMails;
  std::uint32_t listOwnerId = 0;
  bool ownerKnown = false;
  PersonRef owner;
};

}  // namespace qv
