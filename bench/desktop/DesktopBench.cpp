// The desktop benchmark's measuring side: runs Velmora2.exe and the minimal
// launcher alternately under Wine in the virtual desktop on this X display,
// presses keys with XTest and takes the time when the pixels change on the
// screen. scripts/bench-desktop.sh prepares the display and the prefix.
//   desktop_bench <Velmora2.exe> <MinimalLauncher.exe> <log folder>
// BENCH_RUNS, BENCH_TRIALS and BENCH_SHOWINGS change the counts.
#include "bench/desktop/DesktopMeasure.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace velmora::bench;
using Clock = std::chrono::steady_clock;

// The taskbar and its notification area take the bottom rows of the desktop;
// windows are looked for above them.
constexpr int TaskbarRows = 40;
constexpr double WindowShare = 0.5;  // of the window's area changed: it is shown
constexpr double GoneShare = 0.02;   // at most this much still differs: hidden
constexpr double RetypeMs = 3;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void pause(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// The system's load average of the last minute, as /proc tells it.
std::string loadAverage() {
  std::ifstream file("/proc/loadavg");
  std::string minute;
  file >> minute;
  return minute.empty() ? "?" : minute;
}

int countFromEnvironment(const char* name, int fallback) {
  const char* value = std::getenv(name);
  const int count = value != nullptr ? std::atoi(value) : 0;
  return count > 0 ? count : fallback;
}

class Screen {
 public:
  Screen() : display_(XOpenDisplay(nullptr)) {
    if (display_ == nullptr) throw std::runtime_error("cannot open the X display");
    int event, error, major, minor;
    if (!XTestQueryExtension(display_, &event, &error, &major, &minor))
      throw std::runtime_error("the X server has no XTest");
    root_ = DefaultRootWindow(display_);
    width_ = DisplayWidth(display_, DefaultScreen(display_));
    height_ = DisplayHeight(display_, DefaultScreen(display_));
  }
  ~Screen() { XCloseDisplay(display_); }
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  Area desktop() const { return {0, 0, width_, height_ - TaskbarRows}; }
  Area notificationArea() const {
    return {width_ / 2, height_ - TaskbarRows, width_ / 2, TaskbarRows};
  }

  Image grab(const Area& area) {
    Image image{area.width, area.height, {}};
    XImage* x = XGetImage(display_, root_, area.left, area.top, static_cast<unsigned>(area.width),
                          static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    if (x == nullptr) throw std::runtime_error("XGetImage failed");
    image.pixels.resize(static_cast<std::size_t>(area.width) * area.height);
    const bool direct = x->bits_per_pixel == 32 && x->red_mask == 0xFF0000 &&
                        x->green_mask == 0xFF00 && x->blue_mask == 0xFF;
    for (int y = 0; y < area.height; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(x->data + y * x->bytes_per_line);
      for (int column = 0; column < area.width; ++column) {
        image.pixels[static_cast<std::size_t>(y) * area.width + column] =
            (direct ? row[column] : XGetPixel(x, column, y)) & 0xFFFFFF;
      }
    }
    XDestroyImage(x);
    return image;
  }

  // Press and release; the time taken is that of the press.
  Clock::time_point tap(KeySym key) {
    const KeyCode code = XKeysymToKeycode(display_, key);
    const Clock::time_point pressed = Clock::now();
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    XFlush(display_);
    return pressed;
  }

  // Keys go to the window under the pointer: the Wine desktop, away from the
  // tray icon and its tip.
  void pointAtDesktop() {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), 5, 5, CurrentTime);
    XFlush(display_);
  }

 private:
  Display* display_;
  Window root_;
  int width_ = 0, height_ = 0;
};

// Polls `done` until it holds; the milliseconds since `start`, or nothing
// after `limit` milliseconds.
std::optional<double> waitFor(Clock::time_point start, double limit,
                              const std::function<bool()>& done) {
  for (;;) {
    if (done()) return millisecondsSince(start);
    if (millisecondsSince(start) > limit) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::microseconds(250));
  }
}

pid_t spawn(const std::vector<std::string>& argv, const std::string& folder,
            const std::string& log) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
      dup2(out, 1);
      dup2(out, 2);
      close(out);
    }
    const int in = open("/dev/null", O_RDONLY);
    if (in >= 0) dup2(in, 0);
    setsid();
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  return pid;
}

bool exitedWithin(pid_t pid, int milliseconds) {
  const Clock::time_point start = Clock::now();
  while (millisecondsSince(start) < milliseconds) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return true;
    pause(10);
  }
  return false;
}

