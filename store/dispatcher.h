#pragma once
// The table dispatcher: every table is opened, closed, emptied, packed,
// removed and probed by its file number through OP_CLOSE, which keeps a use
// count per table, builds the file name from the globals at open time,
// creates missing files and repairs what it can. What it cannot repair ends
// the program (Halt) after a message that says why.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string_view>

#include "store/context.h"

namespace qv {

enum OpCloseOp : int {
  kOpRelease = 0,        // lower the use count; close at 0
  kOpOpen = 1,           // open shared (read-only, and never created, for the source stores 11, 12, 20, 21, 40, 48) and count
  kOpOpenExclusive = 2,  // open with all others denied and count
  kOpEmpty = 3,          // delete all records; count 0
  kOpForceClose = 4,     // close whatever the count; count 0
  kOpPack = 5,           // compact the file; count 0
  kOpRemove = 6,         // close and delete the file; count 0
  kOpProbe = 7,          // open exclusively without repair; a layout mismatch raises IndexingInProgress (and Context::probeRaised)
};

// Applies `op` to each file number in order. Numbers 28, 29, 30 and 32 (the
// word index's own tables) are passed over. A number that names no table
// stops the program.
void OP_CLOSE(Context& ctx, int op, std::initializer_list<int> fileNos);

// Resets every use count (once, at start-up).
void InitWinXP(Context& ctx);

// The file name of a table from the globals, also left in ctx.FileName.
// For the word-index files 28, 29 and 33 the index directory is created when
// it lies apart from the database directories. A blank name stops the program.
std::filesystem::path BuildFileName(Context& ctx, int fileNo);

enum ExistPathMode : int {
  kPathTest = 1,           // test a path
  kTableDirTest = 2,       // test the directory of a table's file
  kPathCreate = 3,         // test a path and create it when missing
  kTableDirCreate = 4,     // the same for a table's directory
};

// What ExistPath answers.
enum ExistPathResult : std::uint8_t { kPathMissing = 0, kPathExists = 1 };

// kPathExists when the directory exists. When it does not, unless `quiet` or
// unattended, beeps and shows "The specified path … does not exist." with
// `extra`; modes 3 and 4 then create it (still answering kPathMissing) and
// stop the program when that fails. Modes 1 and 3 take only absolute paths:
// any other gives kPathMissing at once, without a message.
ExistPathResult ExistPath(Context& ctx, int mode, const std::filesystem::path& path, std::string_view extra = {},
                          bool quiet = false);
ExistPathResult ExistPath(Context& ctx, int mode, int fileNo, std::string_view extra = {}, bool quiet = false);

// Two paths name the same directory as the program compares directory
// settings: in upper case, trailing blanks and separators ignored.
bool samePath(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace qv
