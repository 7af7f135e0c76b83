#include "app/cli/cli_ui.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdlib>
#include <iostream>

#include "text/text_encoding.h"

namespace qv::app::cli {
namespace {

using namespace std::chrono_literals;

constexpr auto kRedrawInterval = 200ms;
constexpr std::size_t kBarWidth = 20;

// Buttons in the order a prompt lists them.
constexpr std::array<Button, 7> kButtonOrder = {kYes, kNo, kOk, kAbort, kRetry, kIgnore, kCancel};

bool offers(unsigned buttons, Button b) { return (buttons & b) != 0; }

// What --yes and --no choose, in order of preference.
constexpr std::array<Button, 3> kAffirmative = {kYes, kOk, kRetry};
constexpr std::array<Button, 3> kNegative = {kNo, kCancel, kAbort};

// The first of `preferred` that the question offers; 0 when it offers none.
unsigned firstOffered(unsigned buttons, const std::array<Button, 3>& preferred) {
  for (const Button b : preferred)
    if (offers(buttons, b)) return b;
  return 0;
}

std::string trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return std::string(s.substr(first, last - first + 1));
}

bool sameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The offered button a typed reply names (full name or first letter, any
// case); 0 when it names none.
unsigned parseReply(std::string_view reply, unsigned buttons) {
  for (const Button b : kButtonOrder) {
    if (!offers(buttons, b)) continue;
    const std::string_view name = buttonName(b);
    if (sameLetters(reply, name) || sameLetters(reply, name.substr(0, 1))) return b;
  }
  return 0;
}

// UTF-8 text cut to at most `width` characters.
std::string cutToWidth(std::string s, std::size_t width) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;  // continuation byte
    if (chars == width) {
      s.resize(i);
      break;
    }
    ++chars;
  }
  return s;
}

int terminalColumns() {
  winsize ws{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  if (const char* env = std::getenv("COLUMNS")) {
    const int n = std::atoi(env);
    if (n > 0) return n;
  }
  return 80;
}

}  // namespace

std::string_view buttonName(Button b) {
  switch (b) {
    case kOk: return "OK";
    case kCancel: return "Cancel";
    case kYes: return "Yes";
    case kNo: return "No";
    case kAbort: return "Abort";
    case kRetry: return "Retry";
    case kIgnore: return "Ignore";
  }
  return "?";
}

Console Console::process() {
  Console c;
  c.in = &std::cin;
  c.err = &std::cerr;
  c.inIsTerminal = ::isatty(STDIN_FILENO) == 1;
  c.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
  c.columns = c.errIsTerminal ? terminalColumns() : 80;
  return c;
}

CliUi::CliUi(AnswerPolicy policy, Console console) : policy_(policy), console_(std::move(console)) {}

void CliUi::endProgressLine() {
  if (!barShowing_) return;
  *console_.err << '\n';
  console_.err->flush();
  barShowing_ = false;
  drawnBefore_ = false;  // the next report draws a fresh bar at once
  lastWidth_ = 0;
}

void CliUi::showTitled(std::string_view title, std::string_view text) {
  endProgressLine();
  const std::string head = trimmed(displayText(title, LineBreaks::AsSpace));
  std::string body = displayText(text, LineBreaks::Keep);
  while (!body.empty() && body.back() == '\n') body.pop_back();
  std::ostream& err = *console_.err;
  if (!head.empty()) err << head << (body.empty() ? ":" : ": ");
  err << body << '\n';
  err.flush();
}

void CliUi::message(std::string_view title, std::string_view text, MessageKind) { showTitled(title, text); }

std::optional<std::string> CliUi::askText(std::string_view title, std::string_view prompt,
                                          std::string_view explanation, std::string_view initial) {
  showTitled(title, explanation);
  std::ostream& err = *console_.err;
  if (policy_ != AnswerPolicy::Ask || !console_.inIsTerminal || !console_.errIsTerminal) {
    err << "Answer: none (no terminal to ask)\n";
    return std::nullopt;
  }
  err << displayText(prompt, LineBreaks::AsSpace) << " [" << displayText(initial, LineBreaks::AsSpace) << "]: ";
  err.flush();
  std::string line;
  if (!std::getline(*console_.in, line)) {
    err << '\n';
    return std::nullopt;
  }
  if (trimmed(line).empty()) return std::string(initial);
  return cp1252FromUtf8(trimmed(line));
}

