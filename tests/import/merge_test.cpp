// The merge of converted messages into forum, newsgroup and mail databases,
// driven as the import driver drives it: temporary records appended and
// keyed, prepare(), merge() per record in transactions committed after 400
// writes, then carbon copies and counts, each in a transaction.
#include "import/merge.h"

#include <functional>
#include <string>
#include <vector>

#include "store/dispatcher.h"
#include "store/persons.h"
#include "store/table_use.h"
#include "tests/store/store_fixture.h"

namespace qv::test {
namespace {

using engine::Err;

constexpr std::uint32_t kDb = 900;
constexpr std::int32_t kRunDate = 80000;
constexpr std::int32_t kRunTime = 4320001;     // 12:00:00.00
constexpr std::int32_t kNoon = 4320001;        // hundredths since midnight plus 1
constexpr std::int32_t kSecond = 100;

// One converted message as a reader leaves it in NewHR.
struct Converted {
  std::uint32_t number = 0;
  std::uint32_t ref = 0;
  std::string subject = "Subject";
  std::string fromName = "Ann Archer", fromAddress = "76543,210";
  std::string toName = "Bob Baker", toAddress = "71234,567";
  std::string text = "Text of the message.";
  std::uint32_t section = 1;
  std::string sectionName = "General";
  std::int32_t date = 79000;
  std::int32_t time = kNoon;
  std::uint8_t mailType = 0;
};

class MergeTest : public StoreTest {
 protected:
  explicit MergeTest(std::uint8_t type = 1) {
    db.id = kDb;
    db.name = "Test";
    db.type = type;
    ctx->mem.ForumNumber = kDb;
    ctx->mem.ForumType = type;
    // SaveFile stays open for the run, as with the driver: its keys are
    // rebuilt only at the end.
    OP_CLOSE(*ctx, kOpOpen, {NewHR::FileNo, CCT::FileNo, TempID::FileNo, Control::FileNo, SaveFile::FileNo});
  }

  void convert(const Converted& m) {
    NewHR& n = ctx->nhr;
    n = NewHR{};
    n.INTERNAL = kDb;
    n.MSGNUMBER = m.number;
    n.REFNUMBER = m.ref;
    n.SECTIONNUMBER = m.section;
    n.SEC_DESCRIPTION = m.sectionName;
    n.HEADING = m.subject;
    n.S_NAME = m.fromName;
    n.S_CISADRESS = m.fromAddress;
    n.R_NAME = m.toName;
    n.R_CISADRESS = m.toAddress;
    n.DATE = m.date;
    n.TIME = m.time;
    n.MAILTYPE = m.mailType;
    n.RECIPTYPE = "TO";
    ctx->nhrMemo = m.text;
    ASSERT_EQ(ctx->fileOf<NewHR>().append(), Err::Ok);
  }
  void identifier(std::uint32_t runNumber, std::string_view id) {
    ctx->tid.MSGNUMBER = runNumber;
    ctx->tid.IDSTRING = id;
    ASSERT_EQ(ctx->fileOf<TempID>().append(), Err::Ok);
  }
  void carbonCopy(std::uint32_t mailId, std::string_view name, std::string_view address) {
    ctx->cct = CCT{};
    ctx->cct.MAILID = mailId;
    ctx->cct.R_NAME = name;
    ctx->cct.R_CISADRESS = address;
    ctx->cct.RECIPTYPE = "CC";
    ASSERT_EQ(ctx->fileOf<CCT>().append(), Err::Ok);
  }

  void begin(const std::vector<engine::File*>& files) { ASSERT_EQ(ctx->session.logout(5, files), Err::Ok); }

