#include "tests/import/canonical_dump.h"

#include <algorithm>

#include "store/context.h"
#include "store/dispatcher.h"
#include "store/engine/integrity.h"
#include "store/halt.h"
#include "tests/support/recording_ui.h"

namespace qv::test {

namespace {

using engine::Err;

std::string person(Context& ctx, std::uint32_t id) {
  ctx.per.PERSONID = id;
  if (ctx.fileOf<Person>().get(Person::PersonKey) != Err::Ok) return "?";
  return ctx.per.FIRSTNAME.str() + " " + ctx.per.LASTNAME.str() + " <" + ctx.per.ADDRESS.str() + ">";
}

std::string messageId(Context& ctx, std::uint32_t number) {
  if (number == 0) return "-";
  ctx.mst.MSGNUMBER = number;
  return ctx.fileOf<MsgString>().get(MsgString::IDKey) == Err::Ok ? ctx.mst.IDSTRING.str() : "#unknown";
}

bool text(Context& ctx, std::uint32_t number, std::string& out) {
  ctx.txt.MSGNUMBER = number;
  if (ctx.fileOf<MsgText>().get(MsgText::IdKey) != Err::Ok) return false;
  out = ctx.txtMemo;
  return true;
}

void dumpDatabase(Context& ctx, const Forums& db, HomeDump& out) {
  const std::string name = db.DESCRIPTION.str();
  out.lines.push_back("database " + name + " type " + std::to_string(db.TYPE));
  ctx.mem.Dirnamn = "F" + std::to_string(db.DIRNUMBER);
  const std::filesystem::path dir = ctx.mem.FileDir / ctx.mem.Dirnamn;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string file = entry.path().filename().string();
    if (file.size() == 10 && file.rfind("IDX", 0) == 0 && file.find('.') == 6) {
      const std::string password = file == "IDX013.TPS" ? kOwnerPassword7 : "";
      const engine::Status s = engine::checkIntegrity(entry.path(), password);
      if (!s.ok()) out.problems.push_back(entry.path().string() + ": " + s.text);
    }
  }
  OP_CLOSE(ctx, kOpOpen, {MsgNmbr::FileNo, MsgText::FileNo, Person::FileNo, Sections::FileNo, Threads::FileNo,
                          Mail::FileNo, CCR::FileNo, MsgString::FileNo});
  std::int64_t messages = 0;
  if (db.TYPE == 2) {
    engine::File& mails = ctx.fileOf<Mail>();
    mails.set();
    while (mails.next() == Err::Ok) {
      ++messages;
      const Mail m = ctx.mai;
      std::string body, copies;
      if (!text(ctx, m.MAILID, body)) out.problems.push_back(name + ": mail " + m.SUBJECT.str() + " has no text");
      ctx.ccr = CCR{};
      ctx.ccr.MAILID = m.MAILID;
      ctx.fileOf<CCR>().setFrom(CCR::IdKey);
      while (ctx.fileOf<CCR>().next() == Err::Ok && ctx.ccr.MAILID == m.MAILID)
        copies += " cc " + ctx.ccr.R_NAME.str() + " <" + ctx.ccr.R_CISADRESS.str() + ">";
      out.lines.push_back(name + " mail " + std::to_string(m.DATE) + " " + std::to_string(m.TIME) + " " +
                          m.SUBJECT.str() + " from " + person(ctx, m.FROMID) + " to " + person(ctx, m.TOID) +
                          " pair " + m.PAIRALPHA.str() + copies + " text " + body);
    }
  } else {
    engine::File& msgs = ctx.fileOf<MsgNmbr>();
    msgs.set();
    while (msgs.next() == Err::Ok) {
      ++messages;
      const MsgNmbr m = ctx.msg;
      std::string body;
      if (!text(ctx, m.MSGNUMBER, body))
        out.problems.push_back(name + ": message " + std::to_string(m.MSGNUMBER) + " has no text");
      ctx.sec.SECSYSID = m.SECSYSID;
      const std::string section =
          ctx.fileOf<Sections>().get(Sections::SysIdKey) == Err::Ok ? ctx.sec.DESCRIPTION.str() : "?";
      ctx.thr.THREADNUMBER = m.THREADNUMBER;
      const std::string thread =
          ctx.fileOf<Threads>().get(Threads::ThreadKey) == Err::Ok ? std::string(clip(ctx.thr.HEADING())) : "?";
      const std::string self = db.TYPE == 3 ? messageId(ctx, m.MSGNUMBER) : std::to_string(m.MSGNUMBER);
      const std::string ref = db.TYPE == 3 ? messageId(ctx, m.REFNUMBER) : std::to_string(m.REFNUMBER);
      out.lines.push_back(name + " message " + self + " ref " + ref + " section " + section + " thread " + thread +
                          " from " + person(ctx, m.FROMID) + " to " + person(ctx, m.TOID) + " date " +
                          std::to_string(m.DATE) + " text " + body);
    }
  }
  const std::int64_t texts = ctx.fileOf<MsgText>().records();
  if (texts != messages)
    out.problems.push_back(name + ": " + std::to_string(messages) + " messages but " + std::to_string(texts) + " texts");
  OP_CLOSE(ctx, kOpForceClose, {MsgNmbr::FileNo, MsgText::FileNo, Person::FileNo, Sections::FileNo, Threads::FileNo,
                                Mail::FileNo, CCR::FileNo, MsgString::FileNo});
}

}  // namespace

HomeDump canonicalDump(const std::filesystem::path& home) {
  HomeDump out;
  RecordingUi ui;
  Library lib(ui);
  MemGroup mem;
  mem.Net = home;
  mem.FileDir = home;
  mem.TempDir = home / "TEMP";
  lib.publish(mem, home);
  Context ctx(lib);
  try {
    std::vector<Forums> list;
    OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
    ctx.fileOf<Forums>().set(Forums::AlphaKey);
    while (ctx.fileOf<Forums>().next() == Err::Ok) list.push_back(ctx.for_);
    OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
    for (const Forums& db : list) dumpDatabase(ctx, db, out);
  } catch (const Halt& h) {
    out.problems.push_back(std::string("the program stopped: ") + h.what() +
                           (ui.shown.empty() ? "" : " (" + ui.last().text + ")"));
  }
  std::sort(out.lines.begin(), out.lines.end());
  return out;
}

}  // namespace qv::test
