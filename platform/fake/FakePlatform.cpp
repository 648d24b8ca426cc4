// The in-memory platform that the tests drive.
#include "platform/fake/FakePlatform.h"

#include "core/Text.h"

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

}  // namespace

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
  runScripted();
  return LoopStep::Handled;
}

void FakePlatform::postQuit() {
  record("postQuit");
  quitPosted_ = true;
}

namespace {

// The peers the program holds: each owns its window record and forwards to
// it. One adapter per kind of peer.
template <typename Interface>
class FakePeer : public Interface {
 public:
  explicit FakePeer(FakeWindow& window) : window_(&window) {}
  ~FakePeer() override { delete window_; }
  FakePeer(const FakePeer&) = delete;
  FakePeer& operator=(const FakePeer&) = delete;

  WindowHandle handle() const override { return window_->handle(); }
  void setText(std::string_view text) override { window_->setText(text); }
  void setBounds(const Rect& bounds) override { window_->setBounds(bounds); }
  Rect bounds() const override { return window_->bounds(); }
  void setVisible(bool visible) override { window_->setVisible(visible); }
  void setEnabled(bool enabled) override { window_->setEnabled(enabled); }
  void setFont(const FontSpec& font) override { window_->setFont(font); }
  void setFocus() override { window_->setFocus(); }
  void setHint(std::string_view hint) override { window_->setHint(hint); }
  void setTimer(unsigned id, unsigned milliseconds) override {
    window_->setTimer(id, milliseconds);
  }
  void killTimer(unsigned id) override { window_->killTimer(id); }

 protected:
  FakeWindow* window_;
};

class FakeFormPeer final : public FakePeer<FormPeer> {
 public:
  using FakePeer::FakePeer;
  int dpi() const override { return window_->dpi(); }
  void setClientSize(Size size) override { window_->setClientSize(size); }
  void setColor(Color color) override { window_->setColor(color); }
  void setStayOnTop(bool stayOnTop) override { window_->setStayOnTop(stayOnTop); }
  void bringToForeground() override { window_->bringToForeground(); }
  void dragMove() override { window_->dragMove(); }
  void setAcceptFiles(bool accept) override { window_->setAcceptFiles(accept); }
};

class FakeButtonPeer final : public FakePeer<ButtonPeer> {
 public:
  using FakePeer::FakePeer;
  void setDefaultLook(bool look) override { window_->setDefaultLook(look); }
};

class FakeEditPeer final : public FakePeer<EditPeer> {
 public:
  using FakePeer::FakePeer;
  TextSelection selection() const override { return window_->selection(); }
  void setSelection(TextSelection selection) override { window_->setSelection(selection); }
};

template <typename Interface>
class FakeListPeer : public FakePeer<Interface> {
 public:
  using FakePeer<Interface>::FakePeer;
  void insertItem(int index, std::string_view text) override {
    this->window_->insertItem(index, text);
  }
  void deleteItem(int index) override { this->window_->deleteItem(index); }
  void clearItems() override { this->window_->clearItems(); }
  void setItemIndex(int index) override { this->window_->setItemIndex(index); }
  void setItemHeight(int height) override { this->window_->setItemHeight(height); }
};

class FakeComboBoxPeer final : public FakeListPeer<ComboBoxPeer> {
 public:
  using FakeListPeer::FakeListPeer;
  void setDroppedDown(bool droppedDown) override { window_->setDroppedDown(droppedDown); }
  TextSelection selection() const override { return window_->selection(); }
  void setSelection(TextSelection selection) override { window_->setSelection(selection); }
};

}  // namespace

FakeWindow& FakePlatform::add(WindowKind kind, const WindowParams& params, WindowEvents& events) {
  auto* window = new FakeWindow(*this, kind, params, events, nextHandle_);
  nextHandle_ += 4;
  windows_.push_back(window);
  record("createWindow " + std::string(kindName(kind)) + " " + params.text);
  return *window;
}

