// The launcher window: its controls and menus, showing and hiding, running,
// looking up and registering names, the quick start, the system hotkeys, and
// the creation and destruction order with the settings and files.
#include "app/LnchMain.h"
#include "ui/Application.h"

#include "core/CommandLine.h"
#include "core/Entries.h"
#include "core/FileAccess.h"
#include "core/HotKeys.h"
#include "core/Registrations.h"
#include "core/SettingsFile.h"
#include "core/Text.h"
#include "dialogs/LnchDilg.h"
#include "dialogs/LnchHot.h"
#include "ui/Declare.h"
#include "ui/Keys.h"

namespace velmora {

bool DroppedDown = false;

namespace {

constexpr std::string_view DefaultFontName = "ＭＳ Ｐゴシック";
constexpr std::int32_t DefaultLeft = 500;
constexpr std::int32_t DefaultTop = 340;
constexpr std::int32_t DefaultColor = 0xC0C0C0;
constexpr std::int32_t DefaultComboWidth = 100;
constexpr std::int32_t DefaultFontSize = 10;
constexpr std::string_view OpenDialogTitle = "Velmora2 ファイル名指定";
// What the user types in the field, as the refusal of a text names it.
constexpr std::string_view RegistrationNameText = "登録名";
constexpr std::string_view OpenDialogFilter =
    "実行ファイル|*.exe;*.com;*.bat|ショートカット,PIFファイル|*.lnk;*.pif|すべてのファイル|*.*";

struct MenuSpec {
  std::string_view name;
  std::string_view caption;
  bool checked = false;
  ui::TNotifyEvent onClick = nullptr;
};

ui::TMenuItem* addMenuItem(ui::TMenuItem* parent, ui::TComponent* owner, const MenuSpec& spec) {
  auto* item = new ui::TMenuItem(owner);
  item->SetName(spec.name);
  item->Caption = spec.caption;
  item->Checked = spec.checked;
  item->OnClick = spec.onClick;
  parent->Add(item);
  return item;
}

bool overlaps(const platform::Rect& a, const platform::Rect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

}  // namespace

TForm1::TForm1(ui::TComponent* owner) : ui::TForm(owner, "TForm1") {
  using ui::Handler;
  SetName("Form1");
  SetCaption(ApplicationTitle);
  SetBorderStyle(ui::TFormBorderStyle::bsNone);
  SetFormStyle(ui::TFormStyle::fsStayOnTop);
  ShowInTaskbar = false;
  KeyPreview = true;
  SetBounds(190, 108, Width(), Height());
  SetClientSize(114, 32);
  ui::TFont font;
  font.Name = DefaultFontName;
  font.SetHeight(15);
  SetFont(font);

  Combo1 = ui::AddComboBox(this, {.name = "Combo1",
                                  .bounds = {2, 2, 100, 23},
                                  .tabOrder = 0,
                                  .itemHeight = 15,
                                  .dropDownCount = 12,
                                  .onChange = Handler(this, &TForm1::Combo1Change),
                                  .onTextAdded = Handler(this, &TForm1::Combo1TextAdded),
                                  .onDropDown = Handler(this, &TForm1::Combo1DropDown),
                                  .onDblClick = Handler(this, &TForm1::GoBtnClick)});

  PopupMenu1 = new ui::TPopupMenu(this);
  PopupMenu1->SetName("PopupMenu1");
  ui::TMenuItem* menu = PopupMenu1->Items();
  Go1 = addMenuItem(menu, this, {"Go1", "実行(&G)", false, Handler(this, &TForm1::GoBtnClick)});
  Edit1 = addMenuItem(menu, this,
                      {"Edit1", "登録内容の編集(&E)", false, Handler(this, &TForm1::Edit1Click)});
  Hotkey1 = addMenuItem(
      menu, this, {"Hotkey1", "ホットキーの編集(&H)", false, Handler(this, &TForm1::Hotkey1Click)});
  Option1 = addMenuItem(menu, this, {"Option1", "オプション(&O)"});
  Quick1 =
      addMenuItem(Option1, this,
                  {"Quick1", "クイックスタート(&Q)", true, Handler(this, &TForm1::ReverseCheck)});
  BlankEnter1 =
      addMenuItem(Option1, this,
                  {"BlankEnter1", "空Enter有効(&B)", true, Handler(this, &TForm1::ReverseCheck)});
  HKValid = addMenuItem(
      Option1, this, {"HKValid", "ホットキー有効(&H)", true, Handler(this, &TForm1::HKValidClick)});
  AutoComplete1 =
      addMenuItem(Option1, this,
                  {"AutoComplete1", "名前の補完(&A)", false, Handler(this, &TForm1::ReverseCheck)});
  Minimize1 = addMenuItem(
      menu, this,
      {"Minimize1", "タスクトレイに戻す(&I)", false, Handler(this, &TForm1::Minimize1Click)});
  N1 = addMenuItem(menu, this, {"N1", "-"});
  Help1 = addMenuItem(menu, this, {"Help1", "説明(&H)", false, Handler(this, &TForm1::Help1Click)});
  Version1 = addMenuItem(
      menu, this, {"Version1", "バージョン情報(&V)", false, Handler(this, &TForm1::Version1Click)});
  N2 = addMenuItem(menu, this, {"N2", "-"});
  Exit1 = addMenuItem(menu, this,
                      {"Exit1", "Velmoraの終了(&X)", false, Handler(this, &TForm1::Exit1Click)});
  PopupMenu = PopupMenu1;

  PopupMenu2 = new ui::TPopupMenu(this);
  PopupMenu2->SetName("PopupMenu2");
  menu = PopupMenu2->Items();
  Open1 = addMenuItem(menu, this,
                      {"Open1", "Velmoraを開く(&O)", false, Handler(this, &TForm1::Open1Click)});
  Edit2 = addMenuItem(menu, this,
                      {"Edit2", "登録内容の編集(&E)", false, Handler(this, &TForm1::Edit1Click)});
  Hotkey2 = addMenuItem(
      menu, this, {"Hotkey2", "ホットキーの編集(&H)", false, Handler(this, &TForm1::Hotkey1Click)});
  N3 = addMenuItem(menu, this, {"N3", "-"});
  Help2 = addMenuItem(menu, this, {"Help2", "説明(&H)", false, Handler(this, &TForm1::Help1Click)});
  N4 = addMenuItem(menu, this, {"N4", "-"});
  Exit2 = addMenuItem(menu, this,
                      {"Exit2", "Velmoraの終了(&X)", false, Handler(this, &TForm1::Exit1Click)});

  OpenDialog1 = new ui::TOpenDialog(this);
  OpenDialog1->SetName("OpenDialog1");
  OpenDialog1->Title = OpenDialogTitle;
  OpenDialog1->Filter = OpenDialogFilter;
  OpenDialog1->FilterIndex = 1;
  OpenDialog1->Options = ui::ofHideReadOnly | ui::ofPathMustExist | ui::ofFileMustExist;

  // The tray icon's stored properties, in the order they are stored: the
  // image before Registered, so that the icon has it when it is added.
  TaskTray1 = new TTaskTray(this);
  TaskTray1->SetName("TaskTray1");
  TaskTray1->SetPopupMenuR(PopupMenu2);
  TaskTray1->SetTipString(ApplicationTitle);
  TaskTray1->Icon()->LoadFromResource(ApplicationIconResource, {32, 32});
  TaskTray1->SetIconID(TrayIconId);
  // At logon the shell may refuse the icon for a while: that must not end
  // the program, whose hotkeys work without it. The program's start ends
  // where its message loop begins.
  TaskTray1->SetStartingUp(true);
  TaskTray1->SetRegistered(true);
  TaskTray1->OnDblClick = Handler(this, &TForm1::TaskTray1DblClick);

  SetActiveControl(Combo1);
  OnCreate = Handler(this, &TForm1::FormCreate);
  OnDestroy = Handler(this, &TForm1::FormDestroy);
  OnShow = Handler(this, &TForm1::FormShow);
  OnKeyPress = Handler(this, &TForm1::FormKeyPress);
  OnMouseDown = Handler(this, &TForm1::FormMouseDown);
  OnDeactivate = Handler(this, &TForm1::FormDeactivate);
  OnHotKey = Handler(this, &TForm1::WMHotKey);
}

void TForm1::CreateParams(platform::FormParams& params) {
  ui::TForm::CreateParams(params);
  // A one-pixel frame around the borderless window.
  params.thinFrame = true;
}

void TForm1::FormCreate(ui::TComponent*) {
  DroppedDown = false;
  const files::Path exePath = Platform().executablePath();
  ExeDir = exePath.folder();
  ui::Application->HelpFile = files::displayText(ExeDir) + std::string(HelpFileName);
  OpenDialog1->InitialDir = files::extractFileDrive(files::displayText(exePath));
  SetLimitMessageSink([](std::string_view message) {
    ui::MessageDlg(message, ui::TMsgDlgType::mtError, ui::mbOK);
  });
  LoadSettings();
  for (int i = 0; i < HotKeySlotCount; ++i) RegisterSlotHotKey(i);
  showRefusalsInTip();
  // The program often starts at logon, where nobody waits for a box: the
  // tray icon says it once.
  if (refusedSlots_[0]) {
    TaskTray1->ShowBalloon(LauncherKeyRefusedTitle,
                           std::string(LauncherKeyRefusedBefore) + HotKeyDisplayText(HotKeys[0]) +
                               std::string(LauncherKeyRefusedAfter),
                           platform::NiifWarning);
  }
  LoadEntryList();
  refillCombo();
  stateLoaded_ = true;
}

void TForm1::FormDestroy(ui::TComponent*) {
  unregisterSlotHotKeys(0, HotKeySlotCount - 1);
  // A creation that failed part-way leaves a state that is not the user's
  // (an empty list, default settings): writing it would replace their files.
  if (!stateLoaded_) return;
  // The session may end while the hotkey editor is open: what nobody
  // confirmed with OK is not saved.
  if (auto* editor = dynamic_cast<TForm3*>(FindComponent(HotKeyEditorName))) {
    editor->DiscardUnconfirmedChanges();
  }
  // Every file is written before any message is shown, so that all of it is
  // on disk even if the session ends while a box is open.
  std::vector<std::string> errors;
  try {
    SaveSettings();
    errors = SaveRegistrationFiles(SettingsFilePath(), ListFilePath()).errors;
  } catch (const SettingsWriteError& error) {
    // The settings file refused: [Hotkey] is not tried in it again, and the
    // entries are written all the same.
    errors.push_back(error.what());
    if (!SaveEntryListTo(ListFilePath())) errors.push_back(cannotWriteMessage(ListFilePath()));
  }
  showSaveErrors(errors);
  SetLimitMessageSink(nullptr);
}

void TForm1::LoadSettings() {
  const SettingsSnapshot settings(SettingsFilePath());
  Quick1->Checked = settings.ReadFlag("Option", "QuickStart", true);
  BlankEnter1->Checked = settings.ReadFlag("Option", "BlankEnter", true);
  if (!settings.ReadFlag("Option", "StayTop", true)) SetFormStyle(ui::TFormStyle::fsNormal);
  HKValid->Checked = settings.ReadFlag("Option", "HotKeyValid", true);
  AutoComplete1->Checked = settings.ReadFlag("Option", "AutoComplete", false);
  autoCompleteStored_ = settings.HasKey("Option", "AutoComplete");
  const int left = settings.ReadNumber("Window", "Left", DefaultLeft);
  const int top = settings.ReadNumber("Window", "Top", DefaultTop);
  SetBounds(left, top, Width(), Height());
  SetColor(static_cast<platform::Color>(settings.ReadNumber("Window", "Color", DefaultColor)));
  Combo1->SetWidth(settings.ReadNumber("Window", "Width", DefaultComboWidth));
  ui::TFont font = Combo1->Font();
  font.Name = settings.ReadText("Font", "Name", DefaultFontName);
  font.SetSize(settings.ReadNumber("Font", "Size", DefaultFontSize));
  Combo1->SetFont(font);
  LoadHotKeys(settings);
}

void TForm1::SaveSettings() {
  SettingsUpdate settings(SettingsFilePath());
  settings.WriteFlag("Option", "QuickStart", Quick1->Checked);
  settings.WriteFlag("Option", "BlankEnter", BlankEnter1->Checked);
  settings.WriteFlag("Option", "StayTop", FormStyle() == ui::TFormStyle::fsStayOnTop);
  settings.WriteFlag("Option", "HotKeyValid", HKValid->Checked);
  if (autoCompleteStored_ || AutoComplete1->Checked) {
    settings.WriteFlag("Option", "AutoComplete", AutoComplete1->Checked);
  }
  settings.WriteNumber("Window", "Left", Left());
  settings.WriteNumber("Window", "Top", Top());
  settings.WriteNumber("Window", "Width", Combo1->Width());
  settings.WriteText("Window", "Color", colorText(static_cast<std::int32_t>(Color())));
  settings.WriteText("Font", "Name", Combo1->Font().Name);
  settings.WriteNumber("Font", "Size", Combo1->Font().Size());
  settings.Commit();
}

bool TForm1::SaveRegistrations() {
  const SaveReport report = SaveRegistrationFiles(SettingsFilePath(), ListFilePath());
  showSaveErrors(report.errors);
  return report.settingsWritten;
}

void TForm1::showSaveErrors(const std::vector<std::string>& errors) {
  for (const std::string& error : errors) ui::Application->ShowErrorText(error);
}

void TForm1::refillCombo() {
  Combo1->ClearItems();
  for (int i = 1; i <= EntryCount; ++i) Combo1->AddItem(EntryNames[static_cast<std::size_t>(i)]);
}

void TForm1::FormShow(ui::TComponent*) {
  SetClientSize(Combo1->Width() + 12, Combo1->Height() + 4);
  // The monitor the window is on, taskbar included; a window on none (its
  // monitor was taken away) comes wholly onto the nearest one. In screen
  // pixels, so that the edges meet exactly at any DPI.
  const platform::Rect window = ScreenBounds();
  const platform::Rect monitor = Platform().monitorRect(window);
  int left = window.left;
  int top = window.top;
  if (left + window.width > monitor.left + monitor.width) {
    left = monitor.left + monitor.width - window.width;
  }
  if (top + window.height > monitor.top + monitor.height) {
    top = monitor.top + monitor.height - window.height;
  }
  if (!overlaps(window, monitor)) {
    left = std::max(left, monitor.left);
    top = std::max(top, monitor.top);
  }
  if (left != window.left || top != window.top) SetScreenPosition(left, top);
  SetActiveControl(Combo1);
}

void TForm1::FormMouseDown(ui::TComponent*, ui::TMouseButton Button, ui::TShiftState, int, int) {
  // The margins around the combo box drag the window like a title bar.
  if (Button == ui::TMouseButton::mbLeft) DragMove();
}

void TForm1::ShowLauncher() {
  Show();
  BringToForeground();
}

void TForm1::Minimize1Click(ui::TComponent*) { Hide(); }

void TForm1::FormDeactivate(ui::TComponent* Sender) {
  // While the launcher's own open-file dialog is open (it takes the
  // activation, or the user looks at another program) the window stays; the
  // launch after it hides the window anyway.
  if (OpenDialog1->Executing()) return;
  Minimize1Click(Sender);
}

void TForm1::Open1Click(ui::TComponent*) { ShowLauncher(); }

void TForm1::TaskTray1DblClick(ui::TComponent*, ui::TMouseButton) { ShowLauncher(); }

void TForm1::GoBtnClick(ui::TComponent*) {
  const std::string text = Combo1->Text();
  if (text.empty()) {
    if (OpenDialog1->Execute()) LaunchCommand(OpenDialog1->FileName);
    return;
  }
  const int selected = Combo1->ItemIndex();
  if (selected >= 0) {
    LaunchCommand(EntryCommands[static_cast<std::size_t>(selected + 1)]);
    return;
  }
  // With "?" for what code page 932 cannot hold, the text would find or
  // register another name.
  if (!Combo1->TextHeld()) {
    ui::ShowUnheldText(RegistrationNameText, text);
    return;
  }
  if (const int found = FindEntry(text); found > 0) {
    Combo1->SetItemIndex(found - 1);
    LaunchCommand(EntryCommands[static_cast<std::size_t>(found)]);
    return;
  }
  if (EntryCount >= MaxEntries) {
    ui::MessageDlg(ListFullMessage, ui::TMsgDlgType::mtError, ui::mbOK);
    return;
  }
  if (!OpenDialog1->Execute()) return;
  if (AppendEntry(text, OpenDialog1->FileName) == 0) return;
  Combo1->AddItem(text);
  if (!SaveRegistrations()) return;
  Combo1->SetItemIndex(EntryCount - 1);
  LaunchCommand(EntryCommands[static_cast<std::size_t>(EntryCount)]);
}

void TForm1::FormKeyPress(ui::TComponent* Sender, unsigned& Key) {
  // Esc and Enter type the characters of their key codes.
  if (Key == ui::VkEscape) {
    Key = 0;
    Minimize1Click(Sender);
  } else if (Key == ui::VkReturn) {
    Key = 0;
    if (!Combo1->Text().empty() || BlankEnter1->Checked) GoBtnClick(Sender);
  }
  DroppedDown = false;
}

void TForm1::Combo1DropDown(ui::TComponent*) { DroppedDown = true; }

void TForm1::Combo1Change(ui::TComponent* Sender) {
  if (!DroppedDown) return;
  DroppedDown = false;
  if (Combo1->ItemIndex() >= 0 && Quick1->Checked) GoBtnClick(Sender);
}

void TForm1::Combo1TextAdded(ui::TComponent*) {
  // A text with "?" for what code page 932 cannot hold begins no name.
  if (!AutoComplete1->Checked || !Combo1->TextHeld()) return;
  const std::string typed = Combo1->Text();
  const int found = FindEntryByPrefix(typed);
  if (found == 0) return;
  const std::string& name = EntryNames[static_cast<std::size_t>(found)];
  if (name.size() <= typed.size()) return;
  // The typed text stays as typed; the rest of the name follows it,
  // selected, so that the next character typed replaces it.
  Combo1->SetText(typed + name.substr(typed.size()));
  Combo1->SetSelStart(static_cast<int>(typed.size()));
  Combo1->SetSelLength(static_cast<int>(name.size() - typed.size()));
}

void TForm1::ReverseCheck(ui::TComponent* Sender) {
  if (auto* item = dynamic_cast<ui::TMenuItem*>(Sender)) item->Checked = !item->Checked;
}

void TForm1::RegisterSlotHotKey(int i) {
  const auto index = static_cast<std::size_t>(i);
  const THotKeySlot& slot = HotKeys[index];
  refusedSlots_[index] = false;
  if (slot.VKey == 0) return;
  if (i != 0 && (!HKValid->Checked || slot.Command.empty())) return;
  // A combination another program holds is refused; the slot stays silent
  // until the next pass, and the tray icon's tip names it.
  refusedSlots_[index] =
      !Platform().registerHotKey(Handle(), HotKeyIdBase + i, slot.Modifiers, slot.VKey);
}

void TForm1::unregisterSlotHotKeys(int first, int last) {
  for (int i = first; i <= last; ++i) {
    Platform().unregisterHotKey(Handle(), HotKeyIdBase + i);
    refusedSlots_[static_cast<std::size_t>(i)] = false;
  }
}

std::vector<std::string> TForm1::refusedKeyNames() const {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < HotKeys.size(); ++i) {
    if (refusedSlots_[i]) names.push_back(HotKeyDisplayText(HotKeys[i]));
  }
  return names;
}

void TForm1::showRefusalsInTip() {
  std::string tip(ApplicationTitle);
  const std::vector<std::string> names = refusedKeyNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    tip += std::string(i == 0 ? RefusedHotKeysTip : RefusedHotKeySeparator) + names[i];
  }
  TaskTray1->SetTipString(text::cutWithEllipsis(tip, platform::MaxTipBytes));
}

