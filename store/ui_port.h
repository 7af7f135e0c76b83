#pragma once
// The only road from the library to the user.
//
// Texts are passed as the system stores them (Windows-1252 bytes, "\r\n" line
// breaks); a front end converts them for display. The library decides itself
// whether a message is shown at all (unattended runs suppress most of them);
// a front end shows whatever it is given.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

enum class MessageKind { Information, Warning, Error, Stop };

// Buttons of a question; a question offers a set of them (bitwise or).
enum Button : unsigned {
  kOk = 1u << 0,
  kCancel = 1u << 1,
  kYes = 1u << 2,
  kNo = 1u << 3,
  kAbort = 1u << 4,
  kRetry = 1u << 5,
  kIgnore = 1u << 6,
};

struct ProgressReport {
  std::int64_t position = 0;
  std::int64_t range = 0;
  std::string text;  // the step text shown beside the bar
};

class UiPort {
 public:
  virtual ~UiPort() = default;
  virtual void message(std::string_view title, std::string_view text, MessageKind kind) = 0;
  // Returns the button chosen; a front end that cannot ask returns `safe`.
  virtual Button ask(std::string_view title, std::string_view text, unsigned buttons, Button safe) = 0;
  // Asks for a line of text (a dialog with one field): returns the text, or
  // nothing when the user gives up. A front end that cannot ask gives up.
  virtual std::optional<std::string> askText(std::string_view /*title*/, std::string_view /*prompt*/,
                                             std::string_view /*explanation*/, std::string_view /*initial*/) {
    return std::nullopt;
  }
  virtual void progress(const ProgressReport& report) = 0;
  virtual void beep() = 0;
};

}  // namespace qv
