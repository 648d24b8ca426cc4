// The in-memory platform that the tests drive.
#include "platform/fake/FakePlatform.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace velmora::platform::fake {

namespace {

class FakeMutex final : public KernelHandle {
 public:
  FakeMutex(FakeSystem& system, std::vector<std::string>& calls, std::string name, bool owner)
      : system_(system), calls_(calls), name_(std::move(name)), owner_(owner) {}
  ~FakeMutex() override {
    calls_.push_back("closeMutex " + name_);
    if (owner_) system_.mutexNames.erase(name_);
  }

 private:
  FakeSystem& system_;
  std::vector<std::string>& calls_;
  std::string name_;
  bool owner_;
};

const char* kindName(WindowKind kind) {
  switch (kind) {
    case WindowKind::Form: return "form";
    case WindowKind::Panel: return "panel";
    case WindowKind::Button: return "button";
    case WindowKind::Label: return "label";
    case WindowKind::Icon: return "icon";
  }
  return "?";
}

}  // namespace

FakeWindow::FakeWindow(FakePlatform& platform, const WindowParams& params, WindowEvents& events,
                       WindowHandle handle)
    : platform_(platform),
      state_(params),
      events_(events),
      handle_(handle),
      parent_(static_cast<FakeWindow*>(params.parent)) {
  state_.parent = nullptr;
}

FakeWindow::~FakeWindow() {
  platform_.record(std::string("destroyWindow ") + kindName(state_.kind) + " " + state_.text);
  platform_.forget(this);
}

void FakeWindow::setText(std::string_view text) { state_.text = text; }
void FakeWindow::setBounds(const Rect& bounds) { state_.bounds = bounds; }

Size FakeWindow::frameSize() const {
  if (state_.kind != WindowKind::Form) return {0, 0};
  if (state_.border == FormBorder::Dialog) return {6, 25};
  return state_.thinFrame ? Size{2, 2} : Size{0, 0};
}

void FakeWindow::setClientSize(Size size) {
  const Size frame = frameSize();
  state_.bounds.width = size.width + frame.width;
  state_.bounds.height = size.height + frame.height;
}

void FakeWindow::setVisible(bool visible) {
  if (state_.visible == visible) return;
  state_.visible = visible;
  platform_.record(std::string(visible ? "show " : "hide ") + kindName(state_.kind) + " " +
                   state_.text);
  if (!visible && platform_.active_ == this) platform_.active_ = nullptr;
}

void FakeWindow::setEnabled(bool enabled) { state_.enabled = enabled; }
void FakeWindow::setFont(const FontSpec& font) { state_.font = font; }
void FakeWindow::setColor(Color color) {
  platform_.record("setColor " + std::to_string(color));
  state_.color = color;
}
void FakeWindow::setStayOnTop(bool stayOnTop) { state_.stayOnTop = stayOnTop; }
void FakeWindow::setDefaultButton(bool isDefault) { state_.defaultButton = isDefault; }

void FakeWindow::setFocus() {
  if (!state_.visible || !state_.enabled) return;
  platform_.focus(this);
}

void FakeWindow::bringToForeground() {
  platform_.record(std::string("foreground ") + state_.text);
  if (state_.visible) platform_.active_ = root();
}

FakeWindow* FakeWindow::root() {
  FakeWindow* window = this;
  while (window->parent_ != nullptr && window->state_.kind != WindowKind::Form) {
    window = window->parent_;
  }
  return window;
}

bool FakeWindow::focused() const { return platform_.focused_ == this; }

std::vector<FakeWindow*> FakeWindow::children() const {
  std::vector<FakeWindow*> result;
  for (FakeWindow* window : platform_.windows_) {
    if (window->parent_ == this) result.push_back(window);
  }
  return result;
}

FakeWindow* FakeWindow::child(WindowKind kind, std::string_view text) const {
  for (FakeWindow* window : children()) {
    if (window->state_.kind == kind && (text.empty() || window->state_.text == text)) {
      return window;
    }
  }
  return nullptr;
}

bool FakeWindow::click() {
  for (FakeWindow* window = this; window != nullptr; window = window->parent_) {
    if (!window->state_.visible || !window->state_.enabled) return false;
    if (window->state_.kind == WindowKind::Form) break;  // its parent is only its owner
  }
  platform_.record("click " + state_.text);
  events_.onClick();
  return true;
}

void FakeWindow::close() {
  platform_.record("close " + state_.text);
  events_.onCloseRequest();
}

