#include "store/tables/work_tables.h"

#include <stdexcept>

namespace qv {

using engine::Driver;
using engine::kDuplicates;
using engine::kExcludeEmpty;
using engine::kOnDemand;
using engine::kUnique;

const TableDecl& NewHR::decl() {
  static const TableDecl d = [] {
    using R = NewHR;
    TableDecl t = makeDecl("NewHR", "NHR", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, INTERNAL),      QV_FIELD(R, MSGNUMBER),       QV_FIELD(R, REFNUMBER),
                QV_FIELD(R, FOR_DESCRIPTION), QV_FIELD(R, SECTIONNUMBER), QV_FIELD(R, SEC_DESCRIPTION),
                QV_FIELD(R, HEADING),       QV_FIELD(R, S_CISADRESS),     QV_FIELD(R, S_NAME),
                QV_FIELD(R, R_CISADRESS),   QV_FIELD(R, R_NAME),          QV_FIELD(R, DUMMY),
                QV_FIELD(R, DATE),          QV_FIELD(R, TIME),            QV_FIELD(R, MAILTYPE),
                QV_FIELD(R, RECIPTYPE),     QV_FIELD(R, IMPDATE),         QV_FIELD(R, IMPTIME)};
    t.key("MSGKEY", kUnique, {"INTERNAL", "MSGNUMBER"});
    t.memoName = "MSGTEXT";
    t.memoMax = MSGTEXTMax;
    t.ownerPassword = kOwnerPassword12;
    t.scratch = true;
    // Written once, a text after a text, and read back in key order: large
    // pages take fewer writes and page encryptions per byte of text.
    t.pageSize = engine::kLargestPageSize;
    return t;
  }();
  return d;
}

const TableDecl& CCT::decl() {
  static const TableDecl d = [] {
    using R = CCT;
    TableDecl t = makeDecl("CCT", "CCT", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, MAILID), QV_FIELD(R, R_NAME), QV_FIELD(R, R_CISADRESS), QV_FIELD(R, RECIPTYPE)};
    t.key("IDKEY", kUnique, {"MAILID", "R_CISADRESS", "R_NAME"});
    t.scratch = true;
    return t;
  }();
  return d;
}

const TableDecl& TempID::decl() {
  static const TableDecl d = [] {
    using R = TempID;
    TableDecl t = makeDecl("TempID", "TID", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, IDSTRING), QV_FIELD(R, MSGNUMBER)};
    t.key("IDKEY", kUnique, {"MSGNUMBER"});
    t.scratch = true;
    return t;
  }();
  return d;
}

const TableDecl& WordList::decl() {
  static const TableDecl d = [] {
    using R = WordList;
    TableDecl t = makeDecl("WordList", "WOR", FileNo, Driver::Dat, sizeof(R));
    t.fields = {QV_FIELD(R, WORDID), QV_FIELD(R, THEWORD), QV_FIELD(R, WORDCOUNT)};
    t.key("by_WordId", kUnique | kExcludeEmpty, {"WORDID"});
    t.key("by_theWord", kUnique | kExcludeEmpty, {"THEWORD"});
    t.key("by_WordCount", kDuplicates | kExcludeEmpty | kOnDemand, {"WORDCOUNT"});
    return t;
  }();
  return d;
}

const TableDecl& MasIdx::decl() {
  static const TableDecl d = [] {
    using R = MasIdx;
    TableDecl t = makeDecl("MasIdx", "MAS", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, SYSID), QV_FIELD(R, WORDID)};
    // Millions of 8-byte rows, kept in the order of the word key without a
    // stored record position (which would be a third of every row): the
    // rows of a word, with their message numbers, are one run of the file.
    // Each (word, message) pair is there once, so the key is unique.
    t.key("by_WordId", kUnique | kExcludeEmpty, {"WORDID", "SYSID"});
    // The words of one message: kept as a second copy of every row it would
    // double the index, so it is built only on request. Lookups of a
    // (message, word) pair go through the word key; the purge's upkeep
    // finds the rows of deleted messages in one walk of the file.
    t.key("by_SysID", kUnique | kExcludeEmpty | kOnDemand, {"SYSID", "WORDID"});
    t.keyedPositions = true;
    return t;
  }();
  return d;
}

const TableDecl& Search::decl() {
  static const TableDecl d = [] {
    using R = Search;
    TableDecl t = makeDecl("Search", "SEA", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, SORT), QV_FIELD(R, ID)};
    t.key("SortKey", kUnique, {"SORT"});
    t.key("IdKey", kUnique, {"ID"});
    t.scratch = true;
    return t;
  }();
  return d;
}

const TableDecl& PUR::decl() {
  static const TableDecl d = [] {
    TableDecl t = makeDecl("PUR", "PUR", FileNo, Driver::Dat, sizeof(PUR));
    t.fields = {QV_FIELD(PUR, SYSID), QV_FIELD(PUR, WORDID)};
    return t;
  }();
  return d;
}

