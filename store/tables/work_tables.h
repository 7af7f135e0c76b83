#pragma once
// Tables outside the databases and the configuration: the import's
// temporary files, the word index, and the files read or written in raw
// blocks, in text lines or in the dBase family's formats.

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
  static constexpr std::size_t MSGTEXTMax = 64000;
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
  static constexpr KeyRef by_SysID{29, 0}, by_WordId{29, 1};
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

// Foreign stores and dBase III export files. Their fields are declared with
// the readers and writers that use them; until then the record is kept as
// bytes of the documented size.
template <int No, std::size_t Size>
struct ForeignRecord {
  std::uint8_t BYTES[Size];
  static constexpr int FileNo = No;
};
using HRE = ForeignRecord<11, 549>;
using CCO = ForeignRecord<20, 191>;
using CMA = ForeignRecord<21, 146>;
using OUI = ForeignRecord<40, 369>;
using DBM = ForeignRecord<44, 303>;
using DBA = ForeignRecord<45, 118>;
using DBF = ForeignRecord<46, 364>;
using DBN = ForeignRecord<47, 498>;

#pragma pack(pop)

static_assert(sizeof(NewHR) == 576);
static_assert(sizeof(CCT) == 106);
static_assert(sizeof(TempID) == 64);
static_assert(sizeof(WordList) == 48);
static_assert(sizeof(MasIdx) == 8);
static_assert(sizeof(Search) == 8);
static_assert(sizeof(PUR) == 8);
static_assert(sizeof(WD) == 44);

// The declaration of a foreign table (FoxPro or dBase III driver).
const TableDecl& foreignDecl(int fileNo);

}  // namespace qv
