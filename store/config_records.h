#pragma once
// The byte layout of the settings records: what each Control record's
// 257-byte CTL:CTLGROUP holds. Private to the configuration code (config.h
// is the interface); written down here so that a stored file can be read by
// eye. All integers are little-endian; a stored 0 means "the default".
//
// Record 1, general settings (CTL:NEXTNUMBER beside the group is the
// identifier counter, which belongs to NextNr): 32-bit items at
//   0 item 2    4 item 3    8 item 4   12 item 6   16 item 9   20 item 10
//  24 item 11  28 item 12  32 item 13  36 item 16  40 item 19  44 item 61
//  48 item 62  52 item 63  56 item 66; bytes 60-256 unused (kept as read).
//
// Record 9, display settings: 32-bit items at
//   0 item 22   4 item 23   8 item 24  12 item 25  16-32 items 26-30
//  36 item 32  40 item 37  44 item 38  48 item 39  52 item 40  56 item 42
//  60 item 46  64 item 47  68 item 48  72-84 items 57-60  88 item 64
//  92 item 65; then the fonts, items 33 to 36, 24 bytes each from 96:
//  the typeface as 20 blank-padded bytes and the size as a 32-bit integer.
//  Bytes 192-256 unused. Colours (items 22-25) are 24-bit values, red in
//  the low byte; because a stored 0 means the default colour, black is
//  stored as 0x01000000 (bit 24 set, masked off when read).
//
// Record 4, directories: three texts one after another, each a length byte
// followed by that many bytes: item 17 (temporary files), item 18 (the
// directory holding the database directories), item 19 (word-index files).
// Together they hold up to 254 bytes, shared as the paths need them: a
// long database directory leaves less room for the others. An empty text
// means the default (17: data home/TEMP, 18: the data home, 19: whatever
// item 18 is), so default paths take no room and follow a moved data home.
//
// Record 20, default path of import files (item 14): a length byte and up
// to 254 bytes.
//
// Records 2/3 (main windows) and 7/8 (other windows), default and current
// positions: 32 windows by index 0-31, 8 bytes each at index × 8 — x, y,
// width, height as signed 16-bit values; all zero means nothing is saved.
// Byte 256 unused.
//
// Records 5/6, default and current list column layouts: 20 lists by index
// 0-19, 10 bytes each at index × 10 — five unsigned 16-bit values. Bytes
// 200-256 unused.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/domain.h"

namespace qv::config {

inline constexpr std::size_t kGroupBytes = 257;
using Image = std::array<std::uint8_t, kGroupBytes>;

// Control record numbers of the settings.
inline constexpr int kRecGeneral = 1;
inline constexpr int kRecMainWindowsDefault = 2;
inline constexpr int kRecMainWindows = 3;
inline constexpr int kRecPaths = 4;
inline constexpr int kRecListColumnsDefault = 5;
inline constexpr int kRecListColumns = 6;
inline constexpr int kRecOtherWindowsDefault = 7;
inline constexpr int kRecOtherWindows = 8;
inline constexpr int kRecDisplay = 9;
inline constexpr int kRecImportPath = 20;

std::int32_t readInt32(const Image& image, std::size_t offset);
void writeInt32(Image& image, std::size_t offset, std::int32_t value);
std::int16_t readInt16(const Image& image, std::size_t offset);
void writeInt16(Image& image, std::size_t offset, std::int16_t value);

// How a stored number becomes the value callers see.
enum class Rule {
  Plain,          // 0 gives the default
  LocatorDelay,   // 0, and anything outside 1 to 35, gives 15
  Colour,         // 0 gives the default; the black marker gives 0
};

struct NumberItem {
  int item;
  std::size_t offset;
  std::int32_t fallback;  // what a stored 0 stands for
  Rule rule;
};

// The numeric items of record 1 and record 9; null for a number the record
// does not hold.
const NumberItem* generalItem(int item);
const NumberItem* displayItem(int item);

// The value callers see for a stored number, and what to store for a value.
std::int32_t effective(const NumberItem& slot, std::int32_t stored);
std::int32_t storable(const NumberItem& slot, std::int32_t value);

// Fonts of record 9 (items 33 to 36).
inline constexpr std::size_t kTypefaceBytes = 20;
inline constexpr const char* kDefaultTypeface = "Arial";
inline constexpr std::int32_t kDefaultFontSize = 8;
bool isFontItem(int item);
// Typeface and size as callers see them (defaults for blank and 0).
std::string typeface(const Image& image, int item);
std::int32_t fontSize(const Image& image, int item);
// The typeface must fit kTypefaceBytes (checked by the caller).
void setFont(Image& image, int item, std::string_view face, std::int32_t size);

// Replaces stored zeros by the defaults; true when the image changed.
bool fillGeneralDefaults(Image& image);
bool fillDisplayDefaults(Image& image);

// Record 4: the stored texts of items 17, 18 and 19 (empty = default).
inline constexpr std::size_t kPathRoom = kGroupBytes - 3;
using StoredPaths = std::array<std::string, 3>;
StoredPaths decodePaths(const Image& image);
// False (image unchanged) when the texts need more than kPathRoom bytes.
bool encodePaths(const StoredPaths& paths, Image& image);

// Record 20.
inline constexpr std::size_t kImportPathBytes = 254;
std::string decodeImportPath(const Image& image);
// False (image unchanged) when the path is longer than kImportPathBytes.
bool encodeImportPath(std::string_view path, Image& image);

// Records 2/3, 7/8 and 5/6.
inline constexpr int kWindowSlots = 32;
inline constexpr std::size_t kWindowSlotBytes = 8;
inline constexpr int kListSlots = 20;
inline constexpr int kListValues = 5;
inline constexpr std::size_t kListSlotBytes = 10;

}  // namespace qv::config
