#pragma once
// Printing a selection: its messages one after another, each with a heading
// (number, date, sender, receiver, subject; the section in a forum), its text
// broken into lines of the page's width, laid out on pages of a fixed number
// of lines. Every page has a header naming the database and the message at
// its top, and a number. The pages go one at a time to a sink (the front
// end's PDF writer), so a printout of a whole database never lives in memory.
//
// Texts are passed on as stored (Windows-1252); the sink converts them for
// its output.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/selection.h"
#include "store/job.h"

namespace qv::wordindex {
class MessageTexts;
}
namespace qv::browse {
class LineComposer;
}

namespace qv::exporting {

inline constexpr std::string_view kPrintingText = "Printing messages ... please wait!";
inline constexpr std::string_view kPrintedText = "Messages printed!";

struct PrintedPage {
  std::uint32_t number = 0;  // from 1
  std::string header;
  std::vector<std::string> lines;
};

// Where the pages go. False when a page could not be written (the sink has
// said why through the UI port); the printout then ends Failed.
class PageSink {
 public:
  virtual ~PageSink() = default;
  virtual bool page(const PrintedPage& page) = 0;
};

struct PageLayout {
  std::size_t width = 80;         // characters per line
  std::size_t linesPerPage = 64;  // below the header
};

struct PrintRequest {
  SelectionCode code = SelectionCode::Current;
  SelectionStart start;
  std::optional<DateRange> range;
  PageLayout layout;
};

enum class PrintResult { Running, Done, Refused, Stopped, Failed };

// Breaks one line of text into lines of at most `width` characters, at the
// last blank that fits (the blank dropped); a word longer than the width is
// cut. An empty line stays one empty line.
std::vector<std::string> breakLine(std::string_view line, std::size_t width);

class PrintJob final : public Job {
 public:
  PrintJob(Context& ctx, PrintRequest request, PageSink& sink);
  ~PrintJob() override;

  bool step() override;
  PrintResult result() const { return result_; }
  std::uint64_t selected() const;
  std::uint64_t printed() const { return printed_; }   // messages
  std::uint32_t pages() const { return pageNumber_; }  // pages written

 private:
  void refuse(std::string_view title, std::string_view text);
  void printSlice();
  bool addMessage(std::uint32_t id);
  bool addLine(std::string line, const std::string& heading);
  bool flushPage();
  void end(PrintResult r);

  Context& ctx_;
  PrintRequest request_;
  PageSink& sink_;
  PrintResult result_ = PrintResult::Running;
  std::unique_ptr<SelectionCollector> selection_;
  std::unique_ptr<wordindex::MessageTexts> texts_;
  std::unique_ptr<browse::LineComposer> lines_;
  bool collected_ = false;
  std::size_t at_ = 0;
  std::uint64_t printed_ = 0;
  std::uint32_t pageNumber_ = 0;
  PrintedPage page_;
};

}  // namespace qv::exporting
