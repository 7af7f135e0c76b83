#include "wordindex/index_settings.h"

#include <algorithm>
#include <cstring>

#include "store/config_store.h"
#include "wordindex/delimiter_table.h"
#include "wordindex/word_cutter.h"

namespace qv::wordindex {

namespace {

constexpr std::size_t kRuleAt = 0, kNumbersAt = 1, kTagLinesAt = 2, kPauseAt = 4, kSetNameAt = 8;
constexpr std::uint8_t kRuleOff = 2;

}  // namespace

IndexSettings loadIndexSettings(Context& ctx) {
  IndexSettings s;
  config::Image image{};
  if (config::readRecord(ctx, kRecWordIndex, image) != config::Read::Found) return s;
  s.stopWordRule = image[kRuleAt] != kRuleOff;
  s.excludeNumbers = image[kNumbersAt] != 0;
  s.excludeTagLines = image[kTagLinesAt] != 0;
  const std::int32_t pause = config::readInt32(image, kPauseAt);
  if (pause > 0) s.pauseAfterRows = pause;
  const std::size_t nameLength = std::min<std::size_t>(image[kSetNameAt], kWordMax);
  if (nameLength > 0) s.delimiterSet.assign(reinterpret_cast<const char*>(&image[kSetNameAt + 1]), nameLength);
  return s;
}

bool saveIndexSettings(Context& ctx, const IndexSettings& s) {
  config::Image image{};
  image[kRuleAt] = s.stopWordRule ? 1 : kRuleOff;
  image[kNumbersAt] = s.excludeNumbers ? 1 : 0;
  image[kTagLinesAt] = s.excludeTagLines ? 1 : 0;
  config::writeInt32(image, kPauseAt, s.pauseAfterRows == kDefaultPauseAfterRows ? 0 : s.pauseAfterRows);
  const std::string name = s.delimiterSet == kDefaultSetName ? std::string() : s.delimiterSet.substr(0, kWordMax);
  image[kSetNameAt] = static_cast<std::uint8_t>(name.size());
  std::memcpy(&image[kSetNameAt + 1], name.data(), name.size());
  return config::writeRecord(ctx, kRecWordIndex, image);
}

CuttingRules loadCuttingRules(Context& ctx, const IndexSettings& settings) {
  CuttingRules rules;
  rules.set = loadDelimiters(ctx, settings.delimiterSet).value_or(defaultDelimiters());
  rules.options.excludeNumbers = settings.excludeNumbers;
  rules.options.excludeTagLines = settings.excludeTagLines && databaseType(ctx.mem.ForumType) != DatabaseType::Mail;
  return rules;
}

}  // namespace qv::wordindex
