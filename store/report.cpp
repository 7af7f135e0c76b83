#include "store/report.h"

#include <string>

namespace qv {

namespace {
void remember(Context& ctx, std::string_view title, std::string_view text) {
  ctx.lastReported = {std::string(title), std::string(text)};
}
}  // namespace

void show(Context& ctx, std::string_view title, std::string_view text, MessageKind kind) {
  remember(ctx, title, text);
  ctx.ui.message(title, text, kind);
}

void inform(Context& ctx, std::string_view title, std::string_view text, MessageKind kind) {
  remember(ctx, title, text);
  if (!ctx.unattended()) ctx.ui.message(title, text, kind);
}

Button ask(Context& ctx, std::string_view title, std::string_view text, unsigned buttons, Button safe) {
  remember(ctx, title, text);
  if (ctx.unattended()) return safe;
  return ctx.ui.ask(title, text, buttons, safe);
}

void beep(Context& ctx) {
  if (!ctx.unattended()) ctx.ui.beep();
}

void stop(Context& ctx, std::string_view title, std::string_view text, std::string_view reason) {
  remember(ctx, title, text);
  ctx.ui.message(title, text, MessageKind::Stop);
  throw Halt(std::string(reason.empty() ? title : reason));
}

}  // namespace qv
