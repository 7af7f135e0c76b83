#include "browse/thread_steps.h"

#include "store/table_use.h"

namespace qv::browse {

using engine::Err;

std::optional<Threads> neighbourThread(Context& ctx, std::uint32_t threadNumber, StepDirection direction,
                                       bool withinSection) {
  TableUse use(ctx, {Threads::FileNo});
  engine::File& threads = ctx.fileOf<Threads>();
  const engine::KeyRef key = withinSection ? Threads::SecKey : Threads::AlphaKey;
  ctx.thr = Threads{};
  ctx.thr.THREADNUMBER = threadNumber;
  const auto step = [&] { return direction == StepDirection::Next ? threads.next() : threads.previous(); };
  std::optional<Threads> found;
  if (threads.get(Threads::ThreadKey) == Err::Ok) {
    const std::uint32_t section = ctx.thr.SECSYSID;
    // The walk starts on the current thread itself; the one after it is the neighbour.
    if (threads.setPosition(key, threads.position()) == Err::Ok && step() == Err::Ok && step() == Err::Ok &&
        (!withinSection || ctx.thr.SECSYSID == section))
      found = ctx.thr;
  }
  if (!found) ctx.lib.ui.beep();
  return found;
}

}  // namespace qv::browse
