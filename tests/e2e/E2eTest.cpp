// The real Velmora2.exe under Wine in a virtual desktop on Xvfb: start-up,
// the single instance (twenty starts at once too), the end of the session
// and the files it leaves (in a folder outside code page 932 too), libraries
// planted beside the program, the message dialog on the real platform, and
// the icon in the notification area with its tip, double click and menu.
// run.sh sets the environment.
#include "tests/app/WrittenSettings.h"

#include <gtest/gtest.h>

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

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using velmora::emptyHotKeySlots;
using velmora::firstExitSettings;

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

const std::string Exe = env("VELMORA_E2E_EXE");
const std::string Probe = env("VELMORA_E2E_PROBE");
const fs::path Work = env("VELMORA_E2E_WORK");
const fs::path Shots = env("VELMORA_E2E_SHOTS");

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A child process with its output in a log file.
class Child {
 public:
  Child(const std::vector<std::string>& argv, const fs::path& cwd, const fs::path& log) {
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(cwd.c_str()) != 0) _exit(126);
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
      if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
        close(out);
      }
      const int in = open("/dev/null", O_RDONLY);
      if (in >= 0) dup2(in, 0);
      std::vector<char*> args;
      for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
      args.push_back(nullptr);
      execvp(args[0], args.data());
      _exit(127);
    }
  }
  ~Child() {
    if (pid_ > 0 && !code_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // The exit code, or nothing when the process still runs after `seconds`.
  std::optional<int> wait(double seconds) {
    const auto start = Clock::now();
    while (!code_) {
      int status = 0;
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      if (secondsSince(start) > seconds) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return code_;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> code_;
};

std::optional<int> run(const std::vector<std::string>& argv, const fs::path& cwd, double seconds) {
  Child child(argv, cwd, Work / "commands.log");
  return child.wait(seconds);
}

std::string capture(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    pclose(pipe);
  }
  return output;
}

std::optional<std::string> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

fs::path screenshot(const std::string& name) {
  const fs::path file = Shots / (name + ".png");
  run({"import", "-window", "root", file.string()}, Work, 20);
  std::cout << "screenshot: " << file.string() << "\n";
  return file;
}

// The number of distinct colours in a screenshot.
long colourCount(const fs::path& shot) {
  const std::string out = capture("identify -format %k '" + shot.string() + "' 2>&1");
  try {
    return std::stol(out);
  } catch (...) {
    return -1;
  }
}

// True when the screenshot shows the desktop's own colour, not black.
bool showsDesktop(const fs::path& shot) {
  return capture("convert '" + shot.string() + "' -format '%[fx:mean>0]' info: 2>&1") == "1";
}

// Pixels of a region of a screenshot, as 0xRRGGBB with their place.
struct Pixel {
  int x, y;
  unsigned colour;
};

std::vector<Pixel> pixels(const fs::path& shot, int left, int top, int width, int height) {
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
constexpr int TrayLeft = 768, TrayTop = 748, TrayWidth = 256, TrayHeight = 20;

// Where the program's icon is in the notification area, found by the pure
// red, blue and yellow of its 16-colour picture, which nothing else in the
// taskbar's right part has; nothing when one of them is missing.
std::optional<std::pair<int, int>> findTrayIcon(const fs::path& shot) {
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
  bool red = false, blue = false, yellow = false;
  for (const Pixel& p : pixels(shot, TrayLeft, TrayTop, TrayWidth, TrayHeight)) {
    const bool isRed = p.colour == 0xFF0000, isBlue = p.colour == 0x0000FF,
               isYellow = p.colour == 0xFFFF00;
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
std::string probeOutput(const std::string& arguments) {
  std::string out = capture("wine '" + Probe + "' " + arguments + " 2>/dev/null");
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

void pressKey(const std::string& key) {
  // The keyboard goes to the X window under the pointer: the Wine desktop.
  run({"xdotool", "mousemove", "5", "5"}, Work, 10);
  run({"xdotool", "key", key}, Work, 10);
}

// Waits inside the Wine desktop for a top-level window of the class.
bool waitWindow(const std::string& className, bool visible, int milliseconds) {
  return run({"wine", Probe, "wait-window", className, visible ? "visible" : "any",
              std::to_string(milliseconds)},
             Work, milliseconds / 1000.0 + 30) == 0;
}

int keyCount(const std::string& ini) {
  int keys = 0;
  std::istringstream lines(ini);
  for (std::string line; std::getline(lines, line);) {
    if (line.find('=') != std::string::npos) ++keys;
  }
  return keys;
}

// Entries with code page 932 names and a folder ending in 表 (0x95 0x5C).
const std::string PreparedList =
    "Memo\r\nnotepad.exe|memo.txt\r\n"
    "\x95\x5C\x8C\x76\x8E\x5A\r\nC:\\\x83\x5C\x83\x74\x83\x67\x95\x5C\\calc.exe\r\n"
    "\r\n\r\n";

const std::string PreparedSettings =
    "; written by hand\r\n[Option]\r\nQuickStart=0\r\nUnknown=keep me\r\n"
    "[Window]\r\nLeft=12\r\nTop=34\r\nColor=$FF8000\r\nWidth=150\r\n"
    "[Font]\r\nName=Arial\r\nSize=12\r\n[Hotkey]\r\nkey1=$37B\r\nappli1=C:\\Tools\\edit.exe|-n\r\n"
    "[Mine]\r\n; a comment\r\nanswer=42\r\n";

std::string preparedSettingsAfterExit() {
  return "; written by hand\r\n[Option]\r\nQuickStart=0\r\nUnknown=keep me\r\n"
         "BlankEnter=1\r\nStayTop=1\r\nHotKeyValid=1\r\n"
         "[Window]\r\nLeft=12\r\nTop=34\r\nColor=$FF8000\r\nWidth=150\r\n"
         "[Font]\r\nName=Arial\r\nSize=12\r\n[Hotkey]\r\nkey1=$37B\r\nappli1=C:\\Tools\\edit.exe|-"
         "n\r\n"
         "key0=$7B\r\nappli0=\r\n" +
         emptyHotKeySlots(2) + "[Mine]\r\n; a comment\r\nanswer=42\r\n";
}

class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Exe.empty()) << "run tests/e2e/run.sh";
    folder_ = Work / test_name();
    fs::remove_all(folder_);
    fs::create_directories(folder_);
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
    EXPECT_TRUE(waitWindow("TForm1", false, 20000)) << "the main window did not appear";
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

  // The prepared files beside the program, a start and the end of the
  // session: both files are written back as they should be.
  void expectPreparedFilesWrittenBack(const fs::path& where) {
    writeFile(where / "Velmora.Lst", PreparedList);
    writeFile(where / "Velmora.ini", PreparedSettings);
    std::unique_ptr<Child> program;
    startAndWait(where, program);
    EXPECT_EQ(endSession(*program), 0);
    reportFile(where / "Velmora.ini");
    reportFile(where / "Velmora.Lst");
    EXPECT_EQ(readFile(where / "Velmora.Lst"), PreparedList);
    EXPECT_EQ(readFile(where / "Velmora.ini"), preparedSettingsAfterExit());
  }

  static const char* test_name() {
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }

  fs::path folder_;
};

TEST_F(E2eTest, AFreshStartShowsNoWindowAndTheSessionEndWritesBothFiles) {
  const fs::path where = install();
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  // The desktop is up and shows nothing but its own colour above the
  // taskbar, which holds the program's icon.
  const fs::path after = screenshot("fresh-after-start");
  EXPECT_TRUE(showsDesktop(after)) << "the virtual desktop is not there";
  const fs::path above = Shots / "fresh-after-start-above-taskbar.png";
  run({"convert", after.string(), "-crop", "1024x748+0+0", "+repage", above.string()}, Work, 20);
  EXPECT_EQ(colourCount(above), 1) << "something was drawn on the desktop";
  EXPECT_FALSE(program->wait(0).has_value()) << "the program ended by itself";

  // A second start ends at once with 0 and touches nothing.
  const auto secondStart = Clock::now();
  EXPECT_EQ(run({"wine", (where / "Velmora2.exe").string()}, where, 30), 0);
  report("second instance", secondsSince(secondStart));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(where))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"Velmora2.exe"});

  EXPECT_EQ(endSession(*program), 0);
  reportFile(where / "Velmora.ini");
  reportFile(where / "Velmora.Lst");
  const auto ini = readFile(where / "Velmora.ini");
  ASSERT_TRUE(ini.has_value());
  EXPECT_EQ(*ini, firstExitSettings());
  EXPECT_EQ(keyCount(*ini), 42);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), "");
}

