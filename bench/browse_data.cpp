#include "bench/browse_data.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_home.h"
#include "store/database_list.h"
#include "store/dates.h"
#include "store/dispatcher.h"
#include "store/names.h"
#include "store/records.h"
#include "store/table_use.h"

namespace qv::bench {

namespace {

using engine::Err;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

bool failed(engine::File& f, const char* what) {
  std::fprintf(stderr, "%s %s: %s\n", what, f.name().c_str(), f.errorText().c_str());
  return false;
}

// Takes `count` identifiers of the installation's counter at once, as the
// import takes its run's range: the counter goes on after them.
std::uint32_t takeIdentifiers(Context& ctx, std::uint32_t count) {
  const std::uint32_t first = NextNr(ctx);  // also makes the counter record of a fresh home
  if (first == kNoIdentifier) return kNoIdentifier;
  TableUse use(ctx, {Control::FileNo});
  engine::File& control = ctx.fileOf<Control>();
  ctx.ctl = Control{};
  ctx.ctl.ID = 1;
  control.hold(5);
  if (control.get(Control::IdKey) != Err::Ok) return kNoIdentifier;
  ctx.ctl.NEXTNUMBER = first + count;
  const bool ok = UppDat(ctx, control, kUppPut, kReport) == kUppDatDone;
  control.release();
  return ok ? first : kNoIdentifier;
}

// Appends records through `write` (which fills the buffer and appends) in
// one stream, flushed every 100,000 records so the journal stays small.
template <class Write>
bool appendAll(engine::File& f, std::size_t count, Write write) {
  if (f.stream() != Err::Ok) return failed(f, "stream");
  for (std::size_t i = 0; i < count; ++i) {
    if (!write(i)) return failed(f, "append");
    if (i % 100000 == 99999 && (f.flush() != Err::Ok || f.stream() != Err::Ok)) return failed(f, "flush");
  }
  return f.flush() == Err::Ok || failed(f, "flush");
}

bool buildKeys(Context& ctx, std::initializer_list<int> fileNos) {
  for (int no : fileNos)
    if (ctx.file(no).build() != Err::Ok) return failed(ctx.file(no), "build");
  return true;
}

// Skewed choice of 0 .. n-1: low values come up far more often, as a few
// persons write most of the messages and a few sections carry most of them.
std::uint32_t skewed(std::mt19937& rng, std::uint32_t n, double power) {
  const double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
  return std::min(n - 1, static_cast<std::uint32_t>(n * std::pow(u, power)));
}

std::uint32_t below(std::mt19937& rng, std::uint32_t n) { return static_cast<std::uint32_t>(rng() % n); }

// ---------------------------------------------------------------- names

constexpr std::array<const char*, 48> kFirst = {
    "Ann",   "Bob",    "Carl",  "Diana", "Erik",   "Fiona", "Gus",   "Helen", "Ivan",   "Judy",   "Karl",  "Linda",
    "Mark",  "Nina",   "Otto",  "Paula", "Quinn",  "Rosa",  "Steve", "Tina",  "Ulrich", "Vera",   "Walt",  "Xenia",
    "Yusuf", "Zoe",    "Alan",  "Betty", "Chris",  "Doris", "Ed",    "Flora", "Glen",   "Hazel",  "Ian",   "Joan",
    "Ken",   "Lucy",   "Mike",  "Nora",  "Oscar",  "Pam",   "Ray",   "Sue",   "Tom",    "Ursula", "Vic",   "Wendy"};
constexpr std::array<const char*, 64> kLast = {
    "Smith",     "Jones",      "Miller",    "Brown",      "Davis",     "Garcia",     "Wilson",     "Moore",
    "Taylor",    "Anderson",   "Thomas",    "Jackson",    "White",     "Harris",     "Martin",     "Thompson",
    "Lee",       "Walker",     "Hall",      "Allen",      "Young",     "King",       "Wright",     "Scott",
    "Green",     "Baker",      "Adams",     "Nelson",     "Hill",      "Campbell",   "Mitchell",   "Roberts",
    "Carter",    "Phillips",   "Evans",     "Turner",     "Torres",    "Parker",     "Collins",    "Edwards",
    "Stewart",   "Morris",     "Murphy",    "Cook",       "Rogers",    "Morgan",     "Peterson",   "Cooper",
    "Reed",      "Bailey",     "Bell",      "Kelly",      "Howard",    "Ward",       "Cox",        "Richardson",
    "Christensen", "Vandenberg", "Montgomery", "Fitzgerald", "Oppenheimer", "Kowalczyk", "Lindqvist", "Abernathy"};

struct PersonPlan {
  std::string name;
  std::string address;
};

// Person i of a database: names repeat their last name among many persons,
// as real ones do; the address tells them apart.
PersonPlan personPlan(std::uint32_t i, bool mail) {
  const char* first = kFirst[(i / kLast.size()) % kFirst.size()];
  const char* last = kLast[(i * 7 + i / 97) % kLast.size()];
  std::string address;
  if (mail) {
    address = std::string(first) + "." + last + std::to_string(i) + "@example.org";
    for (char& c : address) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  } else {
    address = std::to_string(70000 + i / 900) + "," + std::to_string(100 + i % 900);
  }
  return {std::string(first) + " " + last, address};
}

void fillPerson(Person& p, std::uint32_t id, std::string_view name, std::string_view address) {
  p = Person{};
  p.PERSONID = id;
  p.PERSONSTRING = personString(name, address);
  std::string last, first;
  ParseName(name, last, decltype(Person::LASTNAME)::capacity, first, decltype(Person::FIRSTNAME)::capacity);
  p.LASTNAME = last;
  p.FIRSTNAME = first;
  p.ADDRESS = address;
}

// ---------------------------------------------------------------- subjects

constexpr std::array<const char*, 64> kTopic = {
    "Modem",    "Printer",   "Windows",   "Network",  "Backup",   "Monitor",   "Keyboard", "Scanner",
    "Compiler", "Database",  "Spreadsheet", "Fonts",  "Memory",   "Disk",      "Virus",    "Sound card",
    "Mouse",    "Laptop",    "Upgrade",   "Driver",   "Email",    "Fax",       "CD-ROM",   "Tape drive",
    "Graphics", "Game",      "Joystick",  "Battery",  "BIOS",     "Cable",     "Router",   "Server",
    "Linux",    "OS/2",      "DOS",       "Macintosh", "Amiga",   "Atari",     "Novell",   "Unix",
    "Pascal",   "C++",       "Basic",     "Fortran",  "Cobol",    "Assembler", "Delphi",   "Access",
    "Excel",    "Word",      "WordPerfect", "Lotus",  "dBase",    "Paradox",   "Clipper",  "FoxPro",
    "Photo",    "Video",     "Camera",    "Phone",    "Tax",      "Travel",    "Music",    "Chess"};
constexpr std::array<const char*, 32> kMiddle = {
    "problem with", "question about", "help with", "crash in", "settings for", "speed of", "review of",
    "prices of", "trouble with", "tips for", "update for", "errors in", "setup of", "news about",
    "advice on", "install of", "noise from", "bug in", "support for", "manual for", "memory of",
    "colours in", "limits of", "ports on", "wishes for", "test of", "cost of", "upgrade of",
    "drivers for", "files of", "config of", "cables for"};
constexpr std::array<const char*, 32> kTail = {
    "version 2",  "the new model", "my 486",     "a 386SX",   "Windows 95", "the old box", "Win 3.11",
    "a Pentium",  "the network",   "an XT",      "my laptop", "the office", "a 28.8",     "a 14.4",
    "home",       "work",          "school",     "the club",  "V.34",       "ISDN",       "SCSI",
    "IDE",        "the mainframe", "Germany",    "the UK",    "Japan",      "beginners",  "experts",
    "1996",       "1999",          "2003",       "the future"};

// Subject i: distinct for every i, spread over the alphabet by its first
// word, as thread headings are.
std::string subjectOf(std::uint32_t i) {
  const std::uint32_t n = kTopic.size() * kMiddle.size() * kTail.size();
  const std::uint32_t m = static_cast<std::uint32_t>((std::uint64_t{i % n} * 40503u) % n);  // 40503 is prime to 2^16
  std::string s = std::string(kTopic[m % kTopic.size()]) + " " + kMiddle[(m / kTopic.size()) % kMiddle.size()] +
                  " " + kTail[(m / (kTopic.size() * kMiddle.size())) % kTail.size()];
  if (i >= n) s += " (" + std::to_string(i / n + 1) + ")";
  return s;
}

std::uint8_t someStatus(std::mt19937& rng, std::uint32_t keepPerThousand, std::uint32_t deletePerThousand) {
  const std::uint32_t r = below(rng, 1000);
  if (r < keepPerThousand) return stored(Status::Keep);
  if (r < keepPerThousand + deletePerThousand) return stored(Status::Delete);
  return stored(Status::Normal);
}

// Makes a database of the list active, as choosing it does.
void activate(Context& ctx) { setDatabaseGlobals(ctx.mem, ctx.for_); }

// ---------------------------------------------------------------- forum

struct ThreadPlan {
  std::uint32_t length = 0;
  std::uint32_t section = 0;
  std::int32_t start = 0;
  double gap = 0;  // mean days between its messages
  std::uint32_t written = 0;
  std::uint32_t offset = 0;  // of its messages in the numbers-so-far array
  std::uint8_t status = 0;
  bool isLong = false;
};

// One message as it is placed in time: day, minute, thread.
struct Slot {
  std::int32_t day;
  std::uint32_t minute;
  std::uint32_t thread;
  bool operator<(const Slot& o) const {
    return day != o.day ? day < o.day : minute != o.minute ? minute < o.minute : thread < o.thread;
  }
};

std::uint32_t threadLength(std::mt19937& rng) {
  const std::uint32_t r = below(rng, 100);
  if (r < 25) return 1;
  if (r < 97) {
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
    return 2 + static_cast<std::uint32_t>(28.99 * u * u);
  }
  return 31 + below(rng, 270);
}

}  // namespace

bool makeForumDatabase(Context& ctx, const BrowseShape& shape, BrowseFacts& facts) {
  std::mt19937 rng(shape.seed);
  if (!AddForumDatabase(ctx, "Bench Forum")) return false;
  facts.forumId = ctx.for_.ID;
  activate(ctx);

  const std::int32_t firstDay = dates::dayNumber(2000, 1, 1);
  const std::int32_t lastDay = dates::dayNumber(2019, 12, 31);
  facts.firstDay = firstDay;
  facts.lastDay = lastDay;

  // Threads, the long one among them at a random place.
  const std::uint32_t total = shape.messages;
  const std::uint32_t longLength = std::min(shape.longThread, total / 2);
  std::vector<ThreadPlan> threads;
  std::uint32_t planned = longLength;
  while (planned < total) {
    ThreadPlan t;
    t.length = std::min(threadLength(rng), total - planned);
    planned += t.length;
    threads.push_back(t);
  }
  const std::size_t longIndex = threads.empty() ? 0 : below(rng, static_cast<std::uint32_t>(threads.size()));
  ThreadPlan longPlan;
  longPlan.length = longLength;
  longPlan.isLong = true;
  threads.insert(threads.begin() + static_cast<std::ptrdiff_t>(longIndex), longPlan);
  for (ThreadPlan& t : threads) {
    // Busy threads run for months, short ones for days.
    t.gap = t.length > 1 ? std::max(0.25, 40.0 / t.length) : 0;
    const std::int32_t span = static_cast<std::int32_t>(t.gap * t.length * 1.5) + 1;
    t.start = firstDay + static_cast<std::int32_t>(below(rng, static_cast<std::uint32_t>(lastDay - firstDay - span)));
    t.section = skewed(rng, shape.sections, 1.6);
    t.status = someStatus(rng, 10, 10);
  }
  // Thread numbers rise with the thread's first day, as the import gives them.
  std::stable_sort(threads.begin(), threads.end(), [](const ThreadPlan& a, const ThreadPlan& b) { return a.start < b.start; });
  std::uint32_t longThread = 0;
  for (std::uint32_t i = 0, offset = 0; i < threads.size(); offset += threads[i].length, ++i) {
    threads[i].offset = offset;
    if (threads[i].isLong) longThread = i;
  }

  // Every message placed in time; numbers follow the time.
  std::vector<Slot> slots;
  slots.reserve(total);
  for (std::uint32_t i = 0; i < threads.size(); ++i) {
    const ThreadPlan& t = threads[i];
    std::exponential_distribution<double> gaps(t.gap > 0 ? 1.0 / t.gap : 1.0);
    double day = t.start;
    for (std::uint32_t k = 0; k < t.length; ++k) {
      if (k > 0) day += gaps(rng);
      slots.push_back(Slot{std::min(lastDay, static_cast<std::int32_t>(day)), below(rng, 1440), i});
    }
  }
  std::sort(slots.begin(), slots.end());

  const std::uint32_t persons = shape.persons;
  const std::uint32_t ids = takeIdentifiers(ctx, persons + 1 + shape.sections + static_cast<std::uint32_t>(threads.size()));
  if (ids == kNoIdentifier) return false;
  const std::uint32_t allId = ids;  // the person "All"
  const std::uint32_t personBase = ids + 1;
  const std::uint32_t sectionBase = personBase + persons;
  const std::uint32_t threadBase = sectionBase + shape.sections;
  std::vector<FixedString<10>> lastCopy(persons + 1);
  std::vector<PersonPlan> personPlans(persons);
  for (std::uint32_t p = 0; p < persons; ++p) {
    personPlans[p] = personPlan(p, false);
    fillPerson(ctx.per, personBase + p, personPlans[p].name, personPlans[p].address);
    lastCopy[p] = ctx.per.LASTNAME.view();
  }
  lastCopy[persons] = "All";
  std::vector<std::string> subjects(threads.size());
  for (std::uint32_t i = 0; i < threads.size(); ++i) subjects[i] = subjectOf(i);

  TableUse use(ctx, {MsgNmbr::FileNo, Threads::FileNo, Sections::FileNo, Person::FileNo});
  const std::uint32_t firstNumber = 100001;
  facts.firstMessage = firstNumber;
  facts.lastMessage = firstNumber + total - 1;
  facts.threads = static_cast<std::uint32_t>(threads.size());
  facts.longThread = threadBase + longThread;

  // The messages, in number order. Each thread keeps the numbers (and
  // senders) written so far, for its replies to point at.
  std::vector<std::uint32_t> written(total);  // by thread offset + position: number
  std::vector<std::uint32_t> senderOf(total);  // by number - firstNumber: person index
  std::vector<std::uint32_t> fromCount(persons + 1), toCount(persons + 1), sectionCount(shape.sections);
  std::vector<std::int32_t> lastDate(persons + 1);
  const auto t0 = Clock::now();
  engine::File& messages = ctx.fileOf<MsgNmbr>();
  const bool messagesOk = appendAll(messages, total, [&](std::size_t i) {
    const Slot& s = slots[i];
    ThreadPlan& t = threads[s.thread];
    const std::uint32_t number = firstNumber + static_cast<std::uint32_t>(i);
    const std::uint32_t k = t.written++;
    std::uint32_t parent = 0;  // index within the thread, when a reply
    bool reply = k > 0;
    if (reply) {
      const std::uint32_t r = below(rng, 100);
      if (r < 30) parent = 0;                                      // to the opening message
      else if (r < 75) parent = k - 1 - std::min(k - 1, below(rng, 4));  // to one of the last few
      else parent = below(rng, k);                                 // anywhere earlier
    }
    const std::uint32_t from = skewed(rng, persons, 2.0);
    std::uint32_t to = persons;  // "All"
    if (reply ? below(rng, 100) < 70 : below(rng, 100) < 25)
      to = reply ? senderOf[written[t.offset + parent] - firstNumber] : below(rng, persons);
    if (to == from) to = persons;
    written[t.offset + k] = number;
    senderOf[i] = from;
    ++fromCount[from];
    ++toCount[to];
    lastDate[from] = std::max(lastDate[from], s.day);
    ++sectionCount[t.section];
    if (s.thread == longThread && k == 0) facts.longThreadMessage = number;

    MsgNmbr& m = ctx.msg;
    m = MsgNmbr{};
    m.MSGNUMBER = number;
    m.SECSYSID = sectionBase + t.section;
    m.REFNUMBER = reply ? written[t.offset + parent] : 0;
    m.THREADNUMBER = threadBase + s.thread;
    m.THREADALPHA = subjects[s.thread];
    m.FROMID = personBase + from;
    m.FROMALPHA = lastCopy[from];
    m.TOID = to == persons ? allId : personBase + to;
    m.TOALPHA = lastCopy[to];
    m.DATE = s.day;
    m.DUMMY = someStatus(rng, shape.keepPerThousand, shape.deletePerThousand);
    return messages.append() == Err::Ok;
  });
  if (!messagesOk) return false;
  std::vector<Slot>().swap(slots);

  engine::File& threadFile = ctx.fileOf<Threads>();
  const bool threadsOk = appendAll(threadFile, threads.size(), [&](std::size_t i) {
    const std::string& subject = subjects[i];
    ctx.thr = Threads{};
    ctx.thr.THREADNUMBER = threadBase + static_cast<std::uint32_t>(i);
    ctx.thr.SECSYSID = sectionBase + threads[i].section;
    ctx.thr.ALPHA = subject;
    ctx.thr.BETA = std::string_view(subject).substr(std::min<std::size_t>(subject.size(), 10));
    ctx.thr.MSGCOUNT = threads[i].length;
    ctx.thr.DUMMY = threads[i].status;
    return threadFile.append() == Err::Ok;
  });
  engine::File& sectionFile = ctx.fileOf<Sections>();
  const bool sectionsOk = threadsOk && appendAll(sectionFile, shape.sections, [&](std::size_t i) {
    ctx.sec = Sections{};
    ctx.sec.SECTIONNUMBER = static_cast<std::uint32_t>(i + 1);
    ctx.sec.SECSYSID = sectionBase + static_cast<std::uint32_t>(i);
    ctx.sec.DESCRIPTION = std::string(kTopic[i % kTopic.size()]) + " forum " + std::to_string(i / kTopic.size() + 1);
    ctx.sec.MSGCOUNT = sectionCount[i];
    ctx.sec.DUMMY = i % 97 == 5 ? stored(Status::Keep) : stored(Status::Normal);
    return sectionFile.append() == Err::Ok;
  });
  engine::File& personFile = ctx.fileOf<Person>();
  const bool personsOk = sectionsOk && appendAll(personFile, persons + 1, [&](std::size_t i) {
    const std::uint32_t p = static_cast<std::uint32_t>(i);
    if (p == persons)
      fillPerson(ctx.per, allId, "All", "");
    else
      fillPerson(ctx.per, personBase + p, personPlans[p].name, personPlans[p].address);
    ctx.per.FROMCOUNT = fromCount[p];
    ctx.per.TOCOUNT = toCount[p];
    ctx.per.LASTDATE = lastDate[p];
    return personFile.append() == Err::Ok;
  });
  if (!personsOk) return false;
  facts.forumAppendSeconds = secondsSince(t0);

  const auto t1 = Clock::now();
  if (!buildKeys(ctx, {MsgNmbr::FileNo, Threads::FileNo, Sections::FileNo, Person::FileNo})) return false;
  facts.forumKeySeconds = secondsSince(t1);
  if (facts.longThreadMessage == 0) {
    std::fprintf(stderr, "the long thread has no message\n");
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- mail

namespace {

struct Conversation {
  std::uint32_t partner;
  std::uint32_t subject;
  std::uint32_t written = 0;
  bool opensInward;  // the partner wrote first
};

struct MailSlot {
  std::int32_t day;
  std::int32_t time;
  std::uint32_t conversation;
  bool operator<(const MailSlot& o) const {
    return day != o.day ? day < o.day : time != o.time ? time < o.time : conversation < o.conversation;
  }
};

}  // namespace

bool makeMailDatabase(Context& ctx, const BrowseShape& shape, BrowseFacts& facts) {
  std::mt19937 rng(shape.seed + 1);
  MailDatabaseForm form;
  form.name = "Jane Smith";
  form.address = "jane@example.org";
  std::uint32_t dir = ReserveDirNumber(ctx);
  if (dir == 0 || !AddMailDatabase(ctx, form, dir)) return false;
  facts.mailId = ctx.for_.ID;
  activate(ctx);
  const std::uint32_t ownerId = ctx.for_.PERSONID;

  const std::int32_t firstDay = dates::dayNumber(2000, 1, 1);
  const std::int32_t lastDay = dates::dayNumber(2019, 12, 31);
  const std::uint32_t total = shape.messages;
  const std::uint32_t persons = shape.persons;

  std::vector<Conversation> conversations;
  std::vector<MailSlot> slots;
  slots.reserve(total);
  while (slots.size() < total) {
    const std::uint32_t c = static_cast<std::uint32_t>(conversations.size());
    conversations.push_back(Conversation{skewed(rng, persons, 2.0), c, 0, below(rng, 100) < 65});
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
    const std::uint32_t length = std::min<std::uint32_t>(1 + static_cast<std::uint32_t>(7.99 * u * u),
                                                         total - static_cast<std::uint32_t>(slots.size()));
    std::int32_t day = firstDay + static_cast<std::int32_t>(below(rng, static_cast<std::uint32_t>(lastDay - firstDay - 30)));
    for (std::uint32_t k = 0; k < length; ++k) {
      if (k > 0) day += static_cast<std::int32_t>(below(rng, 4));
      slots.push_back(MailSlot{day, dates::timeOf(static_cast<int>(below(rng, 24)), static_cast<int>(below(rng, 60)), 0), c});
    }
  }
  std::sort(slots.begin(), slots.end());

  // The mail identifiers are run numbers of the counter, rising with the date.
  const std::uint32_t ids = takeIdentifiers(ctx, persons + total);
  if (ids == kNoIdentifier) return false;
  const std::uint32_t personBase = ids;
  const std::uint32_t mailBase = ids + persons;
  facts.firstMail = mailBase;
  facts.lastMail = mailBase + total - 1;

  TableUse use(ctx, {Mail::FileNo, Person::FileNo});
  engine::File& personFile = ctx.fileOf<Person>();
  ctx.per = Person{};
  ctx.per.PERSONID = ownerId;
  if (personFile.get(Person::PersonKey) != Err::Ok) return failed(personFile, "owner");
  const Person owner = ctx.per;
  std::vector<PersonPlan> plans(persons);
  std::vector<FixedString<25>> lastNames(persons);
  for (std::uint32_t p = 0; p < persons; ++p) {
    plans[p] = personPlan(p, true);
    fillPerson(ctx.per, personBase + p, plans[p].name, plans[p].address);
    lastNames[p] = ctx.per.LASTNAME;
  }
  std::vector<std::uint32_t> fromCount(persons), toCount(persons);
  std::vector<std::int32_t> lastDate(persons);
  std::uint32_t ownerFrom = 0, ownerTo = 0;

  const auto t0 = Clock::now();
  engine::File& mails = ctx.fileOf<Mail>();
  const bool mailsOk = appendAll(mails, total, [&](std::size_t i) {
    const MailSlot& s = slots[i];
    Conversation& c = conversations[s.conversation];
    const std::uint32_t k = c.written++;
    const bool inward = (k % 2 == 0) == c.opensInward;
    const std::uint32_t p = c.partner;
    Mail& m = ctx.mai;
    m = Mail{};
    m.DATE = s.day;
    m.TIME = s.time;
    m.SUBJECT = (k > 0 ? "Re: " : "") + subjectOf(c.subject * 7 + 3);
    m.MAILID = mailBase + static_cast<std::uint32_t>(i);
    if (inward) {
      m.FROMID = personBase + p;
      m.FROMALPHA = lastNames[p].view();
      m.TOID = ownerId;
      m.TOALPHA = owner.LASTNAME.view();
      ++fromCount[p];
      ++ownerTo;
    } else {
      m.FROMID = ownerId;
      m.FROMALPHA = owner.LASTNAME.view();
      m.TOID = personBase + p;
      m.TOALPHA = lastNames[p].view();
      ++toCount[p];
      ++ownerFrom;
    }
    lastDate[p] = std::max(lastDate[p], s.day);
    m.PAIRID = personBase + p;
    m.PAIRALPHA = lastNames[p];
    m.RECIPTYPE = !inward && below(rng, 100) < 10 ? "CC" : "TO";
    m.DUMMY = someStatus(rng, shape.keepPerThousand, shape.deletePerThousand);
    return mails.append() == Err::Ok;
  });
  if (!mailsOk) return false;
  const bool personsOk = appendAll(personFile, persons, [&](std::size_t i) {
    const std::uint32_t p = static_cast<std::uint32_t>(i);
    fillPerson(ctx.per, personBase + p, plans[p].name, plans[p].address);
    ctx.per.FROMCOUNT = fromCount[p];
    ctx.per.TOCOUNT = toCount[p];
    ctx.per.LASTDATE = lastDate[p];
    ctx.per.DUMMY = p % 211 == 3 ? stored(Status::Keep) : stored(Status::Normal);
    return personFile.append() == Err::Ok;
  });
  if (!personsOk) return false;
  facts.mailAppendSeconds = secondsSince(t0);

  const auto t1 = Clock::now();
  if (!buildKeys(ctx, {Mail::FileNo, Person::FileNo})) return false;
  facts.mailKeySeconds = secondsSince(t1);

  // The owner's counts, as a count of the database would leave them.
  ctx.per = owner;
  if (personFile.get(Person::PersonKey) != Err::Ok) return failed(personFile, "owner");
  ctx.per.FROMCOUNT = ownerFrom;
  ctx.per.TOCOUNT = ownerTo;
  if (personFile.put() != Err::Ok) return failed(personFile, "owner");
  return true;
}

// Makes the databases in a child process and hands their facts back through
// a pipe; the child's memory never counts in this process's figures.
bool makeDatabasesInChild(const fs::path& dir, const bench::BrowseShape& shape, bench::BrowseFacts& facts) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  std::fflush(stdout);
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    close(fds[0]);
    int code = 0;
    {
      Home home(dir);
      bench::BrowseFacts made;
      if (!bench::makeForumDatabase(*home.ctx, shape, made) || !bench::makeMailDatabase(*home.ctx, shape, made)) code = 3;
      if (code == 0 && write(fds[1], &made, sizeof made) != static_cast<ssize_t>(sizeof made)) code = 4;
    }
    close(fds[1]);
    _exit(code);
  }
  close(fds[1]);
  const bool got = read(fds[0], &facts, sizeof facts) == static_cast<ssize_t>(sizeof facts);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace qv::bench
