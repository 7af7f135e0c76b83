#pragma once
// A UI port for tests: keeps every message, question and beep it is given,
// and answers questions from a script (or with their safe choice).

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "store/ui_port.h"

namespace qv::test {

class RecordingUi : public UiPort {
 public:
  struct Shown {
    std::string title;
    std::string text;
    MessageKind kind = MessageKind::Information;
    bool question = false;
  };

  void message(std::string_view title, std::string_view text, MessageKind kind) override {
    shown.push_back({std::string(title), std::string(text), kind, false});
  }
  Button ask(std::string_view title, std::string_view text, unsigned, Button safe) override {
    shown.push_back({std::string(title), std::string(text), MessageKind::Information, true});
    if (answers.empty()) return safe;
    const Button b = answers.front();
    answers.pop_front();
    return b;
  }
  std::optional<std::string> askText(std::string_view title, std::string_view prompt, std::string_view,
                                     std::string_view) override {
    shown.push_back({std::string(title), std::string(prompt), MessageKind::Information, true});
    if (texts.empty()) return std::nullopt;
    std::optional<std::string> t = texts.front();
    texts.pop_front();
    return t;
  }
  void progress(const ProgressReport& r) override { reports.push_back(r); }
  void beep() override { ++beeps; }

  const Shown& last() const { return shown.back(); }
  void clear() {
    shown.clear();
    reports.clear();
    beeps = 0;
  }

  std::vector<Shown> shown;
  std::vector<ProgressReport> reports;
  std::deque<Button> answers;
  std::deque<std::optional<std::string>> texts;  // answers to askText; nothing = give up
  int beeps = 0;
};

}  // namespace qv::test
