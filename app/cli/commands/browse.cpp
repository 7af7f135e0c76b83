// quorvel browse: one page of the active database's browse — the message
// browse of a forum or newsgroup database, the mail browse of a mail
// database — as its list shows it, with each line's effective status.
#include <CLI/CLI.hpp>

#include <map>

#include "app/cli/commands/browse_page.h"
#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "app/windows/browse_source.h"
#include "browse/browse_lines.h"
#include "browse/mail_views.h"
#include "browse/message_views.h"
#include "store/dates.h"
#include "store/table_use.h"
#include "topics/codes.h"
#include "wordindex/index_tables.h"
#include "wordindex/result_set.h"
#include "wordindex/search_query.h"

namespace qv::app::cli {

namespace {

using browse::MailView;
using browse::MessageView;

constexpr const char* kTitle = "Browse";

const std::map<std::string, MessageView> kMessageViews = {
    {"date", MessageView::Date},       {"thread", MessageView::Thread},   {"section", MessageView::Section},
    {"sender", MessageView::Sender},   {"receiver", MessageView::Receiver}, {"msgno", MessageView::MsgNo},
    {"word", MessageView::KeyWord},    {"topic", MessageView::Topic},     {"search", MessageView::SearchResult}};

const std::map<std::string, MailView> kMailViews = {
    {"date", MailView::Date},       {"partner", MailView::Partner}, {"subject", MailView::Subject},
    {"sender", MailView::Sender},   {"receiver", MailView::Receiver}, {"word", MailView::KeyWord},
    {"topic", MailView::Topic},     {"search", MailView::SearchResult}};

// The values a view keeps to, read from what the user named; nothing (said)
// when the thread, person, word, topic or result set does not exist.
std::optional<browse::ViewLimit> limitOf(Env& env, const std::string& view, const std::string& value) {
  Context& ctx = env.app().ctx();
  auto missing = [&](const std::string& what) {
    env.ui().message(kTitle, what, MessageKind::Error);
    return std::nullopt;
  };
  if (view == "search") {
    const wordindex::StoredResultSet set = wordindex::readResultSet(ctx);
    if (set.state == wordindex::ResultSetState::OtherDatabase)
      return missing("The stored search result set belongs to database " + std::to_string(set.database) +
                     "; run quorvel search in this one first.");
    if (set.state != wordindex::ResultSetState::Read)
      return missing("No search result set is stored for this database; run quorvel search first.");
    return browse::ViewLimit{{}, 0, set.ids};
  }
  if (value.empty()) return browse::ViewLimit{};
  if (view == "word") {
    wordindex::IndexTable words(ctx, WordList::FileNo);
    ctx.wor = WordList{};
    ctx.wor.THEWORD = value;
    if (words.status() != engine::Err::Ok || words.file().get(WordList::by_theWord) != engine::Err::Ok)
      return missing("The word \"" + value + "\" is not in this database's word index.");
    return browse::ViewLimit{{}, static_cast<std::uint32_t>(ctx.wor.WORDID), {}};
  }
  if (view == "topic") {
    const std::optional<Codes> topic = topics::findCodeNamed(ctx, CodeType::Topic, value);
    if (!topic) return missing("There is no topic \"" + value + "\" in this database.");
    return browse::ViewLimit{{}, topic->ID, {}};
  }
  if (!app::isRecordNumber(value)) return missing("--limit takes a number in the " + view + " view.");
  const auto id = static_cast<std::uint32_t>(std::stoul(value));
  if (view == "section") return browse::ViewLimit{{}, id, {}};
  if (view == "thread") {
    TableUse use(ctx, {Threads::FileNo});
    ctx.thr = Threads{};
    ctx.thr.THREADNUMBER = id;
    if (ctx.fileOf<Threads>().get(Threads::ThreadKey) != engine::Err::Ok)
      return missing("There is no thread " + value + " in this database.");
    return browse::ViewLimit{ctx.thr.ALPHA.str(), id, {}};
  }
  TableUse use(ctx, {Person::FileNo});
  ctx.per = Person{};
  ctx.per.PERSONID = id;
  if (ctx.fileOf<Person>().get(Person::PersonKey) != engine::Err::Ok)
    return missing("There is no person " + value + " in this database.");
  return browse::ViewLimit{ctx.per.LASTNAME.str(), id, {}};
}

std::uint32_t idOf(const MsgNmbr& m) { return m.MSGNUMBER; }
std::uint32_t idOf(const Mail& m) { return m.MAILID; }

// One page of a pager of either browse: from the top, or from the line --at
// names — a date, a message number (the number view positions at the
// nearest one), a typed-ahead name. Empty when there is no such line.
template <class Record, class Pager>
std::vector<Record> pageOf(Pager& pager, const BrowseArgs& a, bool dateView, bool numberView) {
  if (a.at.empty()) return pager.first(a.count);
  std::optional<Record> start;
  if (const std::optional<std::int32_t> day = wordindex::parseDay(a.at)) {
    start = pager.atDate(*day);
    if (start && !dateView) start = pager.at(idOf(*start));
  } else if (app::isRecordNumber(a.at)) {
    const auto number = static_cast<std::uint32_t>(std::stoul(a.at));
    if constexpr (std::is_same_v<Record, MsgNmbr>)
      if (numberView) start = pager.atNumber(number);
    if (!start) start = pager.at(number);
  } else {
    start = pager.atName(a.at);
  }
  if (!start) return {};
  std::vector<Record> page{*start};
  const std::vector<Record> rest = pager.after(idOf(*start), a.count - 1);
  page.insert(page.end(), rest.begin(), rest.end());
  return page;
}

Listing messageListing(Context& ctx, const std::vector<MsgNmbr>& page) {
  Listing out({"number", "date", "thread", "sender", "receiver", "section", "status"});
  browse::LineComposer lines(ctx);
  // One read transaction per table for the whole page.
  const engine::ReadBurst reading{&ctx.fileOf<Threads>(), &ctx.fileOf<Sections>(), &ctx.fileOf<Person>()};
  for (const MsgNmbr& m : page) {
    const browse::MessageLine l = lines.message(m);
    out.addRow({static_cast<std::int64_t>(l.number), text(dates::formatDate(l.date, dates::kDateYyyyMmDd)),
                text(l.thread), text(l.sender), text(l.receiver), text(l.section), text(statusName(l.status))});
  }
  return out;
}

Listing mailListing(Context& ctx, const std::vector<Mail>& page) {
  Listing out({"id", "date", "time", "subject", "from", "to", "status"});
  browse::LineComposer lines(ctx);
  const engine::ReadBurst reading{&ctx.fileOf<Person>()};
  for (const Mail& m : page) {
    const browse::MailLine l = lines.mail(m);
    out.addRow({static_cast<std::int64_t>(l.id), text(dates::formatDate(l.date, dates::kDateYyyyMmDd)),
                text(dates::formatTime(l.time, dates::kTimeHhMm)), text(l.subject), text(l.from), text(l.to),
                text(statusName(l.status))});
  }
  return out;
}

}  // namespace

int runBrowse(Env& env, const BrowseArgs& a) {
  if (!useDatabase(env, kTitle, a.db)) return kFailure;
  Context& ctx = env.app().ctx();
  const bool mail = databaseType(ctx.mem.ForumType) == DatabaseType::Mail;
  if (mail ? !kMailViews.contains(a.view) : !kMessageViews.contains(a.view)) {
    env.ui().message(kTitle,
                     std::string("The ") + a.view + " view belongs to the " + (mail ? "message" : "mail") +
                         " browse; this is a " + (mail ? "mail" : "forum or newsgroup") + " database.",
                     MessageKind::Error);
    return kUsage;
  }
  const std::optional<browse::ViewLimit> limit = limitOf(env, a.view, a.limit);
  if (!limit) return kFailure;
  const bool limited = !a.limit.empty() || a.view == "search";
  Listing out({});
  bool empty = false;
  if (mail) {
    const MailView view = kMailViews.at(a.view);
    browse::MailPager pager = limited ? browse::MailPager(ctx, view, *limit) : browse::MailPager(ctx, view);
    const std::vector<Mail> page = pageOf<Mail>(pager, a, view == MailView::Date, false);
    empty = page.empty();
    out = mailListing(ctx, page);
  } else {
    const MessageView view = kMessageViews.at(a.view);
    browse::MessagePager pager(ctx, view, limited ? limit : std::nullopt);
    const std::vector<MsgNmbr> page = pageOf<MsgNmbr>(pager, a, view == MessageView::Date, view == MessageView::MsgNo);
    empty = page.empty();
    out = messageListing(ctx, page);
  }
  if (empty && !a.at.empty()) {
    env.ui().message(kTitle, "Nothing to show at " + a.at + " in this view.", MessageKind::Error);
    return kFailure;
  }
  print(env.out, out, env.format());
  return kSuccess;
}

void addBrowseCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<BrowseArgs>();
  CLI::App* c = addCommand(app, "browse", "One page of the active database's message or mail browse",
                           "quorvel browse --db 250002 --view thread --limit 250010 --count 10");
  c->add_option("--db", a->db, "The database (default: the active one)");
  c->add_option("--view", a->view,
                "date, thread, section, sender, receiver, msgno (forum and newsgroup); date, partner, subject, "
                "sender, receiver (mail); word, topic, search (both)")
      ->check(CLI::IsMember({"date", "thread", "section", "sender", "receiver", "msgno", "partner", "subject", "word",
                             "topic", "search"}));
  c->add_option("--limit", a->limit,
                "Keep to one thread number, section (its SECSYSID), person identifier, word or topic text");
  c->add_option("--at", a->at, "Start at a date (YYYY-MM-DD), a message number or mail identifier, or a name");
  c->add_option("--count", a->count, "Lines on the page")->check(CLI::PositiveNumber);
  c->callback([&env, a] { env.action = [a](Env& e) { return runBrowse(e, *a); }; });
}

}  // namespace qv::app::cli
