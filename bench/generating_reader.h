#pragma once
// A reader for the import benchmarks that makes its messages instead of
// reading a file: `count` forum messages (threads of replies over 20
// sections), then `count` mails to Jane Smith's mailbox, then, when asked,
// `count` newsgroup messages — 200 to a step, as a real reader's slices.

#include <cstdint>
#include <string>

#include "bench/bench_home.h"
#include "import/driver.h"

namespace qv::bench {

class GeneratingReader : public Reader {
 public:
  enum class Kinds { ForumAndMail = 2, ForumMailAndNews = 3 };
  GeneratingReader(std::uint32_t count, Kinds kinds)
      : count_(count), total_(count * static_cast<std::uint32_t>(kinds)) {}

  bool call(ReaderPhase phase, ImportRun& run) override {
    if (phase == ReaderPhase::Open) return false;
    Context& ctx = run.ctx;
    for (int n = 0; n < kSlice && next_ < total_; ++n, ++next_) {
      const std::uint32_t i = next_ % count_;
      const std::uint32_t who = (i * 7) % 500;
      ctx.nhr = NewHR{};
      ctx.nhr.DATE = 70000 + static_cast<std::int32_t>(i / 50);
      ctx.nhrMemo = benchText(i);
      TargetDatabase* db = nullptr;
      switch (next_ / count_) {
        case 0:
          db = run.target("Bench Forum", 1);
          ctx.nhr.MSGNUMBER = i + 1;
          ctx.nhr.REFNUMBER = i % 3 == 0 || i < 2000 ? 0 : i + 1 - 2000;
          ctx.nhr.SECTIONNUMBER = i % 20;
          ctx.nhr.SEC_DESCRIPTION = "Section " + std::to_string(i % 20);
          ctx.nhr.HEADING = "Thread number " + std::to_string(i % 2000);
          ctx.nhr.S_NAME = "Writer" + std::to_string(who) + " Smith";
          ctx.nhr.S_CISADRESS = "7" + std::to_string(10000 + who) + ",1";
          ctx.nhr.R_NAME = "All";
          break;
        case 1:
          db = run.targets.findById(run.settings.mailDatabase);
          ctx.nhr.MSGNUMBER = ctx.nhr.REFNUMBER = run.nextRunNumber();
          ctx.nhr.HEADING = "Mail subject " + std::to_string(i);
          ctx.nhr.S_NAME = "Sender" + std::to_string(who) + " Jones";
          ctx.nhr.S_CISADRESS = "sender" + std::to_string(who) + "@example.org";
          ctx.nhr.R_NAME = "Jane Smith";
          ctx.nhr.R_CISADRESS = "jane@example.org";
          ctx.nhr.MAILTYPE = 1;
          ctx.nhr.RECIPTYPE = "TO";
          ctx.nhr.TIME = 1 + static_cast<std::int32_t>(i % 1440) * 6000;
          break;
        default:
          db = run.target("bench.news", 3);
          ctx.nhr.MSGNUMBER = run.nextRunNumber();
          if (!run.appendMessageId("<" + std::to_string(i) + "@bench>", ctx.nhr.MSGNUMBER)) return true;
          ctx.nhr.SECTIONNUMBER = db->id;
          ctx.nhr.SEC_DESCRIPTION = "bench.news";
          ctx.nhr.HEADING = "Thread number " + std::to_string(i % 2000);
          ctx.nhr.S_NAME = "Writer" + std::to_string(who) + " Smith";
          ctx.nhr.S_CISADRESS = "writer" + std::to_string(who) + "@example.org";
          break;
      }
      if (db == nullptr) return true;
      ctx.nhr.FOR_DESCRIPTION = db->name;
      if (!run.appendMessage(*db)) return true;
      run.progress += kBytesPerMessage;
    }
    return next_ >= total_;
  }

 private:
  static constexpr int kSlice = 200;
  static constexpr std::int64_t kBytesPerMessage = 2048;  // what the progress counts per message made
  std::uint32_t count_;
  std::uint32_t total_;
  std::uint32_t next_ = 0;
};

}  // namespace qv::bench
