// quorvel formats: the source formats an import can read.
#include <CLI/CLI.hpp>

#include "app/cli/env.h"
#include "import/formats.h"

namespace qv::app::cli {

namespace {

const char* kindName(SourceKind k) {
  switch (k) {
    case SourceKind::CompuServe: return "forum and mail";
    case SourceKind::Mail: return "mail";
    case SourceKind::News: return "newsgroups";
  }
  return "";
}

int listFormats(Env& env) {
  Listing out({"number", "name", "feeds", "default masks"});
  for (const FormatEntry& f : offeredFormats()) {
    const auto kind = sourceKind(f.number);
    const auto masks = defaultMaskString(f.number);
    out.addRow({static_cast<std::int64_t>(f.number), text(f.name), text(kind ? kindName(*kind) : ""),
                text(masks ? std::string(*masks) : std::string())});
  }
  print(env.out, out, env.format());
  return kSuccess;
}

}  // namespace

void addFormatsCommand(CLI::App& app, Env& env) {
  addCommand(app, "formats", "List the source formats an import can read", "quorvel formats")
      ->callback([&env] { env.action = listFormats; });
}

}  // namespace qv::app::cli
