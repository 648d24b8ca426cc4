// The launcher window TForm1: the program's main window. A tiny borderless
// stay-on-top window with one combo box of entry names; it loads the
// program's state when it is created and writes it back when it is destroyed,
// owns the menus, the open-file dialog and the tray icon, and registers the
// system hotkeys.
#pragma once

#include "core/HotKeys.h"
#include "core/Path.h"
#include "dialogs/LauncherServices.h"
#include "res/ResourceIds.h"
#include "tasktray/TaskTray.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr std::string_view ApplicationTitle = "Velmora2";
inline constexpr std::string_view HelpFileName = "Velmora";
inline constexpr std::string_view ExitConfirmation = "終了します.よろしいですか?";
inline constexpr std::string_view VersionText =
    "\tVelmora ver 2.02a\rCopyright (C) 2026 Velmora2 contributors";
inline constexpr std::string_view LauncherHelpTopic = "HID00000003";
// The program's icon in the resources, and its identifier in the
// notification area.
inline constexpr int ApplicationIconResource = IDI_VELMORA2;
inline constexpr int TrayIconId = 1;
// System hotkey identifiers: slot i is HotKeyIdBase + i.
inline constexpr int HotKeyIdBase = 100;
// What the program says of hotkeys the system refused: the tip names them
// after this, the balloon at the start and the box after the hotkey editor
// tell what the user can do.
inline constexpr std::string_view RefusedHotKeysTip = " - 使えないホットキー: ";
inline constexpr std::string_view RefusedHotKeySeparator = "、";
inline constexpr std::string_view LauncherKeyRefusedTitle = "ホットキーが使えません";
inline constexpr std::string_view LauncherKeyRefusedBefore = "Velmora を開くホットキー ";
inline constexpr std::string_view LauncherKeyRefusedAfter =
    " は、ほかのプログラムが使っています.「ホットキーの編集(H)」で別のキーを選べます.";
inline constexpr std::string_view RefusedHotKeysMessage =
    "次のホットキーは、ほかのプログラムが使っているため使えません.";
inline constexpr std::string_view RefusedHotKeysAdvice =
    "別のキーにするには、もう一度「ホットキーの編集(H)」を開いてください.";

// Set while the combo box's list is dropped down, for the quick start.
extern bool DroppedDown;

class TForm1 : public ui::TForm, public TLauncherServices {
 public:
  explicit TForm1(ui::TComponent* owner);

  ui::TComboBox* Combo1 = nullptr;
  ui::TPopupMenu* PopupMenu1 = nullptr;
  ui::TMenuItem* Go1 = nullptr;
  ui::TMenuItem* Edit1 = nullptr;
  ui::TMenuItem* Hotkey1 = nullptr;
  ui::TMenuItem* Option1 = nullptr;
  ui::TMenuItem* Quick1 = nullptr;
  ui::TMenuItem* BlankEnter1 = nullptr;
  ui::TMenuItem* HKValid = nullptr;
  ui::TMenuItem* AutoComplete1 = nullptr;
  ui::TMenuItem* Minimize1 = nullptr;
  ui::TMenuItem* N1 = nullptr;
  ui::TMenuItem* Help1 = nullptr;
  ui::TMenuItem* Version1 = nullptr;
  ui::TMenuItem* N2 = nullptr;
  ui::TMenuItem* Exit1 = nullptr;
  // The tray icon's right-button menu.
  ui::TPopupMenu* PopupMenu2 = nullptr;
  ui::TMenuItem* Open1 = nullptr;
  ui::TMenuItem* Edit2 = nullptr;
  ui::TMenuItem* Hotkey2 = nullptr;
  ui::TMenuItem* N3 = nullptr;
  ui::TMenuItem* Help2 = nullptr;
  ui::TMenuItem* N4 = nullptr;
  ui::TMenuItem* Exit2 = nullptr;
  ui::TOpenDialog* OpenDialog1 = nullptr;
  TTaskTray* TaskTray1 = nullptr;

  void FormCreate(ui::TComponent* Sender);
  void FormDestroy(ui::TComponent* Sender);
  void FormShow(ui::TComponent* Sender);
  void FormKeyPress(ui::TComponent* Sender, unsigned& Key);
  void FormMouseDown(ui::TComponent* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X,
                     int Y);
  void GoBtnClick(ui::TComponent* Sender);
  void Combo1Change(ui::TComponent* Sender);
  // Name completion: the user added text at the end of the field.
  void Combo1TextAdded(ui::TComponent* Sender);
  void Combo1DropDown(ui::TComponent* Sender);
  void ReverseCheck(ui::TComponent* Sender);
  void HKValidClick(ui::TComponent* Sender);
  void Edit1Click(ui::TComponent* Sender);
  void Hotkey1Click(ui::TComponent* Sender);
  void Help1Click(ui::TComponent* Sender);
  void Version1Click(ui::TComponent* Sender);
  void Minimize1Click(ui::TComponent* Sender);
  void Exit1Click(ui::TComponent* Sender);
  void Open1Click(ui::TComponent* Sender);
  void TaskTray1DblClick(ui::TComponent* Sender, ui::TMouseButton Button);
  // The window's own deactivation: another window of the program became the
  // active one.
  void FormDeactivate(ui::TComponent* Sender);
  // The system hotkey message.
  void WMHotKey(ui::TComponent* Sender, int Id);

  // Shows the window and makes it the active one.
  void ShowLauncher();
  // Registers slot i's hotkey when it is usable: a key, and for slots 1 to
  // 15 a command and the hotkey option checked. A refusal of the system is
  // noted.
  void RegisterSlotHotKey(int i);

  // The launcher's services, for the editors too.
  ui::TOpenDialog& OpenFileDialog() override { return *OpenDialog1; }
  void LaunchCommand(std::string_view commandLine) override;
  bool SaveRegistrations() override;
  void ShowHelpTopic(std::string_view topic) override;

  void LoadSettings();
  // [Option], [Window] and [Font] in one replace of the file; throws
  // SettingsWriteError, with the file unchanged, when it is refused.
  void SaveSettings();

 protected:
  void CreateParams(platform::FormParams& params) override;
  bool HandleEvent(const platform::WindowEvent& event) override;

 private:
  // The session is to end: the quit request, without the confirmation.
  void WMQueryEndSession();

  // Set once the creation has read every file: only then is there a state
  // of the user's to write back.
  bool stateLoaded_ = false;
  // The settings file held [Option] AutoComplete at the start: the option's
  // mark is written back only then or once it is on, so that a user who never
  // turns it on keeps the file as it always was.
  bool autoCompleteStored_ = false;

  // The slots whose hotkey the system refused at the last pass that tried
  // them; a slot released since is not refused.
  std::array<bool, HotKeySlotCount> refusedSlots_{};

  void unregisterSlotHotKeys(int first, int last);
  // The refused slots' key names, as the hotkey editor shows them.
  std::vector<std::string> refusedKeyNames() const;
  // The tray icon's tip: the title, and the refused keys if there are any.
  void showRefusalsInTip();
  // Runs an editor modally, owned by this window and taking dropped files;
  // `beforeShowing` runs once it is made. Its modal result; nothing when one
  // of its kind was open already: that one comes forward, and nothing else
  // is done.
  template <typename Editor>
  std::optional<int> runEditor(std::string_view name,
                               const std::function<void()>& beforeShowing = {});
  void refillCombo();
  void showSaveErrors(const std::vector<std::string>& errors);
};

}  // namespace velmora
