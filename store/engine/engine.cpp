#include "store/engine/engine.h"

#include "store/engine/dbase/dbase_file.h"
#include "store/engine/raw/ascii_file.h"
#include "store/engine/raw/dos_file.h"
#include "store/engine/sqlite/sqlite_file.h"

namespace qv::engine {

namespace {
// Stands in for a driver kind nobody registered: every operation is refused.
class MissingDriver final : public DriverFile {
 public:
  using DriverFile::DriverFile;
  Status open(OpenMode) override { return {Err::NotSupported, "No driver is installed for this kind of file"}; }
  void close() override {}
  bool isOpen() const override { return false; }
  Status remove() override { return unsupported(); }
};
}  // namespace

Engine::Engine() {
  // Each table keeps its rollback journal, emptied, between transactions: a
  // transaction over several tables then makes no new journal files and no
  // directory syncs for them (a long import commits every 400 records).
  tuning_.journalMode = "TRUNCATE";
  auto sqlite = [](FileBinding& b) -> std::unique_ptr<DriverFile> { return std::make_unique<sql::SqliteFile>(b); };
  factories_[Driver::TopSpeed] = sqlite;
  factories_[Driver::Dat] = sqlite;
  factories_[Driver::Dos] = [](FileBinding& b) -> std::unique_ptr<DriverFile> {
    return std::make_unique<raw::DosFile>(b);
  };
  factories_[Driver::Ascii] = [](FileBinding& b) -> std::unique_ptr<DriverFile> {
    return std::make_unique<raw::AsciiFile>(b);
  };
  // One driver reads both kinds; see dbase/dbase_file.h.
  auto dbase = [](FileBinding& b) -> std::unique_ptr<DriverFile> { return std::make_unique<dbase::DbaseFile>(b); };
  factories_[Driver::DBase3] = dbase;
  factories_[Driver::FoxPro] = dbase;
}

Engine::~Engine() = default;

void Engine::registerDriver(Driver kind, Factory factory) { factories_[kind] = std::move(factory); }

std::unique_ptr<DriverFile> Engine::makeDriver(FileBinding& binding) const {
  auto it = factories_.find(binding.decl.driver);
  if (it == factories_.end()) return std::make_unique<MissingDriver>(binding);
  return it->second(binding);
}

std::shared_ptr<SharedFileState> Engine::shared(std::uint64_t device, std::uint64_t inode) {
  std::lock_guard lock(mutex_);
  auto& weak = files_[{device, inode}];
  std::shared_ptr<SharedFileState> s = weak.lock();
  if (!s) {
    s = std::make_shared<SharedFileState>();
    weak = s;
  }
  // Forget files nobody has open any more.
  for (auto it = files_.begin(); it != files_.end();) it = it->second.expired() ? files_.erase(it) : std::next(it);
  return s;
}

}  // namespace qv::engine
