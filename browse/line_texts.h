#pragma once
// What a browse line shows besides the record's own fields: a person as a
// name or as name and address, the section, and the line's colour by the
// status precedence.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "store/context.h"
#include "store/domain.h"

namespace qv::browse {

// Display items 38 (message browse) and 39 (mail browse): 2 shows name and
// address, any other value the name.
inline constexpr std::int32_t kPersonsNameAndAddress = 2;
inline constexpr std::size_t kMessagePersonChars = 50;
inline constexpr std::size_t kMailPersonChars = 95;
inline constexpr std::size_t kThreadTextChars = 50;

enum class PersonForm { Name, NameAndAddress };

// Name: "Last First" (the last name alone when there is no first name);
// name and address: "Last,First <address>"; a person without a name shows
// as "<address>" either way. Clipped and cut to `width`.
std::string personText(std::string_view lastName, std::string_view firstName, std::string_view address,
                       PersonForm form, std::size_t width);

// A newsgroup database shows the section's description alone, the others
// its number in two digits, a blank and the description.
std::string sectionText(bool newsgroup, std::uint32_t number, std::string_view description);

// The line's status: the first that is not Normal of, in order, message,
// thread, section and database (mail: mail, partner, database).
Status effectiveStatus(std::initializer_list<Status> fromNearest);

// The foreground colour of a line of that status: the configured delete or
// keep colour (display items 25 and 24), or kDefaultColour.
inline constexpr std::int32_t kDefaultColour = -1;
std::int32_t statusColour(Context& ctx, Status status);

}  // namespace qv::browse
