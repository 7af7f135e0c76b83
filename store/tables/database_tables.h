#pragma once
// The tables of one message database (in its directory F<n>): messages and
// their texts, persons and their aliases, sections, threads, topics and
// their links, mails and their carbon copies, newsgroup message identifiers,
// and the database's own description (REF).

#include <string>
#include <string_view>

#include "store/domain.h"
#include "store/tables/table_macros.h"

namespace qv {

#pragma pack(push, 1)

// Forum and newsgroup message headers.
struct MsgNmbr {
  std::uint32_t MSGNUMBER;
  std::uint32_t SECSYSID;
  std::uint32_t REFNUMBER;
  std::uint32_t THREADNUMBER;
  FixedString<10> THREADALPHA;
  std::uint32_t FROMID;
  FixedString<10> FROMALPHA;
  std::uint32_t TOID;
  FixedString<10> TOALPHA;
  std::int32_t DATE;
  std::uint8_t DUMMY;
  std::uint8_t FG;

  static constexpr int FileNo = 3;
  static constexpr KeyRef IdKey{3, 0}, Threadkey{3, 1}, SECkey{3, 2}, FromKey{3, 3}, ToKey{3, 4}, DateKey{3, 5},
      StatusKey{3, 6};
  static const TableDecl& decl();
};

// Mail headers.
struct Mail {
  std::int32_t DATE;
  std::int32_t TIME;
  FixedString<50> SUBJECT;
  std::uint32_t MAILID;
  std::uint32_t FROMID;
  FixedString<10> FROMALPHA;
  std::uint32_t TOID;
  FixedString<10> TOALPHA;
  std::uint32_t PAIRID;
  FixedString<25> PAIRALPHA;
  FixedString<2> RECIPTYPE;
  std::uint8_t CCR;
  std::uint8_t DUMMY;
  std::uint8_t FG;

  static constexpr int FileNo = 13;
  static constexpr KeyRef IdKey{13, 0}, DateKey{13, 1}, PairKey{13, 2}, FromKey{13, 3}, ToKey{13, 4},
      SubjectKey{13, 5}, StatusKey{13, 6};
  static const TableDecl& decl();
};

// Message texts of all database types; the text itself is the memo
// (Context::txtMemo), at most 64,000 bytes.
struct MsgText {
  std::uint32_t MSGNUMBER;
  std::int32_t DATE;
  std::int32_t TIME;

  static constexpr int FileNo = 4;
  static constexpr std::size_t MsgTextMax = kMessageTextMax;
  static constexpr KeyRef IdKey{4, 0}, DateKey{4, 1};
  static const TableDecl& decl();
};

// Correspondents.
struct Person {
  std::uint32_t PERSONID;
  FixedString<100> PERSONSTRING;
  FixedString<25> LASTNAME;
  FixedString<25> FIRSTNAME;
  FixedString<60> ADDRESS;
  std::uint32_t FROMCOUNT;
  std::uint32_t TOCOUNT;
  std::int32_t LASTDATE;
  std::uint8_t DUMMY;

  static constexpr int FileNo = 5;
  static constexpr KeyRef PersonKey{5, 0}, StringKey{5, 1}, AddressKey{5, 2}, NameKey{5, 3};
  static const TableDecl& decl();
};

// Alias strings of persons.
struct PLINK {
  FixedString<100> PERSONSTRING;
  std::uint32_t PERSONID;

  static constexpr int FileNo = 23;
  static constexpr KeyRef StringKey{23, 0}, PersonKey{23, 1};
  static const TableDecl& decl();
};

// Forum sections; in a newsgroup database one record per newsgroup.
struct Sections {
  std::uint32_t SECTIONNUMBER;
  std::uint32_t SECSYSID;
  FixedString<100> DESCRIPTION;
  std::uint32_t MSGCOUNT;
  std::uint8_t DUMMY;

  static constexpr int FileNo = 6;
  static constexpr KeyRef SysIdKey{6, 0}, SectionKey{6, 1}, DescKey{6, 2};
  static const TableDecl& decl();
};

// Threads (subjects). HEADING is the group of ALPHA (the sort prefix) and BETA.
struct Threads {
  std::uint32_t THREADNUMBER;
  std::uint32_t SECSYSID;
  FixedString<10> ALPHA;
  FixedString<90> BETA;
  std::uint32_t MSGCOUNT;
  std::uint8_t DUMMY;

  // The whole 100-character subject (ALPHA and BETA together).
  std::string HEADING() const { return std::string(ALPHA.raw()) + std::string(BETA.raw()); }
  void setHEADING(std::string_view subject) {
    ALPHA = subject;
    BETA = subject.size() > 10 ? subject.substr(10) : std::string_view();
  }

  static constexpr int FileNo = 7;
  static constexpr KeyRef ThreadKey{7, 0}, SecKey{7, 1}, AlphaKey{7, 2}, StatusKey{7, 3};
  static const TableDecl& decl();
};

// Topics and key words.
struct Codes {
  std::uint8_t TYPE;
  FixedString<40> INDEX;
  std::uint32_t ID;
  std::uint32_t COUNT;
  std::int32_t DATE;
  std::int32_t TIME;
  std::uint8_t CHARCASE;
  std::uint8_t WORDONLY;

  static constexpr int FileNo = 1;
  static constexpr KeyRef ClassKey{1, 0};
  static const TableDecl& decl();
};

// Message–topic links.
struct SIndex {
  std::uint32_t ID;
  std::uint32_t MSGNUMBER;

  static constexpr int FileNo = 9;
  static constexpr KeyRef IdKey{9, 0}, MsgKey{9, 1};
  static const TableDecl& decl();
};

// Carbon-copy recipients of mails.
struct CCR {
  std::uint32_t MAILID;
  FixedString<40> R_NAME;
  FixedString<60> R_CISADRESS;
  FixedString<2> RECIPTYPE;

  static constexpr int FileNo = 17;
  static constexpr KeyRef IdKey{17, 0};
  static const TableDecl& decl();
};

// Newsgroup message-ID strings.
struct MsgString {
  FixedString<60> IDSTRING;
  std::uint32_t MSGNUMBER;

  static constexpr int FileNo = 25;
  static constexpr KeyRef IDStringKey{25, 0}, IDKey{25, 1};
  static const TableDecl& decl();
};

// The database's own description (one record, no keys).
struct REF {
  std::uint8_t TYPE;
  FixedString<100> DESCRIPTION;
  std::uint8_t TARGETNG;
  std::int32_t PERSONID;
  FixedString<60> MAILADDRESS;
  FixedString<60> ALTADDRESS[10];

  static constexpr int FileNo = 22;
  static const TableDecl& decl();
};

#pragma pack(pop)

static_assert(sizeof(MsgNmbr) == 60);
static_assert(sizeof(Mail) == 124);
static_assert(sizeof(MsgText) == 12);
static_assert(sizeof(Person) == 227);
static_assert(sizeof(PLINK) == 104);
static_assert(sizeof(Sections) == 113);
static_assert(sizeof(Threads) == 113);
static_assert(sizeof(Codes) == 59);
static_assert(sizeof(SIndex) == 8);
static_assert(sizeof(CCR) == 106);
static_assert(sizeof(MsgString) == 64);
static_assert(sizeof(REF) == 766);

}  // namespace qv
