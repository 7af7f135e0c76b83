#pragma once
// The desktop program's way to the user: message boxes, questions and text
// prompts as dialogs over the frame, progress handed to the window that runs
// the job, and the beep.

#include <functional>

#include "store/ui_port.h"

class QWidget;

namespace qv::gui {

class GuiUi : public UiPort {
 public:
  // Dialogs open over `parent` (may be null until the frame exists).
  void setParent(QWidget* parent) { parent_ = parent; }
  // Where progress goes while a job window runs; none: dropped.
  void setProgressSink(std::function<void(const ProgressReport&)> sink) { sink_ = std::move(sink); }

  void message(std::string_view title, std::string_view text, MessageKind kind) override;
  Button ask(std::string_view title, std::string_view text, unsigned buttons, Button safe) override;
  std::optional<std::string> askText(std::string_view title, std::string_view prompt, std::string_view explanation,
                                     std::string_view initial) override;
  void progress(const ProgressReport& report) override;
  void beep() override;

 private:
  QWidget* parent_ = nullptr;
  std::function<void(const ProgressReport&)> sink_;
};

}  // namespace qv::gui
