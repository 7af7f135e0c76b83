// The desktop program's browse on a generated database of a million forum
// messages and as many mails (bench_browse's data): the time from asking
// for the browse to its first page shown, to its end shown (End), to the
// top again (Home), and of paging through the list with the keyboard
// (PageDown from the top, PageUp from the end) as a user scrolls. Runs on
// Qt's offscreen platform, so the figures are the program's own work, not
// a display server's. The goal: opening and reaching the end in under a
// second together.
//
//   bench_gui_browse [--messages N] [--repeat R] [--dir DIR]
#include <QApplication>
#include <QKeyEvent>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/application.h"
#include "app/gui/browse_model.h"
#include "app/gui/browse_window.h"
#include "app/gui/main_window.h"
#include "app/cli/leak_suppressions.h"
#include "bench/bench_home.h"
#include "bench/browse_data.h"

namespace {

using namespace qv;
using bench::Clock;
using bench::msSince;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}
double worst(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

struct Figures {
  std::vector<double> open, end, openAndEnd, top, pageDown, pageUp;
};

void press(QWidget* w, Qt::Key key, int times) {
  for (int i = 0; i < times; ++i) QTest::keyClick(w, key);
}

void measure(gui::MainWindow& frame, std::uint32_t database, std::uint32_t expectedRows, Figures& f) {
  frame.activateDatabase(database);
  QApplication::processEvents();
  auto t0 = Clock::now();
  gui::BrowseWindow* browse = frame.openBrowse();
  QApplication::processEvents();
  const double opened = msSince(t0);
  auto t1 = Clock::now();
  QTest::keyClick(browse->list(), Qt::Key_End);
  QApplication::processEvents();
  const double ended = msSince(t1);
  f.open.push_back(opened);
  f.end.push_back(ended);
  f.openAndEnd.push_back(opened + ended);
  if (browse->model()->rowCount() == 0 || !browse->model()->atEnd()) std::fprintf(stderr, "the end was not reached\n");
  (void)expectedRows;

  t0 = Clock::now();
  press(browse->list(), Qt::Key_PageUp, 50);  // reads pages before the window's top
  QApplication::processEvents();
  f.pageUp.push_back(msSince(t0) / 50);

  t0 = Clock::now();
  QTest::keyClick(browse->list(), Qt::Key_Home);
  QApplication::processEvents();
  f.top.push_back(msSince(t0));

  t0 = Clock::now();
  press(browse->list(), Qt::Key_PageDown, 50);  // reads pages after the window's end
  QApplication::processEvents();
  f.pageDown.push_back(msSince(t0) / 50);
  browse->parentWidget()->close();
  QApplication::processEvents();
}

void print(const char* what, const Figures& f) {
  std::printf("%s browse (ms, median / worst):\n", what);
  std::printf("  open, first page shown        %8.1f / %8.1f\n", median(f.open), worst(f.open));
  std::printf("  End: the last page shown      %8.1f / %8.1f\n", median(f.end), worst(f.end));
  std::printf("  open and End together         %8.1f / %8.1f   goal < 1000: %s\n", median(f.openAndEnd),
              worst(f.openAndEnd), worst(f.openAndEnd) < 1000 ? "met" : "NOT met");
  std::printf("  Home: the first page again    %8.1f / %8.1f\n", median(f.top), worst(f.top));
  std::printf("  one PageDown from the top     %8.2f / %8.2f\n", median(f.pageDown), worst(f.pageDown));
  std::printf("  one PageUp from the end       %8.2f / %8.2f\n", median(f.pageUp), worst(f.pageUp));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  bench::BrowseShape shape;
  int repeat = 5;
  bool keep = false;
  bench::fs::path dir;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--messages" && more) shape.messages = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--repeat" && more) repeat = std::max(1, std::atoi(argv[++i]));
    else if (a == "--dir" && more) {
      dir = argv[++i];
      keep = true;
    } else {
      std::fprintf(stderr, "usage: bench_gui_browse [--messages N] [--repeat R] [--dir DIR]\n");
      return 64;
    }
  }
  if (dir.empty()) dir = bench::fs::temp_directory_path() / ("qv-bench-gui-" + std::to_string(getpid()));
  std::printf("%u forum messages and %u mails; %d runs\n", shape.messages, shape.messages, repeat);
  bench::BrowseFacts facts;
  const auto t0 = Clock::now();
  if (!bench::makeDatabasesInChild(dir, shape, facts)) {
    std::fprintf(stderr, "the databases could not be made in %s\n", dir.c_str());
    if (!keep) bench::fs::remove_all(dir);
    return 3;
  }
  std::printf("set-up %.1f s\n", msSince(t0) / 1000);

  int status = 0;
  {
    QApplication qapp(argc, argv);
    bench::QuietUi ui;
    app::Application app(ui);
    app.start(dir);
    gui::MainWindow frame(app, ui);
    frame.resize(1280, 800);
    frame.show();
    Figures forum, mail;
    for (int r = 0; r < repeat; ++r) {
      measure(frame, facts.forumId, shape.messages, forum);
      measure(frame, facts.mailId, shape.messages, mail);
    }
    print("forum message", forum);
    print("mail", mail);
    status = worst(forum.openAndEnd) < 1000 && worst(mail.openAndEnd) < 1000 ? 0 : 1;
  }
  if (!keep) bench::fs::remove_all(dir);
  return status;
}