TEST_F(E2eTest, PreparedFilesAreWrittenBackWithTheirUnknownKeysAndComments) {
  expectPreparedFilesWrittenBack(install());
}

TEST_F(E2eTest, DataFilesBesideTheProgramInAJapaneseFolderWorkTheSame) {
  // The last character of the folder's name is 表, 0x95 0x5C in code page 932.
  expectPreparedFilesWrittenBack(install("ランチャー置き場 表"));
  // Nothing went to the folder above.
  EXPECT_FALSE(fs::exists(folder_ / "Velmora.ini"));
  EXPECT_FALSE(fs::exists(folder_ / "Velmora.Lst"));
}

// "José" and "한글" have characters that code page 932 cannot hold; the
// program's folder is found, read and written by its UTF-16 name.
TEST_F(E2eTest, DataFilesInAFolderOutsideCodePage932AreReadAndWrittenThere) {
  expectPreparedFilesWrittenBack(install("Jos\u00E9/\uD55C\uAE00"));
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder_))
    names.push_back(fs::relative(entry.path(), folder_).string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{
                "Jos\u00E9", "Jos\u00E9/\uD55C\uAE00", "Jos\u00E9/\uD55C\uAE00/Velmora.Lst",
                "Jos\u00E9/\uD55C\uAE00/Velmora.ini", "Jos\u00E9/\uD55C\uAE00/Velmora2.exe"}));
}

