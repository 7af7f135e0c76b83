#pragma once
// The data-path dialog: asks for the directory below which the database
// directories lie when the saved one is gone.

#include <cstdint>

#include "store/context.h"

namespace qv {

// Mode 1: the dialog " Path to database files", starting with the saved
// database directory. The answer must be an existing directory (otherwise
// "This path does not exist!" and the dialog asks again); it is then saved
// as the database directory and becomes ctx.mem.FileDir: kPathChosen.
// Giving up ("Exit Quorvel") changes nothing and answers kPathGivenUp; the
// program then ends.
enum NewPathResult : std::uint8_t { kPathGivenUp = 0, kPathChosen = 1 };
NewPathResult NewPath(Context& ctx, int mode);

}  // namespace qv
