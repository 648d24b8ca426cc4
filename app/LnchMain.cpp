// The launcher window: creation and destruction order, settings, launching
// and quitting.
#include "app/LnchMain.h"

#include "core/CommandLine.h"
#include "core/Entries.h"
#include "core/HotKeys.h"
#include "core/Registrations.h"
#include "core/SettingsFile.h"
#include "core/Text.h"

namespace velmora {

bool DroppedDown = false;

namespace {

constexpr std::string_view DefaultFontName = "ＭＳ Ｐゴシック";
constexpr std::int32_t DefaultLeft = 500;
constexpr std::int32_t DefaultTop = 340;
constexpr std::int32_t DefaultColor = 0xC0C0C0;
constexpr std::int32_t DefaultComboWidth = 100;
constexpr std::int32_t DefaultFontSize = 10;

ui::TMenuItem* makeMenuItem(ui::TComponent* owner, std::string_view name, std::string_view caption,
                            bool checked) {
  auto* item = new ui::TMenuItem(owner);
  item->SetName(name);
  item->Caption = caption;
  item->Checked = checked;
  return item;
}

ui::TMenuItem* addMenuItem(ui::TPopupMenu* menu, std::string_view name, std::string_view caption,
                           ui::TNotifyEvent onClick = nullptr) {
  ui::TMenuItem* item = makeMenuItem(menu->Owner(), name, caption, false);
  item->OnClick = std::move(onClick);
  menu->Items()->Add(item);
  return item;
}

}  // namespace

std::string extractFileDrive(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    // \\server\share: up to the separator after the share name.
    std::size_t separators = 0;
    for (std::size_t pos = 2; pos < path.size(); pos += text::charLength(path, pos)) {
      if (path[pos] == '\\' && ++separators == 2) return std::string(path.substr(0, pos));
    }
    return std::string(path);
  }
  return {};
}

TForm1::TForm1(ui::TComponent* owner) : ui::TForm(owner, "TForm1") {
  SetName("Form1");
  SetCaption(ApplicationTitle);
  SetBorderStyle(ui::TFormBorderStyle::bsNone);
  SetFormStyle(ui::TFormStyle::fsStayOnTop);
  KeyPreview = true;
  SetBounds(190, 108, Width(), Height());
  SetClientSize(114, 32);
  ui::TFont font;
  font.Name = DefaultFontName;
  font.Size = 11;  // 15 pixels
  SetFont(font);
  Combo1.Font = font;

  Quick1 = makeMenuItem(this, "Quick1", "クイックスタート(&Q)", true);
  BlankEnter1 = makeMenuItem(this, "BlankEnter1", "空Enter有効(&B)", true);
  HKValid = makeMenuItem(this, "HKValid", "ホットキー有効(&H)", true);
  Minimize1 = makeMenuItem(this, "Minimize1", "タスクトレイに戻す(&I)", false);
  Minimize1->OnClick = [this](ui::TComponent* sender) { Minimize1Click(sender); };
  Exit1 = makeMenuItem(this, "Exit1", "Velmoraの終了(&X)", false);
  Exit1->OnClick = [this](ui::TComponent* sender) { Exit1Click(sender); };

  // The editors and help come with their own changes; until then their
  // items do nothing.
  PopupMenu2 = new ui::TPopupMenu(this);
  PopupMenu2->SetName("PopupMenu2");
  Open1 = addMenuItem(PopupMenu2, "Open1", "Velmoraを開く(&O)",
                      [this](ui::TComponent* sender) { Open1Click(sender); });
  Edit2 = addMenuItem(PopupMenu2, "Edit2", "登録内容の編集(&E)");
  Hotkey2 = addMenuItem(PopupMenu2, "Hotkey2", "ホットキーの編集(&H)");
  N3 = addMenuItem(PopupMenu2, "N3", "-");
  Help2 = addMenuItem(PopupMenu2, "Help2", "説明(&H)");
  N4 = addMenuItem(PopupMenu2, "N4", "-");
  Exit2 = addMenuItem(PopupMenu2, "Exit2", "Velmoraの終了(&X)",
                      [this](ui::TComponent* sender) { Exit1Click(sender); });

  // The tray icon's stored properties, in the order they are stored: the
  // image before Registered, so that the icon has it when it is added.
  TaskTray1 = new TTaskTray(this);
  TaskTray1->SetName("TaskTray1");
  TaskTray1->SetPopupMenuR(PopupMenu2);
  TaskTray1->SetTipString(ApplicationTitle);
  TaskTray1->Icon()->LoadFromResource(ApplicationIconResource, {32, 32});
  TaskTray1->SetIconID(TrayIconId);
  TaskTray1->SetRegistered(true);
  TaskTray1->OnDblClick = [this](ui::TComponent* sender, ui::TMouseButton button) {
    TaskTray1DblClick(sender, button);
  };

  OnCreate = [this](ui::TComponent* sender) { FormCreate(sender); };
  OnDestroy = [this](ui::TComponent* sender) { FormDestroy(sender); };
}

