#pragma once
// A printout's pages as a PDF file: A4, the page header in bold above a
// rule, the lines in a fixed-width font, the page number at the foot. The
// stored Windows-1252 texts are converted to UTF-8 for the font. The cairo
// library is loaded by the first printout of the process, so commands that
// never print start without it; without it a printout says so and fails.

#include <filesystem>
#include <memory>

#include "export/print_job.h"
#include "store/ui_port.h"

namespace qv::app {

class PdfPages final : public exporting::PageSink {
 public:
  // Opens `path` for writing; ok() tells whether that worked.
  PdfPages(const std::filesystem::path& path, UiPort& ui);
  ~PdfPages() override;
  PdfPages(const PdfPages&) = delete;
  PdfPages& operator=(const PdfPages&) = delete;

  bool ok() const { return ok_; }
  bool page(const exporting::PrintedPage& page) override;
  // Ends the document; false when the file could not be completed. A
  // document without pages is not written at all.
  bool finish();

  // The layout that fits the page: characters per line, lines per page.
  static exporting::PageLayout layout();

 private:
  struct Cairo;
  // Says what went wrong and removes the file.
  bool failed(const char* what);
  void discard();

  std::filesystem::path path_;
  UiPort& ui_;
  std::unique_ptr<Cairo> cairo_;
  bool ok_ = false;
  bool pages_ = false;
};

}  // namespace qv::app