// Resident memory in MB, from /proc: the total and its anonymous part.
struct Resident {
  double total = 0, anonymous = 0;
};

std::optional<Resident> residentOf(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  Resident resident;
  bool found = false;
  for (std::string line; std::getline(status, line);) {
    std::istringstream fields(line);
    std::string key;
    double kilobytes = 0;
    fields >> key >> kilobytes;
    if (key == "VmRSS:") {
      resident.total = kilobytes / 1024;
      found = true;
    } else if (key == "RssAnon:") {
      resident.anonymous = kilobytes / 1024;
    }
  }
  if (!found) return std::nullopt;
  return resident;
}

// What the warm-up run learned of a program's window.
struct Calibration {
  Area window;
  Mark character;
};

struct Program {
  std::string label, exe, folder, image;
  std::optional<Calibration> calibration;
  std::string note;  // why hotkey figures are n/a
  std::vector<double> start, firstShow, show, character, residentStart, anonymousStart,
      residentAfter, growth, showings;
  int lostCharacters = 0, missedShowings = 0, failedRuns = 0;
};

class Bench {
 public:
  // The notification area is taken as empty now, before any program runs.
  explicit Bench(std::string logFolder)
      : logFolder_(std::move(logFolder)), emptyTray_(steadyNotificationArea()) {
    samples_.open(logFolder_ + "/samples.csv");
    samples_ << "program,run,what,value\n";
  }

  // One start of the program, measured; false when it did not come up.
  bool run(Program& program, int number) {
    if (!waitTrayIcon(false, 5000)) {
      std::cerr << "an icon of an earlier run is still in the notification area\n";
      return false;
    }
    const Clock::time_point spawned = Clock::now();
    pid_ = spawn({"wine", program.exe}, program.folder, logFolder_ + "/" + program.label + ".log");
    const auto start = waitFor(spawned, 30000, [&] { return trayIconShown(); });
    if (!start) {
      std::cerr << program.label << ": no tray icon within 30 s\n";
      stop(program);
      return false;
    }
    record(program, number, "start_ms", *start, program.start);
    pause(1000);
    const auto afterStart = residentOf(pid_);
    if (afterStart) {
      record(program, number, "resident_start_mb", afterStart->total, program.residentStart);
      record(program, number, "anonymous_start_mb", afterStart->anonymous, program.anonymousStart);
    }
    if (program.calibration) {
      screen_.pointAtDesktop();
      typedTrials(program, number);
      showings(program, number);
    }
    stop(program);
    return true;
  }

  // A run that is not counted: learns where the window appears and what a
  // typed character changes in it, or that F12 shows nothing.
  void calibrate(Program& program) {
    const Clock::time_point spawned = Clock::now();
    pid_ = spawn({"wine", program.exe}, program.folder, logFolder_ + "/" + program.label + ".log");
    if (!waitFor(spawned, 30000, [&] { return trayIconShown(); })) {
      program.note = "the program did not start";
      stop(program);
      return;
    }
    pause(1000);
    screen_.pointAtDesktop();
    const Area desktop = screen_.desktop();
    const Image hidden = screen_.grab(desktop);
    const Clock::time_point pressed = screen_.tap(XK_F12);
    const auto shown = waitFor(pressed, 3000, [&] {
      pause(20);
      return differingShare(hidden, screen_.grab(desktop)) > 0;
    });
    if (!shown) {
      program.note = "F12 shows no window";
      stop(program);
      return;
    }
    pause(500);
    const Area window = changedArea(hidden, screen_.grab(desktop));
    Calibration calibration{window, {}};
    const std::vector<Image> empty = steadySamples(window);
    screen_.tap(XK_w);
    pause(300);
    const std::vector<Image> typed = steadySamples(window);
    calibration.character = characterMark(empty, typed);
    screen_.tap(XK_BackSpace);
    pause(200);
    screen_.tap(XK_Escape);
    pause(300);
    if (calibration.character.at.empty()) program.note = "a typed character does not appear";
    std::cout << program.label << ": window at " << window.left << "," << window.top << " "
              << window.width << "x" << window.height << ", a typed character changes "
              << calibration.character.at.size() << " pixels\n";
    program.calibration = calibration;
    stop(program);
  }

 private:
  // The desktop may still be drawing its taskbar: the area once it is still.
  Image steadyNotificationArea() {
    Image last = screen_.grab(screen_.notificationArea());
    for (int i = 0; i < 40; ++i) {
      pause(500);
      Image now = screen_.grab(screen_.notificationArea());
      if (differingPixels(last, now) == 0) return now;
      last = std::move(now);
    }
    throw std::runtime_error("the notification area does not settle");
  }