std::unique_ptr<FormPeer> FakePlatform::createForm(const FormParams& params, WindowEvents& events) {
  FakeWindow& window = add(WindowKind::Form, params, events);
  window.state_ = params;
  window.state_.parent = nullptr;
  window.state_.visible = false;
  if (params.defaultPosition) {
    const int offset = 32 + 24 * (placedForms_++ % 10);
    window.state_.bounds.left = offset;
    window.state_.bounds.top = offset;
  }
  // A new window takes the DPI of the monitor it is made on.
  window.dpi_ = monitorDpi(window.state_.bounds);
  auto peer = std::make_unique<FakeFormPeer>(window);
  if (params.visible) window.setVisible(true);
  return peer;
}

std::unique_ptr<WindowPeer> FakePlatform::createPanel(const PanelParams& params,
                                                      WindowEvents& events) {
  return std::make_unique<FakePeer<WindowPeer>>(add(WindowKind::Panel, params, events));
}

std::unique_ptr<ButtonPeer> FakePlatform::createButton(const ButtonParams& params,
                                                       WindowEvents& events) {
  FakeWindow& window = add(WindowKind::Button, params, events);
  window.defaultLook_ = params.defaultButton;
  return std::make_unique<FakeButtonPeer>(window);
}

std::unique_ptr<WindowPeer> FakePlatform::createGlyphButton(const GlyphButtonParams& params,
                                                            WindowEvents& events) {
  FakeWindow& window = add(WindowKind::GlyphButton, params, events);
  window.glyph_ = params.glyphResource;
  return std::make_unique<FakePeer<WindowPeer>>(window);
}

std::unique_ptr<WindowPeer> FakePlatform::createLabel(const LabelParams& params,
                                                      WindowEvents& events) {
  return std::make_unique<FakePeer<WindowPeer>>(add(WindowKind::Label, params, events));
}

std::unique_ptr<WindowPeer> FakePlatform::createIcon(const IconParams& params,
                                                     WindowEvents& events) {
  FakeWindow& window = add(WindowKind::Icon, params, events);
  window.icon_ = params.icon;
  return std::make_unique<FakePeer<WindowPeer>>(window);
}

std::unique_ptr<EditPeer> FakePlatform::createEdit(const EditParams& params, WindowEvents& events) {
  return std::make_unique<FakeEditPeer>(add(WindowKind::Edit, params, events));
}

std::unique_ptr<ListPeer> FakePlatform::createListBox(const ListBoxParams& params,
                                                      WindowEvents& events) {
  FakeWindow& window = add(WindowKind::ListBox, params, events);
  window.items_ = params.items;
  window.itemIndex_ = params.itemIndex;
  window.itemHeight_ = params.itemHeight;
  return std::make_unique<FakeListPeer<ListPeer>>(window);
}

