#include "store/tables/database_tables.h"

namespace qv {

using engine::Driver;
using engine::kDuplicates;
using engine::kUnique;

const TableDecl& MsgNmbr::decl() {
  static const TableDecl d = [] {
    using R = MsgNmbr;
    TableDecl t = makeDecl("MsgNmbr", "MSG", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, MSGNUMBER), QV_FIELD(R, SECSYSID),  QV_FIELD(R, REFNUMBER), QV_FIELD(R, THREADNUMBER),
                QV_FIELD(R, THREADALPHA), QV_FIELD(R, FROMID),  QV_FIELD(R, FROMALPHA), QV_FIELD(R, TOID),
                QV_FIELD(R, TOALPHA),   QV_FIELD(R, DATE),      QV_FIELD(R, DUMMY),     QV_FIELD(R, FG)};
    t.key("IdKey", kUnique, {"-MSGNUMBER"});
    t.key("Threadkey", kDuplicates, {"THREADALPHA", "THREADNUMBER", "MSGNUMBER"});
    t.key("SECkey", kDuplicates, {"SECSYSID", "THREADALPHA", "THREADNUMBER", "MSGNUMBER"});
    t.key("FromKey", kDuplicates, {"FROMALPHA", "FROMID", "-MSGNUMBER"});
    t.key("ToKey", kDuplicates, {"TOALPHA", "TOID", "-MSGNUMBER"});
    t.key("DateKey", kDuplicates, {"-DATE", "-MSGNUMBER"});
    t.key("StatusKey", kDuplicates, {"DUMMY"});
    return t;
  }();
  return d;
}

const TableDecl& Mail::decl() {
  static const TableDecl d = [] {
    using R = Mail;
    TableDecl t = makeDecl("Mail", "MAI", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, DATE),      QV_FIELD(R, TIME),  QV_FIELD(R, SUBJECT),   QV_FIELD(R, MAILID),
                QV_FIELD(R, FROMID),    QV_FIELD(R, FROMALPHA), QV_FIELD(R, TOID),  QV_FIELD(R, TOALPHA),
                QV_FIELD(R, PAIRID),    QV_FIELD(R, PAIRALPHA), QV_FIELD(R, RECIPTYPE), QV_FIELD(R, CCR),
                QV_FIELD(R, DUMMY),     QV_FIELD(R, FG)};
    t.key("IdKey", kUnique, {"-MAILID"});
    t.key("DateKey", kDuplicates, {"-DATE", "-TIME", "-MAILID"});
    t.key("PairKey", kDuplicates, {"PAIRALPHA", "PAIRID", "-DATE", "-TIME", "-MAILID"});
    t.key("FromKey", kDuplicates, {"FROMALPHA", "FROMID", "-DATE", "-TIME", "-MAILID"});
    t.key("ToKey", kDuplicates, {"TOALPHA", "TOID", "-DATE", "-TIME", "-MAILID"});
    t.key("SubjectKey", kDuplicates, {"SUBJECT", "-DATE", "-TIME", "-MAILID"});
    t.key("StatusKey", kDuplicates, {"DUMMY"});
    t.ownerPassword = kOwnerPassword7;
    return t;
  }();
  return d;
}

const TableDecl& MsgText::decl() {
  static const TableDecl d = [] {
    using R = MsgText;
    TableDecl t = makeDecl("MsgText", "TXT", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, MSGNUMBER), QV_FIELD(R, DATE), QV_FIELD(R, TIME)};
    t.key("IdKey", kUnique, {"MSGNUMBER"});
    t.key("DateKey", kDuplicates, {"DATE"});
    t.memoName = "MsgText";
    t.memoMax = MsgTextMax;
    return t;
  }();
  return d;
}

const TableDecl& Person::decl() {
  static const TableDecl d = [] {
    using R = Person;
    TableDecl t = makeDecl("Person", "PER", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, PERSONID), QV_FIELD(R, PERSONSTRING), QV_FIELD(R, LASTNAME),
                QV_FIELD(R, FIRSTNAME), QV_FIELD(R, ADDRESS),     QV_FIELD(R, FROMCOUNT),
                QV_FIELD(R, TOCOUNT),   QV_FIELD(R, LASTDATE),    QV_FIELD(R, DUMMY)};
    t.key("PersonKey", kUnique, {"PERSONID"});
    t.key("StringKey", kUnique, {"PERSONSTRING"});
    t.key("AddressKey", kDuplicates, {"ADDRESS"});
    t.key("NameKey", kDuplicates, {"LASTNAME", "FIRSTNAME"});
    return t;
  }();
  return d;
}

