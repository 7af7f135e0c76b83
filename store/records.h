#pragma once
// The shared procedures through which every part of the system writes
// records and reports what failed: the identifier counter, the write
// wrapper, the locking read.

#include <cstdint>

#include "store/context.h"

namespace qv {

// UppDat operations.
enum UppDatOp : int { kUppAdd = 1, kUppPut = 2, kUppDelete = 3, kUppAppend = 4 };
// Error modes of UppDat and QError.
enum ErrorMode : int { kReport = 7, kRollback = 8 };

// What UppDat answers (and UpdREF, which writes through it).
enum UppDatResult : std::uint8_t { kUppDatFailed = 0, kUppDatDone = 1 };
// What HoldRec answers.
enum HoldRecResult : std::uint8_t { kHoldRecFailed = 0, kHoldRecHeld = 1 };

// The next identifier of the installation-wide counter (Control record 1),
// or 0 when none can be given (reported as "Next ID cannot be generated!").
// A missing counter record is created, so the very first identifier is 1.
// Safe between threads and processes: inside a transaction that includes
// Control the transaction's write lock serialises the callers; otherwise the
// counter is advanced in a short transaction of its own.
std::uint32_t NextNr(Context& ctx);

// Adds, rewrites, deletes or appends the current record of `file`.
// kUppDatDone on success. On failure kUppDatFailed, after: mode 7 — the hold of a rewrite or
// delete is released and, unless unattended, the failure shown under the
// file's name; mode 8 — the session's transaction is rolled back and,
// unless unattended, the failure shown with "The last transaction is rolled
// back.".
UppDatResult UppDat(Context& ctx, engine::File& file, int op, int mode);

// Reads and holds a record, by `key` (its value in the buffer) or by
// `position` when byKey is false, waiting 1 second for a hold elsewhere.
// kHoldRecHeld when read and held; otherwise kHoldRecFailed after telling the user (unless
// unattended) that it was deleted, is locked, or cannot be read.
HoldRecResult HoldRec(Context& ctx, engine::File& file, engine::KeyRef key, bool byKey, engine::Position position);

}  // namespace qv
