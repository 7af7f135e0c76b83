#pragma once
// Tables declared for the engine's own tests and for the crash-test child.

#include <cstddef>
#include <cstdint>
#include <string>

#include "store/engine/declaration.h"
#include "store/fixed_string.h"

namespace qv::test {

#pragma pack(push, 1)
// Shaped like the forum message headers: 60 bytes, seven keys.
struct HeaderRec {
  std::uint32_t NUMBER;
  std::uint32_t SECTION;
  std::uint32_t REF;
  std::uint32_t THREAD;
  FixedString<10> THREADALPHA;
  std::uint32_t FROMID;
  FixedString<10> FROMALPHA;
  std::uint32_t TOID;
  FixedString<10> TOALPHA;
  std::int32_t DATE;
  std::uint8_t DUMMY;
  std::uint8_t FG;
};
static_assert(sizeof(HeaderRec) == 60);

// A text table with a memo, stored encrypted.
struct NoteRec {
  std::uint32_t ID;
  FixedString<20> TITLE;
  std::uint8_t FLAGS[4];
};

// A word list: keys that leave out empty records, one built on demand.
struct WordRec {
  std::int32_t WORDID;
  FixedString<40> THEWORD;
  std::int32_t WORDCOUNT;
};

struct BlockRec {
  char CHAR[100];
};

struct LineRec {
  FixedString<80> LINE;
};
#pragma pack(pop)

struct HeaderKeys {
  static constexpr int kFileNo = 103;
  static constexpr engine::KeyRef IdKey{kFileNo, 0}, ThreadKey{kFileNo, 1}, SecKey{kFileNo, 2}, FromKey{kFileNo, 3},
      ToKey{kFileNo, 4}, DateKey{kFileNo, 5}, StatusKey{kFileNo, 6};
};

inline const engine::TableDecl& headerDecl() {
  static const engine::TableDecl d = [] {
    engine::TableDecl t;
    t.label = "Headers";
    t.prefix = "HDR";
    t.fileNo = HeaderKeys::kFileNo;
    t.recordSize = sizeof(HeaderRec);
    t.fields = {QV_FIELD(HeaderRec, NUMBER),   QV_FIELD(HeaderRec, SECTION),     QV_FIELD(HeaderRec, REF),
                QV_FIELD(HeaderRec, THREAD),   QV_FIELD(HeaderRec, THREADALPHA), QV_FIELD(HeaderRec, FROMID),
                QV_FIELD(HeaderRec, FROMALPHA), QV_FIELD(HeaderRec, TOID),       QV_FIELD(HeaderRec, TOALPHA),
                QV_FIELD(HeaderRec, DATE),     QV_FIELD(HeaderRec, DUMMY),       QV_FIELD(HeaderRec, FG)};
    t.key("IdKey", engine::kUnique, {"-NUMBER"});
    t.key("ThreadKey", engine::kDuplicates, {"THREADALPHA", "THREAD", "NUMBER"});
    t.key("SecKey", engine::kDuplicates, {"SECTION", "THREADALPHA", "THREAD", "NUMBER"});
    t.key("FromKey", engine::kDuplicates, {"FROMALPHA", "FROMID", "-NUMBER"});
    t.key("ToKey", engine::kDuplicates, {"TOALPHA", "TOID", "-NUMBER"});
    t.key("DateKey", engine::kDuplicates, {"-DATE", "-NUMBER"});
    t.key("StatusKey", engine::kDuplicates, {"DUMMY"});
    return t;
  }();
  return d;
}

struct NoteKeys {
  static constexpr int kFileNo = 104;
  static constexpr engine::KeyRef IdKey{kFileNo, 0}, TitleKey{kFileNo, 1};
};

inline const engine::TableDecl& noteDecl(const std::string& password = "SECRET7") {
  static const engine::TableDecl encrypted = [] {
    engine::TableDecl t;
    t.label = "Notes";
    t.prefix = "NOT";
    t.fileNo = NoteKeys::kFileNo;
    t.recordSize = sizeof(NoteRec);
    t.fields = {QV_FIELD(NoteRec, ID), QV_FIELD(NoteRec, TITLE), QV_FIELD(NoteRec, FLAGS)};
    t.key("IdKey", engine::kUnique, {"ID"});
    t.key("TitleKey", engine::kUnique, {"TITLE"});
    t.memoName = "TEXT";
    t.memoMax = 64000;
    t.ownerPassword = "SECRET7";
    return t;
  }();
  static const engine::TableDecl plain = [] {
    engine::TableDecl t = encrypted;
    t.ownerPassword.clear();
    return t;
  }();
  return password.empty() ? plain : encrypted;
}

struct WordKeys {
  static constexpr int kFileNo = 128;
  static constexpr engine::KeyRef ById{kFileNo, 0}, ByWord{kFileNo, 1}, ByCount{kFileNo, 2};
};

inline const engine::TableDecl& wordDecl() {
  static const engine::TableDecl d = [] {
    engine::TableDecl t;
    t.label = "Words";
    t.prefix = "WOR";
    t.fileNo = WordKeys::kFileNo;
    t.driver = engine::Driver::Dat;
    t.recordSize = sizeof(WordRec);
    t.fields = {QV_FIELD(WordRec, WORDID), QV_FIELD(WordRec, THEWORD), QV_FIELD(WordRec, WORDCOUNT)};
    t.key("by_WordId", engine::kUnique | engine::kExcludeEmpty, {"WORDID"});
    t.key("by_theWord", engine::kUnique | engine::kExcludeEmpty, {"THEWORD"});
    t.key("by_WordCount", engine::kDuplicates | engine::kExcludeEmpty | engine::kOnDemand, {"WORDCOUNT"});
    return t;
  }();
  return d;
}

inline const engine::TableDecl& blockDecl() {
  static const engine::TableDecl d = [] {
    engine::TableDecl t;
    t.label = "DOS";
    t.prefix = "DOS";
    t.fileNo = 112;
    t.driver = engine::Driver::Dos;
    t.recordSize = sizeof(BlockRec);
    t.fields = {QV_FIELD(BlockRec, CHAR)};
    return t;
  }();
  return d;
}

inline const engine::TableDecl& lineDecl() {
  static const engine::TableDecl d = [] {
    engine::TableDecl t;
    t.label = "ASC";
    t.prefix = "ASC";
    t.fileNo = 0;
    t.driver = engine::Driver::Ascii;
    t.recordSize = sizeof(LineRec);
    t.fields = {QV_FIELD(LineRec, LINE)};
    return t;
  }();
  return d;
}

}  // namespace qv::test
