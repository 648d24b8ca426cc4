// The registration editor: its controls, and the handlers that change the
// entry tables and the rows together, so that row r always shows entry r + 1.
#include "dialogs/LnchDilg.h"

#include "core/Entries.h"
#include "ui/Declare.h"
#include "ui/Dialogs.h"
#include "ui/Keys.h"

#include <cstddef>

namespace velmora {

namespace {

// The tables as they were when the dialog was last shown, slot 0 included.
std::array<std::string, MaxEntries + 1> EntryNamesBackup;
std::array<std::string, MaxEntries + 1> EntryCommandsBackup;
int EntryCountBackup = 0;

std::size_t slot(int index) { return static_cast<std::size_t>(index); }

std::string rowText(int index) {
  return EntryNames[slot(index)] + " : " + EntryCommands[slot(index)];
}

}  // namespace

TForm2::TForm2(ui::TComponent* owner, TLauncherServices& launcher)
    : TEditorForm(owner, "TForm2", launcher, RegistrationEditorHelpTopic) {
  using ui::Handler;
  SetName(RegistrationEditorName);
  SetCaption(RegistrationEditorCaption);
  SetBorderStyle(ui::TFormBorderStyle::bsDialog);
  Position = ui::TPosition::poDefault;
  SetClientSize(624, 333);
  // The hints tell what the arrows and "&..." do.
  ShowHint = true;
  ui::TFont font;
  font.SetHeight(13);
  SetFont(font);

  // In the order of creation: of the two cancel buttons, the first made
  // (CloseBtn) takes Esc.
  List1 = ui::AddListBox(this, {.name = "List1",
                                .bounds = {0, 0, 545, 269},
                                .tabOrder = 0,
                                .itemHeight = 13,
                                .hint = "登録アプリケーション一覧",
                                .onClick = Handler(this, &TForm2::List1Click),
                                .onDblClick = Handler(this, &TForm2::PasteBtnClick)});
  CloseBtn = ui::AddButton(this, {.name = "CloseBtn",
                                  .caption = "&Ok",
                                  .bounds = {550, 4, 67, 25},
                                  .tabOrder = 10,
                                  .isDefault = true,
                                  .isCancel = true,
                                  .modalResult = ui::mrOk});
  CancelBtn = ui::AddButton(this, {.name = "CancelBtn",
                                   .caption = "&Cancel",
                                   .bounds = {550, 32, 67, 25},
                                   .tabOrder = 12,
                                   .isCancel = true,
                                   .modalResult = ui::mrCancel});
  Button1 = ui::AddButton(this, {.name = "Button1",
                                 .caption = "説明(&H)",
                                 .bounds = {550, 60, 67, 25},
                                 .tabOrder = 11,
                                 .onClick = Handler(this, &TForm2::Button1Click)});
  PasteBtn = ui::AddButton(this, {.name = "PasteBtn",
                                  .caption = "転写(&P)",
                                  .bounds = {550, 96, 67, 25},
                                  .tabOrder = 1,
                                  .onClick = Handler(this, &TForm2::PasteBtnClick)});
  ExeBtn = ui::AddButton(this, {.name = "ExeBtn",
                                .caption = "実行(&E)",
                                .bounds = {550, 124, 67, 25},
                                .tabOrder = 2,
                                .onClick = Handler(this, &TForm2::ExeBtnClick)});
  DeleteBtn = ui::AddButton(this, {.name = "DeleteBtn",
                                   .caption = "削除(&D)",
                                   .bounds = {550, 152, 67, 25},
                                   .tabOrder = 3,
                                   .hint = "登録リストから削除",
                                   .onClick = Handler(this, &TForm2::DeleteBtnClick)});
  SortBtn = ui::AddButton(this, {.name = "SortBtn",
                                 .caption = "ソート(&S)",
                                 .bounds = {550, 180, 67, 25},
                                 .tabOrder = 4,
                                 .hint = "登録リストを並べ替え",
                                 .onClick = Handler(this, &TForm2::SortBtnClick)});
  UpBtn = ui::AddSpeedButton(this, {.name = "UpBtn",
                                    .bounds = {552, 212, 25, 25},
                                    .glyph = UpArrowGlyph,
                                    .tag = -1,
                                    .hint = "項目を１段上に",
                                    .onClick = Handler(this, &TForm2::UpDownBtnClick)});
  DownBtn = ui::AddSpeedButton(this, {.name = "DownBtn",
                                      .bounds = {552, 240, 25, 25},
                                      .glyph = DownArrowGlyph,
                                      .tag = 1,
                                      .hint = "項目を１段下に",
                                      .onClick = Handler(this, &TForm2::UpDownBtnClick)});
  Label1 = ui::AddLabel(this, {.name = "Label1", .caption = "登録名", .bounds = {2, 280, 39, 13}});
  Edit1 = ui::AddEdit(this, {.name = "Edit1",
                             .bounds = {72, 276, 397, 21},
                             .tabOrder = 5,
                             .onChange = Handler(this, &TForm2::EditChange),
                             .onKeyPress = Handler(this, &TForm2::Edit1KeyPress)});
  ClearBtn = ui::AddButton(this, {.name = "ClearBtn",
                                  .caption = "クリア(&L)",
                                  .bounds = {476, 276, 67, 25},
                                  .tabOrder = 8,
                                  .enabled = false,
                                  .hint = "登録名・ファイル名をクリア",
                                  .onClick = Handler(this, &TForm2::ClearBtnClick)});
  AddBtn = ui::AddButton(this, {.name = "AddBtn",
                                .caption = "追加(&A)",
                                .bounds = {550, 276, 67, 25},
                                .tabOrder = 9,
                                .enabled = false,
                                .hint = "ランチャーに登録",
                                .onClick = Handler(this, &TForm2::AddBtnClick)});
  Label2 =
      ui::AddLabel(this, {.name = "Label2", .caption = "開くファイル", .bounds = {2, 308, 63, 13}});
  Edit2 = ui::AddEdit(this, {.name = "Edit2",
                             .bounds = {72, 308, 521, 20},
                             .tabOrder = 6,
                             .fontHeight = 12,
                             .onChange = Handler(this, &TForm2::EditChange)});
  ReferBtn = ui::AddButton(this, {.name = "ReferBtn",
                                  .caption = "&...",
                                  .bounds = {592, 308, 25, 21},
                                  .tabOrder = 7,
                                  .hint = "参照",
                                  .onClick = Handler(this, &TForm2::ReferBtnClick)});

  KeepCopyOf(EntryNames, EntryNamesBackup);
  KeepCopyOf(EntryCommands, EntryCommandsBackup);
  KeepCopyOf(EntryCount, EntryCountBackup);
  OnShow = Handler(this, &TForm2::FormShow);
  OnClose = Handler(this, &TForm2::FormClose);
  OnDropFiles = Handler(this, &TForm2::WMDropFiles);
}

void TForm2::FormShow(ui::TComponent*) {
  TakeCopy();
  RefreshList();
}

// Only closing puts the copy back: when the program ends inside the dialog,
// the edits stay and are written at the exit.
void TForm2::FormClose(ui::TComponent*) { PutCopyBackUnlessOk(); }

void TForm2::RefreshList() {
  List1->ClearItems();
  if (EntryCount < 1) {
    DisableItemButtons();
  } else {
    for (int i = 1; i <= EntryCount; ++i) List1->AddItem(rowText(i));
    List1->SetItemIndex(0);
  }
  enableSortBtn();
}

void TForm2::DisableItemButtons() {
  PasteBtn->SetEnabled(false);
  DeleteBtn->SetEnabled(false);
  UpBtn->SetEnabled(false);
  DownBtn->SetEnabled(false);
}

void TForm2::enableSortBtn() { SortBtn->SetEnabled(EntryCount >= 2); }

void TForm2::SwapEntries(int a, int b) {
  EntryNames[0] = EntryNames[slot(a)];
  EntryCommands[0] = EntryCommands[slot(a)];
  EntryNames[slot(a)] = EntryNames[slot(b)];
  EntryCommands[slot(a)] = EntryCommands[slot(b)];
  EntryNames[slot(b)] = EntryNames[0];
  EntryCommands[slot(b)] = EntryCommands[0];
}

void TForm2::List1Click(ui::TComponent*) {
  if (List1->ItemIndex() < 0) return;
  PasteBtn->SetEnabled(true);
  DeleteBtn->SetEnabled(true);
  UpBtn->SetEnabled(true);
  DownBtn->SetEnabled(true);
}

void TForm2::PasteBtnClick(ui::TComponent*) {
  const int row = List1->ItemIndex();
  if (row < 0) return;
  // The boxes' change events set the buttons.
  Edit1->SetText(EntryNames[slot(row + 1)]);
  Edit2->SetText(EntryCommands[slot(row + 1)]);
}

void TForm2::ExeBtnClick(ui::TComponent*) {
  const int row = List1->ItemIndex();
  if (row < 0) return;
  launcher().LaunchCommand(EntryCommands[slot(row + 1)]);
}

void TForm2::DeleteBtnClick(ui::TComponent*) {
  const int row = List1->ItemIndex();
  if (row < 0) return;
  List1->Delete(row);
  for (int k = row + 2; k <= EntryCount; ++k) {
    EntryNames[slot(k - 1)] = EntryNames[slot(k)];
    EntryCommands[slot(k - 1)] = EntryCommands[slot(k)];
  }
  // The freed slot holds nothing, as slots above the count always do.
  EntryNames[slot(EntryCount)].clear();
  EntryCommands[slot(EntryCount)].clear();
  --EntryCount;
  enableSortBtn();
  DisableItemButtons();
}

void TForm2::SortBtnClick(ui::TComponent*) {
  // Byte for byte, the bytes unsigned, and only strictly greater names move:
  // equal names keep their order.
  for (int i = 1; i <= EntryCount - 1; ++i) {
    for (int j = EntryCount - 1; j >= i; --j) {
      if (EntryNames[slot(j)] > EntryNames[slot(j + 1)]) SwapEntries(j, j + 1);
    }
  }
  RefreshList();
}

void TForm2::UpDownBtnClick(ui::TComponent* Sender) {
  const int row = List1->ItemIndex();
  const auto* button = dynamic_cast<ui::TControl*>(Sender);
  if (row < 0 || button == nullptr) return;
  const int target = row + button->Tag;
  if (target < 0 || target > EntryCount - 1) return;
  SwapEntries(row + 1, target + 1);
  List1->Exchange(row, target);
  List1->SetItemIndex(target);
}

void TForm2::ClearBtnClick(ui::TComponent*) {
  Edit1->SetText("");
  Edit2->SetText("");
}

void TForm2::EditChange(ui::TComponent*) {
  const bool hasName = !Edit1->Text().empty();
  const bool hasFile = !Edit2->Text().empty();
  AddBtn->SetEnabled(hasName && hasFile);
  ClearBtn->SetEnabled(hasName || hasFile);
  // Enter adds while something is typed, and closes the dialog otherwise.
  AddBtn->SetDefault(ClearBtn->Enabled());
  CloseBtn->SetDefault(!ClearBtn->Enabled());
}

void TForm2::Edit1KeyPress(ui::TComponent*, unsigned& Key) {
  if (Key != ui::VkReturn) return;
  Key = 0;
  Edit2->SetFocus();
}

void TForm2::AddBtnClick(ui::TComponent*) {
  const std::string name = Edit1->Text();
  const std::string command = Edit2->Text();
  if (name.empty() || command.empty()) return;
  // Stored with "?" in it, the text would be another name or another file.
  if (!Edit1->TextHeld()) {
    ui::ShowUnheldText(Label1->Caption(), name);
    return;
  }
  if (!Edit2->TextHeld()) {
    ui::ShowUnheldText(Label2->Caption(), command);
    return;
  }
  if (const int found = FindEntry(name); found == 0) {
    // At the limit AppendEntry has shown its message; nothing is saved.
    if (AppendEntry(name, command) == 0) return;
    List1->AddItem(rowText(EntryCount));
    enableSortBtn();
  } else {
    List1->SetItemIndex(found - 1);
    if (ui::MessageDlg(OverwriteConfirmation, ui::TMsgDlgType::mtConfirmation,
                       ui::mbOK | ui::mbCancel) == ui::mrOk) {
      EntryNames[slot(found)] = name;
      EntryCommands[slot(found)] = command;
      List1->SetItem(found - 1, rowText(found));
    }
  }
  // The launcher has shown which file was not written; without the settings
  // file the boxes keep their text so that nothing typed is lost.
  if (!launcher().SaveRegistrations()) return;
  ClearBtnClick(this);
  Edit1->SetFocus();
}

void TForm2::ReferBtnClick(ui::TComponent*) {
  if (!BrowseForFile()) return;
  EditChange(this);
  Edit2->SetFocus();
}

void TForm2::WMDropFiles(ui::TComponent*, const std::string& FileName) {
  if (!PutFileInBox(FileName)) return;
  EditChange(this);
  BringToForeground();
  Edit2->SetFocus();
}

}  // namespace velmora
