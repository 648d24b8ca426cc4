// The launcher window TForm1: the program's main window, which loads the
// program's state when it is created and writes it back when it is destroyed.
#pragma once

#include "ui/Dialogs.h"
#include "ui/Forms.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr std::string_view ApplicationTitle = "Velmora2";
inline constexpr std::string_view HelpFileName = "Velmora";
inline constexpr std::string_view ExitConfirmation = "終了します.よろしいですか?";

// Set while the combo box's list is dropped down, for the quick start.
extern bool DroppedDown;

// The combo box's state as the settings know it: its width, its font, and
// the entry names of its list.
struct TComboBoxState {
  int Width = 100;
  int Height = 23;
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
  TComboBoxState Combo1;
  TOpenDialogState OpenDialog1;

  void FormCreate(ui::TComponent* Sender);
  void FormDestroy(ui::TComponent* Sender);
  void Minimize1Click(ui::TComponent* Sender);
  void Exit1Click(ui::TComponent* Sender);

  // Runs a command line through the shell's "open" verb, or asks to quit for
  // the exit sentinel; the window hides after a launch.
  void LaunchCommand(std::string_view commandLine);

  void LoadSettings();
  // Throws SettingsWriteError at the first write that is refused.
  void SaveSettings();
  // [Hotkey] and the list file; shows each error once. True when both were
  // written.
  bool SaveRegistrations();

 protected:
  void CreateParams(platform::WindowParams& params) override;
  bool DoQueryEndSession() override;

 private:
  void registerSlotHotKeys();
  void unregisterSlotHotKeys();
  void showSaveErrors(const std::vector<std::string>& errors);
};

// Everything up to and including the last path delimiter of `path`.
std::string exeDirOf(std::string_view path);
// The drive of a path: "C:", "\\server\share", or empty.
std::string extractFileDrive(std::string_view path);

}  // namespace velmora
