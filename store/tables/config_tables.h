#pragma once
// The tables of the common configuration directory (CFG below the data
// home): the database list, the identifier counter and settings, numbered
// texts, the register of imported forum messages, import definitions,
// scheduled tasks and their logs, and the stop words of the word index.

#include "store/tables/table_macros.h"

namespace qv {

#pragma pack(push, 1)

// The database list: one record per message database.
struct Forums {
  std::uint32_t ID;
  FixedString<100> DESCRIPTION;
  std::uint32_t REDIRNOW;
  std::uint32_t REDIRBEFORE;
  std::uint8_t TARGETNG;
  std::uint32_t DIRNUMBER;
  std::uint8_t NODIR;
  std::uint8_t TYPE;
  std::uint8_t NOIMPORT;
  std::uint32_t MSGCOUNT;
  std::uint8_t COUNTFLAG;
  std::uint8_t DUMMY;
  std::int32_t CREATED;
  std::int32_t LOWDATE;
  FixedString<60> MAILADDRESS;
  std::uint32_t PERSONID;
  FixedString<60> ALTADDRESS[10];
  std::uint32_t LASTMSGID;
  std::uint32_t RECSLASTTIME;
  std::int32_t WORDLISTINDEXNEEDSUPDATE;
  std::uint8_t INDEXTYPE;

  static constexpr int FileNo = 2;
  static constexpr KeyRef ForumKey{2, 0}, AlphaKey{2, 1}, DirKey{2, 2}, TypeKey{2, 3};
  static const TableDecl& decl();
};

// The identifier counter (record 1) and the settings records.
struct Control {
  std::uint8_t ID;
  std::uint32_t NEXTNUMBER;
  std::uint8_t CTLFIELD[257];  // CTL:CTLGROUP, laid out by the owner of the record number

  static constexpr int FileNo = 8;
  static constexpr KeyRef IdKey{8, 0};
  static const TableDecl& decl();
};

// Numbered text records.
struct Neo {
  std::uint32_t ID;
  std::uint8_t NEOFIELD[100];  // NEO:NEOGROUP

  static constexpr int FileNo = 43;
  static constexpr KeyRef IDKey{43, 0};
  static const TableDecl& decl();
};

// Register of imported forum messages.
struct SaveFile {
  std::uint32_t FORUMNUMBER;
  std::uint32_t MSGNUMBER;

  static constexpr int FileNo = 18;
  static constexpr KeyRef IDKEY{18, 0};
  static const TableDecl& decl();
};

// Import definitions.
struct BAT {
  std::uint32_t ID;
  std::uint32_t TYPE;
  FixedString<50> DESCRIPTION;
  std::uint32_t DATABASE;
  std::uint8_t FILETYPE;
  FixedString<254> IMPPATH;
  std::uint8_t SELMETHOD;
  std::uint32_t MAILBOX;
  std::uint8_t MAILMSG;
  std::uint8_t FORUMMSG;
  std::uint8_t NEWSGROUPMSG;
  std::uint8_t MSGFILTER;
  std::uint8_t ALLOWREIMP;
  std::uint32_t MAILTOPIC;

  static constexpr int FileNo = 34;
  static constexpr KeyRef IDKEY{34, 0}, TYPEKEY{34, 1};
  static const TableDecl& decl();
};

// File specifications of an import definition.
struct FLI {
  std::uint32_t ID;
  FixedString<254> FILESPEC;

  static constexpr int FileNo = 27;
  static constexpr KeyRef IDKEY{27, 0};
  static const TableDecl& decl();
};

// Scheduled tasks.
struct TAS {
  std::uint32_t ID;
  FixedString<50> DESCRIPTION;
  std::int32_t RUNNOWDATE;
  std::int32_t RUNNOWTIME;
  std::int32_t RUNNEXTDATE;
  std::int32_t RUNNEXTTIME;
  std::int32_t LASTRUNDATE;
  std::int32_t LASTRUNTIME;
  std::uint8_t DAYS[7];       // TAS:DAILYREPEAT
  std::uint8_t MONTHDAYS[5];  // TAS:MONTHLYREPEAT
  std::uint8_t DODUPELIM;
  std::uint8_t DOPURGE;
  std::uint8_t DOCOUNT;
  std::uint8_t DOINDEX;
  std::uint8_t RESULTCODE;
  std::uint8_t ACTIVE;

  static constexpr int FileNo = 26;
  static constexpr KeyRef IDKEY{26, 0};
  static const TableDecl& decl();
};

// Task–definition links.
struct TIM {
  std::uint32_t TASKID;
  std::uint32_t BATCHID;
  std::int32_t EVENTTIME;
  std::uint8_t RESULTCODE;

  static constexpr int FileNo = 35;
  static constexpr KeyRef TASKKEY{35, 0}, BATCHKEY{35, 1};
  static const TableDecl& decl();
};

// Task run log.
struct TLO {
  std::uint32_t TASKLOGID;
  std::uint32_t TASKID;
  std::int32_t DATESTARTED;
  std::int32_t DATEFINISHED;
  std::int32_t TIMESTARTED;
  std::int32_t TIMEFINISHED;
  std::uint8_t RESULTCODE;

  static constexpr int FileNo = 41;
  static constexpr KeyRef IDKEY{41, 0}, BYTASK{41, 1};
  static const TableDecl& decl();
};

// Task step log.
struct TLI {
  std::uint32_t TASKLOGID;
  std::uint32_t TYPE;
  std::uint32_t BATCHID;
  std::int32_t DATESTARTED;
  std::int32_t DATEFINISHED;
  std::int32_t TIMESTARTED;
  std::int32_t TIMEFINISHED;
  std::uint8_t RESULTCODE;

  static constexpr int FileNo = 42;
  static constexpr KeyRef IDKEY{42, 0};
  static const TableDecl& decl();
};

// Stop words of the word index.
struct STO {
  FixedString<40> THEWORD;

  static constexpr int FileNo = 30;
  static constexpr KeyRef BY_THEWORD{30, 0};
  static const TableDecl& decl();
};

#pragma pack(pop)

static_assert(sizeof(Forums) == 811);
static_assert(sizeof(Control) == 262);
static_assert(sizeof(Neo) == 104);
static_assert(sizeof(SaveFile) == 8);
static_assert(sizeof(BAT) == 331);
static_assert(sizeof(FLI) == 258);
static_assert(sizeof(TAS) == 96);
static_assert(sizeof(TIM) == 13);
static_assert(sizeof(TLO) == 25);
static_assert(sizeof(TLI) == 29);
static_assert(sizeof(STO) == 40);

}  // namespace qv
