#pragma once
// The installation's settings as loaded into memory: one instance per
// process (Library::settings), shared by every thread of work. Only the
// configuration code (config.h) reads and changes it, always under `mutex`;
// everybody else goes through Konfig, AutoPath, SpeedVal and the window
// helpers.
//
// The settings are kept as the images of their Control records (the 257
// bytes of CTL:CTLGROUP per record number, laid out as config_records.h
// describes), exactly as they are written back. A record that has not been
// loaded yet reads as all zeros, which the item accessors turn into the
// defaults, so a value asked for before the start-up load is the default.

#include <array>
#include <cstdint>
#include <map>
#include <mutex>

namespace qv {

struct Settings {
  mutable std::mutex mutex;
  // Images of the settings records by Control record number (1 to 9, 20).
  std::map<int, std::array<std::uint8_t, 257>> records;
  // Batch sizes of long work by kind 26 to 31 (SpeedVal), as computed from the
  // speed choices; these are the values of the default choice 4.
  std::array<std::int32_t, 6> speed{500, 275, 10, 10, 50, 25};
};

}  // namespace qv
