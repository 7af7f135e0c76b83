#include "store/report.h"

#include <string>

namespace qv {

void show(Context& ctx, std::string_view title, std::string_view text, MessageKind kind) {
  ctx.ui.message(title, text, kind);
}

void inform(Context& ctx, std::string_view title, std::string_view text, MessageKind kind) {
  if (!ctx.unattended()) ctx.ui.message(title, text, kind);
}

Button ask(Context& ctx, std::string_view title, std::string_view text, unsigned buttons, Button safe) {
  if (ctx.unattended()) return safe;
  return ctx.ui.ask(title, text, buttons, safe);
}

void beep(Context& ctx) {
  if (!ctx.unattended()) ctx.ui.beep();
}

void stop(Context& ctx, std::string_view title, std::string_view text, std::string_view reason) {
  ctx.ui.message(title, text, MessageKind::Stop);
  throw Halt(std::string(reason.empty() ? title : reason));
}

}  // namespace qv
