// The browses against a large archive, measured in process.
//
// A fresh data home gets a forum database and a mail database of N records
// each (default 1,000,000; see browse_data.h for their shape), made in a
// child process so that the figures of this one show only what browsing
// costs. Then, with the tables held open as a browse window holds them,
// every operation is repeated and its median and maximum printed in ms:
//
// - forum: each view of the message browse showing its first page of 40
//   lines, the lines composed by the browse's line composer as the list
//   shows them (and the date view's page once more with its lines read in
//   one read burst per table, for comparison); pages after and before a
//   random message in each view; the
//   first page of a view limited to the long thread, the busiest section,
//   the busiest sender and a receiver; jumps to a random date, to a random
//   message number and to a typed name in the sender view, each with its
//   page; 100 steps to the next thread and to the next sender, each with
//   the page it then shows; the thread tree of the long thread and of a
//   random thread;
// - mail: each view's first page, pages after and before a random mail,
//   jumps to a random date and to a typed partner name, 100 steps to the
//   next partner with its page.
//
// Goals beside the figures: a page or jump under 20 ms, the long thread's
// tree under 50 ms. Last, the resident memory (VmRSS, and its peak VmHWM):
// the browses read a page at a time, so it should not grow with N.
//
//   bench_browse [--messages N] [--repeat R] [--seed S] [--dir DIR] [--keep]
//
// --dir works in DIR (which is kept) instead of a fresh temporary directory.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_home.h"
#include "bench/browse_data.h"
#include "browse/browse_lines.h"
#include "browse/mail_views.h"
#include "browse/message_views.h"
#include "browse/person_steps.h"
#include "browse/thread_steps.h"
#include "browse/thread_tree.h"
#include "store/config.h"
#include "store/database_list.h"
#include "store/dates.h"
#include "store/dispatcher.h"
#include "store/persons.h"
#include "store/table_use.h"
#include "store/utilities.h"

namespace {

using namespace qv;
namespace fs = std::filesystem;
using browse::MessageView;
using bench::Clock;
using bench::Home;
using bench::msSince;
using bench::statusLine;
using bench::directoryBytes;

constexpr std::size_t kPageLines = 40;
constexpr double kPageGoalMs = 20;
constexpr double kTreeGoalMs = 50;
constexpr int kSteps = 100;

// ------------------------------------------------------------------ figures

class Report {
 public:
  void add(const std::string& name, double goalMs, std::vector<double> ms) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    const double median = ms.size() % 2 == 1 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
    const double max = ms.back();
    const char* verdict = max < goalMs ? "ok" : median < goalMs ? "max over" : "SLOW";
    if (max >= goalMs) ++over_;
    std::printf("  %-48s %5zu %9.2f %9.2f   < %3.0f  %s\n", name.c_str(), ms.size(), median, max, goalMs, verdict);
    std::fflush(stdout);
  }
  static void header(const char* title) {
    std::printf("\n%s\n  %-48s %5s %9s %9s   %5s\n", title, "operation", "runs", "median ms", "max ms", "goal");
  }
  int over() const { return over_; }

 private:
  int over_ = 0;
};

template <class F>
std::vector<double> repeated(int times, F&& f) {
  std::vector<double> ms;
  for (int i = 0; i < times; ++i) {
    const auto t0 = Clock::now();
    f(i);
    ms.push_back(msSince(t0));
  }
  return ms;
}

// The page a locator shows: the record found, then the records after it.
template <class Pager, class Record, class Id>
std::vector<Record> pageAt(Pager& pager, const std::optional<Record>& found, Id id) {
  std::vector<Record> page;
  if (!found) return page;
  page.push_back(*found);
  const std::vector<Record> rest = pager.after(id(*found), kPageLines - 1);
  page.insert(page.end(), rest.begin(), rest.end());
  return page;
}
std::uint32_t messageNumber(const MsgNmbr& m) { return m.MSGNUMBER; }
std::uint32_t mailId(const Mail& m) { return m.MAILID; }

// A few letters a user types to jump to a name: the start of a last name.
std::string typedName(std::mt19937& rng) {
  static constexpr const char* kStarts[] = {"Sm", "Jon", "Mil", "Ri", "Chr", "Wa", "Ke", "Fitz", "Ab", "Tho", "Mo", "Ba"};
  return kStarts[rng() % std::size(kStarts)];
}