void TForm1::HKValidClick(ui::TComponent* Sender) {
  ReverseCheck(Sender);
  if (HKValid->Checked) {
    for (int i = 1; i < HotKeySlotCount; ++i) RegisterSlotHotKey(i);
  } else {
    unregisterSlotHotKeys(1, HotKeySlotCount - 1);
  }
  showRefusalsInTip();
}

void TForm1::WMHotKey(ui::TComponent*, int Id) {
  if (Id == HotKeyIdBase) {
    ShowLauncher();
  } else if (Id > HotKeyIdBase && Id < HotKeyIdBase + HotKeySlotCount) {
    // The command as it is now, not as it was when the key was registered.
    const std::string command = HotKeys[static_cast<std::size_t>(Id - HotKeyIdBase)].Command;
    if (!command.empty()) LaunchCommand(command);
  }
}

template <typename Editor>
std::optional<int> TForm1::runEditor(std::string_view name,
                                     const std::function<void()>& beforeShowing) {
  // The tray menu still works while an editor is open: the open one comes
  // forward instead of a second one over the same tables.
  if (auto* open = dynamic_cast<Editor*>(FindComponent(name))) {
    open->BringToForeground();
    return std::nullopt;
  }
  auto* editor = ui::TForm::Create<Editor>(this, *this);
  editor->SetAcceptFiles(true);
  if (beforeShowing) beforeShowing();
  const int result = editor->ShowModal();
  // Freed only after a normal return: when the session ends inside the
  // dialog, this window has freed it, as its owner, on the way out.
  ui::TComponent::Free(editor);
  return result;
}