const TableDecl& WD::decl() {
  static const TableDecl d = [] {
    TableDecl t = makeDecl("WD", "WD", FileNo, Driver::TopSpeed, sizeof(WD));
    t.fields = {QV_FIELD(WD, SETNAME), QV_FIELD(WD, ID), QV_FIELD(WD, STARTWORD), QV_FIELD(WD, INWORD),
                QV_FIELD(WD, ENDWORD)};
    t.key("BY_SETNAME", kUnique, {"SETNAME", "ID"});
    return t;
  }();
  return d;
}

namespace {
template <class R>
TableDecl blockDecl(const char* label, int fileNo, Driver driver, const char* field) {
  TableDecl t = makeDecl(label, label, fileNo, driver, sizeof(R));
  t.fields = {engine::FieldDecl{field, 0, sizeof(R), engine::FieldType::String}};
  return t;
}
}  // namespace

const TableDecl& DOS::decl() {
  static const TableDecl d = blockDecl<DOS>("DOS", FileNo, Driver::Dos, "CHAR");
  return d;
}
const TableDecl& TOC::decl() {
  static const TableDecl d = blockDecl<TOC>("TOC", FileNo, Driver::Dos, "CHAR");
  return d;
}
const TableDecl& AOL::decl() {
  static const TableDecl d = blockDecl<AOL>("AOL", FileNo, Driver::Dos, "CHAR");
  return d;
}
const TableDecl& ASC::decl() {
  static const TableDecl d = blockDecl<ASC>("ASC", 0, Driver::Ascii, "LINE");
  return d;
}
const TableDecl& EXP::decl() {
  static const TableDecl d = blockDecl<EXP>("EXP", 0, Driver::Ascii, "LINE");
  return d;
}
const TableDecl& DMA::decl() {
  static const TableDecl d = blockDecl<DMA>("DMA", 0, Driver::Dos, "CHAR");
  return d;
}
const TableDecl& IND::decl() {
  static const TableDecl d = blockDecl<IND>("IND", 0, Driver::Dos, "CHAR");
  return d;
}

namespace {
// Column formats of the dBase-family tables.
engine::FieldDecl logical(engine::FieldDecl f) { return engine::withColumn(std::move(f), 'L'); }
engine::FieldDecl date(engine::FieldDecl f) { return engine::withColumn(std::move(f), 'D'); }
engine::FieldDecl number(engine::FieldDecl f, std::uint8_t width, std::uint8_t decimals = 0) {
  return engine::withColumn(std::move(f), 'N', width, decimals);
}
// The in-record block pointer of the memo `memo`.
engine::FieldDecl memoPointer(engine::FieldDecl f, const char* memo) {
  return engine::withColumn(std::move(f), 'M', 10, 0, memo);
}
}  // namespace

const TableDecl& HRE::decl() {
  static const TableDecl d = [] {
    using R = HRE;
    TableDecl t = makeDecl("HRE", "HRE", FileNo, Driver::FoxPro, sizeof(R));
    t.fields = {logical(QV_FIELD(R, IS_MAIL)),    logical(QV_FIELD(R, FROMNET)),
                logical(QV_FIELD(R, RECEIVED)),   logical(QV_FIELD(R, IS_PRIVATE)),
                logical(QV_FIELD(R, REPLIED)),    logical(QV_FIELD(R, SAVED)),
                QV_FIELD(R, REPLIES),             logical(QV_FIELD(R, RECEIPT)),
                logical(QV_FIELD(R, BINARY)),     logical(QV_FIELD(R, DL)),
                QV_FIELD(R, BFILENAME),           QV_FIELD(R, FORUM_NAME),
                QV_FIELD(R, INTERNAL),            QV_FIELD(R, SEC_NUMBER),
                QV_FIELD(R, SEC_NAME),            QV_FIELD(R, SUBJECT),
                QV_FIELD(R, SEND_ID),             QV_FIELD(R, SEND_NAME),
                QV_FIELD(R, RECV_ID),             QV_FIELD(R, RECV_NAME),
                QV_FIELD(R, MSG_NUMBER),          QV_FIELD(R, MSG_PARENT),
                logical(QV_FIELD(R, KEEP)),       logical(QV_FIELD(R, IS_DELETE)),
                QV_FIELD(R, MSG_DATE),            QV_FIELD(R, MSG_TIME),
                QV_FIELD(R, TIME_ZONE),           memoPointer(QV_FIELD(R, MSG_TEXT_PTR), "MSG_TEXT"),
                logical(QV_FIELD(R, IS_NAVCIS)),  memoPointer(QV_FIELD(R, NAV_CODES_PTR), "NAV_CODES"),
                QV_FIELD(R, SESSION),             date(QV_FIELD(R, REC_DATE)),
                QV_FIELD(R, REC_TIME),            QV_FIELD(R, GROUP_CNT),
                memoPointer(QV_FIELD(R, GROUP_LIST_PTR), "GROUP_LIST")};
    t.memoName = "MSG_TEXT";
    t.memoMax = MemoMax;
    t.extraMemos = {"NAV_CODES", "GROUP_LIST"};
    return t;
  }();
  return d;
}

