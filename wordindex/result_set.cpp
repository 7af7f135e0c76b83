#include "wordindex/result_set.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <unordered_set>

#include "store/dispatcher.h"
#include "store/engine/lock_file.h"
#include "store/report.h"
#include "store/table_use.h"

namespace qv::wordindex {

namespace {

using engine::Err;
using engine::LockFile;

constexpr const char* kErrorTitle = "Search Result Error";
// The byte of SEARCH.SET.lck whose lock is a store's (exclusive) or a
// read's (shared) turn.
constexpr long long kTurnByte = 0;
// Search is the stores' alone while its keys are built.
constexpr int kKeyBuildLockSeconds = 5;

std::filesystem::path ownerFile(const Context& ctx) { return ctx.mem.TempDir / kResultSetOwnerFileName; }

// The turn of one store (exclusive) or read (shared) of the result set.
// False when the turn did not come (reported).
bool takeTurn(Context& ctx, LockFile& lock, bool exclusive) {
  if (!lock.open(ownerFile(ctx), true)) {
    const int error = errno;
    inform(ctx, kErrorTitle,
           "The file " + LockFile::pathFor(ownerFile(ctx)).string() + " cannot be opened:\r\n" +
               std::generic_category().message(error),
           MessageKind::Error);
    return false;
  }
  if (lock.lock(kTurnByte, exclusive, kResultSetWaitSeconds)) return true;
  inform(ctx, kErrorTitle, "The search results are being stored elsewhere.\r\nTry again when that has finished.",
         MessageKind::Error);
  return false;
}

// The database of the stored set as SEARCH.SET names it; nothing when the
// file is missing or does not hold a number and a line end.
std::optional<std::uint32_t> readOwner(const Context& ctx) {
  std::ifstream in(ownerFile(ctx), std::ios::binary);
  // A number and a line end: anything longer is not what a store wrote.
  char buffer[32] = {};
  in.read(buffer, sizeof buffer);
  const std::string text(buffer, static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  std::uint32_t id = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (ec != std::errc() || end == text.data() || std::string_view(end, text.data() + text.size()) != "\n")
    return std::nullopt;
  return id;
}

// Written aside and moved into place, so SEARCH.SET always holds a whole
// number. False when it cannot be written (reported).
bool writeOwner(Context& ctx, std::uint32_t database) {
  std::filesystem::path aside = ownerFile(ctx);
  aside += ".new";
  {
    std::ofstream out(aside, std::ios::binary | std::ios::trunc);
    out << database << '\n';
    out.close();
    std::error_code ec;
    if (out) std::filesystem::rename(aside, ownerFile(ctx), ec);
    if (out && !ec) return true;
  }
  inform(ctx, kErrorTitle, "The file " + ownerFile(ctx).string() + " cannot be written.", MessageKind::Error);
  return false;
}

// Closes the context's Search handle when the scope ends.
struct SearchClosed {
  engine::File& file;
  ~SearchClosed() { file.close(); }
};

StoreResult failed(Context& ctx, engine::File& search) {
  inform(ctx, kErrorTitle, "The search results cannot be stored.\r\n" + search.errorText(), MessageKind::Error);
  return StoreResult::Failed;
}

// Reads each listed record of the active database (once, at its first
// place), drops those no longer there and orders the rest. False when a
// read failed (reported).
// A record's identifier (packed fields: read and written by value, never
// through a pointer).
std::uint32_t idOf(const Mail& m) { return m.MAILID; }
std::uint32_t idOf(const MsgNmbr& m) { return m.MSGNUMBER; }
void setId(Mail& m, std::uint32_t id) { m.MAILID = id; }
void setId(MsgNmbr& m, std::uint32_t id) { m.MSGNUMBER = id; }

template <class Record>
bool readSorted(Context& ctx, Record& buffer, engine::KeyRef idKey,
                const std::vector<std::uint32_t>& ids, ResultOrder order, std::vector<std::uint32_t>& sorted) {
  TableUse use(ctx, {Record::FileNo});
  engine::File& table = ctx.fileOf<Record>();
  std::vector<Record> records;
  std::unordered_set<std::uint32_t> seen;
  const engine::ReadBurst reading{&table};
  for (std::uint32_t wanted : ids) {
    if (!seen.insert(wanted).second) continue;
    buffer = Record{};
    setId(buffer, wanted);
    const Err e = table.get(idKey);
    if (e == Err::RecordNotFound) continue;
    if (e != Err::Ok) {
      inform(ctx, kErrorTitle, table.errorText(), MessageKind::Error);
      return false;
    }
    records.push_back(buffer);
  }
  std::stable_sort(records.begin(), records.end(),
                   [order](const Record& a, const Record& b) { return compareInOrder(a, b, order) < 0; });
  sorted.clear();
  for (const Record& r : records) sorted.push_back(idOf(r));
  return true;
}

}  // namespace

StoreResult storeResultSet(Context& ctx, const std::vector<std::uint32_t>& ids) {
  LockFile turn;
  if (!takeTurn(ctx, turn, true)) return StoreResult::Failed;
  engine::File& search = ctx.fileOf<Search>();
  SearchClosed closed{search};
  search.close();
  search.setName(BuildFileName(ctx, Search::FileNo));
  // Search goes first: until the new owner is written, SEARCH.SET names
  // the database of the rows just removed, never of rows still there.
  if (search.remove() != Err::Ok) return failed(ctx, search);
  if (!writeOwner(ctx, ctx.mem.ForumNumber)) return StoreResult::Failed;
  if (search.create() != Err::Ok || search.open() != Err::Ok) return failed(ctx, search);
  {
    Transaction transaction(ctx, {&search});
    if (!transaction.started()) return StoreResult::TransactionFailed;
    std::unordered_set<std::uint32_t> stored;
    std::uint32_t position = 0;
    for (std::uint32_t id : ids) {
      if (!stored.insert(id).second) continue;
      ctx.sea.SORT = ++position;
      ctx.sea.ID = id;
      // The transaction rolls back as it goes out of scope: Search stays empty.
      if (search.append() != Err::Ok) return failed(ctx, search);
    }
    if (!transaction.commit()) return StoreResult::Failed;
  }
  // No identifier was stored twice, so the unique keys build: any error
  // here is a failure.
  if (search.lock(kKeyBuildLockSeconds) != Err::Ok) return failed(ctx, search);
  const Err built = search.build();
  search.unlock();
  return built == Err::Ok ? StoreResult::Stored : failed(ctx, search);
}

StoredResultSet readResultSet(Context& ctx) {
  StoredResultSet set;
  LockFile turn;
  if (!takeTurn(ctx, turn, false)) {
    set.state = ResultSetState::Failed;
    return set;
  }
  const std::optional<std::uint32_t> owner = readOwner(ctx);
  if (!owner) return set;
  engine::File& search = ctx.fileOf<Search>();
  SearchClosed closed{search};
  search.close();
  search.setName(BuildFileName(ctx, Search::FileNo));
  Err e = search.open();
  // Keys left unbuilt by a store that was killed after its commit.
  if (e == Err::BadKeys) e = search.build();
  // A file of an older layout holds no set of ours.
  if (e == Err::FileNotFound || e == Err::LayoutDiffers) return set;
  if (e == Err::Ok && *owner != ctx.mem.ForumNumber) {
    set.state = ResultSetState::OtherDatabase;
    set.database = *owner;
    return set;
  }
  if (e == Err::Ok) e = search.set(Search::SortKey);
  while (e == Err::Ok && (e = search.next()) == Err::Ok) set.ids.push_back(+ctx.sea.ID);
  if (e != Err::RecordNotAvailable) {
    inform(ctx, kErrorTitle, "The search results cannot be read.\r\n" + search.errorText(), MessageKind::Error);
    set.ids.clear();
    set.state = ResultSetState::Failed;
    return set;
  }
  set.database = *owner;
  set.state = ResultSetState::Read;
  return set;
}

ResortOutcome resort(Context& ctx, ResultSet& list, ResultOrder order, std::optional<std::uint32_t> remembered) {
  ResortOutcome outcome;
  if (list.order == order) return outcome;
  const DatabaseType type = databaseType(ctx.mem.ForumType);
  if (!offers(type, order)) {
    outcome.result = ResortResult::NotOffered;
    return outcome;
  }
  std::vector<std::uint32_t> sorted;
  const bool read = type == DatabaseType::Mail
                        ? readSorted(ctx, ctx.mai, Mail::IdKey, list.ids, order, sorted)
                        : readSorted(ctx, ctx.msg, MsgNmbr::IdKey, list.ids, order, sorted);
  if (!read) {
    outcome.result = ResortResult::ReadFailed;
    return outcome;
  }
  list.ids = std::move(sorted);
  list.order = order;
  outcome.result =
      storeResultSet(ctx, list.ids) == StoreResult::Stored ? ResortResult::Sorted : ResortResult::StoreFailed;
  if (remembered && !list.ids.empty()) {
    const auto it = std::find(list.ids.begin(), list.ids.end(), *remembered);
    outcome.row = it == list.ids.end() ? 0 : static_cast<std::size_t>(it - list.ids.begin());
  }
  return outcome;
}

}  // namespace qv::wordindex