// Something of every line is kept, so no work is left out by the optimizer.
std::size_t gSink = 0;

// ------------------------------------------------------------------ lines

// A page's lines as the list shows them: the browse's line composer (one
// for each page, as a refresh of the list makes it) with the date and time
// texts.
void show(Context& ctx, const std::vector<MsgNmbr>& page) {
  browse::LineComposer lines(ctx);
  for (const MsgNmbr& m : page) {
    const browse::MessageLine l = lines.message(m);
    gSink += dates::formatDate(l.date, dates::kDateYyyyMmDd).size() + l.thread.size() + l.sender.size() +
             l.receiver.size() + l.section.size() + static_cast<std::size_t>(l.colour + 1);
  }
}

void show(Context& ctx, const std::vector<Mail>& page) {
  browse::LineComposer lines(ctx);
  for (const Mail& m : page) {
    const browse::MailLine l = lines.mail(m);
    gSink += dates::formatDate(l.date, dates::kDateYyyyMmDd).size() + dates::formatTime(l.time, dates::kTimeHhMm).size() +
             l.subject.size() + l.from.size() + l.to.size() + static_cast<std::size_t>(l.colour + 1);
  }
}

// ------------------------------------------------------------------ forum

struct ViewName {
  MessageView view;
  const char* name;
};
constexpr ViewName kForumViews[] = {{MessageView::Date, "date"},         {MessageView::Thread, "thread"},
                                    {MessageView::Section, "section"},   {MessageView::Sender, "sender"},
                                    {MessageView::Receiver, "receiver"}, {MessageView::MsgNo, "msgno"}};

std::optional<MsgNmbr> messageOf(Context& ctx, std::uint32_t number) {
  ctx.msg = MsgNmbr{};
  ctx.msg.MSGNUMBER = number;
  if (ctx.fileOf<MsgNmbr>().get(MsgNmbr::IdKey) != engine::Err::Ok) return std::nullopt;
  return ctx.msg;
}

// The record of a small table with the highest count it keeps: the
// busiest section, the busiest sender.
template <class Record, class Count>
Record most(engine::File& f, Record& buffer, Count count) {
  Record best{};
  f.set();
  while (f.next() == engine::Err::Ok)
    if (count(buffer) > count(best)) best = buffer;
  return best;
}

