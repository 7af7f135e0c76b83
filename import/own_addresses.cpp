// The own addresses of a mail database, and the own-address check with which
// the mail readers tell in-box from out-box mail.
#include <algorithm>

#include "import/merge_work.h"
#include "store/charset.h"

namespace qv {

std::string lowerAddress(std::string_view address) {
  std::string s(clip(address));
  for (char& c : s) c = lower1252(c);
  return s;
}

OwnAddresses ownAddressesOf(const Forums& mailDb) {
  OwnAddresses own;
  own.defaultAddress = lowerAddress(mailDb.MAILADDRESS.view());
  if (!own.defaultAddress.empty()) own.all.push_back(own.defaultAddress);
  for (const FixedString<60>& alt : mailDb.ALTADDRESS) {
    if (alt.blank()) break;  // the first blank element ends the list
    own.all.push_back(lowerAddress(alt.view()));
  }
  return own;
}

bool OwnAddresses::contains(std::string_view address) const {
  const std::string a = lowerAddress(address);
  return !a.empty() && std::find(all.begin(), all.end(), a) != all.end();
}

// Only the default address is ever stored for the owner, so the owner's
// side of every mail names the same person whichever own address was used.
void ownAddressCheck(Context& ctx, const Forums& mailDb) {
  const OwnAddresses own = ownAddressesOf(mailDb);
  NewHR& n = ctx.nhr;
  if (own.contains(n.S_CISADRESS.view())) {
    setMailDirection(n, MailDirection::OutBox);
    n.S_CISADRESS = own.defaultAddress;
    n.R_CISADRESS = lowerAddress(n.R_CISADRESS.view());
  } else {
    setMailDirection(n, MailDirection::InBox);
    n.R_CISADRESS = own.defaultAddress;
    n.S_CISADRESS = lowerAddress(n.S_CISADRESS.view());
  }
}

}  // namespace qv
