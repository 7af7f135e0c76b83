#pragma once
// The message writer: the messages of a selection written to files in the
// temporary directory, in one of the export formats (or the current message
// alone in the plain layout). A job in three phases: set up (names, format,
// line settings, the output files, the selection's start), write the next
// messages of the selection a slice per step, close the files (and, for
// Eudora, write the tables of contents and the mailbox map).
//
// Text files are written anew by each export. dBase III files are kept and
// added to: a message whose number is already in the file is not added
// again, so exporting a thread and then its section leaves every message in
// the file once.
//
// Mail written by the database's owner goes to the out-file when the format
// has two files (all but TAPCIS and dBase III); all other mail to the
// in-file. TAPCIS files are written in code page 850 when the conversion is
// on, as the DOS offline readers read them; the other formats are read by
// Windows programs and keep the stored Windows-1252 bytes.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "export/eudora_toc.h"
#include "export/export_format.h"
#include "export/mailbox_export.h"
#include "export/message_layout.h"
#include "export/selection.h"
#include "store/context.h"
#include "store/job.h"

namespace qv {
class TableUse;
}

namespace qv::exporting {

// The running and finished texts (kExportRunning, kExportFinished) are the
// mailbox export's, in export/mailbox_export.h.
inline constexpr std::string_view kExportTitle = "Export messages";

struct CopyRequest {
  std::optional<ExportFormat> format{};         // none: the configured format of the database type
  SelectionCode code = SelectionCode::Current;  // Plain: the current message in the plain layout
  SelectionStart start{};
  std::optional<DateRange> range{};
  ExportFiles files{};                  // empty names: the format's names (unnamedFiles)
  std::optional<LineSettings> lines{};  // none: the configured wrap setting and width
  bool convert = true;                  // code page 850 for TAPCIS
};

enum class CopyResult {
  Running,
  Done,
  Refused,    // a file name, the format, the date range or the selection refused (reported)
  Cancelled,  // "Process aborted!"; the files hold what was written and are closed
  Failed,     // a file could not be written or a table read (reported)
};

class CopyMsg final : public Job {
 public:
  CopyMsg(Context& ctx, CopyRequest request);
  ~CopyMsg() override;

  bool step() override;
  CopyResult result() const { return result_; }
  ExportFormat format() const { return format_; }
  // Every file written, full paths: the message files, and the tables of
  // contents and mailbox map (Eudora) or memo and index files (dBase III).
  const std::vector<std::filesystem::path>& written() const { return written_; }
  std::uint64_t selected() const;
  std::uint64_t exported() const { return exported_; }
  std::uint64_t bytes() const { return bytes_; }  // bytes of message files written

 private:
  struct Output {
    std::filesystem::path path;
    std::ofstream file;
    std::uint64_t size = 0;
    std::vector<TocEntry> toc;
  };

  bool setUp();       // phase 1
  void writeSlice();  // phase 2
  // Closes the output files; false when one could not be completed (said).
  bool close();       // phase 3
  void refuse(std::string_view title, std::string_view text);
  void fail(std::string_view text);
  void end(CopyResult r);

  bool load(std::uint32_t id, ExportMessage& m);
  Party party(std::uint32_t personId);
  bool writeText(const ExportMessage& m);
  bool writeDBase(const ExportMessage& m);
  bool openOutput(Output& o, const std::string& name);

  Context& ctx_;
  CopyRequest request_;
  DatabaseType type_ = DatabaseType::Forum;
  ExportFormat format_ = ExportFormat::Tapcis;
  bool plain_ = false;
  TextLayout layout_{};
  ExportFiles files_{};
  CopyResult result_ = CopyResult::Running;
  bool setUp_ = false;
  bool collected_ = false;
  std::unique_ptr<SelectionCollector> selection_;
  std::unique_ptr<TableUse> tables_;
  std::unique_ptr<TableUse> dbase_;
  Output in_, out_;
  std::size_t at_ = 0;
  std::uint64_t exported_ = 0;
  std::uint64_t bytes_ = 0;
  std::vector<std::filesystem::path> written_;
  std::set<std::uint32_t> inDBase_;  // numbers the dBase III file holds
  std::map<std::uint32_t, Party> persons_;
  std::map<std::uint32_t, std::pair<std::uint32_t, std::string>> sections_;
  std::map<std::uint32_t, std::string> threads_;
};

}  // namespace qv::exporting
