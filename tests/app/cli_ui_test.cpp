#include "app/cli/cli_ui.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qv::app::cli {
namespace {

using namespace std::chrono_literals;

// A command line on string streams, with a clock the test moves.
struct Fixture {
  std::istringstream in;
  std::ostringstream err;
  std::chrono::steady_clock::time_point clock{};

  CliUi ui(AnswerPolicy policy, bool terminal, int columns = 80) {
    Console c;
    c.in = &in;
    c.err = &err;
    c.inIsTerminal = terminal;
    c.errIsTerminal = terminal;
    c.columns = columns;
    c.now = [this] { return clock; };
    return CliUi(policy, c);
  }
};

TEST(CliUi, MessageIsTitleAndTextInUtf8) {
  Fixture f;
  auto ui = f.ui(AnswerPolicy::Ask, false);
  ui.message(" Import Processing ", "The time was: 5 \x80\r\nsecond line\r\n", MessageKind::Information);
  ui.message("", "No title", MessageKind::Warning);
  EXPECT_EQ(f.err.str(), "Import Processing: The time was: 5 \xE2\x82\xAC\nsecond line\nNo title\n");
}

TEST(CliUi, YesAndNoPickTheFittingButtonAndSayWhy) {
  struct Case {
    AnswerPolicy policy;
    unsigned buttons;
    Button safe;
    Button expected;
  };
  const Case cases[] = {
      {AnswerPolicy::Yes, kYes | kNo, kNo, kYes},
      {AnswerPolicy::Yes, kOk | kCancel, kCancel, kOk},
      {AnswerPolicy::Yes, kAbort | kRetry | kIgnore, kAbort, kRetry},
      {AnswerPolicy::Yes, kAbort | kIgnore, kAbort, kAbort},  // nothing affirmative offered
      {AnswerPolicy::No, kYes | kNo | kCancel, kYes, kNo},
      {AnswerPolicy::No, kOk | kCancel, kOk, kCancel},
      {AnswerPolicy::No, kAbort | kRetry | kIgnore, kRetry, kAbort},
      {AnswerPolicy::No, kRetry | kIgnore, kIgnore, kIgnore},
  };
  for (const auto& c : cases) {
    Fixture f;
    f.in.str("y\n");  // never read: the policy answers
    auto ui = f.ui(c.policy, true);
    EXPECT_EQ(ui.ask("Q", "Go on?", c.buttons, c.safe), c.expected) << c.buttons;
    EXPECT_NE(f.err.str().find("Q: Go on?\nAnswer: " + std::string(buttonName(c.expected)) + " ("), std::string::npos)
        << f.err.str();
    EXPECT_EQ(f.in.tellg(), 0);
  }
}

TEST(CliUi, WithoutATerminalTheSafeAnswerIsTakenAndLogged) {
  Fixture f;
  f.in.str("yes\n");
  auto ui = f.ui(AnswerPolicy::Ask, false);
  EXPECT_EQ(ui.ask("Delete", "Remove the database?", kYes | kNo, kNo), kNo);
  EXPECT_EQ(f.err.str(), "Delete: Remove the database?\nAnswer: No (safe answer; no terminal to ask)\n");
  EXPECT_EQ(f.in.tellg(), 0);
}

TEST(CliUi, OnATerminalTheUserAnswers) {
  struct Case {
    const char* typed;
    unsigned buttons;
    Button expected;
  };
  const Case cases[] = {
      {"y\n", kYes | kNo, kYes},
      {"  YES \r\n", kYes | kNo, kYes},
      {"CANCEL\n", kOk | kCancel, kCancel},
      {"r\n", kAbort | kRetry | kIgnore, kRetry},
      {"maybe\nn\n", kYes | kNo, kNo},             // unknown reply: asked again
      {"y\nn\n", kOk | kCancel, kCancel},          // a button not offered is no answer
      {"\nyes\n", kYes | kNo | kCancel, kCancel},  // empty line: the safe answer
      {"", kYes | kNo | kCancel, kCancel},         // end of input: the safe answer
  };
  for (const auto& c : cases) {
    Fixture f;
    f.in.str(c.typed);
    auto ui = f.ui(AnswerPolicy::Ask, true);
    EXPECT_EQ(ui.ask("T", "Q?", c.buttons, kCancel), c.expected) << c.typed;
  }
  Fixture f;
  f.in.str("x\nr\n");
  auto ui = f.ui(AnswerPolicy::Ask, true);
  ui.ask("Disk", "Low on space", kAbort | kRetry | kIgnore, kAbort);
  EXPECT_EQ(f.err.str(), "Disk: Low on space\nAbort/Retry/Ignore [Abort]? Abort/Retry/Ignore [Abort]? Answer: Retry\n");
}

TEST(CliUi, ProgressRedrawsOneLineAtMostFiveTimesASecond) {
  Fixture f;
  auto ui = f.ui(AnswerPolicy::Ask, true);
  ui.progress({50, 100, "Reading M\xFCller.mbx"});
  EXPECT_EQ(f.err.str(), "\r[##########----------]  50% Reading M\xC3\xBCller.mbx");
  f.err.str("");
  f.clock += 100ms;
  ui.progress({60, 100, "Reading"});
  EXPECT_EQ(f.err.str(), "");  // too soon
  f.clock += 100ms;
  ui.progress({70, 100, "Merging"});
  EXPECT_EQ(f.err.str(), "\r[##############------]  70% Merging" + std::string(11, ' '));  // blanks out the longer text
  f.err.str("");
  ui.progress({100, 100, "Done"});  // completion is drawn at once
  EXPECT_EQ(f.err.str(), "\r[####################] 100% Done   ");
  f.err.str("");
  ui.message("", "Finished", MessageKind::Information);
  EXPECT_EQ(f.err.str(), "\nFinished\n");  // the bar's line is ended first
  f.err.str("");
  ui.endProgressLine();
  EXPECT_EQ(f.err.str(), "");
}

TEST(CliUi, ProgressLineFitsTheTerminalAndHandlesOddRanges) {
  Fixture f;
  auto ui = f.ui(AnswerPolicy::Ask, true, 30);
  ui.progress({5, 0, "A very long step text that does not fit"});
  EXPECT_EQ(f.err.str(), "\r[--------------------]      A");  // 29 characters, no percentage
  ui.endProgressLine();
  f.err.str("");
  ui.progress({-4, 10, ""});
  EXPECT_EQ(f.err.str(), "\r[--------------------]   0%");
}

TEST(CliUi, NoBarAndNoBellWithoutATerminal) {
  Fixture f;
  auto ui = f.ui(AnswerPolicy::Ask, false);
  ui.progress({1, 2, "Step"});
  ui.beep();
  EXPECT_EQ(f.err.str(), "");
  Fixture t;
  t.ui(AnswerPolicy::Ask, true).beep();
  EXPECT_EQ(t.err.str(), "\a");
}

}  // namespace
}  // namespace qv::app::cli