  bool trayIconShown() { return showsIcon(emptyTray_, screen_.grab(screen_.notificationArea())); }

  bool waitTrayIcon(bool shown, int milliseconds) {
    return waitFor(Clock::now(), milliseconds, [&] { return trayIconShown() == shown; })
        .has_value();
  }

  // Ten samples over more than one blink of the caret.
  std::vector<Image> steadySamples(const Area& window) {
    std::vector<Image> samples;
    for (int i = 0; i < 10; ++i) {
      samples.push_back(screen_.grab(window));
      pause(70);
    }
    return samples;
  }

  // F12, the window's pixels, a typed character's pixels; then the
  // character is taken back and Esc hides the window.
  void typedTrials(Program& program, int number) {
    const Area window = program.calibration->window;
    const int trials = countFromEnvironment("BENCH_TRIALS", 5);
    for (int trial = 0; trial < trials; ++trial) {
      const Image hidden = screen_.grab(window);
      const Clock::time_point pressed = screen_.tap(XK_F12);
      const auto shown = waitFor(pressed, 3000, [&] {
        return differingShare(hidden, screen_.grab(window)) >= WindowShare;
      });
      if (!shown) {
        ++program.missedShowings;
        continue;
      }
      record(program, number, trial == 0 ? "first_show_ms" : "show_ms", *shown,
             trial == 0 ? program.firstShow : program.show);
      if (!program.calibration->character.at.empty()) {
        const auto typed = typeCharacter(pressed, window, program.calibration->character);
        if (typed) {
          record(program, number, "character_ms", *typed, program.character);
        } else {
          ++program.lostCharacters;
        }
      }
      hide(window, hidden);
      pause(100);
    }
  }

  // The window takes keys a little after its pixels appear (its activation
  // comes last), and a key before that goes elsewhere: the character is typed
  // again every few milliseconds until it shows, as a quick typist would
  // find it. The time is from F12; the characters are taken back after.
  std::optional<double> typeCharacter(Clock::time_point pressed, const Area& window,
                                      const Mark& mark) {
    int typedKeys = 0;
    const auto shown = pressUntil(XK_w, RetypeMs, pressed, typedKeys,
                                  [&] { return showsMark(screen_.grab(window), mark); });
    for (int i = 0; i < typedKeys; ++i) screen_.tap(XK_BackSpace);
    waitFor(Clock::now(), 1000, [&] { return !showsMark(screen_.grab(window), mark); });
    return shown;
  }

  // F12 and Esc, again and again; the resident memory afterwards.
  void showings(Program& program, int number) {
    const Area window = program.calibration->window;
    const Image hidden = screen_.grab(window);
    const int count = countFromEnvironment("BENCH_SHOWINGS", 100);
    // Growth is counted from here, after the first showings have made what a
    // shown window needs once.
    const auto before = residentOf(pid_);
    std::vector<double> times;
    int missed = 0;
    for (int i = 0; i < count && missed < 3; ++i) {
      const Clock::time_point pressed = screen_.tap(XK_F12);
      const auto shown = waitFor(pressed, 3000, [&] {
        return differingShare(hidden, screen_.grab(window)) >= WindowShare;
      });
      if (!shown) {
        ++missed;
        continue;
      }
      times.push_back(*shown);
      if (!hide(window, hidden)) ++missed;
    }
    program.missedShowings += missed;
    if (missed >= 3) return;
    record(program, number, "showing_ms", *median(times), program.showings);
    pause(500);
    const auto after = residentOf(pid_);
    if (!after) return;
    record(program, number, "resident_after_mb", after->total, program.residentAfter);
    sample(program, number, "anonymous_after_mb", after->anonymous);
    if (before) record(program, number, "growth_mb", after->total - before->total, program.growth);
  }

  // Esc, again while the window still shows (a key that came before its
  // activation went elsewhere); false when it stays.
  bool hide(const Area& window, const Image& hidden) {
    int keys = 0;
    return pressUntil(XK_Escape, 50, Clock::now(), keys,
                      [&] { return differingShare(hidden, screen_.grab(window)) <= GoneShare; })
        .has_value();
  }

  // Presses the key, and again every `interval` ms, until `done` holds (at
  // most 3 s); the milliseconds since `start`. `presses` counts the keys.
  std::optional<double> pressUntil(KeySym key, double interval, Clock::time_point start,
                                   int& presses, const std::function<bool()>& done) {
    Clock::time_point last{};
    return waitFor(start, 3000, [&] {
      if (done()) return true;
      if (presses == 0 || millisecondsSince(last) >= interval) {
        last = screen_.tap(key);
        ++presses;
      }
      return false;
    });
  }

