#include "store/config_records.h"

#include <algorithm>

namespace qv::config {

namespace {

// Black, stored so that it is not taken for "the default colour".
constexpr std::int32_t kBlackMarker = 0x01000000;
constexpr std::int32_t kColourMask = 0x00FFFFFF;

constexpr NumberItem kGeneral[] = {
    {2, 0, 1, Rule::Plain},           // tool tips: 1 yes, other no
    {3, 4, 15, Rule::LocatorDelay},   // locator delay, tenths of a second
    {4, 8, 1, Rule::Plain},           // tree window floating
    {6, 12, 0, Rule::Plain},          // database shown at start-up
    {9, 16, 1, Rule::Plain},          // kept
    {10, 20, 17, Rule::Plain},        // date display format
    {11, 24, 0, Rule::Plain},         // program version of the stored data
    {12, 28, 17, Rule::Plain},        // default import format
    {13, 32, 7, Rule::Plain},         // time display format
    {16, 36, 2, Rule::Plain},         // thread tree item format
    {19, 40, 0, Rule::Plain},         // default mail database
    {61, 44, 1, Rule::Plain},         // export format last used: mail
    {62, 48, 1, Rule::Plain},         // forum
    {63, 52, 5, Rule::Plain},         // newsgroup
    {66, 56, 1, Rule::Plain},         // open mode of the frame window
};

constexpr NumberItem kDisplay[] = {
    {22, 0, 255, Rule::Colour},        // current tab
    {23, 4, 12632256, Rule::Colour},   // read-only fields
    {24, 8, 8388608, Rule::Colour},    // keep status lines
    {25, 12, 255, Rule::Colour},       // delete status lines
    {26, 16, 4, Rule::Plain},          // speed choices 26-30
    {27, 20, 4, Rule::Plain},
    {28, 24, 4, Rule::Plain},
    {29, 28, 4, Rule::Plain},
    {30, 32, 4, Rule::Plain},
    {32, 36, 0, Rule::Plain},          // completion time after an import
    {37, 40, 0, Rule::Plain},
    {38, 44, 2, Rule::Plain},          // person display, message browse
    {39, 48, 2, Rule::Plain},          // person display, mail browse
    {40, 52, 0, Rule::Plain},
    {42, 56, 0, Rule::Plain},
    {46, 60, 0, Rule::Plain},          // task restriction period: start
    {47, 64, 0, Rule::Plain},          // and end
    {48, 68, 0, Rule::Plain},          // all tasks deactivated
    {57, 72, 0, Rule::Plain},
    {58, 76, 78, Rule::Plain},
    {59, 80, 1, Rule::Plain},
    {60, 84, 0, Rule::Plain},
    {64, 88, 0, Rule::Plain},          // import date order
    {65, 92, 0, Rule::Plain},
};

constexpr std::size_t kFontBase = 96;
constexpr std::size_t kFontBytes = kTypefaceBytes + 4;
constexpr int kFirstFont = 33;
constexpr int kLastFont = 36;

template <std::size_t N>
const NumberItem* find(const NumberItem (&table)[N], int item) {
  for (const NumberItem& slot : table)
    if (slot.item == item) return &slot;
  return nullptr;
}

template <std::size_t N>
bool fillZeros(const NumberItem (&table)[N], Image& image) {
  bool changed = false;
  for (const NumberItem& slot : table) {
    if (slot.fallback != 0 && readInt32(image, slot.offset) == 0) {
      writeInt32(image, slot.offset, slot.fallback);
      changed = true;
    }
  }
  return changed;
}

std::size_t fontOffset(int item) { return kFontBase + static_cast<std::size_t>(item - kFirstFont) * kFontBytes; }

// A typeface as stored: blank-padded, but a record made of zeros has NULs.
std::string storedTypeface(const Image& image, int item) {
  const std::size_t at = fontOffset(item);
  std::string face(reinterpret_cast<const char*>(image.data() + at), kTypefaceBytes);
  while (!face.empty() && (face.back() == ' ' || face.back() == '\0')) face.pop_back();
  return face;
}

// A length-prefixed text at `at`; a length running past the group is cut at
// its end (a damaged record must not make us read beyond it).
std::string readCounted(const Image& image, std::size_t& at) {
  if (at >= kGroupBytes) return {};
  const std::size_t n = std::min<std::size_t>(image[at], kGroupBytes - at - 1);
  std::string s(reinterpret_cast<const char*>(image.data() + at + 1), n);
  at += 1 + n;
  return s;
}

void writeCounted(Image& image, std::size_t& at, std::string_view s) {
  image[at] = static_cast<std::uint8_t>(s.size());
  std::copy(s.begin(), s.end(), image.begin() + static_cast<std::ptrdiff_t>(at + 1));
  at += 1 + s.size();
}

}  // namespace

std::int32_t readInt32(const Image& image, std::size_t offset) {
  const std::uint32_t u = static_cast<std::uint32_t>(image[offset]) |
                          static_cast<std::uint32_t>(image[offset + 1]) << 8 |
                          static_cast<std::uint32_t>(image[offset + 2]) << 16 |
                          static_cast<std::uint32_t>(image[offset + 3]) << 24;
  return static_cast<std::int32_t>(u);
}

void writeInt32(Image& image, std::size_t offset, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) image[offset + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int16_t readInt16(const Image& image, std::size_t offset) {
  const auto u = static_cast<std::uint16_t>(image[offset] | image[offset + 1] << 8);
  return static_cast<std::int16_t>(u);
}

void writeInt16(Image& image, std::size_t offset, std::int16_t value) {
  const auto u = static_cast<std::uint16_t>(value);
  image[offset] = static_cast<std::uint8_t>(u & 0xFF);
  image[offset + 1] = static_cast<std::uint8_t>(u >> 8);
}

const NumberItem* generalItem(int item) { return find(kGeneral, item); }
const NumberItem* displayItem(int item) { return find(kDisplay, item); }

std::int32_t effective(const NumberItem& slot, std::int32_t stored) {
  if (stored == 0) return slot.fallback;
  switch (slot.rule) {
    case Rule::LocatorDelay:
      return stored >= 1 && stored <= 35 ? stored : slot.fallback;
    case Rule::Colour:
      return stored & kColourMask;
    case Rule::Plain:
      break;
  }
  return stored;
}

std::int32_t storable(const NumberItem& slot, std::int32_t value) {
  if (slot.rule == Rule::Colour) return (value & kColourMask) == 0 ? kBlackMarker : value & kColourMask;
  return value;
}

bool isFontItem(int item) { return item >= kFirstFont && item <= kLastFont; }

std::string typeface(const Image& image, int item) {
  std::string face = storedTypeface(image, item);
  return face.empty() ? std::string(kDefaultTypeface) : face;
}

std::int32_t fontSize(const Image& image, int item) {
  const std::int32_t size = readInt32(image, fontOffset(item) + kTypefaceBytes);
  return size == 0 ? kDefaultFontSize : size;
}

void setFont(Image& image, int item, std::string_view face, std::int32_t size) {
  const std::size_t at = fontOffset(item);
  const std::size_t n = std::min(face.size(), kTypefaceBytes);
  std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(at), kTypefaceBytes, static_cast<std::uint8_t>(' '));
  std::copy_n(face.begin(), n, image.begin() + static_cast<std::ptrdiff_t>(at));
  writeInt32(image, at + kTypefaceBytes, size);
}

bool fillGeneralDefaults(Image& image) { return fillZeros(kGeneral, image); }

bool fillDisplayDefaults(Image& image) {
  bool changed = fillZeros(kDisplay, image);
  for (int item = kFirstFont; item <= kLastFont; ++item) {
    const std::string face = storedTypeface(image, item);
    const std::int32_t size = readInt32(image, fontOffset(item) + kTypefaceBytes);
    if (face.empty() || size == 0) {
      setFont(image, item, face.empty() ? kDefaultTypeface : face, size == 0 ? kDefaultFontSize : size);
      changed = true;
    }
  }
  return changed;
}

StoredPaths decodePaths(const Image& image) {
  StoredPaths paths;
  std::size_t at = 0;
  for (std::string& p : paths) p = readCounted(image, at);
  return paths;
}

bool encodePaths(const StoredPaths& paths, Image& image) {
  std::size_t total = 0;
  for (const std::string& p : paths) total += p.size();
  if (total > kPathRoom) return false;
  Image out = image;
  std::size_t at = 0;
  for (const std::string& p : paths) writeCounted(out, at, p);
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(at), out.end(), std::uint8_t{0});
  image = out;
  return true;
}

std::string decodeImportPath(const Image& image) {
  std::size_t at = 0;
  return readCounted(image, at);
}

bool encodeImportPath(std::string_view path, Image& image) {
  if (path.size() > kImportPathBytes) return false;
  std::size_t at = 0;
  writeCounted(image, at, path);
  std::fill(image.begin() + static_cast<std::ptrdiff_t>(at), image.end(), std::uint8_t{0});
  return true;
}

}  // namespace qv::config