const TableDecl& PLINK::decl() {
  static const TableDecl d = [] {
    using R = PLINK;
    TableDecl t = makeDecl("PLINK", "PLI", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, PERSONSTRING), QV_FIELD(R, PERSONID)};
    t.key("StringKey", kUnique, {"PERSONSTRING"});
    t.key("PersonKey", kDuplicates, {"PERSONID"});
    return t;
  }();
  return d;
}

const TableDecl& Sections::decl() {
  static const TableDecl d = [] {
    using R = Sections;
    TableDecl t = makeDecl("Sections", "SEC", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, SECTIONNUMBER), QV_FIELD(R, SECSYSID), QV_FIELD(R, DESCRIPTION), QV_FIELD(R, MSGCOUNT),
                QV_FIELD(R, DUMMY)};
    t.key("SysIdKey", kUnique, {"SECSYSID"});
    t.key("SectionKey", kDuplicates, {"SECTIONNUMBER"});
    t.key("DescKey", kDuplicates, {"DESCRIPTION"});
    return t;
  }();
  return d;
}

const TableDecl& Threads::decl() {
  static const TableDecl d = [] {
    using R = Threads;
    TableDecl t = makeDecl("Threads", "THR", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, THREADNUMBER), QV_FIELD(R, SECSYSID), QV_FIELD(R, ALPHA), QV_FIELD(R, BETA),
                QV_FIELD(R, MSGCOUNT),     QV_FIELD(R, DUMMY)};
    t.key("ThreadKey", kUnique, {"THREADNUMBER"});
    t.key("SecKey", kDuplicates, {"SECSYSID", "ALPHA"});
    t.key("AlphaKey", kDuplicates, {"ALPHA"});
    t.key("StatusKey", kDuplicates, {"DUMMY"});
    return t;
  }();
  return d;
}

const TableDecl& Codes::decl() {
  static const TableDecl d = [] {
    using R = Codes;
    TableDecl t = makeDecl("Codes", "COD", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, TYPE), QV_FIELD(R, INDEX), QV_FIELD(R, ID),       QV_FIELD(R, COUNT),
                QV_FIELD(R, DATE), QV_FIELD(R, TIME),  QV_FIELD(R, CHARCASE), QV_FIELD(R, WORDONLY)};
    t.key("ClassKey", kUnique, {"TYPE", "INDEX"});
    return t;
  }();
  return d;
}

const TableDecl& SIndex::decl() {
  static const TableDecl d = [] {
    using R = SIndex;
    TableDecl t = makeDecl("SIndex", "SIN", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, ID), QV_FIELD(R, MSGNUMBER)};
    t.key("IdKey", kUnique, {"ID", "-MSGNUMBER"});
    t.key("MsgKey", kDuplicates, {"MSGNUMBER"});
    return t;
  }();
  return d;
}

const TableDecl& CCR::decl() {
  static const TableDecl d = [] {
    using R = CCR;
    TableDecl t = makeDecl("CCR", "CCR", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, MAILID), QV_FIELD(R, R_NAME), QV_FIELD(R, R_CISADRESS), QV_FIELD(R, RECIPTYPE)};
    t.key("IdKey", kUnique, {"MAILID", "R_CISADRESS", "R_NAME"});
    return t;
  }();
  return d;
}

const TableDecl& MsgString::decl() {
  static const TableDecl d = [] {
    using R = MsgString;
    TableDecl t = makeDecl("MsgString", "MST", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, IDSTRING), QV_FIELD(R, MSGNUMBER)};
    t.key("IDStringKey", kUnique, {"IDSTRING"});
    t.key("IDKey", kUnique, {"MSGNUMBER"});
    return t;
  }();
  return d;
}

const TableDecl& REF::decl() {
  static const TableDecl d = [] {
    using R = REF;
    TableDecl t = makeDecl("REF", "REF", FileNo, Driver::Dat, sizeof(R));
    t.fields = {QV_FIELD(R, TYPE),        QV_FIELD(R, DESCRIPTION), QV_FIELD(R, TARGETNG),
                QV_FIELD(R, PERSONID),    QV_FIELD(R, MAILADDRESS), QV_FIELD(R, ALTADDRESS)};
    return t;
  }();
  return d;
}

}  // namespace qv
