#pragma once
// An installation ready to import: the library's procedures and the test
// line reader registered, a forum and a mail database, a folder of sources.

#include <fstream>
#include <string>

#include "import/driver.h"
#include "store/config.h"
#include "store/database_list.h"
#include "store/dispatcher.h"
#include "store/persons.h"
#include "store/utilities.h"
#include "tests/import/line_reader.h"
#include "tests/store/store_fixture.h"

namespace qv::test {

class ImportTest : public StoreTest {
 protected:
  ImportTest() {
    registerLibraryProcedures(lib);
    registerPersonProcedures(lib);
    registerLineReader(lib);
    // The settings as the program loads them at start-up (the counter record among them).
    EXPECT_EQ(loadSettings(*ctx), 1);
    std::filesystem::remove(home.path() / "F1");
    std::filesystem::create_directories(sources);
  }

  std::uint32_t addForum(const std::string& name) {
    EXPECT_TRUE(AddForumDatabase(*ctx, name));
    return ctx->for_.ID;
  }
  std::uint32_t addMail(const std::string& name, const std::string& address, const std::string& alternative = {}) {
    MailDatabaseForm form;
    form.name = name;
    form.address = address;
    form.alternatives[0] = alternative;
    std::uint32_t dir = NextDirNumber(*ctx);
    EXPECT_TRUE(AddMailDatabase(*ctx, form, dir));
    return ctx->for_.ID;
  }
  void writeSource(const std::string& name, const std::string& lines) {
    std::ofstream(sources / name, std::ios::binary) << lines;
  }
  ImportSettings settings(const std::string& format, std::vector<std::string> files) {
    ImportSettings s;
    s.format = format;
    s.formatNumber = 0;
    s.method = kSelectFiles;
    s.path = sources;
    s.files = std::move(files);
    return s;
  }
  // Runs an import to its end in a thread of work of its own.
  ImportSummary run(const ImportSettings& s) {
    Context importCtx(lib);
    ImportJob job(importCtx, s);
    runToEnd(job);
    return job.summary();
  }

  // Opens the tables of database `id` in ctx for checking.
  Forums openDatabase(std::uint32_t id) {
    OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
    ctx->for_ = Forums{};
    ctx->for_.ID = id;
    EXPECT_EQ(ctx->fileOf<Forums>().get(Forums::ForumKey), engine::Err::Ok);
    const Forums f = ctx->for_;
    OP_CLOSE(*ctx, kOpRelease, {Forums::FileNo});
    OP_CLOSE(*ctx, kOpForceClose, {3, 4, 5, 6, 7, 13, 17, 23, 25});
    ctx->mem.Dirnamn = "F" + std::to_string(f.DIRNUMBER);
    OP_CLOSE(*ctx, kOpOpen, {3, 4, 5, 6, 7, 13, 17, 23, 25});
    return f;
  }
  bool shown(const std::string& text) const {
    for (const auto& s : ui.shown)
      if (s.text == text) return true;
    return false;
  }

  std::filesystem::path sources = home.path() / "sources";
};

}  // namespace qv::test
