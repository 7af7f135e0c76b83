// quorvel dump: the messages a database holds, exactly as stored, so that a
// user or a script can see what an import did.
#include <CLI/CLI.hpp>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "store/dates.h"
#include "store/dispatcher.h"

namespace qv::app::cli {

namespace {

struct DumpArgs {
  std::uint32_t db = 0;
  bool withText = false;
};

// The message text and its length; the length is -1 when the message has none.
std::int64_t messageText(Context& ctx, std::uint32_t number, std::string& text) {
  ctx.txt.MSGNUMBER = number;
  if (ctx.fileOf<MsgText>().get(MsgText::IdKey) != engine::Err::Ok) {
    text.clear();
    return -1;
  }
  text = ctx.txtMemo;
  return static_cast<std::int64_t>(text.size());
}

void dumpForum(Env& env, Context& ctx, const DumpArgs& a) {
  std::vector<std::string> cols = {"number", "date",    "section",   "thread", "sender", "receiver",
                                   "subject", "reference", "status", "text length"};
  if (a.withText) cols.push_back("text");
  Listing out(cols);
  OP_CLOSE(ctx, kOpOpen, {MsgNmbr::FileNo, MsgText::FileNo, Person::FileNo, Sections::FileNo, Threads::FileNo});
  engine::File& messages = ctx.fileOf<MsgNmbr>();
  messages.set(MsgNmbr::IdKey);
  // The key runs from the highest number down: read it backwards.
  while (messages.previous() == engine::Err::Ok) {
    const MsgNmbr m = ctx.msg;
    ctx.sec.SECSYSID = m.SECSYSID;
    const std::string section =
        ctx.fileOf<Sections>().get(Sections::SysIdKey) == engine::Err::Ok ? ctx.sec.DESCRIPTION.str() : "";
    ctx.thr.THREADNUMBER = m.THREADNUMBER;
    const std::string subject =
        ctx.fileOf<Threads>().get(Threads::ThreadKey) == engine::Err::Ok ? std::string(clip(ctx.thr.HEADING())) : "";
    std::string body;
    const std::int64_t length = messageText(ctx, m.MSGNUMBER, body);
    std::vector<Value> row = {static_cast<std::int64_t>(m.MSGNUMBER), text(dates::formatDate(m.DATE, 10)),
                              text(section),
                              static_cast<std::int64_t>(m.THREADNUMBER),
                              text(personText(ctx, m.FROMID)),
                              text(personText(ctx, m.TOID)),
                              text(subject),
                              static_cast<std::int64_t>(m.REFNUMBER),
                              text(statusName(statusOf(m))),
                              length};
    if (a.withText) row.push_back(text(body));
    out.addRow(std::move(row));
  }
  OP_CLOSE(ctx, kOpRelease, {MsgNmbr::FileNo, MsgText::FileNo, Person::FileNo, Sections::FileNo, Threads::FileNo});
  print(env.out, out, env.format());
}

void dumpMail(Env& env, Context& ctx, const DumpArgs& a) {
  std::vector<std::string> cols = {"id",     "date",   "time",         "sender", "receiver", "partner",
                                   "subject", "status", "carbon copies", "text length"};
  if (a.withText) cols.push_back("text");
  Listing out(cols);
  OP_CLOSE(ctx, kOpOpen, {Mail::FileNo, MsgText::FileNo, Person::FileNo, CCR::FileNo});
  engine::File& mails = ctx.fileOf<Mail>();
  mails.set(Mail::IdKey);
  while (mails.previous() == engine::Err::Ok) {
    const Mail m = ctx.mai;
    std::string copies;
    if (m.CCR == 1) {
      engine::File& cc = ctx.fileOf<CCR>();
      ctx.ccr = CCR{};
      ctx.ccr.MAILID = m.MAILID;
      cc.setFrom(CCR::IdKey);
      while (cc.next() == engine::Err::Ok && ctx.ccr.MAILID == m.MAILID) {
        if (!copies.empty()) copies += "; ";
        copies += ctx.ccr.RECIPTYPE.str() + " " + ctx.ccr.R_NAME.str() + " <" + ctx.ccr.R_CISADRESS.str() + ">";
      }
    }
    std::string body;
    const std::int64_t length = messageText(ctx, m.MAILID, body);
    std::vector<Value> row = {static_cast<std::int64_t>(m.MAILID), text(dates::formatDate(m.DATE, 10)),
                              text(dates::formatTime(m.TIME, 1)),
                              text(personText(ctx, m.FROMID)),
                              text(personText(ctx, m.TOID)),
                              text(m.PAIRALPHA.view()),
                              text(m.SUBJECT.view()),
                              text(statusName(statusOf(m))),
                              text(copies),
                              length};
    if (a.withText) row.push_back(text(body));
    out.addRow(std::move(row));
  }
  OP_CLOSE(ctx, kOpRelease, {Mail::FileNo, MsgText::FileNo, Person::FileNo, CCR::FileNo});
  print(env.out, out, env.format());
}

int dump(Env& env, const DumpArgs& a) {
  if (!useDatabase(env, "Dump", a.db)) return kFailure;
  Context& ctx = env.app().ctx();
  if (databaseType(ctx.mem.ForumType) == DatabaseType::Mail)
    dumpMail(env, ctx, a);
  else
    dumpForum(env, ctx, a);
  return kSuccess;
}

}  // namespace

void addDumpCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<DumpArgs>();
  CLI::App* c = addCommand(app, "dump", "Print the messages a database holds", "quorvel --json dump --db 250001 --text");
  c->add_option("--db", a->db, "The database (default: the active one)");
  c->add_flag("--text", a->withText, "Include the message texts");
  c->callback([&env, a] { env.action = [a](Env& e) { return dump(e, *a); }; });
}

}  // namespace qv::app::cli
