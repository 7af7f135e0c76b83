#pragma once
// Finding the end of a run of plain line bytes: the bytes up to the next
// one of a small set of stops (CR, LF, "=" and a format's mid-line stops).
// Lines are scanned this way for every byte of a store, so a set of up to
// four stops is compared sixteen bytes at a time.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qv::internet {

class RunScan {
 public:
  // Bytes compared at once where the processor allows it.
  static constexpr std::size_t kStopsCompared = 4;

  RunScan() = default;
  explicit RunScan(const std::array<bool, 256>& stops);

  // How many bytes at the start of `v` are no stop.
  std::size_t plainLength(std::string_view v) const;

 private:
  std::array<bool, 256> stops_{};
  std::array<std::uint8_t, kStopsCompared> compared_{};
  bool wide_ = false;  // the stops fit in compared_
};

}  // namespace qv::internet
