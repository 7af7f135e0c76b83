#pragma once
// Starts a helper program (or the quorvel program) as a second process,
// reads its output, and kills it on request or at the end of the test.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace qv::test {

class ChildProcess {
 public:
  // `withStderr`: the child's standard error goes into the same pipe as its
  // standard output.
  explicit ChildProcess(std::vector<std::string> args, bool withStderr = false) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fds[1], 1);
      if (withStderr) ::dup2(fds[1], 2);
      ::close(fds[0]);
      ::close(fds[1]);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~ChildProcess() {
    kill();
    if (out_ >= 0) ::close(out_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line the child writes to its standard output ("" at its end).
  std::string readLine() {
    std::string line;
    char c;
    while (::read(out_, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }
  // Everything the child writes until it closes its output.
  std::string readAll() {
    std::string all;
    char buf[4096];
    for (ssize_t n; (n = ::read(out_, buf, sizeof buf)) > 0;) all.append(buf, static_cast<std::size_t>(n));
    return all;
  }
  pid_t pid() const { return pid_; }
  // Kills the child at once (SIGKILL) and reaps it.
  void kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  // Waits for the child to end; returns its exit status (-1 when killed).
  int wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

}  // namespace qv::test
