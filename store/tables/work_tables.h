#pragma once
// Tables outside the databases and the configuration: the import's
// temporary files, the word index, and the files read or written in raw
// blocks, in text lines or in the dBase family's formats.

#include "store/domain.h"
#include "store/tables/table_macros.h"

namespace qv {

#pragma pack(push, 1)

// Converted messages awaiting import (temporary directory); the text is the
// memo (Context::nhrMemo).
struct NewHR {
  std::uint32_t INTERNAL;
  std::uint32_t MSGNUMBER;
  std::uint32_t REFNUMBER;
  FixedString<100> FOR_DESCRIPTION;
  std::uint32_t SECTIONNUMBER;
  FixedString<100> SEC_DESCRIPTION;
  FixedString<100> HEADING;
  FixedString<60> S_CISADRESS;
  FixedString<60> S_NAME;
  FixedString<60> R_CISADRESS;
  FixedString<60> R_NAME;
  std::uint8_t DUMMY;
  std::int32_t DATE;
  std::int32_t TIME;
  std::uint8_t MAILTYPE;
  FixedString<2> RECIPTYPE;
  std::int32_t IMPDATE;
  std::int32_t IMPTIME;

  static constexpr int FileNo = 10;
  static constexpr std::size_t MSGTEXTMax = kMessageTextMax;
  static constexpr KeyRef MSGKEY{10, 0};
  static const TableDecl& decl();
};

// Carbon-copy recipients awaiting import.
struct CCT {
  std::uint32_t MAILID;
  FixedString<40> R_NAME;
  FixedString<60> R_CISADRESS;
  FixedString<2> RECIPTYPE;

  static constexpr int FileNo = 19;
  static constexpr KeyRef IDKEY{19, 0};
  static const TableDecl& decl();
};

// Message-ID strings awaiting import.
struct TempID {
  FixedString<60> IDSTRING;
  std::uint32_t MSGNUMBER;

  static constexpr int FileNo = 24;
  static constexpr KeyRef IDKEY{24, 0};
  static const TableDecl& decl();
};

// Words of the word index.
struct WordList {
  std::int32_t WORDID;
  FixedString<40> THEWORD;
  std::int32_t WORDCOUNT;

  static constexpr int FileNo = 28;
  static constexpr KeyRef by_WordId{28, 0}, by_theWord{28, 1}, by_WordCount{28, 2};
  static const TableDecl& decl();
};

// Word occurrences.
struct MasIdx {
  std::uint32_t SYSID;
  std::uint32_t WORDID;

  static constexpr int FileNo = 29;
  static constexpr KeyRef by_WordId{29, 0}, by_SysID{29, 1};
  static const TableDecl& decl();
};

// Search results (temporary directory).
struct Search {
  std::uint32_t SORT;
  std::uint32_t ID;

  static constexpr int FileNo = 32;
  static constexpr KeyRef SortKey{32, 0}, IdKey{32, 1};
  static const TableDecl& decl();
};

// Word-index entries to purge.
struct PUR {
  std::int32_t SYSID;
  std::int32_t WORDID;

  static constexpr int FileNo = 33;
  static const TableDecl& decl();
};

// Word character classes.
struct WD {
  FixedString<40> SETNAME;
  std::uint8_t ID;
  std::uint8_t STARTWORD;
  std::uint8_t INWORD;
  std::uint8_t ENDWORD;

