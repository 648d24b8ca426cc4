// The hotkey editor TForm3: the sixteen slots in a list, a capture box that
// takes the key combination pressed in it, a file name box, and the commands
// that copy, register, run and delete slots. It edits HotKeys in place and
// puts the copy taken at its showing back unless it is closed with OK.
#pragma once

#include "core/HotKeys.h"
#include "dialogs/EditorForm.h"
#include "dialogs/LauncherServices.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The editor's component name under the launcher window that owns it.
inline constexpr std::string_view HotKeyEditorName = "Form3";
inline constexpr std::string_view HotKeyEditorCaption = "Velmora2 ホットキー登録ウィンドウ";
inline constexpr std::string_view HotKeyEditorHelpTopic = "HID00000028";
// What slot 0's line shows instead of a command, and what the file name box
// shows when slot 0 is copied into it.
inline constexpr std::string_view LauncherSlotText = "Velmoraを開く";
inline constexpr std::string_view LauncherItselfText = "Velmora自身";
inline constexpr std::string_view DuplicateHotKeyMessage =
    "ホットキーが重複しています.\r登録内容を確認して下さい.";

// The slots as they were when the editor was shown last.
extern std::array<THotKeySlot, HotKeySlotCount> HotKeysBackup;

class TForm3 : public TEditorForm {
 public:
  TForm3(ui::TComponent* owner, TLauncherServices& launcher);

  ui::TListBox* ListBox1 = nullptr;
  ui::TButton* PasteBtn = nullptr;
  ui::TButton* ExeBtn = nullptr;
  ui::TButton* DelBtn = nullptr;
  ui::TEdit* ShortCut = nullptr;
  ui::TEdit* FileName = nullptr;
  ui::TButton* ClearBtn = nullptr;
  ui::TButton* ReferBtn = nullptr;
  ui::TButton* AddBtn = nullptr;
  ui::TButton* CloseBtn = nullptr;
  ui::TButton* CancelBtn = nullptr;
  ui::TButton* Button1 = nullptr;
  ui::TLabel* Label1 = nullptr;
  ui::TLabel* Label2 = nullptr;

  // The button that holds the default role when the capture box does not
  // have the focus: CloseBtn, or AddBtn while the file name box holds text.
  ui::TButton* DefaultButton = nullptr;

  // The packed key combination in the capture box (its Tag); 0 for none.
  std::int32_t CapturedHotKey() const { return ShortCut->Tag; }
  void SetCapturedHotKey(std::int32_t packed) { ShortCut->Tag = packed; }

  void ShowSlotLine(int k);
  void SelectNextFreeSlot();

  // Button1Click, the help, is TEditorForm's.
  void FormShow(ui::TComponent* Sender);
  void FormClose(ui::TComponent* Sender);
  void FormDestroy(ui::TComponent* Sender);
  void ListBox1Click(ui::TComponent* Sender);
  void ShortCutChange(ui::TComponent* Sender);
  void ShortCutEnter(ui::TComponent* Sender);
  void ShortCutExit(ui::TComponent* Sender);
  void ShortCutKeyDown(ui::TComponent* Sender, unsigned& Key, ui::TShiftState Shift);
  void ShortCutKeyPress(ui::TComponent* Sender, unsigned& Key);
  void FileNameKeyPress(ui::TComponent* Sender, unsigned& Key);
  void WMDropFiles(ui::TComponent* Sender, const std::string& Path);
  void ReferBtnClick(ui::TComponent* Sender);
  void ClearBtnClick(ui::TComponent* Sender);
  void AddBtnClick(ui::TComponent* Sender);
  void PasteBtnClick(ui::TComponent* Sender);
  void ExeBtnClick(ui::TComponent* Sender);
  void DelBtnClick(ui::TComponent* Sender);

 protected:
  ui::TEdit& FileBox() const override { return *FileName; }

 private:
  int selectedSlot() const { return ListBox1->ItemIndex(); }
};

}  // namespace velmora
