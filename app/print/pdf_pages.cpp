#include "app/print/pdf_pages.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <dlfcn.h>

#include <optional>
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

// The cairo functions a printout uses. The library (with the font and X
// libraries it pulls in) is loaded on the first printout, not at every
// start of the program: most commands never print.
struct CairoLibrary {
  decltype(&cairo_pdf_surface_create) pdf_surface_create = nullptr;
  decltype(&cairo_surface_status) surface_status = nullptr;
  decltype(&cairo_surface_finish) surface_finish = nullptr;
  decltype(&cairo_surface_destroy) surface_destroy = nullptr;
  decltype(&cairo_create) create = nullptr;
  decltype(&cairo_status) status = nullptr;
  decltype(&cairo_destroy) destroy = nullptr;
  decltype(&cairo_move_to) move_to = nullptr;
  decltype(&cairo_line_to) line_to = nullptr;
  decltype(&cairo_stroke) stroke = nullptr;
  decltype(&cairo_show_text) show_text = nullptr;
  decltype(&cairo_text_extents) text_extents = nullptr;
  decltype(&cairo_set_source_rgb) set_source_rgb = nullptr;
  decltype(&cairo_select_font_face) select_font_face = nullptr;
  decltype(&cairo_set_font_size) set_font_size = nullptr;
  decltype(&cairo_set_line_width) set_line_width = nullptr;
  decltype(&cairo_show_page) show_page = nullptr;
};

constexpr const char* kCairoLibrary = "libcairo.so.2";

template <class F>
bool bind(void* library, const char* name, F& f) {
  f = reinterpret_cast<F>(dlsym(library, name));
  return f != nullptr;
}

// The library, loaded once and kept for the life of the process; null when
// it or one of its functions is missing.
const CairoLibrary* cairoLibrary() {
  static const std::optional<CairoLibrary> loaded = []() -> std::optional<CairoLibrary> {
    void* library = dlopen(kCairoLibrary, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return std::nullopt;
    CairoLibrary c;
    const bool all = bind(library, "cairo_pdf_surface_create", c.pdf_surface_create) &&
                     bind(library, "cairo_surface_status", c.surface_status) &&
                     bind(library, "cairo_surface_finish", c.surface_finish) &&
                     bind(library, "cairo_surface_destroy", c.surface_destroy) &&
                     bind(library, "cairo_create", c.create) && bind(library, "cairo_status", c.status) &&
                     bind(library, "cairo_destroy", c.destroy) && bind(library, "cairo_move_to", c.move_to) &&
                     bind(library, "cairo_line_to", c.line_to) && bind(library, "cairo_stroke", c.stroke) &&
                     bind(library, "cairo_show_text", c.show_text) &&
                     bind(library, "cairo_text_extents", c.text_extents) &&
                     bind(library, "cairo_set_source_rgb", c.set_source_rgb) &&
                     bind(library, "cairo_select_font_face", c.select_font_face) &&
                     bind(library, "cairo_set_font_size", c.set_font_size) &&
                     bind(library, "cairo_set_line_width", c.set_line_width) &&
                     bind(library, "cairo_show_page", c.show_page);
    if (!all) return std::nullopt;
    return c;
  }();
  return loaded ? &*loaded : nullptr;
}

}  // namespace

struct PdfPages::Cairo {
  explicit Cairo(const CairoLibrary& library) : lib(library) {}
  Cairo(const Cairo&) = delete;
  Cairo& operator=(const Cairo&) = delete;
  const CairoLibrary& lib;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  ~Cairo() {
    if (cr != nullptr) lib.destroy(cr);
    if (surface != nullptr) lib.surface_destroy(surface);
  }
};

exporting::PageLayout PdfPages::layout() {
  exporting::PageLayout l;
  l.width = static_cast<std::size_t>((kPageWidth - 2 * kMargin) / (0.6 * kFontSize));
  l.linesPerPage = static_cast<std::size_t>((kPageHeight - 2 * kMargin - kHeaderHeight - kFooterHeight) / kLineHeight);
  return l;
}

PdfPages::PdfPages(const std::filesystem::path& path, UiPort& ui) : path_(path), ui_(ui) {
  const CairoLibrary* library = cairoLibrary();
  if (library == nullptr) {
    ui_.message("Print", std::string("Printing needs the cairo library (") + kCairoLibrary + "), which cannot be loaded.",
                MessageKind::Error);
    return;
  }
  cairo_ = std::make_unique<Cairo>(*library);
  const CairoLibrary& c = *library;
  cairo_->surface = c.pdf_surface_create(path.c_str(), kPageWidth, kPageHeight);
  if (c.surface_status(cairo_->surface) != CAIRO_STATUS_SUCCESS) {
    // Nothing was written: a file of that name, if any, stays as it was.
    ui_.message("Print", path_.string() + " cannot be created.", MessageKind::Error);
    return;
  }
  cairo_->cr = c.create(cairo_->surface);
  ok_ = c.status(cairo_->cr) == CAIRO_STATUS_SUCCESS || !failed("cannot be drawn on");
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
  const CairoLibrary& c = cairo_->lib;
  auto show = [cr, &c](double x, double y, const std::string& stored) {
    const std::string utf8 = utf8From1252(stored);
    c.move_to(cr, x, y);
    c.show_text(cr, utf8.c_str());
  };
  c.set_source_rgb(cr, 0, 0, 0);
  c.select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  c.set_font_size(cr, kFontSize);
  show(kMargin, kMargin + kLineHeight, page.header);
  c.set_line_width(cr, 0.5);
  c.move_to(cr, kMargin, kMargin + 1.5 * kLineHeight);
  c.line_to(cr, kPageWidth - kMargin, kMargin + 1.5 * kLineHeight);
  c.stroke(cr);
  c.select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  double y = kMargin + kHeaderHeight + kLineHeight;
  for (const std::string& line : page.lines) {
    show(kMargin, y, line);
    y += kLineHeight;
  }
  const std::string number = "Page " + std::to_string(page.number);
  cairo_text_extents_t extents{};
  c.text_extents(cr, number.c_str(), &extents);
  show((kPageWidth - extents.x_advance) / 2, kPageHeight - kMargin, number);
  c.show_page(cr);
  pages_ = true;
  if (c.status(cr) != CAIRO_STATUS_SUCCESS) return failed("could not be written");
  return true;
}

bool PdfPages::finish() {
  if (!ok_) return false;
  ok_ = false;
  cairo_->lib.surface_finish(cairo_->surface);
  const bool written = cairo_->lib.surface_status(cairo_->surface) == CAIRO_STATUS_SUCCESS;
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
