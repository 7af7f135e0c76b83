#pragma once
// After an import: the new messages of every database that received some
// and keeps a word index (FOR:INDEXTYPE set) are indexed, one database
// after another, each in a partial run (a full one where the database has
// no index yet).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/context.h"
#include "store/job.h"
#include "wordindex/indexer.h"

namespace qv::wordindex {

struct AfterImportSummary {
  std::int64_t databases = 0;  // indexed
  std::int64_t messages = 0;
  double seconds = 0;
  bool failed = false;
  std::vector<std::string> notes;          // per database that did not end Done, or changed mode
  std::vector<std::string> newStopWords;
};

class IndexAfterImportJob : public Job {
 public:
  // `ctx` is a thread of work of the job's own: its active database changes.
  IndexAfterImportJob(Context& ctx, std::vector<std::uint32_t> databaseIds);
  ~IndexAfterImportJob() override;

  bool step() override;
  const AfterImportSummary& summary() const { return summary_; }

 private:
  bool startNext();
  void fold(const std::string& name, const IndexSummary& s);

  Context& ctx_;
  std::vector<std::uint32_t> ids_;
  std::size_t next_ = 0;
  std::string name_;
  std::unique_ptr<IndexJob> current_;
  AfterImportSummary summary_;
};

}  // namespace qv::wordindex
