#pragma once
// An installation with a forum and a mail database filled through the test
// line reader, and what an index holds read back as plain values.

#include <map>
#include <set>
#include <string>

#include "store/database_list.h"
#include "tests/import/import_fixture.h"
#include "wordindex/indexer.h"
#include "wordindex/index_tables.h"

namespace qv::test {

class IndexTest : public ImportTest {
 protected:
  // Imports forum message lines ("F|..." of the line reader) into the forum
  // "Club" and makes that database the active one.
  void importForum(const std::string& lines) {
    writeSource("club.txt", lines);
    ImportSettings s = settings("TAPCIS 5.x", {"club.txt"});
    s.forum = true;
    ASSERT_TRUE(run(s).completed);
    activate("CLUB");
  }
  void activate(const std::string& upperName) {
    OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
    ctx->for_.DESCRIPTION = upperName;
    ASSERT_EQ(ctx->fileOf<Forums>().get(Forums::AlphaKey), engine::Err::Ok);
    const Forums f = ctx->for_;
    OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
    setDatabaseGlobals(ctx->mem, f);
  }
  wordindex::IndexSummary index(wordindex::IndexMode mode) {
    wordindex::IndexJob job(*ctx, mode);
    runToEnd(job);
    return job.summary();
  }

  // The index as word → messages and word → count.
  struct Contents {
    std::map<std::string, std::set<std::uint32_t>> messages;
    std::map<std::string, std::int32_t> counts;
    bool operator==(const Contents&) const = default;
  };
  Contents contents() {
    Contents c;
    std::map<std::uint32_t, std::string> words;
    wordindex::IndexTable list(*ctx, WordList::FileNo);
    wordindex::IndexTable rows(*ctx, MasIdx::FileNo);
    engine::File& l = list.file();
    l.set();
    while (l.next() == engine::Err::Ok) {
      words[static_cast<std::uint32_t>(ctx->wor.WORDID)] = ctx->wor.THEWORD.str();
      c.counts[ctx->wor.THEWORD.str()] = ctx->wor.WORDCOUNT;
    }
    engine::File& r = rows.file();
    r.set();
    while (r.next() == engine::Err::Ok) {
      const auto w = words.find(+ctx->mas.WORDID);
      c.messages[w == words.end() ? "#" + std::to_string(ctx->mas.WORDID) : w->second].insert(+ctx->mas.SYSID);
    }
    return c;
  }
};

// A forum message line of the test reader.
inline std::string forumLine(int number, const std::string& subject, const std::string& text,
                             const std::string& date = "1995-03-01") {
  return "F|Club|1|General|" + std::to_string(number) + "|0|" + subject + "|Ann Lee|70001,1|All||" + date +
         "|10:00|" + text + "\n";
}

}  // namespace qv::test
