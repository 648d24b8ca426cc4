// The hotkey editor: its controls, the key capture with the Enter and Esc
// roles taken while the capture box has the focus, the enable rules of the
// buttons, and the commands on the slots.
#include "dialogs/LnchHot.h"

#include "ui/Declare.h"
#include "ui/Dialogs.h"
#include "ui/Keys.h"

namespace velmora {

std::array<THotKeySlot, HotKeySlotCount> HotKeysBackup;

namespace {

// Slots 1 to 15 hold command lines; slot 0 opens the launcher.
constexpr int CommandSlotCount = HotKeySlotCount - 1;

}  // namespace

TForm3::TForm3(ui::TComponent* owner, TLauncherServices& launcher)
    : TEditorForm(owner, "TForm3", launcher, HotKeyEditorHelpTopic) {
  using ui::Handler;
  SetName(HotKeyEditorName);
  SetCaption(HotKeyEditorCaption);
  SetBorderStyle(ui::TFormBorderStyle::bsDialog);
  Position = ui::TPosition::poDefault;
  SetClientSize(552, 289);
  ui::TFont font;
  font.SetHeight(13);
  SetFont(font);
  ShowHint = true;

  ListBox1 = ui::AddListBox(this, {.name = "ListBox1",
                                   .bounds = {0, 4, 473, 222},
                                   .tabOrder = 0,
                                   .itemHeight = 13,
                                   .onClick = Handler(this, &TForm3::ListBox1Click),
                                   .onDblClick = Handler(this, &TForm3::PasteBtnClick)});
  PasteBtn = ui::AddButton(this, {.name = "PasteBtn",
                                  .caption = "転写(&P)",
                                  .bounds = {478, 96, 67, 24},
                                  .tabOrder = 1,
                                  .onClick = Handler(this, &TForm3::PasteBtnClick)});
  ExeBtn = ui::AddButton(this, {.name = "ExeBtn",
                                .caption = "実行(&E)",
                                .bounds = {478, 124, 67, 24},
                                .tabOrder = 2,
                                .onClick = Handler(this, &TForm3::ExeBtnClick)});
  DelBtn = ui::AddButton(this, {.name = "DelBtn",
                                .caption = "削除(&D)",
                                .bounds = {478, 152, 67, 24},
                                .tabOrder = 3,
                                .onClick = Handler(this, &TForm3::DelBtnClick)});
  ShortCut = ui::AddEdit(this, {.name = "ShortCut",
                                .bounds = {72, 236, 301, 21},
                                .tabOrder = 4,
                                // Alt and a letter are a combination to capture, not a
                                // button to press: Alt+P would copy a slot over the capture.
                                .captureAccessKeys = true,
                                .onChange = Handler(this, &TForm3::ShortCutChange),
                                .onKeyDown = Handler(this, &TForm3::ShortCutKeyDown),
                                .onKeyPress = Handler(this, &TForm3::ShortCutKeyPress),
                                .onEnter = Handler(this, &TForm3::ShortCutEnter),
                                .onExit = Handler(this, &TForm3::ShortCutExit)});
  FileName = ui::AddEdit(this, {.name = "FileName",
                                .bounds = {72, 264, 449, 20},
                                .tabOrder = 5,
                                .fontHeight = 12,
                                .onChange = Handler(this, &TForm3::ShortCutChange),
                                .onKeyPress = Handler(this, &TForm3::FileNameKeyPress)});
  ClearBtn = ui::AddButton(this, {.name = "ClearBtn",
                                  .caption = "クリア(&L)",
                                  .bounds = {402, 234, 67, 24},
                                  .tabOrder = 6,
                                  .enabled = false,
                                  .hint = "ファイル名のクリア",
                                  .onClick = Handler(this, &TForm3::ClearBtnClick)});
  ReferBtn = ui::AddButton(this, {.name = "ReferBtn",
                                  .caption = "&...",
                                  .bounds = {520, 264, 25, 21},
                                  .tabOrder = 7,
                                  .hint = "参照",
                                  .onClick = Handler(this, &TForm3::ReferBtnClick)});
  AddBtn = ui::AddButton(this, {.name = "AddBtn",
                                .caption = "登録(&R)",
                                .bounds = {478, 234, 67, 24},
                                .tabOrder = 8,
                                .hint = "更新内容を登録",
                                .onClick = Handler(this, &TForm3::AddBtnClick)});
  CloseBtn = ui::AddButton(this, {.name = "CloseBtn",
                                  .caption = "&Ok",
                                  .bounds = {478, 4, 67, 24},
                                  .tabOrder = 9,
                                  .isDefault = true,
                                  .modalResult = ui::mrOk});
  CancelBtn = ui::AddButton(this, {.name = "CancelBtn",
                                   .caption = "&Cancel",
                                   .bounds = {478, 32, 67, 24},
                                   .tabOrder = 10,
                                   .isCancel = true,
                                   .modalResult = ui::mrCancel});
  Button1 = ui::AddButton(this, {.name = "Button1",
                                 .caption = "説明(&H)",
                                 .bounds = {478, 60, 67, 24},
                                 .tabOrder = 11,
                                 .onClick = Handler(this, &TForm3::Button1Click)});
  Label1 =
      ui::AddLabel(this, {.name = "Label1", .caption = "ホットキー", .bounds = {2, 239, 54, 13}});
  Label2 =
      ui::AddLabel(this, {.name = "Label2", .caption = "開くファイル", .bounds = {2, 267, 63, 13}});

  for (int k = 0; k < HotKeySlotCount; ++k) ListBox1->AddItem("");
  DefaultButton = CloseBtn;
  SetActiveControl(CloseBtn);
  KeepCopyOf(HotKeys, HotKeysBackup);
  OnShow = Handler(this, &TForm3::FormShow);
  OnClose = Handler(this, &TForm3::FormClose);
  OnDestroy = Handler(this, &TForm3::FormDestroy);
  OnDropFiles = Handler(this, &TForm3::WMDropFiles);
}

void TForm3::ShowSlotLine(int k) {
  const THotKeySlot& slot = HotKeys[static_cast<std::size_t>(k)];
  ListBox1->SetItem(
      k, HotKeyDisplayText(slot) + " : " + (k == 0 ? std::string(LauncherSlotText) : slot.Command));
}

void TForm3::SelectNextFreeSlot() {
  // Slots a, a + 1, ..., 15, 1, ..., a - 1: the first without a command,
  // else a itself (b = 15 comes round to it). Slot 0 is never chosen.
  int a = selectedSlot();
  if (a <= 0) a = 1;
  // The command slot b places after a, counted round within 1 to 15.
  const auto slotAfter = [a](int b) { return (a - 1 + b) % CommandSlotCount + 1; };
  int b = 0;
  while (b < CommandSlotCount && !HotKeys[static_cast<std::size_t>(slotAfter(b))].Command.empty()) {
    ++b;
  }
  ListBox1->SetItemIndex(slotAfter(b));
  ListBox1Click(this);
}

void TForm3::FormShow(ui::TComponent* Sender) {
  TakeCopy();
  DefaultButton = CloseBtn;
  for (int k = 0; k < HotKeySlotCount; ++k) ShowSlotLine(k);
  ListBox1->SetItemIndex(0);
  ListBox1Click(Sender);
}

void TForm3::FormClose(ui::TComponent*) { PutCopyBackUnlessOk(); }

void TForm3::FormDestroy(ui::TComponent*) { DiscardUnconfirmedChanges(); }

void TForm3::ListBox1Click(ui::TComponent* Sender) {
  const int s = selectedSlot();
  ExeBtn->SetEnabled(s >= 1 && s < HotKeySlotCount &&
                     !HotKeys[static_cast<std::size_t>(s)].Command.empty());
  ShortCutChange(Sender);
}

void TForm3::ShortCutChange(ui::TComponent*) {
  // The default role follows the file name box, but stays away while the
  // capture box holds it back.
  const bool hadRole = DefaultButton->Default();
  DefaultButton->SetDefault(false);
  const std::string& fileName = FileName->Text();
  DefaultButton = fileName.empty() ? CloseBtn : AddBtn;
  DefaultButton->SetDefault(hadRole);
  ClearBtn->SetEnabled(!fileName.empty() || CapturedHotKey() != 0);
  AddBtn->SetEnabled(
      CapturedHotKey() != 0 &&
      (selectedSlot() == 0 || (!fileName.empty() && fileName != LauncherItselfText)));
}

void TForm3::ShortCutEnter(ui::TComponent*) {
  // Enter and Esc are keys to capture now, not buttons to press.
  DefaultButton->SetDefault(false);
  CancelBtn->Cancel = false;
}

void TForm3::ShortCutExit(ui::TComponent*) {
  DefaultButton->SetDefault(true);
  CancelBtn->Cancel = true;
}

void TForm3::ShortCutKeyDown(ui::TComponent* Sender, unsigned& Key, ui::TShiftState Shift) {
  ShortCut->SetSelLength(0);
  const std::uint16_t modifiers = ShiftToModifiers(Shift);
  const auto key = static_cast<std::uint16_t>(Key);
  if (key == ui::VkShift || key == ui::VkControl || key == ui::VkMenu) {
    // Modifiers alone wait for the key that completes them.
    ShortCut->SetText(ModifierText(modifiers));
    SetCapturedHotKey(PackHotKey(modifiers, 0));
  } else {
    ShortCut->SetText(ModifierText(modifiers) + KeyNameText(key));
    SetCapturedHotKey(PackHotKey(modifiers, key));
  }
  ShortCut->SetSelStart(static_cast<int>(ShortCut->Text().size()));
  ShortCutChange(Sender);
}

void TForm3::ShortCutKeyPress(ui::TComponent* Sender, unsigned& Key) {
  // The box shows the captured keys only; typing never edits it.
  Key = 0;
  ShortCutChange(Sender);
}

void TForm3::FileNameKeyPress(ui::TComponent*, unsigned&) { SelectNextFreeSlot(); }

void TForm3::WMDropFiles(ui::TComponent* Sender, const std::string& Path) {
  if (!PutFileInBox(Path)) return;
  ShortCutChange(Sender);
  BringToForeground();
  SelectNextFreeSlot();
  // The next combination pressed is captured for the dropped file.
  ShortCut->SetFocus();
}

void TForm3::ReferBtnClick(ui::TComponent*) {
  if (!BrowseForFile()) return;
  SelectNextFreeSlot();
}

void TForm3::ClearBtnClick(ui::TComponent*) {
  SetCapturedHotKey(0);
  ShortCut->SetText(KeyNameText(0));
  FileName->SetText("");
}

void TForm3::AddBtnClick(ui::TComponent* Sender) {
  const int s = selectedSlot();
  const std::int32_t captured = CapturedHotKey();
  const UnpackedHotKey key = UnpackHotKey(captured);
  // Modifiers alone are no combination.
  if (s < 0 || key.VKey == 0) return;
  for (int i = 0; i < HotKeySlotCount; ++i) {
    const THotKeySlot& other = HotKeys[static_cast<std::size_t>(i)];
    if (i != s && PackHotKey(other.Modifiers, other.VKey) == captured) {
      ui::MessageDlg(DuplicateHotKeyMessage, ui::TMsgDlgType::mtError, ui::mbOK);
      return;
    }
  }
  // A command the list file cannot hold as typed would run another file.
  if (s != 0 && !FileName->TextHeld()) {
    ui::ShowUnheldText(Label2->Caption(), FileName->Text());
    return;
  }
  THotKeySlot& slot = HotKeys[static_cast<std::size_t>(s)];
  slot.Modifiers = key.Modifiers;
  slot.VKey = key.VKey;
  // Slot 0 opens the launcher; it takes no command.
  if (s != 0) slot.Command = FileName->Text();
  ShowSlotLine(s);
  ClearBtnClick(Sender);
  ListBox1Click(Sender);
}

void TForm3::PasteBtnClick(ui::TComponent* Sender) {
  const int s = selectedSlot();
  if (s < 0) return;
  const THotKeySlot slot = HotKeys[static_cast<std::size_t>(s)];
  ShortCut->SetText(HotKeyDisplayText(slot));
  SetCapturedHotKey(PackHotKey(slot.Modifiers, slot.VKey));
  FileName->SetText(s == 0 ? std::string(LauncherItselfText) : slot.Command);
  // The rules ran on the text changes, before the new capture was set, or
  // not at all: once more, so that Register and Clear match the boxes.
  ShortCutChange(Sender);
}

void TForm3::ExeBtnClick(ui::TComponent*) {
  const int s = selectedSlot();
  if (s < 1 || s >= HotKeySlotCount) return;
  // The stored command, also when it was changed in this dialog.
  const std::string command = HotKeys[static_cast<std::size_t>(s)].Command;
  if (!command.empty()) launcher().LaunchCommand(command);
}

void TForm3::DelBtnClick(ui::TComponent*) {
  const int s = selectedSlot();
  if (s < 0) return;
  HotKeys[static_cast<std::size_t>(s)] = THotKeySlot{};
  ShowSlotLine(s);
  ExeBtn->SetEnabled(false);
}

}  // namespace velmora