  // Merges the converted records of kDb as the driver does; the temporary
  // files are emptied afterwards for the next run. The results per record.
  std::vector<MergeResult> run(const std::function<void(DatabaseMerge&)>& setup = {}) {
    std::vector<MergeResult> results;
    engine::File& temp = ctx->fileOf<NewHR>();
    EXPECT_EQ(temp.build(), Err::Ok);
    EXPECT_EQ(ctx->fileOf<TempID>().build(), Err::Ok);
    EXPECT_EQ(ctx->fileOf<CCT>().build(), Err::Ok);
    DatabaseMerge merge(*ctx, db, settings, kRunDate, kRunTime);
    if (setup) setup(merge);
    std::vector<int> tables = merge.tables();
    tables.push_back(SaveFile::FileNo);
    for (int no : tables) OP_CLOSE(*ctx, kOpOpen, {no});
    std::vector<engine::File*> files{&ctx->fileOf<Control>()};
    for (int no : tables) files.push_back(&ctx->file(no));
    EXPECT_TRUE(merge.prepare());

    begin(files);
    ctx->nhr = NewHR{};
    ctx->nhr.INTERNAL = kDb;
    temp.setFrom(NewHR::MSGKEY);
    bool failed = false;
    while (!failed && temp.next() == Err::Ok && ctx->nhr.INTERNAL == kDb) {
      results.push_back(merge.merge());
      failed = results.back() == MergeResult::Failed;
      if (failed) {
        EXPECT_FALSE(ctx->session.inTransaction());
      } else if (merge.writes > 400) {
        EXPECT_EQ(ctx->session.commit(), Err::Ok);
        merge.writes = 0;
        begin(files);
      }
    }
    if (!failed) {
      EXPECT_EQ(ctx->session.commit(), Err::Ok);
      using Step = bool (DatabaseMerge::*)();
      std::vector<Step> steps{&DatabaseMerge::addPersonCounts, &DatabaseMerge::addThreadCounts,
                              &DatabaseMerge::addSectionCounts};
      for (Step step : steps) {
        begin(files);
        EXPECT_TRUE((merge.*step)());
        EXPECT_EQ(ctx->session.commit(), Err::Ok);
      }
    }
    for (int no : {NewHR::FileNo, CCT::FileNo, TempID::FileNo}) EXPECT_EQ(ctx->file(no).empty(), Err::Ok);
    for (int no : tables) OP_CLOSE(*ctx, kOpRelease, {no});
    return results;
  }

  template <class Table>
  std::int64_t records() {
    OP_CLOSE(*ctx, kOpOpen, {Table::FileNo});
    const std::int64_t n = ctx->fileOf<Table>().records();
    OP_CLOSE(*ctx, kOpRelease, {Table::FileNo});
    return n;
  }
  // Reads a record by a key whose value the caller put in the buffer.
  template <class Table>
  bool read(engine::KeyRef key) {
    OP_CLOSE(*ctx, kOpOpen, {Table::FileNo});
    const bool found = ctx->fileOf<Table>().get(key) == Err::Ok;
    OP_CLOSE(*ctx, kOpRelease, {Table::FileNo});
    return found;
  }
  MsgNmbr message(std::uint32_t number) {
    ctx->msg.MSGNUMBER = number;
    EXPECT_TRUE(read<MsgNmbr>(MsgNmbr::IdKey)) << "message " << number;
    return ctx->msg;
  }
  Person person(std::uint32_t id) {
    ctx->per.PERSONID = id;
    EXPECT_TRUE(read<Person>(Person::PersonKey)) << "person " << id;
    return ctx->per;
  }
  Threads thread(std::uint32_t number) {
    ctx->thr.THREADNUMBER = number;
    EXPECT_TRUE(read<Threads>(Threads::ThreadKey)) << "thread " << number;
    return ctx->thr;
  }