  static constexpr int FileNo = 39;
  static constexpr KeyRef BY_SETNAME{39, 0};
  static const TableDecl& decl();
};

// Raw blocks of a source file, of a contents file, of one mail store.
struct DOS {
  FixedString<10000> CHAR;
  static constexpr int FileNo = 12;
  static const TableDecl& decl();
};
struct TOC {
  FixedString<10000> CHAR;
  static constexpr int FileNo = 31;
  static const TableDecl& decl();
};
struct AOL {
  FixedString<64000> CHAR;
  static constexpr int FileNo = 48;
  static const TableDecl& decl();
};

// Files without a number, opened directly by their users: the two line files
// of the text export, and the block files of the contents procedures.
struct ASC {
  FixedString<64000> LINE;
  static const TableDecl& decl();
};
struct EXP {
  FixedString<64000> LINE;
  static const TableDecl& decl();
};
struct DMA {
  FixedString<500> CHAR;
  static const TableDecl& decl();
};
struct IND {
  FixedString<218> CHAR;
  static const TableDecl& decl();
};

// Foreign stores read by the readers of the CISCOMM, NavCIS and OUI formats
// (FOXPRO driver, file name in FileTmpName). The dBase driver fills these
// records by column name, so the field order and sizes are this system's
// own; a field the file does not have reads as blank or 0. Logical columns
// read as "T", "F" or blank; date columns (column type 'D') as day numbers;
// numeric columns as numbers. A memo's text is read into the table's memo
// slot (the main text) or through File::memo(name) (the others); the *_PTR
// fields hold the memo's block number as text.
struct HRE {
  FixedString<1> IS_MAIL;
  FixedString<1> FROMNET;
  FixedString<1> RECEIVED;
  FixedString<1> IS_PRIVATE;
  FixedString<1> REPLIED;
  FixedString<1> SAVED;
  std::int32_t REPLIES;
  FixedString<1> RECEIPT;
  FixedString<1> BINARY;
  FixedString<1> DL;
  FixedString<12> BFILENAME;
  FixedString<20> FORUM_NAME;
  std::uint32_t INTERNAL;  // not 0: a forum message; 0: mail
  std::uint32_t SEC_NUMBER;
  FixedString<20> SEC_NAME;
  FixedString<60> SUBJECT;
  FixedString<60> SEND_ID;
  FixedString<40> SEND_NAME;
  FixedString<60> RECV_ID;
  FixedString<40> RECV_NAME;
  std::uint32_t MSG_NUMBER;
  std::uint32_t MSG_PARENT;
  FixedString<1> KEEP;
  FixedString<1> IS_DELETE;
  FixedString<9> MSG_DATE;  // "DD-MMM-YY"
  FixedString<8> MSG_TIME;  // "H:MM", "HH:MM" or "HH:MM:SS"
  FixedString<6> TIME_ZONE;
  FixedString<10> MSG_TEXT_PTR;
  FixedString<1> IS_NAVCIS;
  FixedString<10> NAV_CODES_PTR;
  std::int32_t SESSION;
  std::int32_t REC_DATE;
  FixedString<8> REC_TIME;
  std::int32_t GROUP_CNT;
  FixedString<10> GROUP_LIST_PTR;

  static constexpr int FileNo = 11;
  static constexpr std::size_t MemoMax = 65280;  // memo slot MSG_TEXT (Context::hreMemo)
  static const TableDecl& decl();
};

// CISCOMM forum messages.
struct CCO {
  std::uint32_t MSG_NUMBER;
  std::uint32_t MSG_PARENT;
  std::int32_t MSG_DATE;
  FixedString<5> MSG_TIME;
  std::uint32_t MSG_SECTNO;
  FixedString<20> MSG_SECT;
  FixedString<24> MSG_SUBJEC;
  FixedString<11> MSG_SENDID;
  FixedString<25> MSG_SENDER;
  FixedString<11> MSG_RECVID;
  FixedString<25> MSG_RECVR;
  std::uint32_t MSG_NXTSIB;
  std::uint32_t MSG_FSTCHD;
  std::uint32_t MSG_THRDID;
  FixedString<10> MSG_TEXT_PTR;
  std::int32_t MSG_FLAGS;
  std::int32_t MSG_SEQ;
  FixedString<1> MSG_ISFROM;
  FixedString<1> MSG_ISTO;
  FixedString<1> MSG_TAGGED;
  FixedString<1> MSG_MARKED;
  FixedString<1> MSG_UNREAD;
  FixedString<1> MSG_ISROOT;

  static constexpr int FileNo = 20;
  static constexpr std::size_t MemoMax = 65280;  // memo slot MSG_TEXT (Context::ccoMemo)
  static const TableDecl& decl();
};

// CISCOMM mail; the addresses are memos (File::memo "MSG_SENDID", "MSG_RECVID").
struct CMA {
  std::uint32_t MSG_NUMBER;
  std::int32_t MSG_DATE;
  FixedString<5> MSG_TIME;  // "HH:MM"
  FixedString<40> MSG_SUBJEC;
  FixedString<25> MSG_SENDER;
  FixedString<10> MSG_SENDID_PTR;
  FixedString<25> MSG_RECVR;
  FixedString<10> MSG_RECVID_PTR;
  std::uint32_t MSG_PARENT;
  FixedString<10> MSG_TEXT_PTR;
  std::int32_t MSG_FLAGS;
  std::int32_t MSG_SEQ;
  FixedString<1> MSG_ISFROM;
  FixedString<1> MSG_ISTO;
  FixedString<1> MSG_TAGGED;
  FixedString<1> MSG_MARKED;
  FixedString<1> MSG_UNREAD;