// Twenty starts at the same moment: one instance runs, the other nineteen
// end with exit code 0 and touch no file; the one that runs writes both
// files at the end of the session.
TEST_F(E2eTest, TwentyStartsAtOnceLeaveOneRunningAndNineteenEndWithZero) {
  const fs::path where = install();
  writeFile(where / "Velmora.Lst", PreparedList);
  writeFile(where / "Velmora.ini", PreparedSettings);
  const auto listTime = fs::last_write_time(where / "Velmora.Lst");
  const auto settingsTime = fs::last_write_time(where / "Velmora.ini");
  std::vector<std::unique_ptr<Child>> starts;
  const auto begin = Clock::now();
  for (int i = 0; i < 20; ++i) starts.push_back(start(where));
  // Up to a minute for nineteen to end, then a second more for any other.
  std::vector<std::optional<int>> codes(starts.size());
  const auto poll = [&] {
    int ended = 0;
    for (std::size_t i = 0; i < starts.size(); ++i) {
      if (!codes[i]) codes[i] = starts[i]->wait(0);
      if (codes[i]) ++ended;
    }
    return ended;
  };
  while (poll() < 19 && secondsSince(begin) < 60) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  report("twenty starts: nineteen ended after", secondsSince(begin));
  std::this_thread::sleep_for(std::chrono::seconds(1));
  poll();
  std::vector<std::size_t> running;
  int zeros = 0;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (!codes[i]) running.push_back(i);
    if (codes[i] == 0) ++zeros;
  }
  std::cout << "  running: " << running.size() << ", ended with 0: " << zeros << "\n";
  ASSERT_EQ(running.size(), 1u) << "instances running";
  EXPECT_EQ(zeros, 19);
  EXPECT_TRUE(waitWindow("TForm1", false, 10000));
  EXPECT_EQ(readFile(where / "Velmora.Lst"), PreparedList);
  EXPECT_EQ(readFile(where / "Velmora.ini"), PreparedSettings);
  EXPECT_EQ(fs::last_write_time(where / "Velmora.Lst"), listTime);
  EXPECT_EQ(fs::last_write_time(where / "Velmora.ini"), settingsTime);
  EXPECT_EQ(endSession(*starts[running.front()]), 0);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), PreparedList);
  EXPECT_EQ(readFile(where / "Velmora.ini"), preparedSettingsAfterExit());
}

// Libraries named like ones the system loads for the program (shell32 loads
// shcore, the themes uxtheme, ...) lie beside it, as they may in a downloads
// folder; each leaves a witness line when loaded. None may be loaded.
TEST_F(E2eTest, LibrariesPlantedBesideTheProgramAreNeverLoaded) {
  const fs::path where = install();
  const fs::path planted = fs::path(Probe).parent_path() / "VelmoraPlanted.dll";
  for (const char* name :
       {"shcore", "uxtheme", "dwmapi", "version", "propsys", "msctf", "imm32", "winmm", "cryptbase",
        "sspicli", "oleacc", "userenv", "shlwapi", "comdlg32", "textinputframework", "clbcatq"}) {
    fs::copy_file(planted, where / (std::string(name) + ".dll"));
  }
  const fs::path witness = folder_ / "witness.txt";
  std::string windowsPath = "Z:" + witness.string();
  std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
  setenv("VELMORA_WITNESS", windowsPath.c_str(), 1);
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(endSession(*program), 0);
  unsetenv("VELMORA_WITNESS");
  EXPECT_EQ(readFile(witness), std::nullopt) << "loaded: " << readFile(witness).value_or("");
  EXPECT_TRUE(fs::exists(where / "Velmora.ini"));
}

TEST_F(E2eTest, ASettingsFileThatCannotBeWrittenIsReportedOnceAndTheListIsWritten) {
  const fs::path where = install();
  // As root a read-only file is still writable; a folder in its place is not.
  fs::create_directory(where / "Velmora.ini");
  writeFile(where / "Velmora.Lst", PreparedList);
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  // Closing the main window (Wine's taskkill sends it WM_CLOSE) ends the
  // program without a confirmation.
  EXPECT_EQ(run({"wine", "taskkill", "/im", "Velmora2.exe"}, where, 30), 0);
  ASSERT_TRUE(waitWindow("TMessageForm", true, 10000)) << "no error box";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  screenshot("settings-write-error");
  EXPECT_EQ(readFile(where / "Velmora.Lst"), PreparedList) << "the list is on disk before the box";
  pressKey("Return");
  // One box only: after it the program ends by itself.
  EXPECT_EQ(program->wait(15), 0);
  EXPECT_TRUE(fs::is_directory(where / "Velmora.ini"));
}

