#include "maintenance/address_repair.h"

#include "store/charset.h"
#include "store/domain.h"
#include "store/fixed_string.h"

namespace qv::maintenance {

namespace {

constexpr std::size_t kShortest = 4;  // shorter addresses are left alone

// Removes the blank after position `mark` unless it stands in the last two
// positions of the address.
void dropBlankAfter(std::string& a, std::size_t mark) {
  const std::size_t blank = mark + 1;
  if (a.size() >= 2 && blank < a.size() - 2 && a[blank] == ' ') a.erase(blank, 1);
}

void dropBrackets(std::string& a) {
  if (a.size() >= 2 && a.front() == '[' && a.back() == ']') a = a.substr(1, a.size() - 2);
}

}  // namespace

std::string repairAddress(std::string_view address) {
  std::string a(clip(address));
  const std::size_t n = a.size();
  if (n < kShortest) return a;
  std::size_t mark = std::string::npos, lastPeriod = std::string::npos;
  for (std::size_t i = 0; i + 2 < n; ++i) {
    if (a[i] == ',' || a[i] == '@') {
      mark = i;
      break;
    }
    if (a[i] == '.') lastPeriod = i;
  }
  if (mark != std::string::npos && a[mark] == '@') {
    // Only the service's own mail domain names an identifier; any other
    // Internet address stays as it is.
    if (upper1252(std::string_view(a).substr(mark + 1)) != kServiceMailDomain) return a;
    a.resize(mark);
    if (a.size() > 3) {
      const std::size_t period = a.find('.');
      if (period != std::string::npos) {
        a[period] = ',';
        dropBlankAfter(a, period);
      }
    }
    return a;
  }
  if (mark != std::string::npos) {
    dropBlankAfter(a, mark);
  } else if (lastPeriod != std::string::npos) {
    a[lastPeriod] = ',';
    dropBlankAfter(a, lastPeriod);
  }
  dropBrackets(a);
  return a;
}

}  // namespace qv::maintenance
