#include "app/print/pdf_pages.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <string>
#include <system_error>

#include "text/text_encoding.h"

namespace qv::app {

namespace {

// A4 in points, margins of 15 mm, a 9-point fixed-width font whose advance
// is 0.6 of its size: 80 characters fit the width, 64 lines the height.
constexpr double kPageWidth = 595.28, kPageHeight = 841.89;
constexpr double kMargin = 42.5;
constexpr double kFontSize = 9;
constexpr double kLineHeight = 11;
constexpr double kHeaderHeight = 2.2 * kLineHeight;
constexpr double kFooterHeight = 2 * kLineHeight;
constexpr const char* kFont = "monospace";

}  // namespace

struct PdfPages::Cairo {
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  ~Cairo() {
    if (cr != nullptr) cairo_destroy(cr);
    if (surface != nullptr) cairo_surface_destroy(surface);
  }
};

exporting::PageLayout PdfPages::layout() {
  exporting::PageLayout l;
  l.width = static_cast<std::size_t>((kPageWidth - 2 * kMargin) / (0.6 * kFontSize));
  l.linesPerPage = static_cast<std::size_t>((kPageHeight - 2 * kMargin - kHeaderHeight - kFooterHeight) / kLineHeight);
  return l;
}

PdfPages::PdfPages(const std::filesystem::path& path, UiPort& ui) : path_(path), ui_(ui), cairo_(std::make_unique<Cairo>()) {
  cairo_->surface = cairo_pdf_surface_create(path.c_str(), kPageWidth, kPageHeight);
  if (cairo_surface_status(cairo_->surface) != CAIRO_STATUS_SUCCESS) {
    // Nothing was written: a file of that name, if any, stays as it was.
    ui_.message("Print", path_.string() + " cannot be created.", MessageKind::Error);
    return;
  }
  cairo_->cr = cairo_create(cairo_->surface);
  ok_ = cairo_status(cairo_->cr) == CAIRO_STATUS_SUCCESS || !failed("cannot be drawn on");
}

PdfPages::~PdfPages() {
  // A document never finished is no printout: it goes.
  if (ok_) discard();
}

void PdfPages::discard() {
  ok_ = false;
  cairo_.reset();
  std::error_code ec;
  std::filesystem::remove(path_, ec);
}

bool PdfPages::failed(const char* what) {
  ui_.message("Print", path_.string() + " " + what + ".", MessageKind::Error);
  discard();
  return false;
}

bool PdfPages::page(const exporting::PrintedPage& page) {
  if (!ok_) return false;
  cairo_t* cr = cairo_->cr;
  auto show = [cr](double x, double y, const std::string& stored) {
    const std::string utf8 = utf8From1252(stored);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, utf8.c_str());
  };
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, kFontSize);
  show(kMargin, kMargin + kLineHeight, page.header);
  cairo_set_line_width(cr, 0.5);
  cairo_move_to(cr, kMargin, kMargin + 1.5 * kLineHeight);
  cairo_line_to(cr, kPageWidth - kMargin, kMargin + 1.5 * kLineHeight);
  cairo_stroke(cr);
  cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  double y = kMargin + kHeaderHeight + kLineHeight;
  for (const std::string& line : page.lines) {
    show(kMargin, y, line);
    y += kLineHeight;
  }
  const std::string number = "Page " + std::to_string(page.number);
  cairo_text_extents_t extents{};
  cairo_text_extents(cr, number.c_str(), &extents);
  show((kPageWidth - extents.x_advance) / 2, kPageHeight - kMargin, number);
  cairo_show_page(cr);
  pages_ = true;
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) return failed("could not be written");
  return true;
}

bool PdfPages::finish() {
  if (!ok_) return false;
  ok_ = false;
  cairo_surface_finish(cairo_->surface);
  const bool written = cairo_surface_status(cairo_->surface) == CAIRO_STATUS_SUCCESS;
  cairo_.reset();
  std::error_code ec;
  if (!pages_ || !written) std::filesystem::remove(path_, ec);
  if (!written) {
    ui_.message("Print", path_.string() + " could not be written.", MessageKind::Error);
    return false;
  }
  return pages_;
}

}  // namespace qv::app