void measureForum(Home& home, const bench::BrowseFacts& facts, int repeat, std::mt19937& rng) {
  Context& ctx = *home.ctx;
  home.activate(facts.forumId);
  TableUse tables(ctx, {MsgNmbr::FileNo, Threads::FileNo, Sections::FileNo, Person::FileNo});
  Report report;
  auto randomMessage = [&] {
    return facts.firstMessage + static_cast<std::uint32_t>(rng() % (facts.lastMessage - facts.firstMessage + 1));
  };
  auto randomDay = [&] { return facts.firstDay + static_cast<std::int32_t>(rng() % (facts.lastDay - facts.firstDay + 1)); };

  Report::header("Forum database: message browse, pages of 40 lines with their texts");
  for (const ViewName& v : kForumViews)
    report.add(std::string(v.name) + ": first page", kPageGoalMs, repeated(repeat, [&](int) {
                 browse::MessagePager pager(ctx, v.view);
                 show(ctx, pager.first(kPageLines));
               }));
  // For comparison: the same page with its lines read in one read
  // transaction per table, as a caller holding an engine::ReadBurst has it.
  report.add("date: first page, lines in one read burst", kPageGoalMs, repeated(repeat, [&](int) {
               browse::MessagePager pager(ctx, MessageView::Date);
               const std::vector<MsgNmbr> page = pager.first(kPageLines);
               const engine::ReadBurst reading{&ctx.fileOf<Threads>(), &ctx.fileOf<Sections>(), &ctx.fileOf<Person>()};
               show(ctx, page);
             }));
  for (const ViewName& v : kForumViews) {
    report.add(std::string(v.name) + ": page after a random message", kPageGoalMs, repeated(repeat, [&](int) {
                 browse::MessagePager pager(ctx, v.view);
                 show(ctx, pager.after(randomMessage(), kPageLines));
               }));
    report.add(std::string(v.name) + ": page before a random message", kPageGoalMs, repeated(repeat, [&](int) {
                 browse::MessagePager pager(ctx, v.view);
                 show(ctx, pager.before(randomMessage(), kPageLines));
               }));
  }
  report.add("date: jump to a random date and its page", kPageGoalMs, repeated(repeat, [&](int) {
               browse::MessagePager pager(ctx, MessageView::Date);
               show(ctx, pageAt(pager, pager.atDate(randomDay()), messageNumber));
             }));
  report.add("msgno: jump to a random number and its page", kPageGoalMs, repeated(repeat, [&](int) {
               browse::MessagePager pager(ctx, MessageView::MsgNo);
               show(ctx, pageAt(pager, pager.atNumber(randomMessage()), messageNumber));
             }));
  report.add("sender: jump to a typed name and its page", kPageGoalMs, repeated(repeat, [&](int) {
               browse::MessagePager pager(ctx, MessageView::Sender);
               show(ctx, pageAt(pager, pager.atName(typedName(rng)), messageNumber));
             }));

  // Limited views: the long thread, the busiest section and sender, the
  // receiver of a random message.
  const std::optional<MsgNmbr> longFirst = messageOf(ctx, facts.longThreadMessage);
  const Sections busiest = most(ctx.fileOf<Sections>(), ctx.sec, [](const Sections& s) { return s.MSGCOUNT; });
  const Person writer = most(ctx.fileOf<Person>(), ctx.per, [](const Person& p) { return p.FROMCOUNT; });
  // The sender's name copy in the messages: the first characters of the last name.
  const FixedString<10> writerCopy(writer.LASTNAME.view());
  const std::optional<MsgNmbr> someMessage = messageOf(ctx, randomMessage());
  struct Limited {
    const char* name;
    MessageView view;
    browse::ViewLimit limit;
  };
  std::vector<Limited> limited;
  if (longFirst)
    limited.push_back({"thread view of the long thread", MessageView::Thread,
                       {longFirst->THREADALPHA.str(), longFirst->THREADNUMBER}});
  limited.push_back({"section view of the busiest section", MessageView::Section, {"", busiest.SECSYSID}});
  limited.push_back({"sender view of the busiest sender", MessageView::Sender, {writerCopy.str(), writer.PERSONID}});
  if (someMessage)
    limited.push_back({"receiver view of a random receiver", MessageView::Receiver,
                       {someMessage->TOALPHA.str(), someMessage->TOID}});
  for (const Limited& l : limited) {
    report.add(std::string(l.name) + ": first page", kPageGoalMs, repeated(repeat, [&](int) {
                 browse::MessagePager pager(ctx, l.view, l.limit);
                 show(ctx, pager.first(kPageLines));
               }));
  }

  // Next thread, from the thread of a random message; at the last thread
  // the walk goes on from another random one.
  {
    std::vector<double> step, withPage;
    std::uint32_t thread = someMessage ? someMessage->THREADNUMBER : 0;
    for (int i = 0; i < kSteps; ++i) {
      const auto t0 = Clock::now();
      const std::optional<Threads> next = browse::neighbourThread(ctx, thread, browse::StepDirection::Next, false);
      step.push_back(msSince(t0));
      if (!next) {
        if (auto m = messageOf(ctx, randomMessage())) thread = m->THREADNUMBER;
        continue;
      }
      browse::MessagePager pager(ctx, MessageView::Thread, browse::ViewLimit{next->ALPHA.str(), next->THREADNUMBER});
      show(ctx, pager.first(kPageLines));
      withPage.push_back(msSince(t0));
      thread = next->THREADNUMBER;
    }
    report.add("next thread: the step", kPageGoalMs, step);
    report.add("next thread: the step and the thread's page", kPageGoalMs, withPage);
  }
  // Next sender, from the sender of a random message.
  {
    std::vector<double> step, withPage;
    browse::PersonLimit current{someMessage ? someMessage->FROMID : 0, someMessage ? someMessage->FROMALPHA.str() : ""};
    for (int i = 0; i < kSteps; ++i) {
      const auto t0 = Clock::now();
      const std::optional<browse::PersonLimit> next =
          browse::neighbourPerson(ctx, current, browse::PersonRole::Sender, browse::StepDirection::Next);
      step.push_back(msSince(t0));
      if (!next) {
        if (auto m = messageOf(ctx, randomMessage())) current = {m->FROMID, m->FROMALPHA.str()};
        continue;
      }
      browse::MessagePager pager(ctx, MessageView::Sender, browse::ViewLimit{next->copy, next->id});
      show(ctx, pager.first(kPageLines));
      withPage.push_back(msSince(t0));
      current = *next;
    }
    report.add("next sender: the step", kPageGoalMs, step);
    report.add("next sender: the step and the sender's page", kPageGoalMs, withPage);
  }

  // The thread tree, built anew each time (a tree already showing the
  // thread would answer at once).
  std::size_t treeLines = 0;
  int treeDepth = 0;
  report.add("thread tree of the long thread", kTreeGoalMs, repeated(repeat, [&](int) {
               browse::ThreadTree tree(ctx);
               if (tree.showThreadOf(facts.longThreadMessage) != browse::TreeUpdate::Rebuilt) std::exit(5);
               treeLines = tree.lines().size() - 1;
               treeDepth = tree.deepestLevel();
               gSink += tree.lines().back().text.size();
             }));
  report.add("thread tree of a random message's thread", kTreeGoalMs, repeated(repeat, [&](int) {
               browse::ThreadTree tree(ctx);
               tree.showThreadOf(randomMessage());
               gSink += tree.lines().size();
             }));
  std::printf("  (the long thread's tree: %zu messages, %d levels deep; beeps at the ends of steps: %d)\n", treeLines,
              treeDepth, home.ui.beeps);
  if (report.over() > 0) std::printf("  %d operation(s) over their goal at least once\n", report.over());
}

