// Which cutter reads which format.
#include <functional>
#include <utility>

#include "readers/internet/cutters.h"

namespace qv::internet {
namespace {

using CutterFactory = std::function<std::unique_ptr<Cutter>()>;

const std::vector<std::pair<std::string_view, CutterFactory>>& table() {
  static const std::vector<std::pair<std::string_view, CutterFactory>> formats = {
      {"Eudora", makeEudoraCutter},
      {"IE Mail", makeMarkerCutter},
      {"Outlook Express 4 Mail", makeMarkerCutter},
      {"Netscape Mail", makeNetscapeMailCutter},
      {"Pegasus", makePegasusCutter},
      {"TheBat", makeTheBatCutter},
      {"Generic Mail Type 1", [] { return makeHeaderScanCutter(false); }},
      {"Becky Mail", [] { return makeHeaderScanCutter(false); }},
      {"Agent Mail", [] { return makeHeaderScanCutter(false); }},
      {"Generic Mail Type 2", [] { return makeFromLineCutter(false); }},
      {"Poco Mail", [] { return makeFromLineCutter(false); }},
      {"Winvn", [] { return makeFromLineCutter(true); }},
      {"Gravity", [] { return makeHeaderScanCutter(true); }},
      {"IE News", [] { return makeNewsCutter(true); }},
      {"Outlook Express 4 News", [] { return makeNewsCutter(true); }},
      {"Netscape News", [] { return makeNewsCutter(false); }},
  };
  return formats;
}

}  // namespace

std::unique_ptr<StoreReader> makeStoreReader(std::string_view format) {
  for (const auto& [name, make] : table())
    if (name == format) return std::make_unique<StoreReader>(make());
  return nullptr;
}

const std::vector<std::string_view>& storeFormats() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> out;
    for (const auto& entry : table()) out.push_back(entry.first);
    return out;
  }();
  return names;
}

void registerInternetReaders(Library& lib) {
  for (std::string_view format : storeFormats())
    registerReader(lib, format, [format]() -> std::unique_ptr<Reader> { return makeStoreReader(format); });
}

}  // namespace qv::internet
