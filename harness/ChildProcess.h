// Programs that the native drivers of the Windows build (the end-to-end
// tests and the desktop benchmark) start from Linux, mostly `wine` with a
// program: started in a folder with the output in a log file, waited for,
// and killed when they outlive their owner.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace velmora::harness {

class ChildProcess {
 public:
  // `ownSession` puts the child in a session of its own, so that a Ctrl+C
  // meant for the driver does not reach it first.
  ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& folder,
               const std::filesystem::path& log, bool ownSession = false) {
    pid_ = fork();
    if (pid_ != 0) return;
    if (chdir(folder.c_str()) != 0) _exit(126);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
      dup2(out, 1);
      dup2(out, 2);
      close(out);
    }
    const int in = open("/dev/null", O_RDONLY);
    if (in >= 0) dup2(in, 0);
    if (ownSession) setsid();
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  ~ChildProcess() { kill(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }

  // The exit code (128 + the signal for a signalled end), or nothing while
  // the process still runs after `seconds`.
  std::optional<int> wait(double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (!code_ && pid_ > 0) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >
          seconds) {
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return code_;
  }

  // Ends a process that still runs, at once, and reaps it.
  void kill() {
    if (pid_ <= 0 || code_) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    code_ = 128 + SIGKILL;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> code_;
};

}  // namespace velmora::harness
