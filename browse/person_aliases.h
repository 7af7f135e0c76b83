#pragma once
// The alias addresses of a person ("ShowAlias"): listing them, and saving a
// swap of the current address with one of them.

#include <cstdint>
#include <string_view>
#include <vector>

#include "store/context.h"

namespace qv::browse {

// The person's aliases (PLINK by PLI:PersonKey), in key order. Opens and
// releases PLINK; uses ctx.pli.
std::vector<PLINK> aliasesOf(Context& ctx, std::uint32_t personId);

enum class SwapOutcome {
  Swapped,   // the person carries the alias's string and address, the alias the old string
  Unchanged, // the strings differ at most in letter case: nothing saved, nothing shown
  Refused,   // the mail database's default person: "You are not allowed to change the mail default address!"
  Failed,    // "Failed to swap address!" or a failed write (reported); nothing saved
};

// The address an identifying string carries: the text after its last blank
// (the whole string without one). Identifying strings are upper case, so is
// the address.
std::string_view addressOf(std::string_view personString);

// "Save address change" after "Swap highlighted address with the current
// one" chose `aliasString`. When the string differs (without regard to case)
// from the person's: a mail database's default person (Mem:PersonID) is
// refused with "Warning!" / "You are not allowed to change the mail default
// address!". Otherwise one transaction over Person and PLINK re-reads the
// person, stores the alias string and its address into it, and rewrites the
// alias with the old string. A person or alias that cannot be read (also an
// alias of another person) gives "Warning!" / "Failed to swap address!" and
// rolls back. Messages are shown unless unattended. Opens and releases
// Person and PLINK; uses ctx.per and ctx.pli.
SwapOutcome swapAlias(Context& ctx, std::uint32_t personId, std::string_view aliasString);

}  // namespace qv::browse
