// quorvel browse: one page of the forum and newsgroup message browse, as
// its list shows it, with each line's effective status.
#include <CLI/CLI.hpp>

#include <cstdlib>
#include <map>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "browse/line_texts.h"
#include "browse/message_views.h"
#include "store/config.h"
#include "store/dates.h"
#include "store/table_use.h"
#include "wordindex/search_query.h"

namespace qv::app::cli {

namespace {

using browse::MessageView;

constexpr const char* kTitle = "Browse";

const std::map<std::string, MessageView> kViews = {
    {"date", MessageView::Date},         {"thread", MessageView::Thread},     {"section", MessageView::Section},
    {"sender", MessageView::Sender},     {"receiver", MessageView::Receiver}, {"msgno", MessageView::MsgNo}};

struct BrowseArgs {
  std::uint32_t db = 0;
  std::string view = "date";
  std::uint32_t limit = 0;
  std::string at;
  std::size_t count = 20;
};

// The limit's key values: a thread's alpha key, a person's name copy.
std::optional<browse::ViewLimit> limitOf(Context& ctx, MessageView view, std::uint32_t id) {
  if (id == 0) return std::nullopt;
  browse::ViewLimit limit{{}, id};
  if (view == MessageView::Thread) {
    ctx.thr = Threads{};
    ctx.thr.THREADNUMBER = id;
    if (ctx.fileOf<Threads>().get(Threads::ThreadKey) == engine::Err::Ok) limit.alpha = ctx.thr.ALPHA.str();
  } else if (view == MessageView::Sender || view == MessageView::Receiver) {
    ctx.per = Person{};
    ctx.per.PERSONID = id;
    if (ctx.fileOf<Person>().get(Person::PersonKey) == engine::Err::Ok) limit.alpha = ctx.per.LASTNAME.str();
  }
  return limit;
}

std::string personLine(Context& ctx, std::uint32_t id, browse::PersonForm form) {
  ctx.per = Person{};
  ctx.per.PERSONID = id;
  if (id == 0 || ctx.fileOf<Person>().get(Person::PersonKey) != engine::Err::Ok) return {};
  return browse::personText(ctx.per.LASTNAME.view(), ctx.per.FIRSTNAME.view(), ctx.per.ADDRESS.view(), form,
                            browse::kMessagePersonChars);
}

std::vector<Value> lineOf(Context& ctx, const MsgNmbr& m, browse::PersonForm form) {
  const MsgNmbr msg = m;
  ctx.thr = Threads{};
  ctx.thr.THREADNUMBER = msg.THREADNUMBER;
  const bool thread = ctx.fileOf<Threads>().get(Threads::ThreadKey) == engine::Err::Ok;
  std::string threadText = thread ? ctx.thr.HEADING().substr(0, browse::kThreadTextChars) : std::string();
  while (!threadText.empty() && threadText.back() == ' ') threadText.pop_back();
  const Status threadStatus = thread ? statusOf(ctx.thr) : Status::Normal;
  ctx.sec = Sections{};
  ctx.sec.SECSYSID = msg.SECSYSID;
  const bool section = ctx.fileOf<Sections>().get(Sections::SysIdKey) == engine::Err::Ok;
  const std::string sectionText =
      section ? browse::sectionText(databaseType(ctx.mem.ForumType) == DatabaseType::Newsgroup,
                                    ctx.sec.SECTIONNUMBER, ctx.sec.DESCRIPTION.view())
              : std::string();
  const Status effective = browse::effectiveStatus(
      {statusOf(msg), threadStatus, section ? statusOf(ctx.sec) : Status::Normal, status(ctx.mem.ForumCheck)});
  return {static_cast<std::int64_t>(msg.MSGNUMBER), text(dates::formatDate(msg.DATE, dates::kDateYyyyMmDd)),
          text(threadText), text(personLine(ctx, msg.FROMID, form)), text(personLine(ctx, msg.TOID, form)),
          text(sectionText), text(statusName(effective))};
}

int runBrowse(Env& env, const BrowseArgs& a) {
  if (!useDatabase(env, kTitle, a.db)) return kFailure;
  Context& ctx = env.app().ctx();
  if (databaseType(ctx.mem.ForumType) == DatabaseType::Mail) {
    env.ui().message(kTitle, "quorvel browse shows forum and newsgroup databases so far; for mail use search or dump.",
                     MessageKind::Error);
    return kUsage;
  }
  const MessageView view = kViews.at(a.view);
  TableUse tables(ctx, {MsgNmbr::FileNo, Threads::FileNo, Sections::FileNo, Person::FileNo});
  browse::MessagePager pager(ctx, view, limitOf(ctx, view, a.limit));
  std::vector<MsgNmbr> page;
  if (a.at.empty()) {
    page = pager.first(a.count);
  } else {
    std::optional<std::uint32_t> start;
    if (const std::optional<std::int32_t> day = wordindex::parseDay(a.at)) {
      if (const auto found = pager.atDate(*day)) start = found->MSGNUMBER;
    } else {
      start = static_cast<std::uint32_t>(std::strtoul(a.at.c_str(), nullptr, 10));
    }
    if (start && a.count > 0) {
      ctx.msg = MsgNmbr{};
      ctx.msg.MSGNUMBER = *start;
      if (ctx.fileOf<MsgNmbr>().get(MsgNmbr::IdKey) == engine::Err::Ok) {
        page.push_back(ctx.msg);
        const std::vector<MsgNmbr> rest = pager.after(*start, a.count - 1);
        page.insert(page.end(), rest.begin(), rest.end());
      }
    }
    if (page.empty()) {
      env.ui().message(kTitle, "Nothing to show at " + a.at + " in this view.", MessageKind::Error);
      return kFailure;
    }
  }
  const browse::PersonForm form = displaySetting(ctx, kItemMessagePersons) == browse::kPersonsNameAndAddress
                                      ? browse::PersonForm::NameAndAddress
                                      : browse::PersonForm::Name;
  Listing out({"number", "date", "thread", "sender", "receiver", "section", "status"});
  const engine::ReadBurst reading{&ctx.fileOf<Threads>(), &ctx.fileOf<Sections>(), &ctx.fileOf<Person>()};
  for (const MsgNmbr& m : page) out.addRow(lineOf(ctx, m, form));
  print(env.out, out, env.format());
  return kSuccess;
}

}  // namespace

void addBrowseCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<BrowseArgs>();
  CLI::App* c = addCommand(app, "browse", "One page of a forum or newsgroup database's message browse",
                           "quorvel browse --db 250002 --view thread --limit 250010 --count 10");
  c->add_option("--db", a->db, "The database (default: the active one)");
  c->add_option("--view", a->view, "The view")->check(CLI::IsMember({"date", "thread", "section", "sender", "receiver", "msgno"}));
  c->add_option("--limit", a->limit, "Thread number, section (its SECSYSID) or person identifier to keep to");
  c->add_option("--at", a->at, "Start at a date (YYYY-MM-DD) or a message number");
  c->add_option("--count", a->count, "Lines on the page")->check(CLI::PositiveNumber);
  c->callback([&env, a] { env.action = [a](Env& e) { return runBrowse(e, *a); }; });
}

}  // namespace qv::app::cli
