#include "store/tables/work_tables.h"

#include <map>
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
    t.key("by_SysID", kUnique | kExcludeEmpty, {"SYSID", "WORDID"});
    t.key("by_WordId", kDuplicates | kExcludeEmpty, {"WORDID"});
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

const TableDecl& foreignDecl(int fileNo) {
  static const std::map<int, TableDecl> decls = [] {
    std::map<int, TableDecl> m;
    auto add = [&m](const char* label, int no, Driver driver, std::size_t size) {
      TableDecl t = makeDecl(label, label, no, driver, size);
      t.fields = {engine::FieldDecl{"BYTES", 0, size, engine::FieldType::Raw}};
      m.emplace(no, std::move(t));
    };
    add("HRE", HRE::FileNo, Driver::FoxPro, sizeof(HRE));
    add("CCO", CCO::FileNo, Driver::FoxPro, sizeof(CCO));
    add("CMA", CMA::FileNo, Driver::FoxPro, sizeof(CMA));
    add("OUI", OUI::FileNo, Driver::FoxPro, sizeof(OUI));
    add("DBM", DBM::FileNo, Driver::DBase3, sizeof(DBM));
    add("DBA", DBA::FileNo, Driver::DBase3, sizeof(DBA));
    add("DBF", DBF::FileNo, Driver::DBase3, sizeof(DBF));
    add("DBN", DBN::FileNo, Driver::DBase3, sizeof(DBN));
    return m;
  }();
  auto it = decls.find(fileNo);
  if (it == decls.end()) throw std::logic_error("no foreign table " + std::to_string(fileNo));
  return it->second;
}

}  // namespace qv