void FakeWindow::moveTo(int left, int top) {
  state_.bounds.left = left;
  state_.bounds.top = top;
  events_.onMoved(state_.bounds);
}

FakePlatform::FakePlatform(FakeSystem& system, files::Path executablePath)
    : system_(system), executablePath_(std::move(executablePath)) {}

FakePlatform::~FakePlatform() = default;

void FakePlatform::record(std::string line) {
  const bool fail = !failingCall_.empty() && line.starts_with(failingCall_);
  calls_.push_back(std::move(line));
  if (fail) {
    failingCall_.clear();
    throw std::runtime_error("the system failed: " + calls_.back());
  }
}

bool FakePlatform::restrictLibrarySearch() {
  record("restrictLibrarySearch");
  return true;
}

files::Path FakePlatform::executablePath() {
  record("executablePath");
  return executablePath_;
}

NamedMutex FakePlatform::createNamedMutex(std::string_view name) {
  std::string key(name);
  record("createNamedMutex " + key);
  NamedMutex mutex;
  const bool existed = !system_.mutexNames.insert(key).second;
  mutex.result = existed ? MutexResult::AlreadyExists : MutexResult::Created;
  mutex.handle = std::make_unique<FakeMutex>(system_, calls_, key, !existed);
  return mutex;
}

void FakePlatform::exitProcess(int code) {
  record("exitProcess " + std::to_string(code));
  throw ProcessExit{code};
}

LoopStep FakePlatform::handleMessage(bool wait) {
  // The quit message comes only when nothing else is waiting.
  if (!posted_.empty()) {
    std::function<void()> action = std::move(posted_.front());
    posted_.pop_front();
    action();
    return LoopStep::Handled;
  }
  if (quitPosted_) {
    quitPosted_ = false;
    return LoopStep::Quit;
  }
  if (!wait) return LoopStep::Idle;
  if (script_.empty()) throw ScriptExhausted{};
  std::function<void()> action = std::move(script_.front());
  script_.pop_front();
  action();
  return LoopStep::Handled;
}

void FakePlatform::postQuit() {
  record("postQuit");
  quitPosted_ = true;
}

std::unique_ptr<WindowPeer> FakePlatform::createWindow(const WindowParams& params,
                                                       WindowEvents& events) {
  record(std::string("createWindow ") + kindName(params.kind) + " " + params.text);
  auto window = std::make_unique<FakeWindow>(*this, params, events, nextHandle_);
  nextHandle_ += 4;
  windows_.push_back(window.get());
  return window;
}

Size FakePlatform::measureText(const FontSpec& font, std::string_view text, int maxWidth) {
  // Every byte is half a character cell wide; lines break at CR or LF and
  // wrap at maxWidth.
  const int byteWidth = std::max(1, font.pixelHeight / 2);
  const int lineHeight = font.pixelHeight + 3;
  int width = 0;
  int lines = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const int lineWidth = static_cast<int>(end - start) * byteWidth;
    const int wrapped = maxWidth > 0 ? std::max(1, (lineWidth + maxWidth - 1) / maxWidth) : 1;
    lines += wrapped;
    width = std::max(width, maxWidth > 0 ? std::min(lineWidth, maxWidth) : lineWidth);
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
      ++end;
    }
    start = end + 1;
  }
  return {width, lines * lineHeight};
}

void FakePlatform::messageBeep(SystemIcon icon) {
  record("messageBeep " + std::to_string(static_cast<int>(icon)));
}

void FakePlatform::shellExecute(WindowHandle owner, std::string_view verb, std::string_view file,
                                std::string_view parameters, std::string_view directory,
                                int showCommand) {
  ShellCall call{owner,
                 std::string(verb),
                 std::string(file),
                 std::string(parameters),
                 std::string(directory),
                 showCommand};
  record("shellExecute " + call.verb + "|" + call.file + "|" + call.parameters + "|" +
         call.directory + "|" + std::to_string(showCommand));
  shellCalls_.push_back(std::move(call));
}

bool FakePlatform::openFile(WindowHandle owner, const files::Path& file) {
  shellExecute(owner, "open", files::displayText(file), "", "", SwShow);
  return true;
}

void FakePlatform::then(std::function<void()> action) { script_.push_back(std::move(action)); }

void FakePlatform::post(std::function<void()> action) { posted_.push_back(std::move(action)); }

Point FakePlatform::cursorPos() {
  record("cursorPos");
  return cursor_;
}

