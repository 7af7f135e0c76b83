// The stopwatch and the progress scaling.
#include "store/utilities.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "store/dates.h"

namespace qv {

// ---------------------------------------------------------------------------
// Stopwatch

std::int32_t StartStop(Context& ctx, int op, int slot) {
  return StartStop(ctx, op, slot, dates::today(), dates::clockNow());
}

std::int32_t StartStop(Context& ctx, int op, int slot, std::int32_t date, std::int32_t clock) {
  if (op == kStopwatchClear) {
    ctx.stopwatch.fill(Context::Stopwatch{});
    return 0;
  }
  if (slot < 1 || slot > kStopwatchSlots) return 0;
  Context::Stopwatch& w = ctx.stopwatch[static_cast<std::size_t>(slot - 1)];
  if (op == kStopwatchStart) {
    w.startClock = clock;
    w.startDate = date;
    return 0;
  }
  if (op != kStopwatchStop) return 0;
  w.stopClock = clock;
  w.stopDate = date;
  if (w.startDate == 0) return 0;  // never started: there is nothing to measure
  // A day is 8,640,000 hundredths. Same day: (stop - start) / 100; next day:
  // (stop - start + 8640000) / 100; each further day adds 86400 seconds.
  const std::int64_t days = std::int64_t{w.stopDate} - w.startDate;
  const std::int64_t hundredths = days * 8640000 + (std::int64_t{w.stopClock} - w.startClock);
  if (hundredths < 0) return 0;
  const std::int64_t seconds = hundredths / 100;
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(seconds > kMax ? kMax : seconds);
}

// ---------------------------------------------------------------------------
// Progress scaling

CalcMaxResult CalcMax(double x) {
  constexpr double kRange = 32767.0;
  constexpr double kMaxN = std::numeric_limits<std::int32_t>::max();
  if (std::isnan(x)) return {1, 0};
  if (x <= kRange) return {1, static_cast<std::int16_t>(std::trunc(std::max(x, -32768.0)))};
  const double guess = std::ceil(x / kRange);
  if (!(guess < kMaxN)) return {std::numeric_limits<std::int32_t>::max(), 32767};
  auto n = static_cast<std::int32_t>(guess);
  // The division may round across the boundary either way: settle on the
  // smallest n that keeps x / n within the range.
  while (n > 1 && x / (n - 1) <= kRange) --n;
  while (x / n > kRange) ++n;
  return {n, static_cast<std::int16_t>(std::trunc(x / n))};
}

}  // namespace qv
