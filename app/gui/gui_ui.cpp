#include "app/gui/gui_ui.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <array>
#include <utility>

#include "app/gui/qt_text.h"

namespace qv::gui {

namespace {

constexpr std::array<std::pair<Button, QMessageBox::StandardButton>, 7> kButtons{{
    {kOk, QMessageBox::Ok},
    {kCancel, QMessageBox::Cancel},
    {kYes, QMessageBox::Yes},
    {kNo, QMessageBox::No},
    {kAbort, QMessageBox::Abort},
    {kRetry, QMessageBox::Retry},
    {kIgnore, QMessageBox::Ignore},
}};

QMessageBox::Icon iconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Error:
    case MessageKind::Stop: return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

// Titles are padded for a window caption (" Import Processing ").
QString caption(std::string_view title) { return fromStored(title).trimmed(); }

}  // namespace

void GuiUi::message(std::string_view title, std::string_view text, MessageKind kind) {
  QMessageBox box(iconOf(kind), caption(title), fromStored(text), QMessageBox::Ok, parent_);
  box.exec();
}

Button GuiUi::ask(std::string_view title, std::string_view text, unsigned buttons, Button safe) {
  QMessageBox box(QMessageBox::Question, caption(title), fromStored(text), QMessageBox::NoButton, parent_);
  for (const auto& [ours, theirs] : kButtons)
    if ((buttons & ours) != 0) box.addButton(theirs);
  for (const auto& [ours, theirs] : kButtons)
    if (ours == safe) box.setDefaultButton(theirs);
  const int chosen = box.exec();
  for (const auto& [ours, theirs] : kButtons)
    if (chosen == theirs) return ours;
  return safe;  // closed without a button
}

std::optional<std::string> GuiUi::askText(std::string_view title, std::string_view prompt,
                                          std::string_view explanation, std::string_view initial) {
  QString label = fromStored(prompt);
  if (!explanation.empty()) label = fromStored(explanation) + "\n\n" + label;
  bool ok = false;
  const QString typed = QInputDialog::getText(parent_, caption(title), label, QLineEdit::Normal, fromStored(initial), &ok);
  if (!ok) return std::nullopt;
  return toStored(typed);
}

void GuiUi::progress(const ProgressReport& report) {
  if (sink_) sink_(report);
}

void GuiUi::beep() { QApplication::beep(); }

}  // namespace qv::gui
