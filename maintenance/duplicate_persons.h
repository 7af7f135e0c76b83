#pragma once
// Duplicate elimination of persons: one person per address in the active
// database. A job, stepped one batch at a time (the duplicates speed
// setting), in seven steps, each reported with its step text:
//
// 1. "Correcting non wellformed CIS addresses": a person without an address
//    (in a mail database also one whose identifying string holds "CSINET"
//    or whose address holds the character 179) gets address and name from
//    its identifying string; where the last name changes, its name copies in
//    the messages follow. Then every address is repaired (address_repair.h).
//    A mail database's own person is left as it is.
// 2. "Identifying duplicate Forum Members": persons whose addresses are
//    equal, letter case aside, are the candidates.
// 3. "Updating count for suspected duplicates": each candidate's sent
//    messages are counted, with the date of the latest.
// 4. "Processing Step 1" / "Processing Step 3": one survivor per address —
//    a person that sent messages; a later one with a last name and a more
//    recent message replaces one without a last name or with an older
//    message; a mail database's own person always survives. The others are
//    merged into it; where nobody of an address sent anything, the last of
//    them survives.
// 5. "Recoding Message Receiver ID" and 6. "Deleting duplicate persons":
//    each merged person's messages are re-pointed to the survivor, its
//    identifying string and aliases become aliases (PLINK) of the survivor
//    so later imports find the survivor, and it is deleted — all of one
//    person in one transaction, so a run killed in between leaves every
//    message naming an existing person.
// 7. "Updating message counts per person": every person's sent and received
//    counts are counted again; a person without messages is removed. A mail
//    database's message count in the database list is set.
//
// Stopping (requestCancel) in steps 1, 5, 6 and 7 asks first ("Duplicate
// Person elimination interrupted"; No goes on); in the other steps it stops
// at once. Work committed stays; a later run finishes the job.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "store/context.h"
#include "store/job.h"

namespace qv::maintenance {

enum class DuplicatesStep : std::uint8_t {
  Correct = 1,
  Identify = 2,
  Count = 3,
  Process = 4,
  Recode = 5,
  Delete = 6,
  Recount = 7,
  Finished = 8,
};

enum class DuplicatesResult {
  Running,
  Done,
  Stopped,  // the user stopped it, or stopped for lack of disk space
  Failed,   // a table could not be opened or written (reported)
};

struct DuplicatesCounts {
  std::uint64_t before = 0;              // persons when the run started
  std::uint64_t withoutMessages = 0;     // removed by the recount
  std::uint64_t duplicates = 0;          // merged into a survivor
  std::uint64_t addressesCorrected = 0;  // persons rewritten by step 1
  std::uint64_t remaining() const {
    const std::uint64_t gone = withoutMessages + duplicates;
    return before > gone ? before - gone : 0;
  }
};

// The scheduler's report code for a finished duplicate elimination.
inline constexpr int kDuplicatesTaskReport = 6;

class DuplicatesJob final : public Job {
 public:
  // `batch`: persons per step; 0 takes the duplicates speed setting.
  explicit DuplicatesJob(Context& ctx, std::int32_t batch = 0);
  ~DuplicatesJob() override;

  bool step() override;

  DuplicatesResult result() const { return result_; }
  DuplicatesStep current() const { return step_; }
  const DuplicatesCounts& counts() const { return counts_; }
  // Seconds from the start to the end.
  double seconds() const { return seconds_; }

 private:
  struct Candidate {
    std::string address;  // upper case
    std::uint32_t id = 0;
    std::uint32_t sent = 0;
    std::int32_t latest = 0;
    std::string lastName;
  };
  struct Merge {
    std::string address;
    std::uint32_t merged = 0;
    std::uint32_t survivor = 0;
  };

  bool stopHere();
  void correctSlice();
  void identifySlice();
  void countSlice();
  void process();
  void recodeSlice();
  void recountSlice();
  void finish();
  void fail();
  bool correctPerson(Person& p);
  void setMailCount();
  void enter(DuplicatesStep next);
  void progress(std::uint64_t position, std::uint64_t range);

  Context& ctx_;
  std::int32_t batch_;
  bool mail_;
  std::uint32_t owner_;
  DuplicatesStep step_ = DuplicatesStep::Correct;
  DuplicatesResult result_ = DuplicatesResult::Running;
  DuplicatesCounts counts_;
  double seconds_ = 0;
  std::int64_t startMs_ = 0;

  // Where the walk of the current step stands: the last person identifier
  // done (steps 1 and 7), the index into the lists (steps 3 and 5), the
  // address key's last value (step 2).
  std::uint32_t lastId_ = 0;
  std::size_t at_ = 0;
  std::uint64_t done_ = 0;
  std::optional<std::string> lastAddress_;
  std::vector<Candidate> candidates_;
  std::vector<Merge> merges_;
};

}  // namespace qv::maintenance