Button CliUi::prompt(unsigned buttons, Button safe, std::string& reason) {
  std::ostream& err = *console_.err;
  std::string choices;
  for (const Button b : kButtonOrder) {
    if (!offers(buttons, b)) continue;
    if (!choices.empty()) choices += '/';
    choices += buttonName(b);
  }
  for (;;) {
    err << choices << " [" << buttonName(safe) << "]? ";
    err.flush();
    std::string line;
    if (!std::getline(*console_.in, line)) {
      err << '\n';
      reason = "safe answer; end of input";
      return safe;
    }
    const std::string reply = trimmed(line);
    if (reply.empty()) {
      reason = "safe answer";
      return safe;
    }
    if (const unsigned b = parseReply(reply, buttons); b != 0) return static_cast<Button>(b);
  }
}

Button CliUi::ask(std::string_view title, std::string_view text, unsigned buttons, Button safe) {
  showTitled(title, text);
  Button answer = safe;
  std::string reason;
  switch (policy_) {
    case AnswerPolicy::Yes:
    case AnswerPolicy::No: {
      const bool yes = policy_ == AnswerPolicy::Yes;
      const std::string flag = yes ? "--yes" : "--no";
      if (const unsigned b = firstOffered(buttons, yes ? kAffirmative : kNegative); b != 0) {
        answer = static_cast<Button>(b);
        reason = flag;
      } else {
        reason = "safe answer; " + flag + " does not fit this question";
      }
      break;
    }
    case AnswerPolicy::Ask:
      if (console_.in != nullptr && console_.inIsTerminal && console_.errIsTerminal) {
        answer = prompt(buttons, safe, reason);
      } else {
        reason = "safe answer; no terminal to ask";
      }
      break;
  }
  std::ostream& err = *console_.err;
  err << "Answer: " << buttonName(answer);
  if (!reason.empty()) err << " (" << reason << ")";
  err << '\n';
  err.flush();
  return answer;
}

std::string CliUi::progressLine(const ProgressReport& report) const {
  std::string line = "[";
  std::string percent;
  std::size_t filled = 0;
  if (report.range > 0) {
    const std::int64_t pos =
        report.position < 0 ? 0 : (report.position > report.range ? report.range : report.position);
    // In floating point: position * 100 could overflow for very large ranges.
    const auto pct = static_cast<std::size_t>(static_cast<double>(pos) * 100.0 / static_cast<double>(report.range));
    filled = pct * kBarWidth / 100;
    percent = std::to_string(pct) + "%";
  }
  line.append(filled, '#');
  line.append(kBarWidth - filled, '-');
  line += "] ";
  line.append(4 - percent.size(), ' ');  // "100%" is the widest
  line += percent;
  const std::string step = displayText(report.text, LineBreaks::AsSpace);
  if (!step.empty()) line += " " + step;
  // One character short of the width: writing the last column wraps on some
  // terminals, and '\r' would then return to the wrong line.
  const std::size_t room = console_.columns > 1 ? static_cast<std::size_t>(console_.columns - 1) : 1;
  return cutToWidth(std::move(line), room);
}

void CliUi::progress(const ProgressReport& report) {
  if (!console_.errIsTerminal) return;
  const auto now = console_.now();
  const bool complete = report.range > 0 && report.position >= report.range;
  if (drawnBefore_ && !complete && now - lastDraw_ < kRedrawInterval) return;
  const std::string line = progressLine(report);
  const std::size_t width = displayWidth(line);
  std::ostream& err = *console_.err;
  err << '\r' << line;
  if (width < lastWidth_) err << std::string(lastWidth_ - width, ' ');
  err.flush();
  lastWidth_ = width;
  lastDraw_ = now;
  drawnBefore_ = true;
  barShowing_ = true;
}

void CliUi::beep() {
  if (!console_.errIsTerminal) return;
  *console_.err << '\a';
  console_.err->flush();
}

}  // namespace qv::app::cli