void TForm1::Edit1Click(ui::TComponent*) {
  if (!runEditor<TForm2>(RegistrationEditorName)) return;
  // Whatever the result, the list is built anew from the tables; the field
  // keeps its text.
  refillCombo();
}

void TForm1::Hotkey1Click(ui::TComponent*) {
  const auto slotsBefore = HotKeys;
  const auto refusedBefore = refusedSlots_;
  // While the editor is open none of the program's hotkeys is registered, so
  // that the same combinations can be pressed in it; and only one editor is
  // open, so that no second one registers them while the first is open.
  const std::optional<int> result = runEditor<TForm3>(
      HotKeyEditorName, [this] { unregisterSlotHotKeys(0, HotKeySlotCount - 1); });
  if (!result) return;
  // From the table as the editor left it: edited after OK, restored else.
  for (int i = 0; i < HotKeySlotCount; ++i) RegisterSlotHotKey(i);
  showRefusalsInTip();
  if (*result != ui::mrOk) return;
  // The user is told of a refusal that is news: of a slot set in the editor,
  // or of one that worked before it opened. A refusal known before stays in
  // the tip alone.
  bool news = false;
  for (std::size_t i = 0; i < HotKeys.size(); ++i) {
    news |= refusedSlots_[i] && (!refusedBefore[i] || HotKeys[i] != slotsBefore[i]);
  }
  if (!news) return;
  std::string message = std::string(RefusedHotKeysMessage) + "\r";
  for (const std::string& name : refusedKeyNames()) message += "\r" + name;
  message += "\r\r" + std::string(RefusedHotKeysAdvice);
  ui::MessageDlg(message, ui::TMsgDlgType::mtInformation, ui::mbOK);
}