unsigned FakePlatform::registerWindowMessage(std::string_view name) {
  auto found = system_.windowMessages.find(name);
  if (found == system_.windowMessages.end()) {
    const unsigned number = 0xC000 + static_cast<unsigned>(system_.windowMessages.size());
    found = system_.windowMessages.emplace(std::string(name), number).first;
  }
  return found->second;
}

namespace {

std::string menuText(const std::vector<MenuLine>& lines) {
  std::string text;
  for (const MenuLine& line : lines) {
    if (!text.empty()) text += "|";
    text += line.caption;
    if (!line.items.empty()) {
      text += '{';
      text += menuText(line.items);
      text += '}';
    }
  }
  return text;
}

const MenuLine* findLine(const std::vector<MenuLine>& lines, std::string_view caption) {
  for (const MenuLine& line : lines) {
    if (line.caption == caption) return &line;
    if (const MenuLine* inner = findLine(line.items, caption)) return inner;
  }
  return nullptr;
}

const char* trayMessageName(NotifyIconMessage message) {
  switch (message) {
    case NotifyIconMessage::Add: return "add";
    case NotifyIconMessage::Modify: return "modify";
    case NotifyIconMessage::Delete: return "delete";
  }
  return "?";
}

}  // namespace

void FakePlatform::popupMenu(WindowHandle owner, const std::vector<MenuLine>& lines, Point at) {
  record("popupMenu " + std::to_string(at.x) + "," + std::to_string(at.y) + " " + menuText(lines));
  // The menu runs its own loop until the user chooses or closes it.
  if (script_.empty()) throw ScriptExhausted{};
  openMenu_ = OpenMenu{owner, lines, at};
  chosenCommand_ = 0;
  std::function<void()> action = std::move(script_.front());
  script_.pop_front();
  try {
    action();
  } catch (...) {
    openMenu_.reset();
    throw;
  }
  openMenu_.reset();
  record("menuClosed");
  const unsigned command = chosenCommand_;
  if (command == 0) return;
  post([this, owner, command] {
    if (FakeWindow* window = windowOf(owner)) window->events().onMenuCommand(command);
  });
}

bool FakePlatform::chooseMenuItem(std::string_view caption) {
  if (!openMenu_) return false;
  const MenuLine* line = findLine(openMenu_->lines, caption);
  if (line == nullptr || !line->enabled || !line->items.empty() || line->caption == "-")
    return false;
  record("chooseMenuItem " + line->caption);
  chosenCommand_ = line->command;
  return true;
}

void FakePlatform::closeMenu() { chosenCommand_ = 0; }

std::unique_ptr<IconImage> FakePlatform::loadIcon(int resourceId, Size size) {
  record("loadIcon " + std::to_string(resourceId) + " " + std::to_string(size.width) + "x" +
         std::to_string(size.height));
  // The program has one icon resource, number 1.
  if (resourceId != 1) return nullptr;
  const IconHandle handle = nextIcon_;
  nextIcon_ += 4;
  return std::make_unique<FakeIcon>(handle, size);
}

std::unique_ptr<IconImage> FakePlatform::copyIcon(const IconImage& icon) {
  record("copyIcon");
  const IconHandle handle = nextIcon_;
  nextIcon_ += 4;
  return std::make_unique<FakeIcon>(handle, icon.size());
}

NotifyIconResult FakePlatform::shellNotifyIcon(NotifyIconMessage message,
                                               const NotifyIconData& data) {
  record(std::string("shellNotifyIcon ") + trayMessageName(message) + " " +
         std::to_string(data.uID) + " " + std::to_string(data.uFlags) + " " + data.szTip);
  auto found = std::find_if(trayIcons_.begin(), trayIcons_.end(), [&](const NotifyIconData& icon) {
    return icon.hWnd == data.hWnd && icon.uID == data.uID;
  });
  bool ok = false;
  int& refusals = refusals_[message];
  if (!shellReady_) {
    trayCalls_.push_back({message, data, false});
    return NotifyIconResult::NoShell;
  }
  if (refusals > 0) {
    --refusals;
  } else if (message == NotifyIconMessage::Add) {
    ok = found == trayIcons_.end() && data.cbSize != 0 && data.szTip.size() <= MaxTipBytes;
    if (ok) trayIcons_.push_back(data);
  } else if (message == NotifyIconMessage::Modify) {
    ok = found != trayIcons_.end() && data.szTip.size() <= MaxTipBytes;
    if (ok) {
      if ((data.uFlags & NifMessage) != 0) found->uCallbackMessage = data.uCallbackMessage;
      if ((data.uFlags & NifIcon) != 0) found->hIcon = data.hIcon;
      if ((data.uFlags & NifTip) != 0) found->szTip = data.szTip;
      found->uFlags = data.uFlags;
    }
  } else {
    ok = found != trayIcons_.end();
    if (ok) trayIcons_.erase(found);
  }
  trayCalls_.push_back({message, data, ok});
  return ok ? NotifyIconResult::Done : NotifyIconResult::Refused;
}

