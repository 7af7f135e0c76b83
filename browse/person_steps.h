#pragma once
// "Previous/Next Sender", "Previous/Next Receiver" (and, in a mail
// database, "Previous/Next Partner"): the person beside the current one in
// the view's key, found through the messages themselves, so that only
// persons with messages in that role are visited. At either end the step
// fails with a beep.

#include <cstdint>
#include <optional>
#include <string>

#include "browse/thread_steps.h"
#include "store/context.h"

namespace qv::browse {

enum class PersonRole { Sender, Receiver, Partner };

// A person as a limiting view holds it: the identifier and the name copy
// the message keys begin with.
struct PersonLimit {
  std::uint32_t id = 0;
  std::string copy;
  friend bool operator==(const PersonLimit&, const PersonLimit&) = default;
};

// The neighbour of `current` in the role's key of the active database
// (partners only in a mail database); nothing, after a beep, at an end.
std::optional<PersonLimit> neighbourPerson(Context& ctx, const PersonLimit& current, PersonRole role,
                                           StepDirection direction);

}  // namespace qv::browse
