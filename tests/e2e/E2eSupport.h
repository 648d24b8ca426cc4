// What the end-to-end tests share: children run under Wine with their logs,
// screenshots and their pixels, the probe inside the Wine desktop, keys sent
// with xdotool, and the fixture that installs the program in a folder of its
// own. tests/e2e/run.sh sets the environment.
#pragma once

#include <gtest/gtest.h>

#include "harness/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace velmora::e2e {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

inline const std::string Exe = env("VELMORA_E2E_EXE");
inline const std::string Probe = env("VELMORA_E2E_PROBE");
inline const fs::path Work = env("VELMORA_E2E_WORK");
inline const fs::path Shots = env("VELMORA_E2E_SHOTS");
inline const fs::path Zip = env("VELMORA_E2E_ZIP");
inline const fs::path HelpFolder = env("VELMORA_E2E_HELP");

inline double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A child process with its output in a log file.
using Child = harness::ChildProcess;

inline std::optional<int> run(const std::vector<std::string>& argv, const fs::path& cwd,
                              double seconds) {
  Child child(argv, cwd, Work / "commands.log");
  return child.wait(seconds);
}

// The command's output; its exit status in `status` when asked (-1 when it
// could not run).
inline std::string capture(const std::string& command, int* status = nullptr) {
  std::string output;
  int ended = -1;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    ended = pclose(pipe);
  }
  if (status != nullptr) *status = ended;
  return output;
}

inline std::optional<std::string> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

inline void writeFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

inline fs::path screenshot(const std::string& name) {
  const fs::path file = Shots / (name + ".png");
  run({"import", "-window", "root", file.string()}, Work, 20);
  std::cout << "screenshot: " << file.string() << "\n";
  return file;
}

// The number of distinct colours in a screenshot.
inline long colourCount(const fs::path& shot) {
  const std::string out = capture("identify -format %k '" + shot.string() + "' 2>&1");
  try {
    return std::stol(out);
  } catch (...) {
    return -1;
  }
}

// True when the screenshot shows the desktop's own colour, not black.
inline bool showsDesktop(const fs::path& shot) {
  return capture("convert '" + shot.string() + "' -format '%[fx:mean>0]' info: 2>&1") == "1";
}

// Pixels of a region of a screenshot, as 0xRRGGBB with their place.
struct Pixel {
  int x, y;
  unsigned colour;
};

inline std::vector<Pixel> pixels(const fs::path& shot, int left, int top, int width, int height) {
  const std::string geometry = std::to_string(width) + "x" + std::to_string(height) + "+" +
                               std::to_string(left) + "+" + std::to_string(top);
  std::istringstream lines(capture("convert '" + shot.string() + "' -crop " + geometry +
                                   " +repage -depth 8 txt:- 2>/dev/null"));
  std::vector<Pixel> result;
  for (std::string line; std::getline(lines, line);) {
    // "x,y: (r,g,b)  #RRGGBB  srgb(...)"
    int x = 0, y = 0;
    const std::size_t hash = line.find('#');
    if (line.empty() || line[0] == '#' || hash == std::string::npos ||
        std::sscanf(line.c_str(), "%d,%d:", &x, &y) != 2) {
      continue;
    }
    result.push_back({left + x, top + y,
                      static_cast<unsigned>(std::stoul(line.substr(hash + 1, 6), nullptr, 16))});
  }
  return result;
}

// The notification area: the right part of the taskbar at the bottom of the
// 1024 x 768 desktop.
inline constexpr int TrayLeft = 768, TrayTop = 748, TrayWidth = 256, TrayHeight = 20;

// Where the program's icon is in the notification area, found by the red
// nose, blue window and yellow flame of its own 16-pixel true-colour picture;
// nothing when one of them is missing. Those exact colours are there only
// when the shell shows that picture unscaled: the 32-pixel ones shrunk would
// blend them (and the 16-colour one has pure red, blue and yellow instead).
inline std::optional<std::pair<int, int>> findTrayIcon(const fs::path& shot) {
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
  bool red = false, blue = false, yellow = false;
  for (const Pixel& p : pixels(shot, TrayLeft, TrayTop, TrayWidth, TrayHeight)) {
    const bool isRed = p.colour == 0xE02830, isBlue = p.colour == 0x286EDC,
               isYellow = p.colour == 0xFFDE3C;
    if (!isRed && !isBlue && !isYellow) continue;
    red |= isRed;
    blue |= isBlue;
    yellow |= isYellow;
    left = std::min(left, p.x);
    top = std::min(top, p.y);
    right = std::max(right, p.x);
    bottom = std::max(bottom, p.y);
  }
  if (!red || !blue || !yellow || right - left > 20 || bottom - top > 20) return std::nullopt;
  return std::make_pair((left + right) / 2, (top + bottom) / 2);
}