TEST_F(E2eTest, TheMessageDialogLooksRightAndAnswersEnterAndEsc) {
  struct Case {
    std::string type, buttons, key;
    int expected;
  };
  const Case cases[] = {{"confirmation", "okcancel", "Return", 1},
                        {"confirmation", "okcancel", "Escape", 2},
                        {"information", "ok", "Escape", 1},
                        {"error", "ok", "Return", 1},
                        {"errorbox", "ok", "Return", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type + " " + c.key);
    Child box({"wine", Probe, "show-dialog", c.type, c.buttons}, folder_, Work / "probe.log");
    ASSERT_TRUE(waitWindow("TMessageForm", true, 15000));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    screenshot("dialog-" + c.type + "-" + c.key);
    pressKey(c.key);
    EXPECT_EQ(box.wait(15), c.expected);
  }
}

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

TEST_F(E2eTest, TheTrayIconShowsItsTipOpensTheLauncherOnADoubleClickAndGoesWithTheProgram) {
  const fs::path where = install();
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  // The shell knows icon 1 of the launcher window, under its callback window.
  const std::string iconWindow = probeOutput("tray-window TForm1 1");
  ASSERT_FALSE(iconWindow.empty()) << "the shell has no icon 1 of the launcher window";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const fs::path shown = screenshot("tray-icon-after-start");
  const auto icon = findTrayIcon(shown);
  ASSERT_TRUE(icon.has_value()) << "no icon in the notification area of " << shown.string();
  std::cout << "  icon at " << icon->first << "," << icon->second << "\n";
  EXPECT_EQ(probeOutput("tooltip-text"), "") << "a tip before the pointer came";

  // The pointer rests on the icon: the tip appears.
  run({"xdotool", "mousemove", std::to_string(icon->first), std::to_string(icon->second)}, Work,
      10);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  run({"xdotool", "mousemove", std::to_string(icon->first + 1), std::to_string(icon->second)}, Work,
      10);
  std::string tip;
  for (int i = 0; i < 30 && (tip = probeOutput("tooltip-text")).empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  screenshot("tray-tip-on-hover");
  EXPECT_EQ(tip, "Velmora2");

  // A double click shows the launcher window, which was hidden until then.
  EXPECT_FALSE(waitWindow("TForm1", true, 0));
  run({"xdotool", "click", "--repeat", "2", "--delay", "80", "1"}, Work, 10);
  EXPECT_TRUE(waitWindow("TForm1", true, 5000)) << "the double click did not show the launcher";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  screenshot("tray-double-click-shows-launcher");

  DesktopKeeper keeper(folder_);
  EXPECT_EQ(run({"wine", "taskkill", "/im", "Velmora2.exe"}, where, 30), 0);
  EXPECT_EQ(program->wait(15), 0);
  EXPECT_NE(run({"wine", Probe, "tray-has", iconWindow, "1"}, Work, 30), 0)
      << "the shell still has the icon";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const fs::path gone = screenshot("tray-after-exit");
  EXPECT_TRUE(showsDesktop(gone));
  EXPECT_FALSE(findTrayIcon(gone).has_value()) << "the icon is still drawn";
}

TEST_F(E2eTest, TheTrayMenuQuitsAfterTheConfirmation) {
  const fs::path where = install();
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  ASSERT_FALSE(probeOutput("tray-window TForm1 1").empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto icon = findTrayIcon(screenshot("tray-menu-before"));
  ASSERT_TRUE(icon.has_value());
  run({"xdotool", "mousemove", std::to_string(icon->first), std::to_string(icon->second), "click",
       "3"},
      Work, 10);
  ASSERT_TRUE(waitWindow("#32768", true, 5000)) << "no menu";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  screenshot("tray-menu");
  // The last item, "Velmoraの終了(&X)", is at the bottom of the menu.
  std::istringstream rect(probeOutput("window-rect '#32768'"));
  int left = 0, top = 0, width = 0, height = 0;
  ASSERT_TRUE(rect >> left >> top >> width >> height);
  run({"xdotool", "mousemove", std::to_string(left + width / 2), std::to_string(top + height - 10),
       "click", "1"},
      Work, 10);
  ASSERT_TRUE(waitWindow("TMessageForm", true, 5000)) << "no confirmation";
  DesktopKeeper keeper(folder_);
  pressKey("Return");
  EXPECT_EQ(program->wait(15), 0);
  EXPECT_TRUE(fs::exists(where / "Velmora.ini"));
}

}  // namespace