  static constexpr int FileNo = 21;
  static constexpr std::size_t MemoMax = 65280;  // memo slot MSG_TEXT (Context::cmaMemo)
  static const TableDecl& decl();
};

// OUI messages: the Internet header lines are the memo MSG_EXTRA (File::memo),
// the body the memo slot MSG_BODY.
struct OUI {
  FixedString<20> IDENTIFIER;
  std::int32_t INSTANCE;
  FixedString<1> READ;
  std::uint32_t MSG_NUMBER;
  std::uint32_t MSG_PARENT;
  FixedString<20> ID_TOPMOST;
  std::uint32_t SECT_NUMB;
  FixedString<40> SECT_NAME;
  FixedString<80> SUBJECT;
  std::int32_t SESSION;
  std::int32_t REPLIES;
  FixedString<20> PARENT;
  std::int32_t REPLY_NUM;
  FixedString<1> KEEP;
  FixedString<1> DELETE;
  std::int32_t MSG_DATE;
  FixedString<8> MSG_TIME;
  FixedString<6> MSG_ZONE;
  std::int32_t RECV_DATE;
  FixedString<8> RECV_TIME;
  std::int32_t STATUS;
  FixedString<10> NETWORK;
  FixedString<10> EXTRA;
  FixedString<10> RECV_IDPAR;
  FixedString<10> RECV_ID_PTR;
  FixedString<10> SEND_IDPAR;
  FixedString<10> SEND_ID_PTR;
  FixedString<10> MSG_BODY_PTR;
  FixedString<10> MSG_EXTRA_PTR;
  FixedString<10> MSG_ATTACH_PTR;

  static constexpr int FileNo = 40;
  static constexpr std::size_t MemoMax = 65280;  // memo slot MSG_BODY (Context::ouiMemo)
  static const TableDecl& decl();
};

// dBase III export files (DBASE3 driver, file name in FileTmpName): the
// columns and formats other programs expect, a non-unique index on the first
// column (an .NDX beside the file) and the message text as memo M_BODY
// (up to 64,000 bytes, the table's memo slot). Numbers are REAL, as the
// dBase layouts keep them; M_BODY in the record holds the memo's block
// number, as the file's own column does.
struct DBM {
  double ID;  // "ID=N(8.0)"
  FixedString<50> SUBJECT;
  FixedString<10> MSG_DATE;
  FixedString<5> MSG_TIME;
  FixedString<25> R_LNAME;
  FixedString<25> R_FNAME;
  FixedString<60> R_ADDRESS;
  FixedString<25> S_LNAME;
  FixedString<25> S_FNAME;
  FixedString<60> S_ADDRESS;
  FixedString<10> M_BODY;

  static constexpr int FileNo = 44;
  static constexpr std::size_t M_BODYMax = kMessageTextMax;
  static constexpr KeyRef IdKey{44, 0};
  static const TableDecl& decl();
};

struct DBA {
  double ID;  // "ID=N(8.0)"
  FixedString<25> LNAME;
  FixedString<25> FNAME;
  FixedString<60> ADDRESS;

  static constexpr int FileNo = 45;
  static constexpr KeyRef IdKey{45, 0};
  static const TableDecl& decl();
};

struct DBF {
  double MSGNUMBER;  // "MSGNUMBER=N(10)"
  double REFNUMBER;  // "REFNUMBER=N(10)"
  FixedString<20> FORUM;
  double SECTIONNO;  // "SECTIONNO=N(3)"
  FixedString<20> SECTIONNAME;  // column SECTIONNAM: dBase names hold 10 characters
  FixedString<60> SUBJECT;
  FixedString<10> MSG_DATE;
  FixedString<25> R_LNAME;
  FixedString<25> R_FNAME;
  FixedString<60> R_ADDRESS;
  FixedString<25> S_LNAME;
  FixedString<25> S_FNAME;
  FixedString<60> S_ADDRESS;
  FixedString<10> M_BODY;

  static constexpr int FileNo = 46;
  static constexpr std::size_t M_BODYMax = kMessageTextMax;
  static constexpr KeyRef MsgNumberKey{46, 0};
  static const TableDecl& decl();
};

struct DBN {
  double ID;  // "ID=N(10)"
  FixedString<100> MSGID;
  FixedString<100> REFID;
  FixedString<100> NEWSGROUP;
  FixedString<60> SUBJECT;
  FixedString<10> MSG_DATE;
  FixedString<25> S_LNAME;
  FixedString<25> S_FNAME;
  FixedString<60> S_ADDRESS;
  FixedString<10> M_BODY;

  static constexpr int FileNo = 47;
  static constexpr std::size_t M_BODYMax = kMessageTextMax;
  static constexpr KeyRef IdKey{47, 0};
  static const TableDecl& decl();
};

#pragma pack(pop)

static_assert(sizeof(NewHR) == 576);
static_assert(sizeof(CCT) == 106);
static_assert(sizeof(TempID) == 64);
static_assert(sizeof(WordList) == 48);
static_assert(sizeof(MasIdx) == 8);
static_assert(sizeof(Search) == 8);
static_assert(sizeof(PUR) == 8);
static_assert(sizeof(WD) == 44);
static_assert(sizeof(DBM) == 303);
static_assert(sizeof(DBA) == 118);
static_assert(sizeof(DBF) == 364);
static_assert(sizeof(DBN) == 498);

}  // namespace qv
