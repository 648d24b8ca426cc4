// Runs a piece of work in a child process and measures it there: the
// processor time it took (not wall time, so a busy machine does not stretch
// it) and how far the child's resident memory grew beyond what a child
// that does nothing uses. The work's result comes back through a pipe, so
// a crash or a limit that kills the child shows as a failed run.
#pragma once

#include <cstddef>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora {

struct ChildRun {
  bool ended = false;      // the child finished and reported back
  bool ok = false;         // what the work returned
  double seconds = 0;      // processor time of the work alone
  long peakKilobytes = 0;  // the child's peak resident memory
  long idleKilobytes = 0;  // the same for a child that does nothing, just before

  // How far the work made the child's memory grow, in megabytes.
  double growthMegabytes() const {
    return static_cast<double>(peakKilobytes - idleKilobytes) / 1024.0;
  }
};

inline double processorSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

template <typename Work>
ChildRun runOnce(Work work) {
  struct Report {
    bool ok;
    double seconds;
  };
  ChildRun run;
  int channel[2];
  if (pipe(channel) != 0) return run;
  const pid_t child = fork();
  if (child < 0) return run;
  if (child == 0) {
    close(channel[0]);
    const double start = processorSeconds();
    Report report{work(), 0};
    report.seconds = processorSeconds() - start;
    const bool sent =
        write(channel[1], &report, sizeof report) == static_cast<ssize_t>(sizeof report);
    _exit(sent ? 0 : 1);
  }
  close(channel[1]);
  Report report{};
  const bool received =
      read(channel[0], &report, sizeof report) == static_cast<ssize_t>(sizeof report);
  close(channel[0]);
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return run;
  run.ended = received && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.ok = report.ok;
  run.seconds = report.seconds;
  run.peakKilobytes = usage.ru_maxrss;
  return run;
}

template <typename Work>
ChildRun runInChild(Work work) {
  const long idle = runOnce([] { return true; }).peakKilobytes;
  ChildRun run = runOnce(work);
  run.idleKilobytes = idle;
  return run;
}

}  // namespace velmora