  TargetDatabase db;
  ImportSettings settings;
};

std::vector<MergeResult> all(std::size_t n, MergeResult r) { return std::vector<MergeResult>(n, r); }

// ---------------------------------------------------------------------------
// Forum databases

using ForumMergeTest = MergeTest;

TEST_F(ForumMergeTest, ReplyWithoutItsParentJoinsTheSubjectsThreadAndStaysThere) {
  convert({.number = 100, .subject = "Modem trouble"});
  convert({.number = 102, .ref = 101, .subject = "Modem trouble"});  // 101 is not here yet
  convert({.number = 103, .ref = 100, .subject = "Something else"});
  ASSERT_EQ(run(), all(3, MergeResult::Imported));
  const std::uint32_t modem = message(100).THREADNUMBER;
  EXPECT_EQ(+message(102).THREADNUMBER, modem);
  EXPECT_EQ(+message(102).REFNUMBER, 101u);
  EXPECT_EQ(+message(103).THREADNUMBER, modem);  // the reference wins over the subject

  convert({.number = 101, .subject = "Printer setup"});
  convert({.number = 104, .ref = 101, .subject = "Printer setup"});
  ASSERT_EQ(run(), all(2, MergeResult::Imported));
  const std::uint32_t printer = message(101).THREADNUMBER;
  EXPECT_NE(printer, modem);
  EXPECT_EQ(+message(102).THREADNUMBER, modem);
  EXPECT_EQ(+message(104).THREADNUMBER, printer);
}

TEST_F(ForumMergeTest, ThreadsAreOneOnlyWhenTheWholeSubjectIsTheSame) {
  convert({.number = 1, .subject = "Windows 95 crashes"});
  convert({.number = 2, .subject = "Windows 95 install"});
  convert({.number = 3, .subject = "windows 95 crashes"});
  convert({.number = 4, .subject = "Windows 95 crashes   "});
  convert({.number = 5, .subject = "Windows 95 crashes", .section = 2, .sectionName = "Other"});
  ASSERT_EQ(run(), all(5, MergeResult::Imported));
  EXPECT_EQ(records<Threads>(), 4);
  EXPECT_EQ(+message(4).THREADNUMBER, +message(1).THREADNUMBER);
  EXPECT_NE(+message(2).THREADNUMBER, +message(1).THREADNUMBER);
  EXPECT_NE(+message(3).THREADNUMBER, +message(1).THREADNUMBER);
  EXPECT_NE(+message(5).THREADNUMBER, +message(1).THREADNUMBER);
  EXPECT_EQ(thread(message(2).THREADNUMBER).BETA, " install");

  // A later run finds the stored threads by their whole subject.
  convert({.number = 6, .subject = "windows 95 crashes"});
  convert({.number = 7, .subject = "Windows 95 install"});
  ASSERT_EQ(run(), all(2, MergeResult::Imported));
  EXPECT_EQ(records<Threads>(), 4);
  EXPECT_EQ(+message(6).THREADNUMBER, +message(3).THREADNUMBER);
  EXPECT_EQ(+message(7).THREADNUMBER, +message(2).THREADNUMBER);
  EXPECT_EQ(+thread(message(2).THREADNUMBER).MSGCOUNT, 2u);
}

TEST_F(ForumMergeTest, CountsOfNewMessagesAreAddedAndReimportRewritesInPlace) {
  convert({.number = 10, .text = "first"});
  convert({.number = 11, .fromName = "Bob Baker", .fromAddress = "71234,567", .toName = "Ann Archer",
           .toAddress = "76543,210"});
  convert({.number = 12, .toName = "All", .toAddress = ""});
  ASSERT_EQ(run(), all(3, MergeResult::Imported));
  const MsgNmbr m = message(10);
  EXPECT_EQ(m.FROMALPHA, "Archer");
  EXPECT_EQ(m.TOALPHA, "Baker");
  const Person ann = person(m.FROMID);
  EXPECT_EQ(+ann.FROMCOUNT, 2u);
  EXPECT_EQ(+ann.TOCOUNT, 1u);
  EXPECT_EQ(+person(m.TOID).FROMCOUNT, 1u);
  EXPECT_EQ(+thread(m.THREADNUMBER).MSGCOUNT, 3u);
  ctx->sec.SECSYSID = m.SECSYSID;
  ASSERT_TRUE(read<Sections>(Sections::SysIdKey));
  EXPECT_EQ(+ctx->sec.SECTIONNUMBER, 1u);
  EXPECT_EQ(ctx->sec.DESCRIPTION, "General");
  EXPECT_EQ(+ctx->sec.MSGCOUNT, 3u);

  // The user keeps message 10; a re-import brings new text but keeps that.
  OP_CLOSE(*ctx, kOpOpen, {MsgNmbr::FileNo});
  ctx->msg.MSGNUMBER = 10;
  ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), Err::Ok);
  ctx->msg.DUMMY = 1;
  ASSERT_EQ(ctx->fileOf<MsgNmbr>().put(), Err::Ok);
  OP_CLOSE(*ctx, kOpRelease, {MsgNmbr::FileNo});