// ------------------------------------------------------------------ mail

struct MailViewName {
  browse::MailView view;
  const char* name;
};
constexpr MailViewName kMailViews[] = {{browse::MailView::Date, "date"},
                                       {browse::MailView::Partner, "partner"},
                                       {browse::MailView::Subject, "subject"},
                                       {browse::MailView::Sender, "sender"},
                                       {browse::MailView::Receiver, "receiver"}};

std::optional<Mail> mailOf(Context& ctx, std::uint32_t id) {
  ctx.mai = Mail{};
  ctx.mai.MAILID = id;
  if (ctx.fileOf<Mail>().get(Mail::IdKey) != engine::Err::Ok) return std::nullopt;
  return ctx.mai;
}

void measureMail(Home& home, const bench::BrowseFacts& facts, int repeat, std::mt19937& rng) {
  Context& ctx = *home.ctx;
  home.activate(facts.mailId);
  TableUse tables(ctx, {Mail::FileNo, Person::FileNo});
  Report report;
  auto randomMail = [&] { return facts.firstMail + static_cast<std::uint32_t>(rng() % (facts.lastMail - facts.firstMail + 1)); };

  Report::header("Mail database: mail browse, pages of 40 lines with their texts");
  auto randomDay = [&] { return facts.firstDay + static_cast<std::int32_t>(rng() % (facts.lastDay - facts.firstDay + 1)); };
  for (const MailViewName& v : kMailViews)
    report.add(std::string(v.name) + ": first page", kPageGoalMs, repeated(repeat, [&](int) {
                 browse::MailPager pager(ctx, v.view);
                 show(ctx, pager.first(kPageLines));
               }));
  for (const MailViewName& v : kMailViews) {
    report.add(std::string(v.name) + ": page after a random mail", kPageGoalMs, repeated(repeat, [&](int) {
                 browse::MailPager pager(ctx, v.view);
                 show(ctx, pager.after(randomMail(), kPageLines));
               }));
    report.add(std::string(v.name) + ": page before a random mail", kPageGoalMs, repeated(repeat, [&](int) {
                 browse::MailPager pager(ctx, v.view);
                 show(ctx, pager.before(randomMail(), kPageLines));
               }));
  }
  report.add("date: jump to a random date and its page", kPageGoalMs, repeated(repeat, [&](int) {
               browse::MailPager pager(ctx, browse::MailView::Date);
               show(ctx, pageAt(pager, pager.atDate(randomDay()), mailId));
             }));
  report.add("partner: jump to a typed name and its page", kPageGoalMs, repeated(repeat, [&](int) {
               browse::MailPager pager(ctx, browse::MailView::Partner);
               show(ctx, pageAt(pager, pager.atName(typedName(rng)), mailId));
             }));
  // Next partner, from the partner of a random mail.
  std::vector<double> step, withPage;
  const std::optional<Mail> start = mailOf(ctx, randomMail());
  browse::PersonLimit current{start ? start->PAIRID : 0, start ? start->PAIRALPHA.str() : ""};
  for (int i = 0; i < kSteps; ++i) {
    const auto t0 = Clock::now();
    const std::optional<browse::PersonLimit> next =
        browse::neighbourPerson(ctx, current, browse::PersonRole::Partner, browse::StepDirection::Next);
    step.push_back(msSince(t0));
    if (!next) {
      if (auto m = mailOf(ctx, randomMail())) current = {m->PAIRID, m->PAIRALPHA.str()};
      continue;
    }
    browse::MailPager pager(ctx, browse::MailView::Partner, *next);
    show(ctx, pager.first(kPageLines));
    withPage.push_back(msSince(t0));
    current = *next;
  }
  report.add("next partner: the step", kPageGoalMs, step);
  report.add("next partner: the step and the partner's page", kPageGoalMs, withPage);
  if (report.over() > 0) std::printf("  %d operation(s) over their goal at least once\n", report.over());
}

