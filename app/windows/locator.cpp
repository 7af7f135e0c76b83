// The typed-ahead locator of the program's lists.
#include "app/windows/locator.h"

#include <algorithm>
#include <chrono>

#include "store/config.h"

namespace qv {

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