  settings.reimport = true;
  convert({.number = 10, .text = "second"});
  convert({.number = 13});
  ASSERT_EQ(run(), all(2, MergeResult::Imported));
  EXPECT_EQ(records<MsgNmbr>(), 4);
  EXPECT_EQ(records<Sections>(), 1);
  EXPECT_EQ(+message(10).DUMMY, 1);
  ctx->txt.MSGNUMBER = 10;
  ASSERT_TRUE(read<MsgText>(MsgText::IdKey));
  EXPECT_EQ(ctx->txtMemo, "second");
  EXPECT_EQ(+person(m.FROMID).FROMCOUNT, 3u);  // 13 is new, 10 was counted before
  EXPECT_EQ(+thread(m.THREADNUMBER).MSGCOUNT, 4u);
}

TEST_F(ForumMergeTest, SaveFileRegistersEachPairOnce) {
  convert({.number = 20});
  convert({.number = 21});
  ASSERT_EQ(run(), all(2, MergeResult::Imported));
  EXPECT_EQ(records<SaveFile>(), 2);
  OP_CLOSE(*ctx, kOpOpen, {SaveFile::FileNo});
  EXPECT_EQ(ctx->fileOf<SaveFile>().build(), Err::Ok);  // as the driver does at the end of the run
  OP_CLOSE(*ctx, kOpRelease, {SaveFile::FileNo});

  settings.reimport = true;
  convert({.number = 20});
  convert({.number = 22});
  ASSERT_EQ(run(), all(2, MergeResult::Imported));
  EXPECT_EQ(records<SaveFile>(), 3);
  ctx->imp.FORUMNUMBER = kDb;
  ctx->imp.MSGNUMBER = 22;
  EXPECT_TRUE(read<SaveFile>(SaveFile::IDKEY));
}

// ---------------------------------------------------------------------------
// Failures

using MergeFailureTest = MergeTest;

TEST_F(MergeFailureTest, NoIdentifierForANewThreadRollsTheTransactionBack) {
  convert({.number = 30, .subject = "Known"});
  ASSERT_EQ(run(), all(1, MergeResult::Imported));
  ctx->ctl.ID = 1;
  ASSERT_EQ(ctx->fileOf<Control>().get(Control::IdKey), Err::Ok);
  ctx->ctl.NEXTNUMBER = 0;  // the counter hands out 0: no identifier
  ASSERT_EQ(ctx->fileOf<Control>().put(), Err::Ok);
  ui.clear();

  convert({.number = 31, .subject = "Known"});
  convert({.number = 32, .subject = "Unknown"});
  EXPECT_EQ(run(), (std::vector{MergeResult::Imported, MergeResult::Failed}));
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_EQ(ui.last().title, "Warning!");
  EXPECT_EQ(ui.last().text, "Transaction Frame Error!");
  EXPECT_EQ(records<MsgNmbr>(), 1);  // 31 went with the transaction
  EXPECT_EQ(records<SaveFile>(), 1);
  EXPECT_EQ(records<Threads>(), 1);
}

TEST_F(MergeFailureTest, AFailedAddIsReportedAndUndoesTheRecord) {
  OP_CLOSE(*ctx, kOpOpen, {MsgText::FileNo});
  ctx->txt = MsgText{40, 1, 1};
  ctx->txtMemo = "left over";
  ASSERT_EQ(ctx->fileOf<MsgText>().add(), Err::Ok);
  OP_CLOSE(*ctx, kOpRelease, {MsgText::FileNo});

  convert({.number = 40});
  EXPECT_EQ(run(), all(1, MergeResult::Failed));
  EXPECT_EQ(ui.last().text,
            "Record add error!\r\nA record with identical key already exists!\r\nThe last transaction is rolled back.");
  EXPECT_EQ(records<MsgNmbr>(), 0);
  EXPECT_EQ(records<Person>(), 0);
  EXPECT_EQ(records<Sections>(), 0);
}

// ---------------------------------------------------------------------------
// Newsgroup databases

class NewsMergeTest : public MergeTest {
 protected:
  NewsMergeTest() : MergeTest(3) {}
  // A newsgroup message with its run number, identifier and reference.
  void post(std::uint32_t number, std::string_view id, std::uint32_t ref, std::string_view refId, Converted m) {
    m.number = number;
    m.ref = ref;
    m.section = 250777;
    if (m.sectionName == "General") m.sectionName = "comp.lang.c";
    convert(m);
    identifier(number, id);
    if (ref != 0) identifier(ref, refId);
  }
};

