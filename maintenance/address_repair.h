#pragma once
// The repair of a person's service address that the duplicate elimination
// applies before it compares addresses, so that one numeric service
// identifier written in different ways becomes one address: a period in
// place of the comma gets its comma back, a blank after the comma goes,
// square brackets around it go, and the service's Internet mail address
// of an identifier ("70000.101@compuserve.com") becomes the identifier.

#include <string>
#include <string_view>

namespace qv::maintenance {

// The repaired address; the address as given when there is nothing to
// repair. Trailing blanks are not kept.
std::string repairAddress(std::string_view address);

}  // namespace qv::maintenance