// The probe's output, without the line end.
inline std::string probeOutput(const std::string& arguments) {
  // Now and then a probe ends at once with nothing, though its window is
  // there (seen after a burst of other Wine processes): a probe that found
  // nothing is asked twice more. Its errors go to the commands' log.
  const std::string command =
      "wine '" + Probe + "' " + arguments + " 2>>'" + (Work / "probe-errors.log").string() + "'";
  std::string out;
  for (int attempt = 0; attempt < 3; ++attempt) {
    int status = -1;
    out = capture(command, &status);
    if (status == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// The pointer comes to rest on the tray icon at `icon`, and stays there; the
// tip the taskbar then shows, empty when none came within 3 s.
inline std::string trayTipOnHover(std::pair<int, int> icon) {
  // Two moves on the icon, the second a pixel on: the tip waits for the
  // pointer to rest after a move.
  for (int dx : {0, 1}) {
    run({"xdotool", "mousemove", std::to_string(icon.first + dx), std::to_string(icon.second)},
        Work, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  std::string tip;
  for (int i = 0; i < 30 && (tip = probeOutput("tooltip-text")).empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return tip;
}

inline void pressKey(const std::string& key) {
  // F13 to F24 have no key in the display's keyboard map: xdotool would press
  // them on a spare key mapped for the moment, and the Wine desktop, which
  // reads the map only when it gets to the key, lost the key when busy. They
  // go in through the system's input queue instead.
  int function = 0;
  if (std::sscanf(key.c_str(), "F%d", &function) == 1 && function >= 13 && function <= 24 &&
      key == "F" + std::to_string(function)) {
    const std::string virtualKey = std::to_string(0x7C + function - 13);
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (run({"wine", Probe, "send-key", virtualKey}, Work, 30) == 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ADD_FAILURE() << "the probe could not press " << key;
    return;
  }
  // The keyboard goes to the X window under the pointer: the Wine desktop.
  run({"xdotool", "mousemove", "5", "5"}, Work, 10);
  run({"xdotool", "key", key}, Work, 10);
}

// Waits inside the Wine desktop for a top-level window of the class in the
// state the probe's wait-window names (visible, any, started).
inline bool waitWindowIn(const std::string& className, const std::string& state, int milliseconds) {
  // A probe that could not run (Wine busy ending the last test's programs)
  // gives up at once: it is asked again for the time that is left.
  const auto start = Clock::now();
  for (;;) {
    const int left = milliseconds - static_cast<int>(secondsSince(start) * 1000);
    if (run({"wine", Probe, "wait-window", className, state, std::to_string(std::max(left, 0))},
            Work, std::max(left, 0) / 1000.0 + 30) == 0) {
      return true;
    }
    if (left <= 200) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

// The batches started under Wine have ended: their consoles have gone.
inline bool batchesEnded() { return waitWindowIn("WineConsoleClass", "gone", 10000); }

// What a batch wrote to the file, read once the batch has ended: a file read
// as soon as it is there may still be half written.
inline std::optional<std::string> readBatchOutput(const fs::path& file) {
  if (!fs::exists(file) || !batchesEnded()) return std::nullopt;
  return readFile(file);
}

// When a key did not do its work: the desktop kept as a screenshot, and the
// window in front, which tells where the key went.
inline std::string keptInFront(const std::string& shotName) {
  screenshot(shotName);
  return probeOutput("foreground");
}

inline bool waitWindow(const std::string& className, bool visible, int milliseconds) {
  return waitWindowIn(className, visible ? "visible" : "any", milliseconds);
}

// The window is there and its program's start is over: it waits for input in
// its message loop. A log-off or a key sent earlier meets a half-made program.
inline bool waitStarted(const std::string& className, int milliseconds) {
  return waitWindowIn(className, "started", milliseconds);
}

// The path as Wine's programs see it.
inline std::string winPath(const fs::path& path) {
  std::string text = "Z:" + path.string();
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

struct WindowRect {
  int left = 0, top = 0, width = 0, height = 0;
  int centreX() const { return left + width / 2; }
  int centreY() const { return top + height / 2; }
};

// A shown top-level window of the class, as the probe sees it.
inline std::optional<WindowRect> windowRect(const std::string& className) {
  std::istringstream rect(probeOutput("window-rect '" + className + "'"));
  WindowRect r;
  if (!(rect >> r.left >> r.top >> r.width >> r.height)) return std::nullopt;
  return r;
}

// Whether a shown window of the class has its caption drawn active in the
// screenshot: blue here, where an inactive one is grey.
inline bool captionDrawnActive(const fs::path& shot, const std::string& className) {
  const auto rect = windowRect(className);
  if (!rect) return false;
  // The middle third of a row in the caption, between the title and the
  // close box.
  const auto row = pixels(shot, rect->left + rect->width / 3, rect->top + 10, rect->width / 3, 1);
  const auto blue = std::count_if(row.begin(), row.end(), [](const Pixel& p) {
    return static_cast<int>(p.colour & 0xFF) - static_cast<int>(p.colour >> 16) > 64;
  });
  return !row.empty() && blue * 2 > static_cast<long>(row.size());
}

// A shown top-level window of the class cut out of a screenshot, into
// Shots/help: the pictures of the help pages come from here.
inline void windowShot(const fs::path& shot, const std::string& className,
                       const std::string& name) {
  const auto rect = windowRect(className);
  if (!rect) return;
  fs::create_directories(Shots / "help");
  const fs::path file = Shots / "help" / (name + ".png");
  run({"convert", shot.string(), "-crop",
       std::to_string(rect->width) + "x" + std::to_string(rect->height) + "+" +
           std::to_string(rect->left) + "+" + std::to_string(rect->top),
       "+repage", file.string()},
      Work, 20);
  std::cout << "help picture: " << file.string() << "\n";
}

// A control of a shown form, found by its component name.
struct Control {
  WindowRect rect;  // on the screen
  bool enabled = false;
  std::string text;  // UTF-8
};

inline std::optional<Control> control(const std::string& formClass, const std::string& name) {
  std::istringstream line(probeOutput("control '" + formClass + "' '" + name + "'"));
  Control c;
  std::string state;
  if (!(line >> c.rect.left >> c.rect.top >> c.rect.width >> c.rect.height >> state))
    return std::nullopt;
  c.enabled = state == "enabled";
  line.get();  // the blank before the text
  std::getline(line, c.text);
  return c;
}

inline std::string controlText(const std::string& formClass, const std::string& name) {
  const auto c = control(formClass, name);
  return c ? c->text : "<no " + name + ">";
}

// The rows of a list box or combo box, and the selected row (-1 for none).
struct Rows {
  int selected = -2;
  std::vector<std::string> rows;
};

inline Rows listRows(const std::string& formClass, const std::string& name) {
  std::istringstream lines(probeOutput("rows '" + formClass + "' '" + name + "'"));
  Rows result;
  std::string line;
  if (!std::getline(lines, line) || std::sscanf(line.c_str(), "selected %d", &result.selected) != 1)
    return result;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    result.rows.push_back(line);
  }
  return result;
}

// Typing goes to the X window under the pointer, the Wine desktop; the
// open-file dialog needs 20 to 40 ms between keys. A character the keyboard
// map lacks (kana, kanji) xdotool types on a spare key mapped to it for the
// moment, and Wine reads the map only when it gets to the key: a busy Wine
// found it mapped to the next character already and lost one (日本語 came as
// 日語). Text with such characters goes to the focused window as characters,
// the way an input method gives them.
inline void typeText(const std::string& text) {
  if (std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; })) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (run({"wine", Probe, "type-chars", text}, Work, 30) == 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ADD_FAILURE() << "no window with the focus to type " << text << " into";
    return;
  }
  run({"xdotool", "mousemove", "5", "5"}, Work, 10);
  run({"xdotool", "type", "--delay", "40", text}, Work, 60);
}

inline void clickAt(int x, int y, int button = 1) {
  run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click",
       std::to_string(button)},
      Work, 10);
}

// Asks again every 50 ms until `done` holds; false after `seconds`.
template <typename Done>
bool waitUntil(Done done, double seconds = 5) {
  const auto start = Clock::now();
  for (;;) {
    if (done()) return true;
    if (secondsSince(start) > seconds) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

inline int keyCount(const std::string& ini) {
  int keys = 0;
  std::istringstream lines(ini);
  for (std::string line; std::getline(lines, line);) {
    if (line.find('=') != std::string::npos) ++keys;
  }
  return keys;
}

class E2eTest : public ::testing::Test {
 public:
  void SetUp() override {
    ASSERT_FALSE(Exe.empty()) << "run tests/e2e/run.sh";
    folder_ = Work / test_name();
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    startClean();
  }

  // What an earlier test left behind goes first: a program it had to kill,
  // whose icon the notification area still draws until the pointer passes
  // over it (the shell then finds its window gone).
  static void startClean() {
    run({"wine", "taskkill", "/f", "/im", "Velmora2.exe"}, Work, 30);
    for (int x = TrayLeft + TrayWidth - 4; x > TrayLeft; x -= 8) {
      run({"xdotool", "mousemove", std::to_string(x), std::to_string(TrayTop + TrayHeight / 2)},
          Work, 10);
    }
    run({"xdotool", "mousemove", "5", "5"}, Work, 10);
  }

  // A folder with the program in it.
  fs::path install(const std::string& subfolder = {}) {
    const fs::path where = subfolder.empty() ? folder_ : folder_ / subfolder;
    fs::create_directories(where);
    fs::copy_file(Exe, where / "Velmora2.exe");
    return where;
  }

  std::unique_ptr<Child> start(const fs::path& where) {
    return std::make_unique<Child>(
        std::vector<std::string>{"wine", (where / "Velmora2.exe").string()}, where,
        Work / (std::string(test_name()) + ".log"));
  }

  // Starts the program and waits for its hidden main window; the time it took.
  double startAndWait(const fs::path& where, std::unique_ptr<Child>& child) {
    const auto begin = Clock::now();
    child = start(where);
    EXPECT_TRUE(waitStarted("TForm1", 20000)) << "the program did not start";
    const double seconds = secondsSince(begin);
    report("start", seconds);
    return seconds;
  }

  // Ends the session as a log-off does, and waits for the program's end.
  std::optional<int> endSession(Child& child) {
    const auto begin = Clock::now();
    const auto ended = run({"wineboot", "--end-session"}, folder_, 60);
    EXPECT_EQ(ended, 0) << "wineboot --end-session";
    const auto code = child.wait(30);
    report("end of session to exit", secondsSince(begin));
    return code;
  }

  void report(const std::string& what, double seconds) {
    std::ostringstream text;
    text.precision(2);
    text << std::fixed << seconds << " s";
    std::cout << "  " << what << ": " << text.str() << "\n";
    RecordProperty(what, text.str());
  }

  void reportFile(const fs::path& file) {
    const auto content = readFile(file);
    std::cout << "  " << file.filename().string() << ": "
              << (content ? std::to_string(content->size()) + " bytes" : std::string("missing"))
              << "\n";
  }

  static const char* test_name() {
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }

  fs::path folder_;
};

// The program started in the test's folder with its data files, a witness
// batch file that leaves a trace, and the tray and F12 at hand.
class ProgramE2eTest : public E2eTest {
 protected:
  // A batch file that writes "ran <its parameter>" into ran.txt beside it.
  std::string witness() {
    writeFile(folder_ / "witness.bat", "@echo off\r\necho ran %~1> \"%~dp0ran.txt\"\r\n");
    return winPath(folder_ / "witness.bat");
  }
  // What the witness wrote, once it has; nothing after `seconds`.
  std::optional<std::string> witnessed(double seconds = 8) {
    std::optional<std::string> line;
    waitUntil(
        [&] {
          auto text = readBatchOutput(folder_ / "ran.txt");
          if (!text || text->empty()) return false;
          while (!text->empty() &&
                 (text->back() == '\n' || text->back() == '\r' || text->back() == ' '))
            text->pop_back();
          line = *text;
          return true;
        },
        seconds);
    return line;
  }
  void forgetWitness() { fs::remove(folder_ / "ran.txt"); }

  // The program started with these data files; its launcher window made.
  fs::path startWith(const std::string& list, const std::string& settings) {
    const fs::path where = install();
    if (!list.empty()) writeFile(where / "Velmora.Lst", list);
    if (!settings.empty()) writeFile(where / "Velmora.ini", settings);
    startAndWait(where, program_);
    // The hotkeys and the icon are in place once the tray knows the icon.
    waitUntil([] { return !probeOutput("tray-window TForm1 1").empty(); });
    return where;
  }
  // F12 from the keyboard, and the launcher shown.
  void pressF12AndWait() {
    // The console of a batch the launcher ran takes the activation as it
    // comes and goes, and the launcher hides when it loses the activation:
    // the key waits until the console has gone.
    EXPECT_TRUE(batchesEnded()) << "a console stays open";
    pressKey("F12");
    if (!waitWindow("TForm1", true, 5000)) {
      FAIL() << "F12 did not show the launcher; in front: "
             << keptInFront(std::string(test_name()) + "-f12-lost");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  bool launcherShown() { return windowRect("TForm1").has_value(); }

  std::unique_ptr<Child> program_;
};

// Keeps the Wine desktop open for a few seconds, so that after the program
// has ended its notification area can still be seen and asked.
class DesktopKeeper {
 public:
  explicit DesktopKeeper(const fs::path& folder)
      : child_({"wine", Probe, "wait-window", "NoSuchWindowClass", "any", "8000"}, folder,
               Work / "keeper.log") {}

 private:
  Child child_;
};

}  // namespace velmora::e2e
