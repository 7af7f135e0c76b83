#include "store/tables/config_tables.h"

namespace qv {

using engine::Driver;
using engine::kDuplicates;
using engine::kExcludeEmpty;
using engine::kUnique;

const TableDecl& Forums::decl() {
  static const TableDecl d = [] {
    using R = Forums;
    TableDecl t = makeDecl("Forums", "FOR", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, ID),         QV_FIELD(R, DESCRIPTION), QV_FIELD(R, REDIRNOW),     QV_FIELD(R, REDIRBEFORE),
                QV_FIELD(R, TARGETNG),   QV_FIELD(R, DIRNUMBER),   QV_FIELD(R, NODIR),        QV_FIELD(R, TYPE),
                QV_FIELD(R, NOIMPORT),   QV_FIELD(R, MSGCOUNT),    QV_FIELD(R, COUNTFLAG),    QV_FIELD(R, DUMMY),
                QV_FIELD(R, CREATED),    QV_FIELD(R, LOWDATE),     QV_FIELD(R, MAILADDRESS),  QV_FIELD(R, PERSONID),
                QV_FIELD(R, ALTADDRESS), QV_FIELD(R, LASTMSGID),   QV_FIELD(R, RECSLASTTIME),
                QV_FIELD(R, WORDLISTINDEXNEEDSUPDATE), QV_FIELD(R, INDEXTYPE)};
    t.key("ForumKey", kUnique, {"ID"});
    t.key("AlphaKey", kUnique, {"DESCRIPTION"});
    t.key("DirKey", kUnique, {"DIRNUMBER"});
    t.key("TypeKey", kDuplicates, {"TYPE"});
    t.ownerPassword = kOwnerPassword7;
    return t;
  }();
  return d;
}

const TableDecl& Control::decl() {
  static const TableDecl d = [] {
    using R = Control;
    TableDecl t = makeDecl("Control", "CTL", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, ID), QV_FIELD(R, NEXTNUMBER), QV_FIELD(R, CTLFIELD)};
    t.key("IdKey", kUnique, {"ID"});
    t.ownerPassword = kOwnerPassword12;
    return t;
  }();
  return d;
}

const TableDecl& Neo::decl() {
  static const TableDecl d = [] {
    using R = Neo;
    TableDecl t = makeDecl("Neo", "NEO", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, ID), QV_FIELD(R, NEOFIELD)};
    t.key("IDKey", kUnique, {"ID"});
    t.ownerPassword = kOwnerPassword12;
    return t;
  }();
  return d;
}

const TableDecl& SaveFile::decl() {
  static const TableDecl d = [] {
    using R = SaveFile;
    TableDecl t = makeDecl("SaveFile", "IMP", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, FORUMNUMBER), QV_FIELD(R, MSGNUMBER)};
    t.key("IDKEY", kUnique, {"FORUMNUMBER", "MSGNUMBER"});
    return t;
  }();
  return d;
}

const TableDecl& BAT::decl() {
  static const TableDecl d = [] {
    using R = BAT;
    TableDecl t = makeDecl("BAT", "BAT", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, ID),         QV_FIELD(R, TYPE),     QV_FIELD(R, DESCRIPTION), QV_FIELD(R, DATABASE),
                QV_FIELD(R, FILETYPE),   QV_FIELD(R, IMPPATH),  QV_FIELD(R, SELMETHOD),   QV_FIELD(R, MAILBOX),
                QV_FIELD(R, MAILMSG),    QV_FIELD(R, FORUMMSG), QV_FIELD(R, NEWSGROUPMSG), QV_FIELD(R, MSGFILTER),
                QV_FIELD(R, ALLOWREIMP), QV_FIELD(R, MAILTOPIC)};
    t.key("IDKEY", kUnique, {"ID"});
    t.key("TYPEKEY", kDuplicates, {"TYPE"});
    return t;
  }();
  return d;
}

const TableDecl& FLI::decl() {
  static const TableDecl d = [] {
    using R = FLI;
    TableDecl t = makeDecl("FLI", "FLI", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, ID), QV_FIELD(R, FILESPEC)};
    t.key("IDKEY", kUnique, {"ID", "FILESPEC"});
    return t;
  }();
  return d;
}

const TableDecl& TAS::decl() {
  static const TableDecl d = [] {
    using R = TAS;
    TableDecl t = makeDecl("TAS", "TAS", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, ID),          QV_FIELD(R, DESCRIPTION), QV_FIELD(R, RUNNOWDATE),  QV_FIELD(R, RUNNOWTIME),
                QV_FIELD(R, RUNNEXTDATE), QV_FIELD(R, RUNNEXTTIME), QV_FIELD(R, LASTRUNDATE), QV_FIELD(R, LASTRUNTIME),
                QV_FIELD(R, DAYS),        QV_FIELD(R, MONTHDAYS),   QV_FIELD(R, DODUPELIM),   QV_FIELD(R, DOPURGE),
                QV_FIELD(R, DOCOUNT),     QV_FIELD(R, DOINDEX),     QV_FIELD(R, RESULTCODE),  QV_FIELD(R, ACTIVE)};
    t.key("IDKEY", kUnique, {"ID"});
    return t;
  }();
  return d;
}

const TableDecl& TIM::decl() {
  static const TableDecl d = [] {
    using R = TIM;
    TableDecl t = makeDecl("TIM", "TIM", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, TASKID), QV_FIELD(R, BATCHID), QV_FIELD(R, EVENTTIME), QV_FIELD(R, RESULTCODE)};
    t.key("TASKKEY", kUnique, {"TASKID", "BATCHID"});
    t.key("BATCHKEY", kDuplicates, {"BATCHID"});
    return t;
  }();
  return d;
}

const TableDecl& TLO::decl() {
  static const TableDecl d = [] {
    using R = TLO;
    TableDecl t = makeDecl("TLO", "TLO", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, TASKLOGID),   QV_FIELD(R, TASKID),       QV_FIELD(R, DATESTARTED),
                QV_FIELD(R, DATEFINISHED), QV_FIELD(R, TIMESTARTED), QV_FIELD(R, TIMEFINISHED),
                QV_FIELD(R, RESULTCODE)};
    t.key("IDKEY", kUnique, {"TASKLOGID"});
    t.key("BYTASK", kUnique, {"TASKID", "TASKLOGID"});
    return t;
  }();
  return d;
}

const TableDecl& TLI::decl() {
  static const TableDecl d = [] {
    using R = TLI;
    TableDecl t = makeDecl("TLI", "TLI", FileNo, Driver::TopSpeed, sizeof(R));
    t.fields = {QV_FIELD(R, TASKLOGID),    QV_FIELD(R, TYPE),        QV_FIELD(R, BATCHID),
                QV_FIELD(R, DATESTARTED),  QV_FIELD(R, DATEFINISHED), QV_FIELD(R, TIMESTARTED),
                QV_FIELD(R, TIMEFINISHED), QV_FIELD(R, RESULTCODE)};
    t.key("IDKEY", kUnique, {"TASKLOGID", "TYPE", "DATESTARTED", "TIMESTARTED"});
    return t;
  }();
  return d;
}

const TableDecl& STO::decl() {
  static const TableDecl d = [] {
    TableDecl t = makeDecl("STO", "STO", FileNo, Driver::TopSpeed, sizeof(STO));
    t.fields = {QV_FIELD(STO, THEWORD)};
    t.key("BY_THEWORD", kUnique | kExcludeEmpty, {"THEWORD"});
    return t;
  }();
  return d;
}

}  // namespace qv