bool FakePlatform::sendTrayMessage(std::uint32_t uID, unsigned mouseMessage) {
  const auto found = std::find_if(trayIcons_.begin(), trayIcons_.end(),
                                  [&](const NotifyIconData& icon) { return icon.uID == uID; });
  if (found == trayIcons_.end()) return false;
  const NotifyIconData icon = *found;
  FakeWindow* window = windowOf(icon.hWnd);
  if (window == nullptr || (icon.uFlags & NifMessage) == 0) return false;
  record("trayMessage " + std::to_string(uID) + " " + std::to_string(mouseMessage));
  window->events().onWindowMessage(icon.uCallbackMessage, uID,
                                   static_cast<std::intptr_t>(mouseMessage));
  return true;
}

void FakePlatform::refuseTrayCalls(NotifyIconMessage message, int count) {
  refusals_[message] = count;
}

void FakePlatform::setShellReady(bool ready) {
  shellReady_ = ready;
  // A shell that goes away takes its icons along.
  if (!ready) trayIcons_.clear();
}

void FakePlatform::restartShell() {
  record("restartShell");
  trayIcons_.clear();
  shellReady_ = true;
  const unsigned message = registerWindowMessage("TaskbarCreated");
  for (FakeWindow* window : std::vector<FakeWindow*>(windows_)) {
    if (alive(window) && window->kind() == WindowKind::Form) {
      window->events().onWindowMessage(message, 0, 0);
    }
  }
}

FakeWindow* FakePlatform::windowOf(WindowHandle handle) const {
  for (FakeWindow* window : windows_) {
    if (window->handle() == handle) return window;
  }
  return nullptr;
}

bool FakePlatform::endSession() {
  record("queryEndSession");
  auto topLevel = [this] {
    std::vector<FakeWindow*> forms;
    for (FakeWindow* window : windows_) {
      if (window->kind() == WindowKind::Form) forms.push_back(window);
    }
    return forms;
  };
  bool mayEnd = true;
  for (FakeWindow* window : topLevel()) {
    if (alive(window) && !window->events().onQueryEndSession()) mayEnd = false;
  }
  record(mayEnd ? "endSession true" : "endSession false");
  for (FakeWindow* window : topLevel()) {
    if (alive(window)) window->events().onEndSession(mayEnd);
  }
  if (!mayEnd) return false;
  // The system ends the process once every window has replied.
  record("processKilled");
  throw ProcessExit{0};
}

void FakePlatform::pressKey(unsigned virtualKey, unsigned character, unsigned shiftState) {
  FakeWindow* target = focused_ != nullptr ? focused_->root() : active_;
  if (target == nullptr || !target->visible() || !target->enabled()) return;
  record("key " + std::to_string(virtualKey));
  if (target->events().onKeyDown(virtualKey, shiftState)) return;
  if (character != 0 && alive(target)) target->events().onChar(character);
}

std::vector<FakeWindow*> FakePlatform::visibleForms() const {
  std::vector<FakeWindow*> forms;
  for (FakeWindow* window : windows_) {
    if (window->kind() == WindowKind::Form && window->visible()) forms.push_back(window);
  }
  return forms;
}

FakeWindow* FakePlatform::findForm(std::string_view caption) const {
  for (FakeWindow* window : windows_) {
    if (window->kind() == WindowKind::Form && window->visible() && window->text() == caption) {
      return window;
    }
  }
  return nullptr;
}

void FakePlatform::forget(FakeWindow* window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
  if (active_ == window) active_ = nullptr;
  if (focused_ == window) focused_ = nullptr;
}

void FakePlatform::focus(FakeWindow* window) {
  if (focused_ == window) return;
  FakeWindow* old = focused_;
  focused_ = window;
  active_ = window->root();
  if (old != nullptr) old->events().onFocusChange(false);
  if (focused_ == window) window->events().onFocusChange(true);
}

bool FakePlatform::alive(FakeWindow* window) const {
  return std::find(windows_.begin(), windows_.end(), window) != windows_.end();
}

}  // namespace velmora::platform::fake