TEST_F(NewsMergeTest, ReplyBeforeItsParentKeepsTheReservedNumber) {
  post(1000, "<r@x>", 1001, "<p@x>", {.subject = "Re: Pointers"});
  post(1002, "<p@x>", 0, "", {.subject = "Pointers", .fromName = "Carl Parent", .fromAddress = "carl@x"});
  post(1003, "<s@x>", 1004, "<lost@x>", {.subject = "Re: Lost"});
  ASSERT_EQ(run(), all(3, MergeResult::Imported));
  EXPECT_EQ(+message(1000).REFNUMBER, 1001u);
  const MsgNmbr parent = message(1001);  // the parent took the reserved number
  ctx->msg.MSGNUMBER = 1002;
  EXPECT_FALSE(read<MsgNmbr>(MsgNmbr::IdKey));

  // Replies of a later run point at the same numbers; the one whose parent
  // is stored joins its thread and goes to its author.
  post(2000, "<r2@x>", 2001, "<p@x>", {.subject = "Other words", .toName = "Someone Else"});
  post(2002, "<s2@x>", 2003, "<lost@x>", {.subject = "Re: Lost"});
  ASSERT_EQ(run(), all(2, MergeResult::Imported));
  const MsgNmbr reply = message(2000);
  EXPECT_EQ(+reply.REFNUMBER, 1001u);
  EXPECT_EQ(+reply.THREADNUMBER, +parent.THREADNUMBER);
  EXPECT_EQ(+reply.TOID, +parent.FROMID);
  EXPECT_EQ(+message(2002).REFNUMBER, 1004u);
  EXPECT_EQ(records<Sections>(), 1);
}

TEST_F(NewsMergeTest, MessagesWithoutIdentifierOrAlreadyStoredAreSkipped) {
  post(3000, "<a@x>", 0, "", {.subject = "Hello"});
  convert({.number = 3001, .section = 250777, .sectionName = "comp.lang.c"});  // no identifier
  ASSERT_EQ(run(), (std::vector{MergeResult::Imported, MergeResult::Skipped}));

  post(4000, "<A@x>", 0, "", {.subject = "Hello", .sectionName = "comp.lang.c.moderated"});
  EXPECT_EQ(run(), all(1, MergeResult::Skipped));
  // The newsgroup's section follows its name.
  EXPECT_EQ(records<Sections>(), 1);
  ctx->sec.SECSYSID = 250777;
  ASSERT_TRUE(read<Sections>(Sections::SysIdKey));
  EXPECT_EQ(ctx->sec.DESCRIPTION, "comp.lang.c.moderated");

  settings.reimport = true;
  post(5000, "<a@x>", 0, "", {.subject = "Hello", .text = "again"});
  EXPECT_EQ(run(), all(1, MergeResult::Imported));
  EXPECT_EQ(records<MsgNmbr>(), 1);
  EXPECT_EQ(+thread(message(3000).THREADNUMBER).MSGCOUNT, 1u);
  ctx->txt.MSGNUMBER = 3000;
  ASSERT_TRUE(read<MsgText>(MsgText::IdKey));
  EXPECT_EQ(ctx->txtMemo, "again");
}

// ---------------------------------------------------------------------------
// Mail databases

class MailMergeTest : public MergeTest {
 protected:
  MailMergeTest() : MergeTest(2) {
    OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo, Person::FileNo, PLINK::FileNo});
    begin({&ctx->fileOf<Person>(), &ctx->fileOf<PLINK>(), &ctx->fileOf<Control>()});
    EXPECT_EQ(AddPers(*ctx, "me@home.example", "Olivia Owner"), 0);
    EXPECT_EQ(ctx->session.commit(), Err::Ok);
    owner = ctx->per.PERSONID;
    ctx->for_ = Forums{};
    ctx->for_.ID = kDb;
    ctx->for_.DESCRIPTION = "Olivia Owner";
    ctx->for_.TYPE = 2;
    ctx->for_.DIRNUMBER = 1;
    ctx->for_.MAILADDRESS = "Me@Home.example";
    ctx->for_.ALTADDRESS[0] = "me@work.example";
    ctx->for_.PERSONID = owner;
    EXPECT_EQ(ctx->fileOf<Forums>().add(), Err::Ok);
    OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo, Person::FileNo, PLINK::FileNo});
    ctx->mem.PersonID = owner;
  }
  // A mail; its run number is also its mail ID. Unless told otherwise an
  // in-box mail from Ann to the owner (the forum service numbers of the
  // defaults become mail addresses).
  void mail(std::uint32_t number, Converted m) {
    m.number = m.ref = number;
    if (m.mailType == 0) m.mailType = 1;
    if (m.fromAddress == "76543,210") m.fromAddress = "ann@x.example";
    if (m.toAddress == "71234,567") m.toAddress = "me@home.example";
    convert(m);
  }
  Mail stored(std::uint32_t id) {
    ctx->mai.MAILID = id;
    EXPECT_TRUE(read<Mail>(Mail::IdKey)) << "mail " << id;
    return ctx->mai;
  }
  std::uint32_t owner = 0;
};

