// quorvel scheduler run-due | daemon | install | uninstall: scheduled tasks
// run unattended. run-due makes one due check and runs what is due (the
// countdown on a terminal; without one the task starts at once); daemon
// checks every 15 seconds; install and uninstall set up a systemd user
// timer that runs run-due, or print the crontab line where systemd is
// absent.
#include "app/scheduler/scheduler.h"

#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>

#include "app/cli/env.h"
#include "app/cli/interrupt.h"
#include "app/home.h"
#include "store/config.h"
#include "store/dates.h"

namespace qv::app::cli {

namespace {

namespace fs = std::filesystem;
constexpr const char* kTitle = "Scheduler";
constexpr const char* kUnitName = "quorvel-scheduler";

// Set by the daemon's SIGINT and SIGTERM handler.
std::atomic<bool> stopDaemon{false};
extern "C" void onStopSignal(int) { stopDaemon = true; }

// The countdown on a terminal: the text, the task, the options, and a title
// line every 5 seconds; a typed line chooses ("" or 0 start now, "1 [hours]"
// postpone, 2 skip, 3 deactivate the task, 4 deactivate all tasks).
CountdownEnd terminalCountdown(Env& env, TaskCountdown& c) {
  CliUi& ui = env.ui();
  const Moment shown = c.shownRun();
  ui.message("", kCountdownText, MessageKind::Information);
  ui.message("Task",
             c.task().DESCRIPTION.str() + "  " + dates::formatDate(shown.date, dates::kDateYyyyMmDd) + " " +
                 dates::formatTime(shown.time, dates::kTimeHhMm),
             MessageKind::Information);
  ui.message("Options",
             "Enter = start now, 1 [hours] = postpone, 2 = skip this run, 3 = deactivate the task, "
             "4 = deactivate all tasks",
             MessageKind::Information);
  int lastShown = -1;
  for (;;) {
    const Moment now = systemMoment();
    const int left = c.remaining(now);
    if (left != lastShown && TaskCountdown::refreshesTitle(left)) {
      ui.message("", TaskCountdown::title(left), MessageKind::Information);
      lastShown = left;
    }
    const CountdownEnd atDeadline = c.tick(now, CountdownOption::StartNow, openWork(env.app().ctx()).has_value());
    if (atDeadline != CountdownEnd::Running) return atDeadline;
    pollfd p{STDIN_FILENO, POLLIN, 0};
    // A daemon told to end closes the countdown: the task is not started
    // and stays due for the next check.
    if (stopDaemon) return CountdownEnd::Closed;
    if (::poll(&p, 1, 1000) <= 0) continue;
    std::string line;
    if (!std::getline(std::cin, line)) return c.tick({now.date + 1, now.time}, CountdownOption::StartNow, false);
    int option = 0, hours = 1;
    if (!line.empty() && std::sscanf(line.c_str(), "%d %d", &option, &hours) < 1) continue;
    if (option < 0 || option > 4) continue;
    const auto chosen = static_cast<CountdownOption>(option);
    if (chosen == CountdownOption::Postpone)
      ui.message("", TaskCountdown::postponedTitle(hours < 1 ? 1 : hours), MessageKind::Information);
    else if (chosen == CountdownOption::StartNow)
      ui.message("", kTaskStartingTitle, MessageKind::Information);
    return c.ok(systemMoment(), chosen, openWork(env.app().ctx()).has_value(), hours);
  }
}

const char* outcomeName(PollOutcome o) {
  switch (o) {
    case PollOutcome::NothingDue: return "nothing due";
    case PollOutcome::Waiting: return "waiting";
    case PollOutcome::NotStarted: return "not started";
    case PollOutcome::Ran: return "ran";
  }
  return "";
}

PollResult poll(Env& env, bool countdown) {
  PollOptions options;
  options.onNote = [&env](const std::string& note) { env.ui().message("Task", note, MessageKind::Information); };
  options.drive = [&env](Job& job) {
    runStoppable(job);
    env.ui().endProgressLine();
  };
  if (countdown) options.countdown = [&env](TaskCountdown& c) { return terminalCountdown(env, c); };
  return pollOnce(env.app(), options);
}

bool onTerminal() { return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1; }

int runDue(Env& env) {
  const PollResult r = poll(env, onTerminal() && !env.yes);
  Record out;
  out.add("outcome", text(outcomeName(r.outcome)));
  out.add("task", static_cast<std::int64_t>(r.taskId));
  out.add("log", static_cast<std::int64_t>(r.logId));
  out.add("result", static_cast<std::int64_t>(r.taskResult));
  out.add("reason", text(r.why));
  print(env.out, out, env.format());
  if (r.outcome == PollOutcome::Waiting)
    env.ui().message(kTitle, r.why + " The task waits for the next check.", MessageKind::Information);
  return r.outcome == PollOutcome::Ran && r.taskResult == kTaskFailed ? kFailure : kSuccess;
}

int daemon(Env& env) {
  struct sigaction sa {};
  sa.sa_handler = onStopSignal;
  sigemptyset(&sa.sa_mask);
  struct sigaction oldInt {
  }, oldTerm{};
  sigaction(SIGINT, &sa, &oldInt);
  sigaction(SIGTERM, &sa, &oldTerm);
  env.ui().message(kTitle, "Checking for due tasks every 15 seconds; Ctrl-C ends.", MessageKind::Information);
  int status = kSuccess;
  while (!stopDaemon) {
    // Settings another process changed (tasks switched off, the period)
    // count from the next check on.
    loadSettings(env.app().ctx());
    const PollResult r = poll(env, onTerminal() && !env.yes);
    if (r.outcome == PollOutcome::Ran) {
      env.ui().message(kTitle,
                       "Task " + std::to_string(r.taskId) + " ran with result " + std::to_string(r.taskResult) + ".",
                       MessageKind::Information);
      // runStoppable put its own Ctrl-C handling back: ours again.
      sigaction(SIGINT, &sa, nullptr);
    } else if (r.outcome == PollOutcome::Waiting) {
      env.ui().message(kTitle, r.why + " The task waits for the next check.", MessageKind::Information);
    }
    for (int i = 0; i < 15 && !stopDaemon; ++i) std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  return status;
}

// --- install / uninstall -------------------------------------------------

fs::path programPath() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path("quorvel") : self;
}

// `name` found in $PATH, or empty.
fs::path findInPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string all(path);
  std::size_t at = 0;
  while (at <= all.size()) {
    const std::size_t end = all.find(':', at);
    const std::string dir = all.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (!dir.empty()) {
      const fs::path candidate = fs::path(dir) / name;
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return {};
}

// systemd user units can be used: systemctl is there, and the environment
// does not rule it out (QUORVEL_NO_SYSTEMD=1, for machines and tests that
// want the crontab way).
bool systemdAvailable() {
  const char* off = std::getenv("QUORVEL_NO_SYSTEMD");
  if (off != nullptr && std::string(off) == "1") return false;
  return !findInPath("systemctl").empty();
}

fs::path unitDirectory() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config == '/') return fs::path(config) / "systemd" / "user";
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr ? home : "") / ".config" / "systemd" / "user";
}