const TableDecl& CCO::decl() {
  static const TableDecl d = [] {
    using R = CCO;
    TableDecl t = makeDecl("CCO", "CCO", FileNo, Driver::FoxPro, sizeof(R));
    t.fields = {QV_FIELD(R, MSG_NUMBER),         QV_FIELD(R, MSG_PARENT),
                date(QV_FIELD(R, MSG_DATE)),     QV_FIELD(R, MSG_TIME),
                QV_FIELD(R, MSG_SECTNO),         QV_FIELD(R, MSG_SECT),
                QV_FIELD(R, MSG_SUBJEC),         QV_FIELD(R, MSG_SENDID),
                QV_FIELD(R, MSG_SENDER),         QV_FIELD(R, MSG_RECVID),
                QV_FIELD(R, MSG_RECVR),          QV_FIELD(R, MSG_NXTSIB),
                QV_FIELD(R, MSG_FSTCHD),         QV_FIELD(R, MSG_THRDID),
                memoPointer(QV_FIELD(R, MSG_TEXT_PTR), "MSG_TEXT"),
                QV_FIELD(R, MSG_FLAGS),          QV_FIELD(R, MSG_SEQ),
                logical(QV_FIELD(R, MSG_ISFROM)), logical(QV_FIELD(R, MSG_ISTO)),
                logical(QV_FIELD(R, MSG_TAGGED)), logical(QV_FIELD(R, MSG_MARKED)),
                logical(QV_FIELD(R, MSG_UNREAD)), logical(QV_FIELD(R, MSG_ISROOT))};
    t.memoName = "MSG_TEXT";
    t.memoMax = MemoMax;
    return t;
  }();
  return d;
}

const TableDecl& CMA::decl() {
  static const TableDecl d = [] {
    using R = CMA;
    TableDecl t = makeDecl("CMA", "CMA", FileNo, Driver::FoxPro, sizeof(R));
    t.fields = {QV_FIELD(R, MSG_NUMBER),
                date(QV_FIELD(R, MSG_DATE)),
                QV_FIELD(R, MSG_TIME),
                QV_FIELD(R, MSG_SUBJEC),
                QV_FIELD(R, MSG_SENDER),
                memoPointer(QV_FIELD(R, MSG_SENDID_PTR), "MSG_SENDID"),
                QV_FIELD(R, MSG_RECVR),
                memoPointer(QV_FIELD(R, MSG_RECVID_PTR), "MSG_RECVID"),
                QV_FIELD(R, MSG_PARENT),
                memoPointer(QV_FIELD(R, MSG_TEXT_PTR), "MSG_TEXT"),
                QV_FIELD(R, MSG_FLAGS),
                QV_FIELD(R, MSG_SEQ),
                logical(QV_FIELD(R, MSG_ISFROM)),
                logical(QV_FIELD(R, MSG_ISTO)),
                logical(QV_FIELD(R, MSG_TAGGED)),
                logical(QV_FIELD(R, MSG_MARKED)),
                logical(QV_FIELD(R, MSG_UNREAD))};
    t.memoName = "MSG_TEXT";
    t.memoMax = MemoMax;
    t.extraMemos = {"MSG_SENDID", "MSG_RECVID"};
    return t;
  }();
  return d;
}