TEST_F(MailMergeTest, AMailImportedTwiceWithinTheSameMinuteIsStoredOnce) {
  mail(1, {.subject = "Lunch", .text = "See you at noon.", .time = kNoon + 30 * kSecond});
  ASSERT_EQ(run(), all(1, MergeResult::Imported));
  EXPECT_EQ(+stored(1).TIME, kNoon);

  mail(2, {.subject = "LUNCH", .text = "See you at noon.", .time = kNoon + 5 * kSecond});
  mail(3, {.subject = "Lunch", .text = "See you at noon.", .time = kNoon + 59 * kSecond + 99});
  mail(4, {.subject = "Lunch", .text = "See you at noon.", .time = kNoon + 60 * kSecond});
  mail(5, {.subject = "Lunch", .fromName = "Ann Other", .text = "See you at noon."});
  EXPECT_EQ(run(), (std::vector{MergeResult::Skipped, MergeResult::Skipped, MergeResult::Imported,
                                MergeResult::Imported}));
  EXPECT_EQ(+stored(4).TIME, kNoon + 60 * kSecond);
}

// The duplicate is found behind other mails of the minute: one of another
// sender, one of a subject that sorts between the letter-case variants, one
// of another text; and a subject longer than the 50 characters compared.
TEST_F(MailMergeTest, TheDuplicateIsFoundAmongOtherMailsOfTheSameMinute) {
  const std::string longSubject(50, 'S');
  mail(1, {.subject = "lunch", .text = "See you at noon."});
  mail(2, {.subject = "Lunch", .fromName = "Bob Other", .fromAddress = "bob@x.example", .text = "See you."});
  mail(3, {.subject = "Lunch break", .text = "See you at noon."});
  mail(4, {.subject = "LUNCH", .text = "Not today."});
  mail(5, {.subject = longSubject + "1", .text = "A long one."});
  ASSERT_EQ(run(), all(5, MergeResult::Imported));

  mail(6, {.subject = "Lunch ", .text = "See you at noon."});
  mail(7, {.subject = longSubject + "2", .text = "A long one."});
  mail(8, {.subject = "Lunch", .fromName = "Bob Other", .fromAddress = "bob@x.example", .text = "Not today."});
  EXPECT_EQ(run(), (std::vector{MergeResult::Skipped, MergeResult::Skipped, MergeResult::Imported}));
}

// Into an empty database the duplicates among the mails of one run are
// found from what the merge stored, by the same rule: letter case, trailing
// blanks and characters past the 50th of the subject ignored, the minute
// without its seconds, the same sender and receiver, the same text.
TEST_F(MailMergeTest, DuplicatesAmongTheMailsOfTheFirstRunAreFoundByTheSameRule) {
  const std::string longSubject(50, 'S');
  mail(1, {.subject = "lunch", .text = "See you at noon.", .time = kNoon + 30 * kSecond});
  mail(2, {.subject = "Lunch", .fromName = "Bob Other", .fromAddress = "bob@x.example", .text = "See you."});
  mail(3, {.subject = "Lunch break", .text = "See you at noon."});
  mail(4, {.subject = "LUNCH", .text = "Not today."});
  mail(5, {.subject = longSubject + "1", .text = "A long one."});
  mail(6, {.subject = "Lunch ", .text = "See you at noon.", .time = kNoon + 59 * kSecond + 99});
  mail(7, {.subject = longSubject + "2", .text = "A long one."});
  mail(8, {.subject = "Lunch", .fromName = "Bob Other", .fromAddress = "bob@x.example", .text = "Not today."});
  mail(9, {.subject = "Lunch", .text = "See you at noon.", .time = kNoon + 60 * kSecond});
  mail(10, {.subject = "Lunch", .text = "See you at noon.", .date = 79001});
  EXPECT_EQ(run(), (std::vector{MergeResult::Imported, MergeResult::Imported, MergeResult::Imported,
                                MergeResult::Imported, MergeResult::Imported, MergeResult::Skipped,
                                MergeResult::Skipped, MergeResult::Imported, MergeResult::Imported,
                                MergeResult::Imported}));
  EXPECT_EQ(records<Mail>(), 8);
}

