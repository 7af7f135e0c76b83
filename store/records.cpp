#include "store/records.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "store/dispatcher.h"
#include "store/report.h"

namespace qv {

using engine::Err;

namespace {

// How long a taker of identifiers waits for an import's hold on the counter.
constexpr int kCounterLockWait = 10;
// How long one try waits for the transaction's write lock.
constexpr std::chrono::milliseconds kCounterTryWait{50};

// Takes the counter's file lock and then the write lock of a transaction of
// its own over Control. A caller that drew inside its own transaction holds
// the write lock and waits for the file lock: the opposite order. So the
// write lock is only tried briefly; when it is taken, the file lock is let go
// for a moment (longer than a waiter's polling interval) and both are tried
// again, until the overall wait is used up. The waits are short so that a
// taker holding the file lock never keeps the other order waiting long.
Err lockCounter(engine::Session& own, engine::File& f) {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::seconds(kCounterLockWait);
  std::minstd_rand jitter(static_cast<unsigned>(Clock::now().time_since_epoch().count()));
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::seconds>(until - Clock::now()).count();
    Err e = f.lock(static_cast<int>(std::max<std::int64_t>(left, 0)));
    if (e != Err::Ok) return e;
    e = own.logoutWithin(kCounterTryWait, {&f});
    if (e != Err::UnableToLock || Clock::now() >= until) return e;
    f.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + jitter() % 40));
  }
}

std::string titleOf(const engine::File& f) { return std::string(clip(f.name().string())); }

// Takes the counter from an open Control handle whose writes nobody else can
// interleave with (the caller holds Control's write lock).
std::uint32_t advanceCounter(engine::File& f, Control& ctl, Err& failure) {
  ctl = Control{};
  ctl.ID = 1;
  Err e = f.get(Control::IdKey);
  if (e == Err::RecordNotFound) {
    ctl = Control{};
    ctl.ID = 1;
    ctl.NEXTNUMBER = 1;
    if ((e = f.add()) != Err::Ok) {
      failure = e;
      return 0;
    }
  } else if (e != Err::Ok) {
    failure = e;
    return 0;
  }
  const std::uint32_t n = ctl.NEXTNUMBER;
  ++ctl.NEXTNUMBER;
  if ((e = f.put()) != Err::Ok) {
    failure = e;
    return 0;
  }
  return n;
}

}  // namespace

std::uint32_t NextNr(Context& ctx) {
  engine::File& control = ctx.fileOf<Control>();
  std::uint32_t n = 0;
  Err failure = Err::Ok;
  std::string failureText;
  // An import locks the whole Control file while it hands out numbers from
  // a range of its own; every other taker waits for the lock, so nobody
  // draws from that range.
  const bool ownLock = control.isOpen() && control.isLocked();
  if (control.isOpen() && (control.inTransaction() || ownLock)) {
    if (!ownLock && (failure = control.lock(kCounterLockWait)) != Err::Ok) {
      failureText = control.errorText();
    } else {
      n = advanceCounter(control, ctx.ctl, failure);
      if (n == 0) failureText = control.errorText();
      if (!ownLock) control.unlock();
    }
  } else {
    // A short transaction of its own, on a handle of its own, so that it
    // neither disturbs nor joins what the caller has running.
    engine::Session own(ctx.lib.engine);
    Control rec{};
    engine::File f(own, Control::decl(), &rec);
    f.setName(BuildFileName(ctx, Control::FileNo));
    Err e = f.openOrCreate();
    if (e == Err::Ok) e = lockCounter(own, f);
    if (e == Err::Ok) {
      n = advanceCounter(f, rec, failure);
      if (n != 0 && own.commit() != Err::Ok) {
        n = 0;
        failure = own.error();
      }
      if (n == 0) {
        failureText = f.error() != Err::Ok ? f.errorText() : own.errorText();
        if (own.inTransaction()) own.rollback();
      }
    } else {
      failure = e;
      failureText = f.error() != Err::Ok ? f.errorText() : own.errorText();
    }
    f.unlock();
    if (n != 0) ctx.ctl = rec;
  }
  if (n == 0) {
    if (failure == Err::Ok) failure = Err::FileSystemError;
    inform(ctx, "Control File Error", failureText + "\r\n" + "Next ID cannot be generated!", MessageKind::Error);
  }
  return n;
}

UppDatResult UppDat(Context& ctx, engine::File& file, int op, int mode) {
  Err e = Err::Ok;
  switch (op) {
    case kUppAdd: e = file.add(); break;
    case kUppPut: e = file.put(); break;
    case kUppDelete: e = file.erase(); break;
    case kUppAppend: e = file.append(); break;
    default: e = Err::NotSupported; break;
  }
  if (e == Err::Ok) return kUppDatDone;
  const std::string first = op == kUppPut      ? "Record update error!"
                            : op == kUppDelete ? "Record delete error!"
                                               : "Record add error!";
  std::string second;
  if (e == Err::AccessDenied || e == Err::RecordNotAvailable || e == Err::RecordNotFound)
    second = "Record not available!";
  else if (e == Err::DuplicateKey)
    second = "A record with identical key already exists!";
  else
    second = file.errorText();
  if (mode == kRollback) {
    if (ctx.session.inTransaction()) ctx.session.rollback();
    inform(ctx, titleOf(file), first + "\r\n" + second + "\r\n" + "The last transaction is rolled back.",
           MessageKind::Error);
  } else {
    if (op == kUppPut || op == kUppDelete) file.release();
    inform(ctx, titleOf(file), first + "\r\n" + second, MessageKind::Error);
  }
  return kUppDatFailed;
}

HoldRecResult HoldRec(Context& ctx, engine::File& file, engine::KeyRef key, bool byKey, engine::Position position) {
  file.hold(1);
  const Err e = byKey ? file.get(key) : file.getPosition(position);
  if (e == Err::Ok) return kHoldRecHeld;
  if (e == Err::RecordNotFound)
    inform(ctx, titleOf(file),
           "The record has been deleted by another user!\r\n                   Update is cancelled!",
           MessageKind::Warning);
  else if (e == Err::RecordNotAvailable)
    inform(ctx, "The record is not accessible!",
           "The record is locked by another user!\r\nUpdate is cancelled, try again later!", MessageKind::Warning);
  else
    inform(ctx, "The record is not accessible!",
           "               The record cannot be read!\r\nUpdate is cancelled, try again later!",
           MessageKind::Warning);
  return kHoldRecFailed;
}

}  // namespace qv
