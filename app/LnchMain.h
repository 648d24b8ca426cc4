// The launcher window TForm1: the program's main window, which loads the
// program's state when it is created and writes it back when it is destroyed.
#pragma once

#include "tasktray/TaskTray.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "ui/Menus.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr std::string_view ApplicationTitle = "Velmora2";
inline constexpr std::string_view HelpFileName = "Velmora";
inline constexpr std::string_view ExitConfirmation = "終了します.よろしいですか?";
// The program's icon in the resources, and its identifier in the
// notification area.
inline constexpr int ApplicationIconResource = 1;
inline constexpr int TrayIconId = 1;

// Set while the combo box's list is dropped down, for the quick start.
extern bool DroppedDown;

// The combo box's state as the settings know it: its width, its font, and
// the entry names of its list.
struct TComboBoxState {
  int Width = 100;
  ui::TFont Font;
  std::vector<std::string> Items;
};

struct TOpenDialogState {
  std::string InitialDir;
};

class TForm1 : public ui::TForm {
 public:
  explicit TForm1(ui::TComponent* owner);

  ui::TMenuItem* Quick1 = nullptr;
  ui::TMenuItem* BlankEnter1 = nullptr;
  ui::TMenuItem* HKValid = nullptr;
  ui::TMenuItem* Minimize1 = nullptr;
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
  TTaskTray* TaskTray1 = nullptr;
  TComboBoxState Combo1;
  TOpenDialogState OpenDialog1;

  void FormCreate(ui::TComponent* Sender);
  void FormDestroy(ui::TComponent* Sender);
  void Minimize1Click(ui::TComponent* Sender);
  void Exit1Click(ui::TComponent* Sender);
  void Open1Click(ui::TComponent* Sender);
  void TaskTray1DblClick(ui::TComponent* Sender, ui::TMouseButton Button);

  // Shows the window and makes it the active one.
  void ShowLauncher();

  // Runs a command line through the shell's "open" verb, or asks to quit for
  // the exit sentinel; the window hides after a launch.
  void LaunchCommand(std::string_view commandLine);

  void LoadSettings();
  // [Option], [Window] and [Font] in one replace of the file; throws
  // SettingsWriteError, with the file unchanged, when it is refused.
  void SaveSettings();
  // [Hotkey] and the list file; an error box for each file that was not
  // written. True when both were written.
  bool SaveRegistrations();

 protected:
  void CreateParams(platform::WindowParams& params) override;
  bool DoQueryEndSession() override;

 private:
  // Set once the creation has read every file: only then is there a state
  // of the user's to write back.
  bool stateLoaded_ = false;

  void registerSlotHotKeys();
  void unregisterSlotHotKeys();
  void showSaveErrors(const std::vector<std::string>& errors);
};

// The drive of a path: "C:", "\\server\share", or empty.
std::string extractFileDrive(std::string_view path);

}  // namespace velmora
