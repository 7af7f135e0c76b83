// quorvel export-addresses: the persons of a database as an address book
// (TAPCIS, Eudora, Generic Mail, OzWin II, dBase III) in the temporary
// directory — all of them, or the correspondents of a topic's messages
// and/or of a date range. Prints the full path written; Ctrl-C stops and
// leaves no file.
#include <CLI/CLI.hpp>
#include <map>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "app/cli/interrupt.h"
#include "export/address_export.h"
#include "topics/codes.h"
#include "wordindex/search_query.h"

namespace qv::app::cli {

namespace {

using exporting::AddressFormat;
using exporting::AddressResult;

const std::map<std::string, AddressFormat> kFormats = {{"tapcis", AddressFormat::Tapcis},
                                                       {"eudora", AddressFormat::Eudora},
                                                       {"generic", AddressFormat::GenericMail},
                                                       {"ozwin2", AddressFormat::OzWin2},
                                                       {"dbase3", AddressFormat::DBase3}};

struct AddressArgs {
  std::uint32_t db = 0;
  std::string format = "generic", topic, from, to, file;
};

int run(Env& env, const AddressArgs& a) {
  if (!useDatabase(env, "Address export", a.db)) return kFailure;
  Context& ctx = env.app().ctx();
  exporting::AddressRequest r;
  r.format = kFormats.at(a.format);
  r.fileName = a.file;
  if (!a.topic.empty()) {
    const std::optional<Codes> t = topics::findCodeNamed(ctx, CodeType::Topic, a.topic);
    if (!t) {
      env.ui().message("Selection error", "No topic selected!", MessageKind::Error);
      return kFailure;
    }
    r.topicId = t->ID;
  }
  if (!a.from.empty() || !a.to.empty())
    r.range = exporting::DateRange{wordindex::parseDay(a.from).value_or(0), wordindex::parseDay(a.to).value_or(0)};
  exporting::AddressExportJob job(ctx, std::move(r));
  runStoppable(job);
  env.ui().endProgressLine();
  const AddressResult result = job.result();
  if (result == AddressResult::Refused) return kFailure;
  Record out;
  switch (result) {
    case AddressResult::Done:
      out.add("result", text(exporting::addressCountText(job.written())));
      out.add("path", text(job.path().string()));
      break;
    case AddressResult::NoneSelected: out.add("result", text(exporting::kNoAddressesPassed)); break;
    case AddressResult::Cancelled: out.add("result", text(exporting::kAddressExportAborted)); break;
    default: out.add("result", text("failed")); break;
  }
  out.add("written", static_cast<std::int64_t>(job.written()));
  print(env.out, out, env.format());
  switch (result) {
    case AddressResult::Done: return kSuccess;
    case AddressResult::Cancelled: return kStopped;
    default: return kFailure;
  }
}

}  // namespace

void addExportAddressesCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<AddressArgs>();
  CLI::App* c = addCommand(app, "export-addresses",
                           "Export the persons of a database as an address list into the temporary directory",
                           "quorvel export-addresses --format eudora --topic Printers Address.Txt");
  c->add_option("--format", a->format, "tapcis, eudora, generic, ozwin2 or dbase3")
      ->check(CLI::IsMember({"tapcis", "eudora", "generic", "ozwin2", "dbase3"}));
  c->add_option("--db", a->db, "The database (default: the active one)");
  c->add_option("--topic", a->topic, "Only the correspondents of this topic's messages (text or identifier)");
  c->add_option("--from", a->from, "Only the correspondents of messages from this date on (YYYY-MM-DD)");
  c->add_option("--to", a->to, "Only the correspondents of messages up to this date (YYYY-MM-DD)");
  c->add_option("file", a->file, "The file name, without a path (default: Address.Txt, Address.Ab, Address.Dbf)");
  c->callback([&env, a] { env.action = [a](Env& e) { return run(e, *a); }; });
}

}  // namespace qv::app::cli