TEST_F(MailMergeTest, TextsDifferingByTwentyCharactersOrWithoutStoredTextAreNotDuplicates) {
  const std::string text = "Minutes of the meeting.";
  mail(1, {.text = text});
  ASSERT_EQ(run(), all(1, MergeResult::Imported));
  mail(2, {.text = text + std::string(19, 'x')});
  mail(3, {.text = text + std::string(20, 'x')});
  EXPECT_EQ(run(), (std::vector{MergeResult::Skipped, MergeResult::Imported}));

  OP_CLOSE(*ctx, kOpOpen, {MsgText::FileNo});
  for (std::uint32_t id : {1u, 3u}) {
    ctx->txt.MSGNUMBER = id;
    ASSERT_EQ(ctx->fileOf<MsgText>().get(MsgText::IdKey), Err::Ok);
    ASSERT_EQ(ctx->fileOf<MsgText>().erase(), Err::Ok);
  }
  OP_CLOSE(*ctx, kOpRelease, {MsgText::FileNo});
  mail(4, {.text = text});
  EXPECT_EQ(run(), all(1, MergeResult::Imported));
}

TEST_F(MailMergeTest, EmptyNamesBecomeNameUnknownAndTheOwnerSideIsTheOwner) {
  settings.mailTopic = 77;
  OP_CLOSE(*ctx, kOpOpen, {Codes::FileNo});
  ctx->cod = Codes{};
  ctx->cod.TYPE = static_cast<std::uint8_t>(CodeType::Topic);
  ctx->cod.INDEX = "Imported";
  ctx->cod.ID = 77;
  ASSERT_EQ(ctx->fileOf<Codes>().add(), Err::Ok);
  mail(1, {.fromName = "", .toName = ""});  // in-box
  mail(2, {.fromName = "Olivia O.", .fromAddress = "me@home.example", .toName = "", .toAddress = "bob@x.example",
           .mailType = 2});
  ASSERT_EQ(run(), all(2, MergeResult::Imported));

  const Mail in = stored(1);
  EXPECT_EQ(+in.TOID, owner);
  EXPECT_EQ(in.TOALPHA, "Owner");
  EXPECT_EQ(+in.PAIRID, +in.FROMID);
  const Person stranger = person(in.FROMID);
  EXPECT_EQ(stranger.PERSONSTRING, "NAME UNKNOWN ANN@X.EXAMPLE");
  EXPECT_EQ(stranger.LASTNAME, "Unknown");
  EXPECT_EQ(stranger.FIRSTNAME, "Name");

  const Mail out = stored(2);
  EXPECT_EQ(+out.FROMID, owner);
  EXPECT_EQ(out.FROMALPHA, "Owner");
  EXPECT_EQ(+out.PAIRID, +out.TOID);
  EXPECT_EQ(out.PAIRALPHA, "Unknown");
  EXPECT_EQ(records<Person>(), 3);  // the owner, and one stranger per address

  const Person o = person(owner);
  EXPECT_EQ(+o.FROMCOUNT, 1u);
  EXPECT_EQ(+o.TOCOUNT, 1u);
  EXPECT_EQ(records<SIndex>(), 2);
  ctx->sin.ID = 77;
  ctx->sin.MSGNUMBER = 2;
  EXPECT_TRUE(read<SIndex>(SIndex::IdKey));
  ctx->cod.INDEX = "Imported";  // the topic counts its links
  ASSERT_TRUE(read<Codes>(Codes::ClassKey));
  EXPECT_EQ(+ctx->cod.COUNT, 2u);
  OP_CLOSE(*ctx, kOpRelease, {Codes::FileNo});
}