  // Closes the program's windows (as a log-off would, without the
  // confirmation), so that it takes its icon away; killed if it lingers.
  void stop(Program& program) {
    const pid_t closer = spawn({"wine", "taskkill", "/im", program.image}, program.folder,
                               logFolder_ + "/taskkill.log");
    exitedWithin(closer, 30000);
    if (!exitedWithin(pid_, 15000)) {
      std::cerr << program.label << ": did not end after WM_CLOSE; killed\n";
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      ++program.failedRuns;
    }
    waitTrayIcon(false, 5000);
    pause(300);
  }

  void sample(const Program& program, int number, const char* what, double value) {
    samples_ << program.label << "," << number << "," << what << "," << value << "\n";
  }

  void record(const Program& program, int number, const char* what, double value,
              std::vector<double>& into) {
    into.push_back(value);
    sample(program, number, what, value);
  }

  Screen screen_;
  std::string logFolder_;
  Image emptyTray_;
  std::ofstream samples_;
  pid_t pid_ = -1;
};

std::optional<double> fileSizeKb(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<double>(info.st_size) / 1024;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

Program program(const std::string& label, const std::string& exe) {
  const std::size_t slash = exe.rfind('/');
  Program program;
  program.label = label;
  program.exe = exe;
  program.folder = folderOf(exe);
  program.image = slash == std::string::npos ? exe : exe.substr(slash + 1);
  return program;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: desktop_bench <Velmora2.exe> <MinimalLauncher.exe> <log folder>\n";
    return 2;
  }
  try {
    Program velmora = program("Velmora2", argv[1]);
    Program minimal = program("minimal", argv[2]);
    Bench bench(argv[3]);
    const int runs = countFromEnvironment("BENCH_RUNS", 7);
    const std::string showings =
        std::to_string(countFromEnvironment("BENCH_SHOWINGS", 100)) + " showings";
    const Clock::time_point began = Clock::now();
    const std::string loadBefore = loadAverage();

    bench.calibrate(velmora);
    bench.calibrate(minimal);
    for (int run = 1; run <= runs; ++run) {
      for (Program* program : {&velmora, &minimal}) {
        if (!bench.run(*program, run)) ++program->failedRuns;
      }
      std::cout << "run " << run << " of " << runs << " done\n" << std::flush;
    }

    // A figure that could not be measured has no samples, and is n/a.
    std::vector<Figure> figures = {
        {"start to tray icon (ms)", median(velmora.start), median(minimal.start)},
        {"F12 to window, first after start (ms)", median(velmora.firstShow),
         median(minimal.firstShow)},
        {"F12 to window (ms)", median(velmora.show), median(minimal.show)},
        {"F12 to typed character (ms)", median(velmora.character), median(minimal.character)},
        {"F12 to window, in the " + showings + " (ms)", median(velmora.showings),
         median(minimal.showings)},
        {"resident after start (MB)", median(velmora.residentStart), median(minimal.residentStart),
         2},
        {"  of it anonymous, not file pages (MB)", median(velmora.anonymousStart),
         median(minimal.anonymousStart), 2},
        {"resident after the " + showings + " (MB)", median(velmora.residentAfter),
         median(minimal.residentAfter), 2},
        {"growth during the " + showings + " (MB)", median(velmora.growth), median(minimal.growth),
         2},
        {"exe size (KB)", fileSizeKb(velmora.exe), fileSizeKb(minimal.exe), 0},
    };
    std::cout << "\n"
              << runs << " runs of each program, alternately; "
              << countFromEnvironment("BENCH_TRIALS", 5) << " typed characters and " << showings
              << " per run\n"
              << resultTable(figures);
    for (const Program* program : {&velmora, &minimal}) {
      std::cout << program->label << ": " << program->start.size() << " runs measured";
      if (!program->note.empty()) std::cout << "; hotkey n/a: " << program->note;
      std::cout << "; " << program->character.size() << " typed characters seen, "
                << program->lostCharacters << " lost; " << program->missedShowings
                << " showings missed; " << program->failedRuns << " runs failed\n";
    }
    std::cout << "took " << static_cast<int>(millisecondsSince(began) / 1000) << " s; load average "
              << loadBefore << " before, " << loadAverage() << " after; samples in " << argv[3]
              << "/samples.csv\n";
    return velmora.start.empty() || minimal.start.empty() ? 1 : 0;
  } catch (const std::exception& error) {
    std::cerr << "desktop_bench: " << error.what() << "\n";
    return 1;
  }
}
