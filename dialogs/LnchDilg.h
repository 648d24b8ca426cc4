// The registration editor TForm2: a modal dialog that edits the entry tables
// in place. It keeps a copy of them from the moment it is shown and puts the
// copy back when it is closed with anything but OK.
#pragma once

#include "dialogs/EditorForm.h"
#include "dialogs/LauncherServices.h"
#include "res/ResourceIds.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

#include <string>
#include <string_view>

namespace velmora {

// The arrow glyphs of UpBtn and DownBtn in the program's bitmap resources.
inline constexpr int UpArrowGlyph = IDB_ARROW_UP;
inline constexpr int DownArrowGlyph = IDB_ARROW_DOWN;

// The editor's component name under the launcher window that owns it.
inline constexpr std::string_view RegistrationEditorName = "Form2";
inline constexpr std::string_view RegistrationEditorCaption =
    "Velmora2 アプリケーション登録エディタ";
inline constexpr std::string_view OverwriteConfirmation = "上書きします.よろしいですか?";
inline constexpr std::string_view RegistrationEditorHelpTopic = "HID00000020";

class TForm2 : public TEditorForm {
 public:
  TForm2(ui::TComponent* owner, TLauncherServices& launcher);

  ui::TListBox* List1 = nullptr;
  ui::TButton* CloseBtn = nullptr;
  ui::TButton* CancelBtn = nullptr;
  ui::TButton* Button1 = nullptr;
  ui::TButton* PasteBtn = nullptr;
  ui::TButton* ExeBtn = nullptr;
  ui::TButton* DeleteBtn = nullptr;
  ui::TButton* SortBtn = nullptr;
  ui::TSpeedButton* UpBtn = nullptr;
  ui::TSpeedButton* DownBtn = nullptr;
  ui::TLabel* Label1 = nullptr;
  ui::TEdit* Edit1 = nullptr;
  ui::TButton* ClearBtn = nullptr;
  ui::TButton* AddBtn = nullptr;
  ui::TLabel* Label2 = nullptr;
  ui::TEdit* Edit2 = nullptr;
  ui::TButton* ReferBtn = nullptr;

  // Button1Click, the help, is TEditorForm's.
  void FormShow(ui::TComponent* Sender);
  void FormClose(ui::TComponent* Sender);
  void List1Click(ui::TComponent* Sender);
  void PasteBtnClick(ui::TComponent* Sender);
  void ExeBtnClick(ui::TComponent* Sender);
  void DeleteBtnClick(ui::TComponent* Sender);
  void SortBtnClick(ui::TComponent* Sender);
  // UpBtn and DownBtn: the button's Tag is the direction, -1 up, +1 down.
  void UpDownBtnClick(ui::TComponent* Sender);
  void ClearBtnClick(ui::TComponent* Sender);
  void EditChange(ui::TComponent* Sender);
  void Edit1KeyPress(ui::TComponent* Sender, unsigned& Key);
  void AddBtnClick(ui::TComponent* Sender);
  void ReferBtnClick(ui::TComponent* Sender);
  void WMDropFiles(ui::TComponent* Sender, const std::string& FileName);

  // Rebuilds the rows from the tables and selects the first.
  void RefreshList();
  // The buttons that act on the selected row.
  void DisableItemButtons();
  // Exchanges entries a and b (1..EntryCount) through slot 0.
  void SwapEntries(int a, int b);

 protected:
  ui::TEdit& FileBox() const override { return *Edit2; }

 private:
  void enableSortBtn();
};

}  // namespace velmora