class CarbonCopyTest : public MailMergeTest {
 protected:
  // The stored carbon copies in key order, each as "mail identifier name".
  std::vector<std::string> storedCopies() {
    TableUse use(*ctx, {CCR::FileNo});
    engine::File& copies = ctx->fileOf<CCR>();
    std::vector<std::string> out;
    for (Err e = copies.set(CCR::IdKey); e == Err::Ok && copies.next() == Err::Ok;)
      out.push_back(std::to_string(+ctx->ccr.MAILID) + " " + ctx->ccr.R_NAME.str());
    return out;
  }
};

TEST_F(CarbonCopyTest, CopiesToOwnAddressesAreDroppedAndOthersStored) {
  mail(10, {.subject = "Party"});
  mail(11, {.subject = "Note to self"});
  carbonCopy(10, "Carol", "carol@x.example");
  carbonCopy(10, "Me at work", "ME@Work.Example");
  carbonCopy(10, "Dave", "dave@x.example");
  carbonCopy(11, "Me", "me@home.example");
  carbonCopy(12, "Eve", "eve@x.example");  // a mail of another database
  ASSERT_EQ(run(), all(2, MergeResult::Imported));

  EXPECT_EQ(+stored(10).CCR, 1);
  EXPECT_EQ(+stored(11).CCR, 0);  // its only copy went to the owner
  EXPECT_EQ(records<CCR>(), 2);
  EXPECT_EQ(storedCopies(), (std::vector<std::string>{"10 Carol", "10 Dave"}));
}

// One walk through the run's copies serves the mails in the order of their
// numbers: the copies of a mail skipped as a duplicate, and those of other
// databases' mails before and after, are passed over.
TEST_F(CarbonCopyTest, EachStoredMailGetsExactlyItsOwnCopies) {
  mail(20, {.subject = "Plans"});
  mail(21, {.subject = "Plans"});  // the same mail again
  mail(22, {.subject = "No copies"});
  mail(23, {.subject = "Minutes"});
  carbonCopy(5, "Old", "old@x.example");
  carbonCopy(20, "Carl", "carl@x.example");
  carbonCopy(21, "Dora", "dora@x.example");
  carbonCopy(23, "Eric", "eric@x.example");
  carbonCopy(23, "Fay", "fay@x.example");
  carbonCopy(30, "Gus", "gus@x.example");
  ASSERT_EQ(run(), (std::vector{MergeResult::Imported, MergeResult::Skipped, MergeResult::Imported,
                                MergeResult::Imported}));

  EXPECT_EQ(+stored(20).CCR, 1);
  EXPECT_EQ(+stored(22).CCR, 0);
  EXPECT_EQ(+stored(23).CCR, 1);
  EXPECT_EQ(storedCopies(), (std::vector<std::string>{"20 Carl", "23 Eric", "23 Fay"}));
}

// ---------------------------------------------------------------------------
// Own-address check of the mail readers

TEST(OwnAddressCheckTest, TheSenderDecidesInBoxOrOutBoxAndTheOwnerKeepsTheDefaultAddress) {
  RecordingUi ui;
  Library lib(ui);
  Context ctx(lib);
  Forums db{};
  db.MAILADDRESS = "Me@Home.example";
  db.ALTADDRESS[0] = "me@work.example";
  db.ALTADDRESS[2] = "hidden@after.blank";  // the list ends at the first blank address

  ctx.nhr.S_CISADRESS = "ME@WORK.EXAMPLE";
  ctx.nhr.R_CISADRESS = "Bob@X.Example";
  ownAddressCheck(ctx, db);
  EXPECT_EQ(+ctx.nhr.MAILTYPE, 2);
  EXPECT_EQ(ctx.nhr.S_CISADRESS, "me@home.example");
  EXPECT_EQ(ctx.nhr.R_CISADRESS, "bob@x.example");

  ctx.nhr.S_CISADRESS = "Ann@X.Example";
  ctx.nhr.R_CISADRESS = "me@work.example";
  ownAddressCheck(ctx, db);
  EXPECT_EQ(+ctx.nhr.MAILTYPE, 1);
  EXPECT_EQ(ctx.nhr.S_CISADRESS, "ann@x.example");
  EXPECT_EQ(ctx.nhr.R_CISADRESS, "me@home.example");

  ctx.nhr.S_CISADRESS = "hidden@after.blank";
  ownAddressCheck(ctx, db);
  EXPECT_EQ(+ctx.nhr.MAILTYPE, 1);
}

}  // namespace
}  // namespace qv::test