std::unique_ptr<ComboBoxPeer> FakePlatform::createComboBox(const ComboBoxParams& params,
                                                           WindowEvents& events) {
  FakeWindow& window = add(WindowKind::ComboBox, params, events);
  window.items_ = params.items;
  window.itemIndex_ = params.itemIndex;
  window.itemHeight_ = params.itemHeight;
  window.dropDownCount_ = params.dropDownCount;
  return std::make_unique<FakeComboBoxPeer>(window);
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

void FakePlatform::then(std::function<void()> action) {
  if (runningActions_ == 0) {
    script_.push_back(std::move(action));
    return;
  }
  // Queued by a running action: it comes before what was queued earlier,
  // after what this action queued already.
  nestedQueued_ = std::min(nestedQueued_, script_.size());
  script_.insert(script_.begin() + static_cast<long>(nestedQueued_++), std::move(action));
}

void FakePlatform::runScripted() {
  if (script_.empty()) throw ScriptExhausted{};
  std::function<void()> action = std::move(script_.front());
  script_.pop_front();
  // The action taken was the first one the running action had queued.
  if (nestedQueued_ > 0) --nestedQueued_;
  const std::size_t outerQueued = nestedQueued_;
  nestedQueued_ = 0;
  ++runningActions_;
  struct Restore {
    FakePlatform& platform;
    std::size_t queued;
    ~Restore() {
      --platform.runningActions_;
      platform.nestedQueued_ = queued;
    }
  } restore{*this, outerQueued};
  action();
}

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
  openMenu_ = OpenMenu{owner, lines, at};
  chosenCommand_ = 0;
  try {
    runScripted();
  } catch (...) {
    openMenu_.reset();
    throw;
  }
  openMenu_.reset();
  record("menuClosed");
  const unsigned command = chosenCommand_;
  if (command == 0) return;
  post([this, owner, command] {
    if (FakeWindow* window = windowOf(owner)) window->events().onEvent(MenuCommand{command});
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
  loadedIcons_[handle] = {resourceId, size};
  return std::make_unique<FakeIcon>(handle, size);
}

std::unique_ptr<IconImage> FakePlatform::copyIcon(const IconImage& icon) {
  record("copyIcon");
  const IconHandle handle = nextIcon_;
  nextIcon_ += 4;
  if (auto origin = loadedIcon(icon.handle())) loadedIcons_[handle] = *origin;
  return std::make_unique<FakeIcon>(handle, icon.size());
}

std::optional<FakePlatform::LoadedIcon> FakePlatform::loadedIcon(IconHandle handle) const {
  const auto found = loadedIcons_.find(handle);
  if (found == loadedIcons_.end()) return std::nullopt;
  return found->second;
}

NotifyIconResult FakePlatform::shellNotifyIcon(NotifyIconMessage message,
                                               const NotifyIconData& data) {
  // The shell reads the balloon's fields only in a record of their size.
  const bool balloon = (data.uFlags & NifInfo) != 0 && data.cbSize >= NotifyIconDataV2Size &&
                       message != NotifyIconMessage::Delete;
  record(std::string("shellNotifyIcon ") + trayMessageName(message) + " " +
         std::to_string(data.uID) + " " + std::to_string(data.uFlags) + " " + data.szTip +
         (balloon ? " balloon " + data.szInfoTitle : ""));
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
      found->uFlags = data.uFlags & ~NifInfo;
    }
  } else {
    ok = found != trayIcons_.end();
    if (ok) trayIcons_.erase(found);
  }
  if (int& late = lateAnswers_[message]; late > 0) {
    --late;
    ok = false;
  }
  if (ok && balloon) {
    balloons_.push_back({data.uID, data.szInfoTitle, data.szInfo, data.dwInfoFlags});
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
  window->events().onEvent(
      WindowMessage{icon.uCallbackMessage, uID, static_cast<std::intptr_t>(mouseMessage)});
  return true;
}

void FakePlatform::refuseTrayCalls(NotifyIconMessage message, int count) {
  refusals_[message] = count;
}

void FakePlatform::answerTrayCallsLate(NotifyIconMessage message, int count) {
  lateAnswers_[message] = count;
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
      window->events().onEvent(WindowMessage{message, 0, 0});
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
    if (alive(window) && window->events().onEvent(QueryEndSession{})) mayEnd = false;
  }
  record(mayEnd ? "endSession true" : "endSession false");
  for (FakeWindow* window : topLevel()) {
    if (alive(window)) window->events().onEvent(EndSession{mayEnd});
  }
  if (!mayEnd) return false;
  // The system ends the process once every window has replied.
  record("processKilled");
  throw ProcessExit{0};
}

void FakePlatform::pressKey(unsigned virtualKey, unsigned character, unsigned shiftState) {
  FakeWindow* form = focused_ != nullptr ? focused_->root() : active_;
  if (form == nullptr || !form->visible() || !form->enabled()) return;
  constexpr unsigned ShiftAlt = 2, VkMenu = 0x12, VkEscape = 0x1B, VkF4 = 0x73, VkF10 = 0x79;
  if (keyboardMenu_) {
    record("menu key " + std::to_string(virtualKey));
    keyboardMenu_ = virtualKey != VkEscape;
    return;
  }
  record("key " + std::to_string(virtualKey));
  FakeWindow* control = focused_;
  if (form->events().onEvent(KeyDown{virtualKey, shiftState})) return;
  if (!alive(form)) return;
  if ((shiftState & ShiftAlt) != 0 && virtualKey == VkF4) {
    form->events().onEvent(CloseRequest{});
    return;
  }
  if (control != nullptr && focused_ == control) control->keyEffect(virtualKey, shiftState);
  if ((virtualKey == VkMenu && shiftState == ShiftAlt) ||
      (virtualKey == VkF10 && (shiftState & ShiftAlt) == 0)) {
    if (alive(form) && !form->events().onEvent(MenuKey{})) {
      keyboardMenu_ = true;
      record("keyboard menu");
    }
    return;
  }
  if (character == 0 || !alive(form)) return;
  if ((shiftState & ShiftAlt) != 0) {
    // An access key nobody took: the system beeps.
    if (!form->events().onEvent(AccessKey{character})) record("beep");
    return;
  }
  if (form->events().onEvent(Char{character})) return;
  if (focused_ == nullptr || !alive(focused_)) return;
  std::string bytes;
  if (character > 0xFF) bytes += static_cast<char>(character >> 8);
  bytes += static_cast<char>(character & 0xFF);
  focused_->typeEffect(bytes);
}

