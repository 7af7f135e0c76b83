// Procedures started by code, and the library's own in-place codes: the
// transaction check and the clearing of a removed database from the import
// definitions.
#include <vector>

#include "store/dispatcher.h"
#include "store/records.h"
#include "store/report.h"
#include "store/utilities.h"

namespace qv {

using engine::Err;

std::uint8_t SemaFore(Context& ctx, int code) {
  const Library::Procedure procedure = ctx.lib.procedure(code);
  return procedure ? procedure(ctx) : 0;
}

void registerLibraryProcedures(Library& lib) {
  lib.registerProcedure(kSemaClearDefinitions, ClearFromDefinitions);
  lib.registerProcedure(kSemaTransactionCheck, TransactionCheck);
  // 213, the per-person message count of forum and newsgroup databases, is
  // registered with the persons (registerPersonProcedures in persons.h).
}

TransactionCheckResult TransactionCheck(Context& ctx) {
  if (ctx.session.error() == Err::Ok) return kTransactionStarted;
  // Taken before the rollback, which leaves its own outcome in the session.
  const std::string why = ctx.session.errorText();
  inform(ctx, "Warning!", "Transaction Frame Error!\r\n" + why, MessageKind::Warning);
  if (ctx.session.inTransaction()) ctx.session.rollback();
  return kTransactionFailed;
}

ClearDefinitionsResult ClearFromDefinitions(Context& ctx) {
  const std::uint32_t removed = ctx.mem.ForumNumber;
  if (removed == kNoIdentifier) return kDefinitionsCleared;

  OP_CLOSE(ctx, kOpOpen, {BAT::FileNo});
  engine::File& definitions = ctx.fileOf<BAT>();
  BAT& bat = ctx.bat;

  // First find them, then change them one by one, each held while it is
  // rewritten and checked again in case it changed since the walk.
  std::vector<engine::Position> found;
  ClearDefinitionsResult result = kDefinitionsCleared;
  Err e = definitions.set();
  while (e == Err::Ok && (e = definitions.next()) == Err::Ok)
    if (bat.DATABASE == removed || bat.MAILBOX == removed) found.push_back(definitions.position());
  if (e != Err::RecordNotAvailable) {
    inform(ctx, std::string(clip(definitions.name().string())), definitions.errorText(), MessageKind::Error);
    result = kDefinitionsNotCleared;
  }

  for (const engine::Position pos : found) {
    if (HoldRec(ctx, definitions, engine::KeyRef{}, false, pos) != kHoldRecHeld) {
      result = kDefinitionsNotCleared;
      continue;
    }
    const bool forum = bat.DATABASE == removed;
    const bool mail = bat.MAILBOX == removed;
    if (!forum && !mail) {
      definitions.release();
      continue;
    }
    if (forum) {
      bat.DATABASE = 0;
      bat.FORUMMSG = 0;
    }
    if (mail) {
      bat.MAILBOX = 0;
      bat.MAILMSG = 0;
    }
    if (UppDat(ctx, definitions, kUppPut, kReport) != kUppDatDone) result = kDefinitionsNotCleared;
  }

  OP_CLOSE(ctx, kOpRelease, {BAT::FileNo});
  return result;
}

}  // namespace qv
