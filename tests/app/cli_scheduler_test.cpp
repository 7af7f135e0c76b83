// Scheduled tasks through the real program: a task run by
// `quorvel scheduler run-due`, and install/uninstall without systemd.
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>

#include "tests/app/cli_process_fixture.h"

namespace qv::test {
namespace {

class CliSchedulerTest : public CliProcessTest {
 protected:
  std::string lastLine(const std::string& out) const {
    std::string s = out;
    while (!s.empty() && s.back() == '\n') s.pop_back();
    return s.substr(s.find_last_of('\n') + 1);
  }
  // Every file below `dir` with its size and time of change.
  std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> snapshot(const fs::path& dir) const {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
      files[e.path().string()] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time()};
    return files;
  }
};

// Sets an environment variable for the test's child processes, and puts
// the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST_F(CliSchedulerTest, RunDueImportsTheGoodDefinitionLogsBothAndHousekeepsTheDatabase) {
  const fs::path src = parent / "src";
  fs::create_directories(src);
  std::ofstream(src / "box", std::ios::binary) << "From bob@example.org Mon Jan  1 10:00:00 2001\n"
                                                  "From: Bob Ray <bob@example.org>\n"
                                                  "To: Jane Smith <jane@example.org>\n"
                                                  "Subject: lunch\n"
                                                  "Date: Mon, 1 Jan 2001 10:00:00 +0000\n"
                                                  "Message-ID: <1@example.org>\n\ntext\n\n";
  const std::string db = addMail(home);
  const std::string good =
      lastLine(run(home, {"definitions", "add", "good", "--format", "Generic Mail Type 2", "--method", "files",
                          "--path", src.string(), "--file", "box", "--mail", "--mail-db", db}));
  const std::string missing =
      lastLine(run(home, {"definitions", "add", "missing", "--format", "Generic Mail Type 2", "--method", "dir",
                          "--path", (parent / "no such folder").string(), "--mail", "--mail-db", db}));
  const std::string task = lastLine(run(home, {"tasks", "add", "Nightly", "--definition", good, "--definition", missing,
                                               "--dupes", "--purge", "--count"}));
  run(home, {"tasks", "run-now", task});

  // Not on a terminal: no countdown, no question; status 1 for result 2.
  const std::string ran = run(home, {"--json", "scheduler", "run-due"}, 1);
  EXPECT_NE(ran.find("\"outcome\": \"ran\""), std::string::npos) << ran;
  EXPECT_NE(ran.find("\"result\": 2"), std::string::npos) << ran;
  EXPECT_EQ(ran.find("Answer:"), std::string::npos) << ran;  // nothing was asked

  const std::string log = run(home, {"--json", "tasks", "log", task});
  EXPECT_NE(log.find("{\"log\": 1, \"item\": \"run\", \"type\": 0, \"id\": " + task), std::string::npos) << log;
  EXPECT_NE(log.find("\"result\": 2}"), std::string::npos) << log;
  EXPECT_NE(log.find("\"item\": \"import\", \"type\": 1, \"id\": " + good), std::string::npos) << log;
  EXPECT_NE(log.find("\"item\": \"import\", \"type\": 1, \"id\": " + missing), std::string::npos) << log;
  auto resultOf = [&log](const std::string& what) {
    const std::size_t at = log.find(what);
    if (at == std::string::npos) return std::string("none");
    const std::size_t r = log.find("\"result\": ", at) + 10;
    return log.substr(r, 1);
  };
  EXPECT_EQ(resultOf("\"type\": 1, \"id\": " + good), "1");
  EXPECT_EQ(resultOf("\"type\": 1, \"id\": " + missing), "2");
  // Housekeeping for the database that received mail: duplicates, then the
  // purge, which counts; no separate count.
  EXPECT_EQ(resultOf("\"item\": \"dupes\", \"type\": 6, \"id\": " + db), "1");
  EXPECT_EQ(resultOf("\"item\": \"purge\", \"type\": 2, \"id\": " + db), "1");
  EXPECT_EQ(log.find("\"item\": \"count\""), std::string::npos) << log;

  // The mail is there, and the task (no repeat, no date) is done with.
  EXPECT_NE(run(home, {"--json", "browse", "--db", db}).find("lunch"), std::string::npos);
  const std::string shown = run(home, {"--json", "tasks", "show", task});
  EXPECT_NE(shown.find("\"active\": false"), std::string::npos) << shown;
  EXPECT_NE(shown.find("\"last result\": 2"), std::string::npos) << shown;
  const std::string again = run(home, {"--json", "scheduler", "run-due"});
  EXPECT_NE(again.find("\"outcome\": \"nothing due\""), std::string::npos) << again;
}

TEST_F(CliSchedulerTest, InstallWithoutSystemdPrintsTheCrontabLineAndChangesNothing) {
  run(home, {"info"});
  const fs::path config = parent / "config";
  ScopedEnv noSystemd("QUORVEL_NO_SYSTEMD", "1");
  ScopedEnv configHome("XDG_CONFIG_HOME", config.string());
  const auto before = snapshot(parent.path());
  for (const char* verb : {"install", "uninstall"}) {
    const std::string out = run(home, {"scheduler", verb});
    EXPECT_NE(out.find("crontab"), std::string::npos) << out;
    EXPECT_NE(out.find("* * * * * '"), std::string::npos) << out;
    EXPECT_NE(out.find("--home '" + fs::canonical(home).string() + "' scheduler run-due"), std::string::npos) << out;
  }
  EXPECT_EQ(snapshot(parent.path()), before);
  EXPECT_FALSE(fs::exists(config));
}

TEST_F(CliSchedulerTest, InstallWithSystemdWritesTheUnitsAndUninstallRemovesThem) {
  run(home, {"info"});
  // A stand-in systemctl that logs its arguments.
  const fs::path bin = parent / "bin";
  fs::create_directories(bin);
  const fs::path calls = parent / "systemctl.log";
  {
    std::ofstream script(bin / "systemctl");
    script << "#!/bin/sh\necho \"$*\" >> '" << calls.string() << "'\n";
  }
  fs::permissions(bin / "systemctl", fs::perms::owner_all);
  const fs::path config = parent / "config";
  ScopedEnv path("PATH", bin.string() + ":/usr/bin:/bin");
  ScopedEnv configHome("XDG_CONFIG_HOME", config.string());
  ScopedEnv systemd("QUORVEL_NO_SYSTEMD", "0");
  run(home, {"scheduler", "install"});
  const fs::path units = config / "systemd" / "user";
  ASSERT_TRUE(fs::exists(units / "quorvel-scheduler.timer"));
  std::ifstream service(units / "quorvel-scheduler.service");
  const std::string text((std::istreambuf_iterator<char>(service)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("ExecStart=\"" + std::string(QV_QUORVEL) + "\" --home \"" + fs::canonical(home).string() +
                      "\" scheduler run-due"),
            std::string::npos)
      << text;
  run(home, {"scheduler", "uninstall"});
  EXPECT_FALSE(fs::exists(units / "quorvel-scheduler.timer"));
  EXPECT_FALSE(fs::exists(units / "quorvel-scheduler.service"));
  std::ifstream log(calls);
  const std::string called((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_EQ(called,
            "--user daemon-reload\n--user enable --now quorvel-scheduler.timer\n"
            "--user disable --now quorvel-scheduler.timer\n--user daemon-reload\n");
}

}  // namespace
}  // namespace qv::test