void TForm1::CreateParams(platform::WindowParams& params) {
  ui::TForm::CreateParams(params);
  // A one-pixel frame around the borderless window.
  params.thinFrame = true;
}

void TForm1::FormCreate(ui::TComponent*) {
  DroppedDown = false;
  const files::Path exePath = ui::Application->Platform().executablePath();
  ExeDir = exePath.folder();
  ui::Application->HelpFile = files::displayText(ExeDir) + std::string(HelpFileName);
  OpenDialog1.InitialDir = extractFileDrive(files::displayText(exePath));
  SetLimitMessageSink([](std::string_view message) {
    ui::MessageDlg(message, ui::TMsgDlgType::mtError, ui::mbOK);
  });
  LoadSettings();
  registerSlotHotKeys();
  LoadEntryList();
  Combo1.Items.assign(EntryNames.begin() + 1, EntryNames.begin() + 1 + EntryCount);
  stateLoaded_ = true;
}

void TForm1::FormDestroy(ui::TComponent*) {
  unregisterSlotHotKeys();
  // A creation that failed part-way leaves a state that is not the user's
  // (an empty list, default settings): writing it would replace their files.
  if (!stateLoaded_) return;
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
  const SettingsFile settings(SettingsFilePath());
  Quick1->Checked = settings.ReadFlag("Option", "QuickStart", true);
  BlankEnter1->Checked = settings.ReadFlag("Option", "BlankEnter", true);
  if (!settings.ReadFlag("Option", "StayTop", true)) SetFormStyle(ui::TFormStyle::fsNormal);
  HKValid->Checked = settings.ReadFlag("Option", "HotKeyValid", true);
  const int left = settings.ReadNumber("Window", "Left", DefaultLeft);
  const int top = settings.ReadNumber("Window", "Top", DefaultTop);
  SetBounds(left, top, Width(), Height());
  SetColor(static_cast<platform::Color>(settings.ReadNumber("Window", "Color", DefaultColor)));
  Combo1.Width = settings.ReadNumber("Window", "Width", DefaultComboWidth);
  Combo1.Font.Name = settings.ReadText("Font", "Name", DefaultFontName);
  Combo1.Font.Size = settings.ReadNumber("Font", "Size", DefaultFontSize);
  LoadHotKeys(settings);
}

void TForm1::SaveSettings() {
  SettingsUpdate settings(SettingsFilePath());
  settings.WriteFlag("Option", "QuickStart", Quick1->Checked);
  settings.WriteFlag("Option", "BlankEnter", BlankEnter1->Checked);
  settings.WriteFlag("Option", "StayTop", FormStyle() == ui::TFormStyle::fsStayOnTop);
  settings.WriteFlag("Option", "HotKeyValid", HKValid->Checked);
  settings.WriteNumber("Window", "Left", Left());
  settings.WriteNumber("Window", "Top", Top());
  settings.WriteNumber("Window", "Width", Combo1.Width);
  settings.WriteText("Window", "Color", colorText(static_cast<std::int32_t>(Color())));
  settings.WriteText("Font", "Name", Combo1.Font.Name);
  settings.WriteNumber("Font", "Size", Combo1.Font.Size);
  settings.Commit();
}

bool TForm1::SaveRegistrations() {
  const SaveReport report = SaveRegistrationFiles(SettingsFilePath(), ListFilePath());
  showSaveErrors(report.errors);
  return report.ok();
}

void TForm1::showSaveErrors(const std::vector<std::string>& errors) {
  for (const std::string& error : errors) ui::Application->ShowErrorText(error);
}

// The system hotkeys arrive with their own change; until then there is
// nothing to register or release.
void TForm1::registerSlotHotKeys() {}
void TForm1::unregisterSlotHotKeys() {}

void TForm1::Minimize1Click(ui::TComponent*) { Hide(); }

void TForm1::ShowLauncher() {
  Show();
  BringToForeground();
}

void TForm1::Open1Click(ui::TComponent*) { ShowLauncher(); }

void TForm1::TaskTray1DblClick(ui::TComponent*, ui::TMouseButton) { ShowLauncher(); }

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
  ui::Application->Platform().shellExecute(Handle(), "open", command.file, command.parameters,
                                           workingDirectoryOf(command.file), platform::SwShow);
  Minimize1Click(this);
}

bool TForm1::DoQueryEndSession() {
  // The session may end; the quit request runs the exit order, and if the
  // session ends first, the end-session message runs it before its reply.
  ui::Application->Terminate();
  return true;
}

}  // namespace velmora