// ------------------------------------------------------------------ set-up and memory

}  // namespace

int main(int argc, char** argv) {
  bench::BrowseShape shape;
  int repeat = 20;
  bool keep = false;
  fs::path dir;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--messages" && more) shape.messages = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--repeat" && more) repeat = std::max(1, std::atoi(argv[++i]));
    else if (a == "--seed" && more) shape.seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--dir" && more) {
      dir = argv[++i];
      keep = true;
    }
    else if (a == "--keep") keep = true;
    else {
      std::fprintf(stderr, "usage: bench_browse [--messages N] [--repeat R] [--seed S] [--dir DIR] [--keep]\n");
      return 64;
    }
  }
  if (shape.messages < 1000) {
    std::fprintf(stderr, "--messages: at least 1000\n");
    return 64;
  }
  if (dir.empty()) dir = fs::temp_directory_path() / ("qv-bench-browse-" + std::to_string(getpid()));
  if (fs::exists(dir) && !fs::is_empty(dir)) {
    std::fprintf(stderr, "%s is not empty\n", dir.c_str());
    return 64;
  }

  std::printf("%u forum messages and %u mails, %u persons each, %u sections; %d runs of each operation\n",
              shape.messages, shape.messages, shape.persons, shape.sections, repeat);
  const auto t0 = Clock::now();
  bench::BrowseFacts facts;
  if (!bench::makeDatabasesInChild(dir, shape, facts)) {
    std::fprintf(stderr, "the databases could not be made in %s\n", dir.c_str());
    if (!keep) fs::remove_all(dir);
    return 3;
  }
  const double setUpSeconds = msSince(t0) / 1000;
  std::printf("set-up %.1f s: forum %.1f s appending + %.1f s building keys (%u threads), mail %.1f s + %.1f s\n",
              setUpSeconds, facts.forumAppendSeconds, facts.forumKeySeconds, facts.threads, facts.mailAppendSeconds,
              facts.mailKeySeconds);

  Home home(dir);
  {
    home.activate(facts.forumId);
    const fs::path forumDir = dir / home.ctx->mem.Dirnamn;
    home.activate(facts.mailId);
    const fs::path mailDir = dir / home.ctx->mem.Dirnamn;
    std::printf("database files: forum %.0f MB, mail %.0f MB\n", static_cast<double>(directoryBytes(forumDir)) / 1e6,
                static_cast<double>(directoryBytes(mailDir)) / 1e6);
  }
  std::printf("before the measurements: VmRSS %s\n", statusLine("VmRSS:").c_str());
  std::mt19937 rng(shape.seed);
  const auto t1 = Clock::now();
  measureForum(home, facts, repeat, rng);
  measureMail(home, facts, repeat, rng);
  std::printf("\nmeasurements %.1f s\n", msSince(t1) / 1000);
  std::printf("resident memory after the measurements: VmRSS %s, peak VmHWM %s\n", statusLine("VmRSS:").c_str(),
              statusLine("VmHWM:").c_str());
  if (gSink == 0) std::printf("(no lines composed)\n");

  home.ctx.reset();
  if (keep)
    std::printf("kept %s\n", dir.c_str());
  else
    fs::remove_all(dir);
  return 0;
}