void TForm1::ShowHelpTopic(std::string_view topic) {
  const files::Path page = files::helpPagePath(ExeDir, topic);
  if (!files::exists(page)) {
    ui::Application->ShowErrorText("ヘルプファイル " + files::displayText(page) +
                                   " が見つかりません");
    return;
  }
  Platform().openFile(Handle(), page);
}

void TForm1::Help1Click(ui::TComponent*) { ShowHelpTopic(LauncherHelpTopic); }

void TForm1::Version1Click(ui::TComponent*) {
  ui::MessageDlg(VersionText, ui::TMsgDlgType::mtInformation, ui::mbOK);
}

void TForm1::Exit1Click(ui::TComponent*) {
  if (ui::MessageDlg(ExitConfirmation, ui::TMsgDlgType::mtConfirmation, ui::mbOK | ui::mbCancel) ==
      ui::mrOk) {
    ui::Application->Terminate();
  }
}

void TForm1::LaunchCommand(std::string_view commandLine) {
  const SplitCommand command = splitCommandLine(commandLine);
  if (isExitSentinel(command.file)) {
    Exit1Click(this);
    return;
  }
  Platform().shellExecute(Handle(), "open", command.file, command.parameters,
                          workingDirectoryOf(command.file), platform::SwShow);
  Minimize1Click(this);
}

bool TForm1::HandleEvent(const platform::WindowEvent& event) {
  const auto answer =
      platform::handleEvent(event, [&](const platform::QueryEndSession&) { WMQueryEndSession(); });
  return answer ? *answer : ui::TForm::HandleEvent(event);
}

void TForm1::WMQueryEndSession() {
  // The session may end; the quit request runs the exit order, and if the
  // session ends first, the end-session message runs it before its reply.
  ui::Application->Terminate();
}

}  // namespace velmora