void FakePlatform::type(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = text::charLength(text, pos);
    const auto lead = static_cast<unsigned char>(text[pos]);
    unsigned character = lead;
    unsigned key = 0xE5;  // a character that came through the input method
    unsigned shift = 0;
    if (length == 2) {
      character = lead * 256 + static_cast<unsigned char>(text[pos + 1]);
    } else if (lead >= 'a' && lead <= 'z') {
      key = lead - 'a' + 'A';
    } else if ((lead >= 'A' && lead <= 'Z') || (lead >= '0' && lead <= '9') || lead == ' ') {
      key = lead;
      if (lead >= 'A' && lead <= 'Z') shift = 1;
    }
    pressKey(key, character, shift);
    pos += length;
  }
}

void FakePlatform::typeForeignCharacter() {
  record("typeForeignCharacter");
  if (focused_ != nullptr) focused_->typeForeign();
}

void FakePlatform::activateOtherProgram() {
  record("activateOtherProgram");
  activate(nullptr);
  if (focused_ != nullptr) {
    FakeWindow* old = focused_;
    focused_ = nullptr;
    old->events().onEvent(FocusChange{false});
  }
  setApplicationActive(false);
}

void FakePlatform::setApplicationActive(bool active) {
  if (appActive_ == active) return;
  appActive_ = active;
  for (FakeWindow* window : std::vector<FakeWindow*>(windows_)) {
    if (alive(window) && window->kind() == WindowKind::Form) {
      window->events().onEvent(ApplicationActivate{active});
    }
  }
}

void FakePlatform::activate(FakeWindow* form) {
  if (active_ == form) return;
  FakeWindow* previous = active_;
  active_ = form;
  if (form != nullptr) setApplicationActive(true);
  if (previous != nullptr && alive(previous)) previous->events().onEvent(Activate{false});
  if (form == nullptr || !alive(form) || active_ != form) return;
  // Without a control to focus, the form itself has the keyboard.
  if (!form->events().onEvent(Activate{true}) && alive(form) && active_ == form &&
      (focused_ == nullptr || focused_->root() != form)) {
    focus(form);
  }
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
  if (window == nullptr || focused_ == window) return;
  activate(window->root());
  // Activating the form may have put the focus somewhere already.
  if (focused_ == window || !alive(window)) return;
  FakeWindow* old = focused_;
  focused_ = window;
  // A combo box that gets the focus selects its field's text.
  if (window->kind() == WindowKind::ComboBox) {
    window->selection_ = {0, static_cast<int>(window->text().size())};
  }
  if (old != nullptr && alive(old)) old->events().onEvent(FocusChange{false});
  if (focused_ == window) window->events().onEvent(FocusChange{true});
}

bool FakePlatform::alive(const FakeWindow* window) const {
  return std::find(windows_.begin(), windows_.end(), window) != windows_.end();
}

FakeWindow* FakePlatform::find(std::string_view name) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->name() == name) return *it;
  }
  return nullptr;
}

Size FakePlatform::screenSize() { return {monitors_.front().width, monitors_.front().height}; }

Rect FakePlatform::monitorRect(const Rect& near) { return monitors_[nearestMonitor(near)]; }

int FakePlatform::monitorDpi(const Rect& near) { return monitorDpis_[nearestMonitor(near)]; }

int FakePlatform::systemDpi() { return systemDpi_.value_or(monitorDpis_.front()); }

void FakePlatform::setMonitors(std::vector<Rect> monitors, std::vector<int> dpis) {
  monitors_ = std::move(monitors);
  dpis.resize(monitors_.size(), DesignDpi);
  monitorDpis_ = std::move(dpis);
}

