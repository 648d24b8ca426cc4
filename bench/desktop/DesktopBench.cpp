// The desktop benchmark's measuring side: runs Velmora2.exe and the minimal
// launcher alternately under Wine in the virtual desktop on this X display,
// presses keys with XTest and takes the time when the pixels change on the
// screen; first with an empty list, then with a full one of 250 entries that
// both programs load, and last a soak of many showings of each.
// scripts/bench-desktop.sh prepares the display and the prefix.
//   desktop_bench <Velmora2.exe> <MinimalLauncher.exe> <Witness.exe> <GuiObjects.exe> <folder>
// The programs are copied into fresh folders under <folder>, whose logs/
// gets the samples. BENCH_RUNS, BENCH_TRIALS, BENCH_DROPS, BENCH_ENTERS,
// BENCH_SHOWINGS and BENCH_SOAK change the counts.
#include "bench/desktop/DesktopMeasure.h"
#include "bench/desktop/FullList.h"
#include "harness/ChildProcess.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace velmora::bench;
using velmora::harness::ChildProcess;
using Clock = std::chrono::steady_clock;

// The taskbar and its notification area take the bottom rows of the desktop;
// windows are looked for above them.
constexpr int TaskbarRows = 40;
constexpr double WindowShare = 0.5;  // of the window's area changed: it is shown
constexpr double GoneShare = 0.02;   // at most this much still differs: hidden
constexpr double ListShare = 0.95;   // of the dropped list's pixels there: it is drawn
constexpr double RetypeMs = 3;
// Esc again after this long (and then longer) while the window stays: the
// window's pixels come before its activation, and a key pressed between goes
// to the desktop.
constexpr double RepressMs = 10;
// The witness's window: away from the launchers' windows, their lists and
// the taskbar, in a colour nothing else on the desktop has.
constexpr Area WitnessArea{40, 40, 200, 120};
constexpr std::uint32_t WitnessColour = 0xFF00FF;
constexpr std::size_t WitnessPixels = 16;
constexpr int WitnessShownMs = 300;

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
  if (value == nullptr || *value == '\0') return fallback;
  const int count = std::atoi(value);
  return count >= 0 ? count : fallback;
}

// The showings of one start run some tenths of a millisecond faster or
// slower than another start's: the number of runs, more than the samples
// within one, decides how far a median's ratio moves between benchmarks.
const int Runs = std::max(countFromEnvironment("BENCH_RUNS", 21), 1);
const int Trials = countFromEnvironment("BENCH_TRIALS", 5);
const int Drops = countFromEnvironment("BENCH_DROPS", 3);
const int Enters = countFromEnvironment("BENCH_ENTERS", 3);
const int Showings = countFromEnvironment("BENCH_SHOWINGS", 100);
const int SoakShowings = countFromEnvironment("BENCH_SOAK", 10000);

