#pragma once
// The command line's way to the user: the UI port on stderr and stdin.
//
// Everything the library shows goes to stderr, so stdout carries only a
// command's own output (tables, JSON). Texts arrive as stored (Windows-1252,
// CR LF) and are printed as UTF-8 with control characters made harmless.
//
// message(): "Title: text" and a line break; the title's surrounding blanks
//   are dropped (titles such as " Import Processing " are padded for a window
//   caption) and so are the text's trailing line breaks; an empty title
//   prints the text alone.
// ask(): prints the question like a message, then settles the answer:
//   --yes  the affirmative button offered: Yes, else OK, else Retry;
//   --no   the negative button offered: No, else Cancel, else Abort;
//          when the question offers none of the three, the safe answer.
//   neither, stdin and stderr both terminals: a prompt on stderr listing the
//          buttons offered with the safe one as default; the reply is a
//          button name or its first letter, in any letter case. An empty
//          line or the end of input takes the safe answer; anything else
//          repeats the prompt.
//   neither, no terminal: the safe answer.
//   In every case a line "Answer: <button>" follows, with the reason when the
//   answer was not typed, so an unattended run's log shows every decision.
// progress(): on a terminal stderr, one line redrawn in place with '\r': a
//   bar, the percentage and the step text, cut to the terminal width. Redrawn
//   at most every 200 ms, except that the first report and the one reaching
//   100 % are always drawn. A range of 0 or less draws an empty bar without a
//   percentage. Nothing at all when stderr is not a terminal.
//   Any other output first ends the bar's line, so text never lands on it;
//   endProgressLine() does that when a job has finished.
// beep(): "\a" on a terminal stderr; nothing otherwise.

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

#include "store/ui_port.h"

namespace qv::app::cli {

// --yes, --no, or neither.
enum class AnswerPolicy { Ask, Yes, No };

// Where the command line talks to the user; tests give string streams.
struct Console {
  std::istream* in = nullptr;   // answers to questions
  std::ostream* err = nullptr;  // everything shown to the user
  bool inIsTerminal = false;
  bool errIsTerminal = false;
  int columns = 80;  // width of the terminal, for the progress line
  std::function<std::chrono::steady_clock::time_point()> now = [] { return std::chrono::steady_clock::now(); };

  // stdin and stderr of this process, with their terminal state and width.
  static Console process();
};

class CliUi : public UiPort {
 public:
  CliUi(AnswerPolicy policy, Console console);

  void message(std::string_view title, std::string_view text, MessageKind kind) override;
  Button ask(std::string_view title, std::string_view text, unsigned buttons, Button safe) override;
  // askText(): prints the title and the explanation; on a terminal (stdin
  // and stderr) prompts with the initial text as default and returns the
  // line typed (UTF-8 converted to the stored form), an empty line taking
  // the default; without a terminal, or at the end of input, gives up.
  std::optional<std::string> askText(std::string_view title, std::string_view prompt, std::string_view explanation,
                                     std::string_view initial) override;
  void progress(const ProgressReport& report) override;
  void beep() override;

  // Ends the progress line with a line break when a bar is showing.
  void endProgressLine();

 private:
  void showTitled(std::string_view title, std::string_view text);
  Button prompt(unsigned buttons, Button safe, std::string& reason);
  std::string progressLine(const ProgressReport& report) const;

  AnswerPolicy policy_;
  Console console_;
  bool barShowing_ = false;
  bool drawnBefore_ = false;
  std::size_t lastWidth_ = 0;  // characters of the last bar drawn, to blank out leftovers
  std::chrono::steady_clock::time_point lastDraw_{};
};

// The name of a button as shown and typed ("Yes", "OK", ...).
std::string_view buttonName(Button b);

}  // namespace qv::app::cli