std::size_t FakePlatform::nearestMonitor(const Rect& near) const {
  // The monitor the rectangle overlaps most; without any overlap, the one
  // whose edge is nearest.
  auto overlap = [&](const Rect& m) {
    const long width =
        std::min(near.left + near.width, m.left + m.width) - std::max(near.left, m.left);
    const long height =
        std::min(near.top + near.height, m.top + m.height) - std::max(near.top, m.top);
    return width > 0 && height > 0 ? width * height : 0L;
  };
  auto distance = [&](const Rect& m) {
    const long dx = std::max({0L, static_cast<long>(m.left) - (near.left + near.width),
                              static_cast<long>(near.left) - (m.left + m.width)});
    const long dy = std::max({0L, static_cast<long>(m.top) - (near.top + near.height),
                              static_cast<long>(near.top) - (m.top + m.height)});
    return dx * dx + dy * dy;
  };
  std::size_t best = 0;
  for (std::size_t i = 0; i < monitors_.size(); ++i) {
    const long area = overlap(monitors_[i]), bestArea = overlap(monitors_[best]);
    if (area > bestArea ||
        (area == 0 && bestArea == 0 && distance(monitors_[i]) < distance(monitors_[best]))) {
      best = i;
    }
  }
  return best;
}

bool FakePlatform::registerHotKey(WindowHandle window, int id, unsigned modifiers,
                                  unsigned virtualKey) {
  const bool taken =
      system_.takenHotKeys.count({modifiers, virtualKey}) != 0 ||
      std::any_of(hotKeys_.begin(), hotKeys_.end(), [&](const HotKeyRegistration& hotKey) {
        return hotKey.modifiers == modifiers && hotKey.virtualKey == virtualKey;
      });
  record("registerHotKey " + std::to_string(id) + " " + std::to_string(modifiers) + " " +
         std::to_string(virtualKey) + (taken ? " refused" : ""));
  if (taken) return false;
  hotKeys_.push_back({window, id, modifiers, virtualKey});
  return true;
}

void FakePlatform::unregisterHotKey(WindowHandle window, int id) {
  record("unregisterHotKey " + std::to_string(id));
  const auto found = std::find_if(hotKeys_.begin(), hotKeys_.end(), [&](const auto& hotKey) {
    return hotKey.window == window && hotKey.id == id;
  });
  if (found != hotKeys_.end()) hotKeys_.erase(found);
}

bool FakePlatform::pressHotKey(unsigned modifiers, unsigned virtualKey) {
  const auto found = std::find_if(hotKeys_.begin(), hotKeys_.end(), [&](const auto& hotKey) {
    return hotKey.modifiers == modifiers && hotKey.virtualKey == virtualKey;
  });
  if (found == hotKeys_.end()) return false;
  const HotKeyRegistration hotKey = *found;
  post([this, hotKey] {
    if (FakeWindow* window = windowOf(hotKey.window)) {
      record("hotKey " + std::to_string(hotKey.id));
      window->events().onEvent(HotKey{hotKey.id});
    }
  });
  return true;
}

std::optional<SystemText> FakePlatform::openFileDialog(const OpenFileParams& params) {
  record("openFileDialog " + params.title);
  // The dialog is the active window while it is open; its owner gets the
  // activation back afterwards.
  FakeWindow* owner = windowOf(params.owner);
  if (owner != nullptr) owner = owner->root();
  FakeWindow* wasActive = active_;
  activate(nullptr);
  fileDialog_ = params;
  chosenFile_.reset();
  try {
    runScripted();
  } catch (...) {
    fileDialog_.reset();
    throw;
  }
  fileDialog_.reset();
  std::optional<SystemText> chosen = std::move(chosenFile_);
  record("fileDialogClosed " + (chosen ? chosen->text : ""));
  FakeWindow* back = owner != nullptr ? owner : wasActive;
  if (back != nullptr && alive(back) && back->visible()) activate(back);
  return chosen;
}

void FakePlatform::chooseFile(std::string path, bool held) {
  if (fileDialog_) chosenFile_ = SystemText{std::move(path), held};
}

bool FakePlatform::fireTimer(FakeWindow* window, unsigned id) {
  if (window == nullptr || !alive(window) || window->timers().count(id) == 0) return false;
  window->events().onEvent(Timer{id});
  return true;
}

}  // namespace velmora::platform::fake
