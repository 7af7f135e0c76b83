// The stopwatch, the progress scaling and the typed-ahead locator.
#include "store/utilities.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "store/config.h"
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

// ---------------------------------------------------------------------------
// Typed-ahead locator

namespace {

constexpr std::size_t kLocatorLength = 10;
constexpr int kDefaultDelay = 15;

bool takenKey(int key) {
  return (key >= 48 && key <= 90) || (key >= 304 && key <= 346) || (key >= 1328 && key <= 1337) || key == 32 ||
         key == 362 || key == 367 || key == 1386 || key == 1391;
}

// The locator delay setting in tenths of a second, 1 to 35.
int delaySetting(Context& ctx) {
  const std::int32_t delay = locatorDelay(ctx);
  return delay >= 1 && delay <= 35 ? static_cast<int>(delay) : kDefaultDelay;
}

std::int64_t steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

IncrementStepResult IncrementStep(Context& ctx, int keyCode, char* target, std::size_t targetSize) {
  return IncrementStep(ctx, keyCode, target, targetSize, steadyMs());
}

IncrementStepResult IncrementStep(Context& ctx, int keyCode, char* target, std::size_t targetSize, std::int64_t nowMs) {
  if (keyCode >= 96 && keyCode <= 105) keyCode -= 48;
  if (!takenKey(keyCode)) return kKeyIgnored;
  const char c = static_cast<char>(static_cast<unsigned char>(keyCode & 0xFF));

  Context::Locator& loc = ctx.locator;
  const std::int64_t since = nowMs - loc.lastKeyMs;
  const bool within = !loc.text.empty() && since >= 0 && since <= std::int64_t{loc.delayTenths} * 100;
  if (within) {
    if (loc.text.size() < kLocatorLength) loc.text.push_back(c);
  } else {
    loc.text.assign(1, c);
    loc.delayTenths = delaySetting(ctx);
  }
  loc.lastKeyMs = nowMs;

  if (target != nullptr && targetSize > 0) {
    const std::size_t n = std::min(loc.text.size(), targetSize);
    std::copy_n(loc.text.data(), n, target);
    std::fill(target + n, target + targetSize, ' ');
  }
  return kKeyTaken;
}

}  // namespace qv
