#pragma once
// "The program stops": where the program ends after a message (an
// unrecoverable file error, an impossible state), the library shows the message through the UI port and throws Halt.
// The front end catches it, closes what is open and exits with status 3.
// The library never calls exit() or abort().

#include <stdexcept>
#include <string>

namespace qv {

class Halt : public std::runtime_error {
 public:
  explicit Halt(const std::string& why) : std::runtime_error(why) {}
};

}  // namespace qv