// The X window's class names the program in lower case.
bool sameImage(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

class Screen {
 public:
  Screen() : display_(XOpenDisplay(nullptr)) {
    if (display_ == nullptr) throw std::runtime_error("cannot open the X display");
    // Wine's X windows come and go while they are looked at; a call about
    // one that has just gone fails, which the callers check, instead of
    // ending the program as Xlib's own handler would.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
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

  Area whole() const { return {0, 0, width_, height_}; }
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

  // The program whose X window has the keyboard (the X input focus, which
  // the Wine desktop gives to the X window of the window it activates), as
  // its window's class names it; empty when no window has it.
  std::string keyboardProgram() {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    return focus == None || focus == PointerRoot ? std::string() : programOf(focus);
  }

  // Gives the keyboard to the program's shown X window, as a click on it
  // would; false when it has none.
  bool giveKeyboard(const std::string& image) {
    std::vector<Window> pending{root_};
    while (!pending.empty()) {
      const Window window = pending.back();
      pending.pop_back();
      XWindowAttributes attributes{};
      if (window != root_ && XGetWindowAttributes(display_, window, &attributes) &&
          attributes.map_state == IsViewable && sameImage(programOf(window), image)) {
        XSetInputFocus(display_, window, RevertToParent, CurrentTime);
        XFlush(display_);
        return true;
      }
      Window rootOut = None, parent = None;
      Window* children = nullptr;
      unsigned count = 0;
      if (XQueryTree(display_, window, &rootOut, &parent, &children, &count)) {
        pending.insert(pending.end(), children, children + count);
        if (children != nullptr) XFree(children);
      }
    }
    return false;
  }

  // Keys go to the window under the pointer: the Wine desktop, away from the
  // tray icon and its tip.
  void pointAtDesktop() {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), 5, 5, CurrentTime);
    XFlush(display_);
  }

 private:
  // The program a Wine X window belongs to, as its class names it.
  std::string programOf(Window window) {
    XClassHint hint{};
    if (!XGetClassHint(display_, window, &hint)) return {};
    std::string name = hint.res_name != nullptr ? hint.res_name : "";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return name;
  }

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

// The path as Wine's programs see it.
std::string winPath(const fs::path& path) {
  std::string text = "Z:" + fs::absolute(path).lexically_normal().string();
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  return text;
}

// What the warm-up run learned of a program's window: where it appears,
// what a typed character changes in it, and where its list drops.
struct Calibration {
  Area window;
  Mark character;
  Area list;
  Mark listMark;
};

struct Program {
  std::string label, exe, folder, image;
  std::optional<Calibration> calibration;
  std::string note;      // why the hotkey figures are n/a
  std::string listNote;  // why the drop-down is
  std::vector<double> start, firstShow, show, character, dropDown, enter, showings, residentStart,
      anonymousStart, residentAfter, growth;
  int lostCharacters = 0, missedShowings = 0, failedRuns = 0, missedDrops = 0, missedEnters = 0;
  Soak soak;
};

// One list beside both programs, each in a folder of its own.
struct Case {
  std::string name, title;
  bool full = false;
  Program velmora, minimal;
};

class Bench {
 public:
  // The notification area is taken as empty now, before any program runs.
  Bench(const fs::path& logFolder, std::string guiObjects)
      : logFolder_(logFolder),
        guiObjects_(std::move(guiObjects)),
        emptyTray_(steadyNotificationArea()) {
    samples_.open(logFolder_ / "samples.csv");
    samples_ << "case,program,run,what,value\n";
  }

  // One start of the program, measured; false when it did not come up.
  bool run(const Case& list, Program& program, int number) {
    caseName_ = list.name;
    if (!start(program)) return false;
    record(program, number, "start_ms", *startTime_, program.start);
    pause(1000);
    if (const auto afterStart = residentOf(process_->pid())) {
      record(program, number, "resident_start_mb", afterStart->total, program.residentStart);
      record(program, number, "anonymous_start_mb", afterStart->anonymous, program.anonymousStart);
    }
    if (program.calibration) {
      screen_.pointAtDesktop();
      typedTrials(program, number);
      if (!program.calibration->list.empty()) dropDowns(program, number);
      showings(program, number);
      if (list.full) enters(program, number);
    }
    stop(program);
    return true;
  }

  // A run that is not counted: learns where the window appears, what a
  // typed character changes in it and where the list drops, or that F12
  // shows nothing; with the full list it runs the witness once.
  void calibrate(const Case& list, Program& program) {
    caseName_ = list.name;
    if (!start(program)) {
      program.note = "the program did not start";
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
    Calibration calibration{changedArea(hidden, screen_.grab(desktop)), {}, {}, {}};
    const Area window = calibration.window;
    const std::vector<Image> empty = steadySamples(window);
    screen_.tap(XK_w);
    pause(300);
    const std::vector<Image> typed = steadySamples(window);
    calibration.character = characterMark(empty, typed);
    screen_.tap(XK_BackSpace);
    pause(300);
    if (calibration.character.at.empty()) program.note = "a typed character does not appear";

    const std::vector<Image> closed = steadySamples(desktop);
    screen_.tap(XK_F4);
    pause(500);
    const std::vector<Image> dropped = steadySamples(desktop);
    calibration.list = changedArea(closed.front(), dropped.front());
    if (!calibration.list.empty()) {
      std::vector<Image> closedList, droppedList;
      for (const Image& image : closed) closedList.push_back(crop(image, calibration.list));
      for (const Image& image : dropped) droppedList.push_back(crop(image, calibration.list));
      calibration.listMark = characterMark(closedList, droppedList);
    }
    if (calibration.listMark.at.empty()) {
      calibration.list = {};
      program.listNote = "F4 drops no list that stays drawn";
    }
    program.calibration = calibration;
    hide(program, crop(hidden, window), crop(hidden, calibration.list));
    std::cout << list.title << ", " << program.label << ": window at " << window.left << ","
              << window.top << " " << window.width << "x" << window.height
              << ", a typed character changes " << calibration.character.at.size()
              << " pixels, the dropped list " << calibration.listMark.at.size() << " in "
              << calibration.list.width << "x" << calibration.list.height << "\n";
    if (list.full && !enter(program)) {
      std::cout << "  Enter on " << WitnessName << " showed no witness\n";
    }
    stop(program);
  }

  // Many showings in one start, with what the program holds before and
  // after them.
  void soak(const Case& list, Program& program) {
    caseName_ = list.name;
    if (!program.calibration || !start(program)) return;
    pause(1000);
    screen_.pointAtDesktop();
    Soak& soak = program.soak;
    const Area window = program.calibration->window;
    const Image hidden = screen_.grab(window);
    // Whatever a shown window makes once is made before the counts begin.
    for (int i = 0; i < 200; ++i) showOnce(program, window, hidden);
    pause(500);
    const auto resident = [&](std::optional<double>& total, std::optional<double>& anonymous) {
      if (const auto now = residentOf(process_->pid())) {
        total = now->total;
        anonymous = now->anonymous;
      }
    };
    resident(soak.residentBefore, soak.anonymousBefore);
    guiObjects(program, soak.gdiBefore, soak.userBefore, soak.counted);
    const Clock::time_point began = Clock::now();
    int missedInARow = 0, keyboardsGiven = 0;
    for (int i = 0; i < SoakShowings && missedInARow < 20; ++i) {
      const auto shown = show(window, hidden);
      const bool gone = shown && hideWindow(program, window, hidden);
      if (gone) {
        soak.showTimes.push_back(*shown);
        ++soak.showings;
        missedInARow = 0;
      } else {
        sample(program, 0, shown ? "soak_not_hidden_at" : "soak_not_shown_at", i + 1);
        if (soak.missed < 10 || missedInARow == 19) {
          std::cout << "  showing " << (i + 1) << ": "
                    << (shown ? "Esc did not hide the window" : "F12 showed no window")
                    << "; the keyboard with " << screen_.keyboardProgram() << "\n";
        }
        if (soak.missed == 0) keepDesktop(program.label + "-soak-first-miss");
        if (missedInARow == 19) keepDesktop(program.label + "-soak-last-miss");
        // The window shown and in front, the keyboard left with the taskbar:
        // the desktop does not mend that itself, and every key after would be
        // lost. The miss is counted; the keyboard goes to the window.
        if (shown && !sameImage(screen_.keyboardProgram(), program.image) &&
            screen_.giveKeyboard(program.image)) {
          ++keyboardsGiven;
        }
        // Keys still on their way are let through before the next F12.
        ++soak.missed;
        ++missedInARow;
        pause(500);
      }
      if ((i + 1) % 2500 == 0) std::cout << "  " << (i + 1) << " showings\n" << std::flush;
    }
    soak.seconds = millisecondsSince(began) / 1000;
    if (keyboardsGiven > 0) {
      std::cout << "  the keyboard was given to the window " << keyboardsGiven << " times\n";
      sample(program, 0, "soak_keyboard_given", keyboardsGiven);
    }
    pause(500);
    resident(soak.residentAfter, soak.anonymousAfter);
    guiObjects(program, soak.gdiAfter, soak.userAfter, soak.counted);
    const std::pair<const char*, std::optional<double>> memory[] = {
        {"soak_resident_before_mb", soak.residentBefore},
        {"soak_resident_after_mb", soak.residentAfter},
        {"soak_anonymous_before_mb", soak.anonymousBefore},
        {"soak_anonymous_after_mb", soak.anonymousAfter}};
    for (const auto& [what, value] : memory) {
      if (value) sample(program, 0, what, *value);
    }
    const std::pair<const char*, std::optional<long>> objects[] = {
        {"soak_gdi_before", soak.gdiBefore},
        {"soak_gdi_after", soak.gdiAfter},
        {"soak_user_before", soak.userBefore},
        {"soak_user_after", soak.userAfter}};
    for (const auto& [what, value] : objects) {
      if (value) sample(program, 0, what, static_cast<double>(*value));
    }
    if (const auto typical = median(soak.showTimes)) sample(program, 0, "soak_show_ms", *typical);
    stop(program);
  }

 private:
  // Starts the program and waits for its icon; false when it did not come.
  bool start(Program& program) {
    startTime_.reset();
    if (!waitTrayIcon(false, 5000)) {
      std::cerr << "an icon of an earlier run is still in the notification area\n";
      return false;
    }
    const Clock::time_point spawned = Clock::now();
    process_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{"wine", program.exe},
                                       program.folder, logFolder_ / (program.label + ".log"), true);
    startTime_ = waitFor(spawned, 30000, [&] { return trayIconShown(); });
    if (!startTime_) {
      std::cerr << program.label << ": no tray icon within 30 s\n";
      stop(program);
      return false;
    }
    return true;
  }

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
  std::vector<Image> steadySamples(const Area& area) {
    std::vector<Image> samples;
    for (int i = 0; i < 10; ++i) {
      samples.push_back(screen_.grab(area));
      pause(70);
    }
    return samples;
  }

  // F12 until the window's pixels are there; the milliseconds it took.
  std::optional<double> show(const Area& window, const Image& hidden) {
    const Clock::time_point pressed = screen_.tap(XK_F12);
    return waitFor(pressed, 3000,
                   [&] { return differingShare(hidden, screen_.grab(window)) >= WindowShare; });
  }

  // One showing and its hiding; the time to the window, nothing when it did
  // not come or go.
  std::optional<double> showOnce(const Program& program, const Area& window, const Image& hidden) {
    const auto shown = show(window, hidden);
    if (!shown || !hideWindow(program, window, hidden)) return std::nullopt;
    return shown;
  }

  // F12, the window's pixels, a typed character's pixels; then the
  // character is taken back and Esc hides the window.
  void typedTrials(Program& program, int number) {
    const Area window = program.calibration->window;
    for (int trial = 0; trial < Trials; ++trial) {
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
      hideWindow(program, window, hidden);
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

  // F12, and once the window has the keys, F4 until its list is drawn.
  void dropDowns(Program& program, int number) {
    const Calibration& calibration = *program.calibration;
    for (int trial = 0; trial < Drops; ++trial) {
      const Image hidden = screen_.grab(calibration.window);
      const Image hiddenList = screen_.grab(calibration.list);
      if (!show(calibration.window, hidden)) {
        ++program.missedShowings;
        continue;
      }
      pause(300);
      const Clock::time_point pressed = screen_.tap(XK_F4);
      const auto drawn = waitFor(pressed, 3000, [&] {
        return showsMark(screen_.grab(calibration.list), calibration.listMark, ListShare);
      });
      if (drawn) {
        record(program, number, "drop_down_ms", *drawn, program.dropDown);
      } else {
        ++program.missedDrops;
      }
      hide(program, hidden, hiddenList);
      pause(100);
    }
  }

  // F12, the witness's name typed, Enter until the witness's first pixel.
  void enters(Program& program, int number) {
    for (int trial = 0; trial < Enters; ++trial) {
      if (const auto appeared = enter(program)) {
        record(program, number, "enter_ms", *appeared, program.enter);
      } else {
        ++program.missedEnters;
      }
    }
  }

  std::optional<double> enter(Program& program) {
    const Area window = program.calibration->window;
    const Image hidden = screen_.grab(window);
    if (!show(window, hidden)) return std::nullopt;
    pause(300);
    // The field may hold the name from the last time.
    screen_.tap(XK_End);
    for (int i = 0; i < 12; ++i) screen_.tap(XK_BackSpace);
    for (const char c : WitnessName) {
      screen_.tap(static_cast<KeySym>(c));
      pause(15);
    }
    pause(300);
    const Clock::time_point pressed = screen_.tap(XK_Return);
    const auto appeared = waitFor(pressed, 10000, [&] {
      return colourPixels(screen_.grab(WitnessArea), WitnessColour) >= WitnessPixels;
    });
    if (!appeared) {
      // A name that was not found: the field is emptied and the window hidden.
      std::cerr << program.label << ": Enter on " << WitnessName << " ran nothing\n";
      screen_.tap(XK_Escape);
    }
    waitFor(Clock::now(), 5000,
            [&] { return colourPixels(screen_.grab(WitnessArea), WitnessColour) == 0; });
    hideWindow(program, window, hidden);
    pause(200);
    return appeared;
  }

  // F12 and Esc, again and again; the resident memory afterwards.
  void showings(Program& program, int number) {
    if (Showings == 0) return;
    const Area window = program.calibration->window;
    const Image hidden = screen_.grab(window);
    // Growth is counted from here, after the first showings have made what a
    // shown window needs once.
    const auto before = residentOf(process_->pid());
    std::vector<double> times;
    int missed = 0;
    for (int i = 0; i < Showings && missed < 3; ++i) {
      if (const auto shown = showOnce(program, window, hidden)) {
        times.push_back(*shown);
      } else {
        ++missed;
      }
    }
    program.missedShowings += missed;
    if (missed >= 3) return;
    record(program, number, "showing_ms", *median(times), program.showings);
    pause(500);
    const auto after = residentOf(process_->pid());
    if (!after) return;
    record(program, number, "resident_after_mb", after->total, program.residentAfter);
    sample(program, number, "anonymous_after_mb", after->anonymous);
    if (before) record(program, number, "growth_mb", after->total - before->total, program.growth);
  }

  // Esc, again while the window still shows (a key that came before its
  // activation went elsewhere); false when it stays. Once it has gone, the
  // desktop gives the keyboard to its taskbar, a little later: an F12 before
  // that can activate the window while the keyboard then stays with the
  // taskbar, and every key after it is lost (one showing in some thousands
  // when they follow at once).
  bool hideWindow(const Program& program, const Area& window, const Image& hidden) {
    int keys = 0;
    if (!pressUntil(
            XK_Escape, RepressMs, Clock::now(), keys,
            [&] { return differingShare(hidden, screen_.grab(window)) <= GoneShare; }, true)) {
      return false;
    }
    waitFor(Clock::now(), 1000,
            [&] { return !sameImage(screen_.keyboardProgram(), program.image); });
    return true;
  }

  // The same, until the dropped list has gone too.
  void hide(const Program& program, const Image& hidden, const Image& hiddenList) {
    const Calibration& calibration = *program.calibration;
    int keys = 0;
    pressUntil(
        XK_Escape, RepressMs, Clock::now(), keys,
        [&] {
          return differingShare(hidden, screen_.grab(calibration.window)) <= GoneShare &&
                 (calibration.list.empty() ||
                  differingShare(hiddenList, screen_.grab(calibration.list)) <= GoneShare);
        },
        true);
  }

  // Presses the key, and again every `interval` ms, until `done` holds (at
  // most 3 s); the milliseconds since `start`. `presses` counts the keys.
  // With `backOff` each wait is twice the last (up to a quarter second): a
  // program that is slow to take keys is not buried under a queue of them,
  // which it would take for the next showings.
  std::optional<double> pressUntil(KeySym key, double interval, Clock::time_point start,
                                   int& presses, const std::function<bool()>& done,
                                   bool backOff = false) {
    Clock::time_point last{};
    return waitFor(start, 3000, [&] {
      if (done()) return true;
      if (presses == 0 || millisecondsSince(last) >= interval) {
        last = screen_.tap(key);
        if (presses++ > 0 && backOff) interval = std::min(2 * interval, 250.0);
      }
      return false;
    });
  }

  // When a key did nothing: the screen kept beside the samples, and the
  // window in front named, which tells where the key went.
  void keepDesktop(const std::string& name) {
    const fs::path file = logFolder_ / (name + ".ppm");
    const Image screen = screen_.grab(screen_.whole());
    std::ofstream out(file, std::ios::binary);
    out << "P6\n" << screen.width << " " << screen.height << "\n255\n";
    for (const std::uint32_t pixel : screen.pixels) {
      const char rgb[] = {static_cast<char>(pixel >> 16), static_cast<char>(pixel >> 8),
                          static_cast<char>(pixel)};
      out.write(rgb, sizeof rgb);
    }
    const fs::path front = logFolder_ / (name + ".txt");
    fs::remove(front);
    ChildProcess namer({"wine", guiObjects_, "--front"}, logFolder_, front);
    namer.wait(60);
    std::ifstream said(front);
    std::string line;
    std::getline(said, line);
    std::cout << "  " << (line.empty() ? "in front: not known" : line) << "; screen in "
              << file.string() << "\n"
              << std::flush;
  }

  // The program's GDI and USER objects, as the counting program inside Wine
  // finds them.
  void guiObjects(const Program& program, std::optional<long>& gdi, std::optional<long>& user,
                  std::string& counted) {
    const fs::path out = logFolder_ / "gui-objects.txt";
    fs::remove(out);
    ChildProcess counter({"wine", guiObjects_, program.image}, program.folder, out);
    if (!counter.wait(60)) return;
    std::ifstream answer(out);
    long g = -1, u = -1;
    std::string how;
    if (answer >> g >> u >> how && g >= 0 && u >= 0) {
      gdi = g;
      user = u;
      counted = how;
    }
  }

  // Closes the program's windows (as a log-off would, without the
  // confirmation), so that it takes its icon away; killed if it lingers.
  void stop(Program& program) {
    ChildProcess closer({"wine", "taskkill", "/im", program.image}, program.folder,
                        logFolder_ / "taskkill.log");
    closer.wait(30);
    if (!process_->wait(15)) {
      std::cerr << program.label << ": did not end after WM_CLOSE; killed\n";
      process_->kill();
      ++program.failedRuns;
    }
    process_.reset();
    waitTrayIcon(false, 5000);
    pause(300);
  }

  void sample(const Program& program, int number, const char* what, double value) {
    samples_ << caseName_ << "," << program.label << "," << number << "," << what << "," << value
             << "\n";
  }

  void record(const Program& program, int number, const char* what, double value,
              std::vector<double>& into) {
    into.push_back(value);
    sample(program, number, what, value);
  }

  Screen screen_;
  fs::path logFolder_;
  std::string guiObjects_;
  Image emptyTray_;
  std::ofstream samples_;
  std::string caseName_;
  std::unique_ptr<ChildProcess> process_;
  std::optional<double> startTime_;
};

std::vector<double> exeSize(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return {};
  return {static_cast<double>(info.st_size) / 1024};
}

// A fresh copy of the program in a folder of its own (Velmora2 writes its
// files beside it), with the list file when there is one.
Program install(const std::string& label, const fs::path& exe, const fs::path& folder,
                const std::string& list) {
  fs::create_directories(folder);
  fs::copy_file(exe, folder / exe.filename(), fs::copy_options::overwrite_existing);
  if (!list.empty()) std::ofstream(folder / "Velmora.Lst", std::ios::binary) << list;
  Program program;
  program.label = label;
  program.exe = (folder / exe.filename()).string();
  program.folder = folder.string();
  program.image = exe.filename().string();
  return program;
}

// The witness's command line, about as long as the others, with its window
// and colour; what follows them it ignores.
std::string witnessCommand(const fs::path& witness) {
  const std::string file = winPath(witness);
  for (const char c : file) {
    if (static_cast<unsigned char>(c) >= 0x80)
      throw std::runtime_error("the benchmark's folder needs a name of ASCII letters: " + file);
  }
  char window[96];
  std::snprintf(window, sizeof window, "%d %d %d %d %06X %d", WitnessArea.left, WitnessArea.top,
                WitnessArea.width, WitnessArea.height, WitnessColour, WitnessShownMs);
  std::string command = file + "|" + window;
  while (command.size() < 100) command += " --lang=ja";
  return command;
}

std::string notes(const Program& program, bool full) {
  std::ostringstream text;
  text << program.label << ": " << program.start.size() << " runs measured";
  if (!program.note.empty()) text << "; hotkey n/a: " << program.note;
  if (!program.listNote.empty()) text << "; drop-down n/a: " << program.listNote;
  text << "; " << program.character.size() << " typed characters seen, " << program.lostCharacters
       << " lost; " << program.missedShowings << " showings missed; ";
  if (!program.calibration || program.calibration->list.empty()) {
    text << "no drop-downs; ";
  } else {
    text << program.dropDown.size() << " drop-downs seen, " << program.missedDrops << " missed; ";
  }
  if (full) {
    text << program.enter.size() << " launches seen, " << program.missedEnters << " missed; ";
  }
  text << program.failedRuns << " runs failed\n";
  return text.str();
}

std::string caseTable(const Case& list) {
  const Program& v = list.velmora;
  const Program& m = list.minimal;
  const std::string showings = std::to_string(Showings) + " showings";
  const Goal none{};
  const auto ratio = [](double limit) { return Goal{Goal::Kind::Ratio, limit}; };
  // The goals hold for the full list; the empty one shows where the list's
  // share starts.
  const auto when = [&](const Goal& goal) { return list.full ? goal : none; };
  std::vector<Figure> figures = {
      {"start to tray icon (ms)", v.start, m.start, 1, when(ratio(1.10))},
      {"F12 to window, first after start (ms)", v.firstShow, m.firstShow},
      {"F12 to window (ms)", v.show, m.show, 1, when(ratio(1.05))},
      {"F12 to typed character (ms)", v.character, m.character, 1, when(ratio(1.05))},
      {"F4 to the dropped list drawn (ms)", v.dropDown, m.dropDown, 1, when(ratio(1.10))},
      {"Enter to the launched program's pixel (ms)", v.enter, m.enter, 1, when(ratio(1.10))},
      {"F12 to window, in the " + showings + " (ms)", v.showings, m.showings},
      {"resident after start (MB)", v.residentStart, m.residentStart, 2,
       when(Goal{Goal::Kind::Difference, 1.0})},
      {"  of it anonymous, not file pages (MB)", v.anonymousStart, m.anonymousStart, 2},
      {"resident after the " + showings + " (MB)", v.residentAfter, m.residentAfter, 2},
      {"growth during the " + showings + " (MB)", v.growth, m.growth, 2},
      {"exe size (KB)", exeSize(v.exe), exeSize(m.exe), 0},
  };
  std::ostringstream text;
  text << list.title << ": " << Runs << " runs of each program, alternately; " << Trials
       << " typed characters, " << Drops << " drop-downs, " << showings;
  if (list.full) text << " and " << Enters << " launches";
  text << " per run\n" << resultTable(figures) << notes(v, list.full) << notes(m, list.full);
  return text.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::cerr << "usage: desktop_bench <Velmora2.exe> <MinimalLauncher.exe> <Witness.exe> "
                 "<GuiObjects.exe> <folder>\n";
    return 2;
  }
  try {
    const fs::path folder = argv[5];
    const fs::path logs = folder / "logs";
    fs::create_directories(logs);
    const fs::path witness = folder / "witness" / "Witness.exe";
    fs::create_directories(witness.parent_path());
    fs::copy_file(argv[3], witness, fs::copy_options::overwrite_existing);
    const std::string fullList = listFileBytes(fullListEntries(witnessCommand(witness)));

    std::vector<Case> cases;
    for (const bool full : {false, true}) {
      const std::string name = full ? "full" : "empty";
      const std::string list = full ? fullList : "";
      cases.push_back({name, full ? "full list, 250 entries" : "empty list", full,
                       install("Velmora2", argv[1], folder / name / "Velmora2", list),
                       install("minimal", argv[2], folder / name / "minimal", list)});
    }
    Bench bench(logs, argv[4]);
    const Clock::time_point began = Clock::now();
    const std::string loadBefore = loadAverage();
    std::string report;
    for (Case& list : cases) {
      const std::string caseLoad = loadAverage();
      bench.calibrate(list, list.velmora);
      bench.calibrate(list, list.minimal);
      for (int run = 1; run <= Runs; ++run) {
        for (Program* program : {&list.velmora, &list.minimal}) {
          if (!bench.run(list, *program, run)) ++program->failedRuns;
        }
        std::cout << list.title << ": run " << run << " of " << Runs << " done\n" << std::flush;
      }
      report += "\n" + caseTable(list) + "load average " + caseLoad + " before, " + loadAverage() +
                " after\n";
    }
    Case& full = cases.back();
    if (SoakShowings > 0) {
      const std::string soakLoad = loadAverage();
      for (Program* program : {&full.velmora, &full.minimal}) {
        std::cout << "soak of " << program->label << "\n" << std::flush;
        bench.soak(full, *program);
      }
      report += "\nsoak: " + std::to_string(SoakShowings) +
                " showings (F12, then Esc) in one start of each program, full list\n" +
                soakTable(full.velmora.soak, full.minimal.soak) + "load average " + soakLoad +
                " before, " + loadAverage() + " after\n";
    }
    std::cout << report << "\ntook " << static_cast<int>(millisecondsSince(began) / 1000)
              << " s; load average " << loadBefore << " before, " << loadAverage()
              << " after; samples in " << (logs / "samples.csv").string() << "\n";
    for (const Case& list : cases) {
      if (list.velmora.start.empty() || list.minimal.start.empty()) return 1;
    }
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "desktop_bench: " << error.what() << "\n";
    return 1;
  }
}