std::string quoted(const std::string& s) {
  std::string q = "'";
  for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string runDueCommand(const fs::path& home) {
  return quoted(programPath().string()) + " --home " + quoted(home.string()) + " scheduler run-due";
}

// cron turns an unescaped % into a line end.
std::string crontabLine(const fs::path& home) {
  std::string line;
  for (const char c : runDueCommand(home)) line += c == '%' ? std::string("\\%") : std::string(1, c);
  return "* * * * * " + line + " >/dev/null 2>&1";
}

// A word of a unit's ExecStart: in double quotes, with systemd's specifier
// (%) and variable ($) signs doubled and quotes and backslashes escaped.
std::string unitWord(const std::string& s) {
  std::string w = "\"";
  for (const char c : s) {
    if (c == '%' || c == '$')
      w += std::string(2, c);
    else if (c == '"' || c == '\\')
      w += std::string("\\") + c;
    else
      w += c;
  }
  return w + "\"";
}

int systemctl(const std::string& args) {
  const std::string cmd = "systemctl --user " + args + " >/dev/null 2>&1";
  return std::system(cmd.c_str());
}

// The data home without starting the program in it: install and uninstall
// change nothing there.
fs::path dataHome(Env& env) { return resolveHome(env.home ? std::optional<fs::path>(*env.home) : std::nullopt); }

int install(Env& env) {
  const fs::path home = dataHome(env);
  if (!systemdAvailable()) {
    env.ui().message(kTitle,
                     "systemd is not available. Add this line to your crontab (crontab -e):", MessageKind::Information);
    env.out << crontabLine(home) << "\n";
    return kSuccess;
  }
  const fs::path dir = unitDirectory();
  std::error_code ec;
  fs::create_directories(dir, ec);
  const fs::path service = dir / (std::string(kUnitName) + ".service");
  const fs::path timer = dir / (std::string(kUnitName) + ".timer");
  {
    std::ofstream s(service, std::ios::trunc);
    s << "[Unit]\nDescription=Quorvel scheduled tasks: run what is due\n\n"
      << "[Service]\nType=oneshot\n"
      // systemd's own quoting: each word in double quotes.
      << "ExecStart=" << unitWord(programPath().string()) << " --home " << unitWord(home.string())
      << " scheduler run-due\n";
    std::ofstream t(timer, std::ios::trunc);
    t << "[Unit]\nDescription=Quorvel scheduled tasks: check for due tasks every minute\n\n"
      << "[Timer]\nOnBootSec=1min\nOnUnitActiveSec=1min\nAccuracySec=5s\n\n"
      << "[Install]\nWantedBy=timers.target\n";
    if (!s || !t) {
      env.ui().message(kTitle, "The unit files cannot be written in " + dir.string() + ".", MessageKind::Error);
      return kFailure;
    }
  }
  env.out << service.string() << "\n" << timer.string() << "\n";
  if (systemctl("daemon-reload") != 0 || systemctl(std::string("enable --now ") + kUnitName + ".timer") != 0) {
    env.ui().message(kTitle,
                     "The unit files are written, but systemctl --user could not enable the timer (no user session?). "
                     "Run: systemctl --user enable --now " +
                         std::string(kUnitName) + ".timer",
                     MessageKind::Warning);
    return kFailure;
  }
  return kSuccess;
}

int uninstall(Env& env) {
  const fs::path home = dataHome(env);
  if (!systemdAvailable()) {
    env.ui().message(
        kTitle, "systemd is not available. Remove this line from your crontab (crontab -e):", MessageKind::Information);
    env.out << crontabLine(home) << "\n";
    return kSuccess;
  }
  systemctl(std::string("disable --now ") + kUnitName + ".timer");
  const fs::path dir = unitDirectory();
  std::error_code ec;
  for (const char* ext : {".timer", ".service"}) {
    const fs::path f = dir / (std::string(kUnitName) + ext);
    if (fs::remove(f, ec)) env.out << f.string() << "\n";
  }
  systemctl("daemon-reload");
  return kSuccess;
}

}  // namespace

void addSchedulerCommands(CLI::App& app, Env& env) {
  CLI::App* s = addCommand(app, "scheduler", "Run scheduled tasks unattended", "quorvel scheduler run-due");
  s->require_subcommand(1);
  addCommand(*s, "run-due", "Check once for a due task and run it (exit status 1 when one of its imports failed)",
             "quorvel scheduler run-due")
      ->callback([&env] { env.action = runDue; });
  addCommand(*s, "daemon", "Check for due tasks every 15 seconds until stopped", "quorvel scheduler daemon")
      ->callback([&env] { env.action = daemon; });
  addCommand(*s, "install",
             "Run run-due every minute: a systemd user timer, or the crontab line to add where systemd is absent",
             "quorvel scheduler install")
      ->callback([&env] { env.action = install; });
  addCommand(*s, "uninstall", "Remove the systemd user timer, or print the crontab line to remove",
             "quorvel scheduler uninstall")
      ->callback([&env] { env.action = uninstall; });
}

}  // namespace qv::app::cli
