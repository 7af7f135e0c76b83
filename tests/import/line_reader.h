#pragma once
// A reader for the driver's tests, registered like a real one. Its source
// files hold one message per line, fields separated by '|':
//   F|forum|section number|section name|number|reference|subject|sender|sender address|
//     receiver|receiver address|yyyy-mm-dd|hh:mm|text
//   M|subject|sender|sender address|receiver|receiver address|yyyy-mm-dd|hh:mm|text
//   C|name|address|CC or BC            (a carbon copy of the mail before)
//   N|newsgroup|message id|reference id|subject|sender|sender address|yyyy-mm-dd|hh:mm|text
// In texts "\n" stands for a line break. Any other line is unreadable and
// counted as skipped. An empty forum name means the import's forum database.

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "import/merge.h"
#include "import/reader.h"
#include "store/dates.h"

namespace qv::test {

class LineReader : public Reader {
 public:
  bool call(ReaderPhase phase, ImportRun& run) override {
    if (phase == ReaderPhase::Open) {
      in_.open(run.file.name, std::ios::binary);
      return !in_;
    }
    for (int i = 0; i < run.budget; ++i) {
      std::string line;
      const auto at = static_cast<std::uint64_t>(in_.tellg());
      if (!std::getline(in_, line)) return true;
      run.progress += line.size() + 1;
      if (!convert(split(line), run, at)) return true;
    }
    return false;
  }

 private:
  static std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> f;
    std::string part;
    std::istringstream s(line);
    while (std::getline(s, part, '|')) f.push_back(part);
    return f;
  }
  static std::string body(std::string t) {
    for (std::size_t p; (p = t.find("\\n")) != std::string::npos;) t.replace(p, 2, "\r\n");
    return t;
  }
  static std::int32_t date(const std::string& ymd) {
    if (ymd.size() != 10) return 0;
    return dates::dayNumber(std::stoi(ymd.substr(0, 4)), std::stoi(ymd.substr(5, 2)), std::stoi(ymd.substr(8, 2)));
  }
  static std::int32_t time(const std::string& hm) {
    if (hm.size() != 5) return 0;
    return dates::timeOf(std::stoi(hm.substr(0, 2)), std::stoi(hm.substr(3, 2)), 0);
  }

  bool convert(const std::vector<std::string>& f, ImportRun& run, std::uint64_t at) {
    Context& ctx = run.ctx;
    if (f.size() == 14 && f[0] == "F") {
      TargetDatabase* db = f[1].empty() ? run.targets.findById(run.settings.forumDatabase) : run.target(f[1], 1);
      const auto number = static_cast<std::uint32_t>(std::stoul(f[4]));
      if (db == nullptr || !run.settings.forum || !run.wanted(*db, number)) return true;
      ctx.nhr = NewHR{};
      ctx.nhr.MSGNUMBER = number;
      ctx.nhr.REFNUMBER = static_cast<std::uint32_t>(std::stoul(f[5]));
      ctx.nhr.FOR_DESCRIPTION = db->name;
      ctx.nhr.SECTIONNUMBER = static_cast<std::uint32_t>(std::stoul(f[2]));
      ctx.nhr.SEC_DESCRIPTION = f[3];
      ctx.nhr.HEADING = f[6];
      ctx.nhr.S_NAME = f[7];
      ctx.nhr.S_CISADRESS = f[8];
      ctx.nhr.R_NAME = f[9];
      ctx.nhr.R_CISADRESS = f[10];
      ctx.nhr.DATE = date(f[11]);
      ctx.nhr.TIME = time(f[12]);
      ctx.nhrMemo = body(f[13]);
      return run.appendMessage(*db);
    }
    if (f.size() == 9 && f[0] == "M") {
      TargetDatabase* db = run.targets.findById(run.settings.mailDatabase);
      const Forums* owner = run.mailDatabase();
      if (db == nullptr || owner == nullptr || !run.settings.mail || !run.wanted(*db)) return true;
      ctx.nhr = NewHR{};
      ctx.nhr.MSGNUMBER = ctx.nhr.REFNUMBER = run.nextRunNumber();
      ctx.nhr.FOR_DESCRIPTION = db->name;
      ctx.nhr.HEADING = f[1];
      ctx.nhr.S_NAME = f[2];
      ctx.nhr.S_CISADRESS = f[3];
      ctx.nhr.R_NAME = f[4];
      ctx.nhr.R_CISADRESS = f[5];
      ctx.nhr.DATE = date(f[6]);
      ctx.nhr.TIME = time(f[7]);
      ctx.nhr.RECIPTYPE = "TO";
      ctx.nhrMemo = body(f[8]);
      ownAddressCheck(ctx, *owner);
      return run.appendMessage(*db);
    }
    if (f.size() == 4 && f[0] == "C") return run.appendCarbonCopy(f[1], f[2], f[3]);
    if (f.size() == 10 && f[0] == "N") {
      TargetDatabase* group = run.target(f[1], 3);
      if (group == nullptr || !run.settings.news) return true;
      // A redirected newsgroup's messages go to the database it names, as a section.
      TargetDatabase* db = group->redirectId != 0 ? run.targets.findById(group->redirectId) : group;
      if (db == nullptr) db = group;
      if (!run.wanted(*db)) return true;
      ctx.nhr = NewHR{};
      ctx.nhr.MSGNUMBER = run.nextRunNumber();
      if (!run.appendMessageId(f[2], ctx.nhr.MSGNUMBER)) return false;
      if (!f[3].empty()) {
        ctx.nhr.REFNUMBER = run.nextRunNumber();
        if (!run.appendMessageId(f[3], ctx.nhr.REFNUMBER)) return false;
      }
      ctx.nhr.FOR_DESCRIPTION = db->name;
      ctx.nhr.SECTIONNUMBER = group->id;
      ctx.nhr.SEC_DESCRIPTION = group->name;
      ctx.nhr.HEADING = f[4];
      ctx.nhr.S_NAME = f[5];
      ctx.nhr.S_CISADRESS = f[6];
      ctx.nhr.DATE = date(f[7]);
      ctx.nhr.TIME = time(f[8]);
      ctx.nhrMemo = body(f[9]);
      return run.appendMessage(*db);
    }
    run.skip(at, "unreadable line");
    return true;
  }

  std::ifstream in_;
};

// Registers the line reader under the formats the tests use.
inline void registerLineReader(Library& lib) {
  for (const char* format : {"TAPCIS 5.x", "Generic Mail Type 2", "Unix News"})
    registerReader(lib, format, [] { return std::make_unique<LineReader>(); });
}

}  // namespace qv::test