const TableDecl& OUI::decl() {
  static const TableDecl d = [] {
    using R = OUI;
    TableDecl t = makeDecl("OUI", "OUI", FileNo, Driver::FoxPro, sizeof(R));
    t.fields = {QV_FIELD(R, IDENTIFIER),   QV_FIELD(R, INSTANCE),      logical(QV_FIELD(R, READ)),
                QV_FIELD(R, MSG_NUMBER),   QV_FIELD(R, MSG_PARENT),    QV_FIELD(R, ID_TOPMOST),
                QV_FIELD(R, SECT_NUMB),    QV_FIELD(R, SECT_NAME),     QV_FIELD(R, SUBJECT),
                QV_FIELD(R, SESSION),      QV_FIELD(R, REPLIES),       QV_FIELD(R, PARENT),
                QV_FIELD(R, REPLY_NUM),    logical(QV_FIELD(R, KEEP)), logical(QV_FIELD(R, DELETE)),
                date(QV_FIELD(R, MSG_DATE)), QV_FIELD(R, MSG_TIME),    QV_FIELD(R, MSG_ZONE),
                date(QV_FIELD(R, RECV_DATE)), QV_FIELD(R, RECV_TIME),  QV_FIELD(R, STATUS),
                QV_FIELD(R, NETWORK),      QV_FIELD(R, EXTRA),         QV_FIELD(R, RECV_IDPAR),
                memoPointer(QV_FIELD(R, RECV_ID_PTR), "RECV_ID"),      QV_FIELD(R, SEND_IDPAR),
                memoPointer(QV_FIELD(R, SEND_ID_PTR), "SEND_ID"),
                memoPointer(QV_FIELD(R, MSG_BODY_PTR), "MSG_BODY"),
                memoPointer(QV_FIELD(R, MSG_EXTRA_PTR), "MSG_EXTRA"),
                memoPointer(QV_FIELD(R, MSG_ATTACH_PTR), "MSG_ATTACH")};
    t.memoName = "MSG_BODY";
    t.memoMax = MemoMax;
    t.extraMemos = {"RECV_ID", "SEND_ID", "MSG_EXTRA", "MSG_ATTACH"};
    return t;
  }();
  return d;
}

const TableDecl& DBM::decl() {
  static const TableDecl d = [] {
    using R = DBM;
    TableDecl t = makeDecl("DBM", "DBM", FileNo, Driver::DBase3, sizeof(R));
    t.fields = {number(QV_FIELD(R, ID), 8, 0), QV_FIELD(R, SUBJECT),   QV_FIELD(R, MSG_DATE),
                QV_FIELD(R, MSG_TIME),         QV_FIELD(R, R_LNAME),   QV_FIELD(R, R_FNAME),
                QV_FIELD(R, R_ADDRESS),        QV_FIELD(R, S_LNAME),   QV_FIELD(R, S_FNAME),
                QV_FIELD(R, S_ADDRESS),        engine::withColumn(QV_FIELD(R, M_BODY), 'M', 10)};
    t.key("IdKey", kDuplicates, {"ID"});
    t.memoName = "M_BODY";
    t.memoMax = M_BODYMax;
    return t;
  }();
  return d;
}

const TableDecl& DBA::decl() {
  static const TableDecl d = [] {
    using R = DBA;
    TableDecl t = makeDecl("DBA", "DBA", FileNo, Driver::DBase3, sizeof(R));
    t.fields = {number(QV_FIELD(R, ID), 8, 0), QV_FIELD(R, LNAME), QV_FIELD(R, FNAME), QV_FIELD(R, ADDRESS)};
    t.key("IdKey", kDuplicates, {"ID"});
    return t;
  }();
  return d;
}

const TableDecl& DBF::decl() {
  static const TableDecl d = [] {
    using R = DBF;
    TableDecl t = makeDecl("DBF", "DBF", FileNo, Driver::DBase3, sizeof(R));
    t.fields = {number(QV_FIELD(R, MSGNUMBER), 10),
                number(QV_FIELD(R, REFNUMBER), 10),
                QV_FIELD(R, FORUM),
                number(QV_FIELD(R, SECTIONNO), 3),
                engine::withColumn(QV_FIELD(R, SECTIONNAME), 'C', 20, 0, "SECTIONNAM"),
                QV_FIELD(R, SUBJECT),
                QV_FIELD(R, MSG_DATE),
                QV_FIELD(R, R_LNAME),
                QV_FIELD(R, R_FNAME),
                QV_FIELD(R, R_ADDRESS),
                QV_FIELD(R, S_LNAME),
                QV_FIELD(R, S_FNAME),
                QV_FIELD(R, S_ADDRESS),
                engine::withColumn(QV_FIELD(R, M_BODY), 'M', 10)};
    t.key("MsgNumberKey", kDuplicates, {"MSGNUMBER"});
    t.memoName = "M_BODY";
    t.memoMax = M_BODYMax;
    return t;
  }();
  return d;
}

const TableDecl& DBN::decl() {
  static const TableDecl d = [] {
    using R = DBN;
    TableDecl t = makeDecl("DBN", "DBN", FileNo, Driver::DBase3, sizeof(R));
    t.fields = {number(QV_FIELD(R, ID), 10), QV_FIELD(R, MSGID),   QV_FIELD(R, REFID),
                QV_FIELD(R, NEWSGROUP),      QV_FIELD(R, SUBJECT), QV_FIELD(R, MSG_DATE),
                QV_FIELD(R, S_LNAME),        QV_FIELD(R, S_FNAME), QV_FIELD(R, S_ADDRESS),
                engine::withColumn(QV_FIELD(R, M_BODY), 'M', 10)};
    t.key("IdKey", kDuplicates, {"ID"});
    t.memoName = "M_BODY";
    t.memoMax = M_BODYMax;
    return t;
  }();
  return d;
}

}  // namespace qv
