// The controls and the dialog rules as a user meets them on a form declared
// control by control: change events only on real changes, selections by
// program firing nothing, the Enter and Esc roles taken away and given back,
// access keys, the close event's result, dropped files, menus, hotkeys and
// the open-file dialog.
#include "ui/Declare.h"
#include "ui/Dialogs.h"
#include "ui/Keys.h"

#include "tests/ui/FakeApplication.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::ui {
namespace {

using platform::fake::FakeWindow;

std::vector<std::string> journal;

class TTestForm : public TForm {
 public:
  explicit TTestForm(TComponent* owner) : TForm(owner, "TTestForm") {
    SetCaption("テスト");
    TFont font;
    font.SetHeight(13);
    SetFont(font);
    SetClientSize(624, 333);
    List1 = AddListBox(this, {.name = "List1",
                              .bounds = {0, 0, 545, 269},
                              .tabOrder = 0,
                              .itemHeight = 13,
                              .hint = "一覧",
                              .onClick = note("List1Click"),
                              .onDblClick = note("List1DblClick")});
    CloseBtn = AddButton(this, {.name = "CloseBtn",
                                .caption = "&Ok",
                                .bounds = {550, 4, 67, 25},
                                .tabOrder = 10,
                                .isDefault = true,
                                .isCancel = true,
                                .modalResult = mrOk});
    CancelBtn = AddButton(this, {.name = "CancelBtn",
                                 .caption = "&Cancel",
                                 .bounds = {550, 32, 67, 25},
                                 .tabOrder = 12,
                                 .isCancel = true,
                                 .modalResult = mrCancel});
    PasteBtn = AddButton(this, {.name = "PasteBtn",
                                .caption = "転写(&P)",
                                .bounds = {550, 96, 67, 25},
                                .tabOrder = 1,
                                .onClick = note("PasteBtnClick")});
    UpBtn = AddSpeedButton(this, {.name = "UpBtn",
                                  .bounds = {552, 212, 25, 25},
                                  .glyph = 101,
                                  .tag = -1,
                                  .hint = "項目を１段上に",
                                  .onClick = note("UpBtnClick")});
    Label1 = AddLabel(this, {.name = "Label1", .caption = "登録名", .bounds = {2, 280, 39, 13}});
    Edit1 = AddEdit(this, {.name = "Edit1",
                           .bounds = {72, 276, 397, 21},
                           .tabOrder = 5,
                           .onChange = note("Edit1Change"),
                           .onKeyPress = [this](TComponent*, unsigned& key) {
                             if (key == '\r') {
                               key = 0;
                               Edit2->SetFocus();
                             }
                           }});
    AddBtn = AddButton(this, {.name = "AddBtn",
                              .caption = "追加(&A)",
                              .bounds = {550, 276, 67, 25},
                              .tabOrder = 9,
                              .enabled = false,
                              .onClick = note("AddBtnClick")});
    Edit2 = AddEdit(this, {.name = "Edit2",
                           .bounds = {72, 308, 521, 20},
                           .tabOrder = 6,
                           .fontHeight = 12,
                           .onChange = note("Edit2Change")});
    Combo1 = AddComboBox(this, {.name = "Combo1",
                                .bounds = {2, 2, 100, 23},
                                .tabOrder = 7,
                                .itemHeight = 15,
                                .dropDownCount = 12,
                                .onChange = note("Combo1Change"),
                                .onDropDown = note("Combo1DropDown"),
                                .onDblClick = note("Combo1DblClick")});
    OnClose = [this](TComponent*) {
      journal.push_back("FormClose " + std::to_string(ModalResult));
    };
  }

  static TNotifyEvent note(std::string what) {
    return [what](TComponent*) { journal.push_back(what); };
  }

  TListBox* List1;
  TButton* CloseBtn;
  TButton* CancelBtn;
  TButton* PasteBtn;
  TSpeedButton* UpBtn;
  TLabel* Label1;
  TEdit* Edit1;
  TButton* AddBtn;
  TEdit* Edit2;
  TComboBox* Combo1;
};

class ControlsTest : public FakeApplicationTest {
 protected:
  void SetUp() override { journal.clear(); }

  // Shows the form modally and plays `steps` as the user; the modal result.
  int showAndPlay(std::function<void()> steps) {
    form = TForm::Create<TTestForm>(nullptr);
    owned.reset(form);
    platform.then(std::move(steps));
    return form->ShowModal();
  }
  FakeWindow* window(std::string_view name) const { return platform.find(name); }
  std::vector<std::string> take() { return std::exchange(journal, {}); }

  TTestForm* form = nullptr;
  Owned<TTestForm> owned;
};

TEST_F(ControlsTest, EachControlIsMadeAsDeclaredWithTheFormsFontUnlessItHasItsOwn) {
  showAndPlay([&] {
    EXPECT_EQ(window("List1")->state().bounds, (platform::Rect{0, 0, 545, 269}));
    EXPECT_EQ(window("List1")->itemHeight(), 13);
    EXPECT_EQ(window("List1")->state().hint, "一覧");
    EXPECT_EQ(window("CloseBtn")->text(), "&Ok");
    EXPECT_TRUE(window("CloseBtn")->defaultLook());
    EXPECT_FALSE(window("AddBtn")->enabled());
    EXPECT_EQ(window("UpBtn")->glyph(), 101);
    EXPECT_EQ(form->UpBtn->Tag, -1);
    EXPECT_EQ(window("Edit1")->state().font.pixelHeight, 13);
    EXPECT_EQ(window("Edit2")->state().font.pixelHeight, 12);
    EXPECT_EQ(window("Combo1")->dropDownCount(), 12);
    EXPECT_EQ(window("Combo1")->itemHeight(), 15);
    // The field's height comes from the system for the font.
    EXPECT_EQ(form->Combo1->Height(), window("Combo1")->bounds().height);
    // The list box is first in tab order and has the focus at first.
    EXPECT_TRUE(window("List1")->focused());
    platform.pressKey(VkEscape, 27);
  });
}

TEST_F(ControlsTest, AnEditsChangeEventRunsOnlyWhenItsTextReallyChanges) {
  showAndPlay([&] {
    window("Edit1")->focus();
    platform.type("ab");
    EXPECT_EQ(form->Edit1->Text(), "ab");
    EXPECT_EQ(take(), (std::vector<std::string>{"Edit1Change", "Edit1Change"}));
    form->Edit1->SetText("ab");
    EXPECT_TRUE(take().empty()) << "the same text again is no change";
    form->Edit1->SetText("表示");
    EXPECT_EQ(window("Edit1")->text(), "表示");
    EXPECT_EQ(take(), std::vector<std::string>{"Edit1Change"});
    // The caret is where the program puts it; typing goes there.
    form->Edit1->SetSelStart(static_cast<int>(form->Edit1->Text().size()));
    platform.type("表");
    platform.pressKey(VkBack, '\b');
    platform.pressKey(VkBack, '\b');
    EXPECT_EQ(form->Edit1->Text(), "表");
    EXPECT_EQ(form->Edit1->SelStart(), 2);
    EXPECT_EQ(take().size(), 3u);
    form->Edit1->SetText("");
    platform.pressKey(VkBack, '\b');
    EXPECT_EQ(take(), std::vector<std::string>{"Edit1Change"});
    platform.pressKey(VkEscape, 27);
  });
}

TEST_F(ControlsTest, TypingInTheComboFieldSelectsAnItemOnlyWhileTheListIsDown) {
  showAndPlay([&] {
    for (const char* name : {"Memo", "Mail", "表計算"}) form->Combo1->AddItem(name);
    window("Combo1")->focus();
    platform.type("mai");
    EXPECT_EQ(form->Combo1->Text(), "mai");
    EXPECT_EQ(form->Combo1->ItemIndex(), -1) << "a name typed with the list closed";
    EXPECT_EQ(take().size(), 3u);

    EXPECT_TRUE(window("Combo1")->dropDown());
    EXPECT_TRUE(form->Combo1->DroppedDown());
    platform.type("l");
    EXPECT_EQ(form->Combo1->ItemIndex(), 1) << "Mail begins with mail, letter case aside";
    EXPECT_EQ(form->Combo1->Text(), "mail");
    EXPECT_TRUE(window("Combo1")->selectItem(2));
    EXPECT_EQ(form->Combo1->Text(), "表計算");
    EXPECT_FALSE(form->Combo1->DroppedDown());
    EXPECT_EQ(take(), (std::vector<std::string>{"Combo1DropDown", "Combo1Change", "Combo1Change"}));

    // The arrow keys move the selection as the user's change.
    platform.pressKey(VkUp);
    EXPECT_EQ(form->Combo1->ItemIndex(), 1);
    EXPECT_EQ(form->Combo1->Text(), "Mail");
    EXPECT_EQ(take(), std::vector<std::string>{"Combo1Change"});

    // The program's changes fire nothing; emptying the list keeps the text.
    form->Combo1->SetItemIndex(0);
    EXPECT_EQ(window("Combo1")->text(), "Memo");
    form->Combo1->SetText("memo");
    form->Combo1->ClearItems();
    EXPECT_EQ(form->Combo1->ItemIndex(), -1);
    EXPECT_EQ(window("Combo1")->text(), "memo");
    EXPECT_TRUE(window("Combo1")->items().empty());
    EXPECT_TRUE(take().empty());
    EXPECT_TRUE(window("Combo1")->doubleClick());
    EXPECT_EQ(take(), std::vector<std::string>{"Combo1DblClick"});
    platform.pressKey(VkEscape, 27);
  });
}

TEST_F(ControlsTest, AListBoxClicksOnlyForTheUserAndKeepsItsSelectionRules) {
  showAndPlay([&] {
    for (const char* row : {"a", "b", "c", "d"}) form->List1->AddItem(row);
    form->List1->SetItemIndex(2);
    EXPECT_EQ(window("List1")->itemIndex(), 2);
    EXPECT_TRUE(take().empty()) << "a selection by program is no click";

    form->List1->SetItem(2, "C");
    form->List1->Exchange(2, 3);
    EXPECT_EQ(form->List1->ItemIndex(), 2);
    EXPECT_EQ(window("List1")->items(), (std::vector<std::string>{"a", "b", "d", "C"}));
    EXPECT_EQ(window("List1")->itemIndex(), 2);
    form->List1->Delete(0);
    EXPECT_EQ(form->List1->ItemIndex(), 1) << "the selected row moved up with the rows";
    form->List1->Delete(1);
    EXPECT_EQ(form->List1->ItemIndex(), -1) << "deleting the selected row selects none";
    EXPECT_EQ(window("List1")->itemIndex(), -1);
    EXPECT_TRUE(take().empty());

    EXPECT_TRUE(window("List1")->selectItem(0));
    platform.pressKey(VkDown);
    EXPECT_EQ(form->List1->ItemIndex(), 1);
    EXPECT_TRUE(window("List1")->doubleClick(0));
    EXPECT_EQ(take(), (std::vector<std::string>{"List1Click", "List1Click", "List1Click",
                                                "List1DblClick"}));
    platform.pressKey(VkEscape, 27);
  });
}

TEST_F(ControlsTest, EnterAndEscFollowTheRolesAsTheyAreTakenAndGivenBack) {
  // Enter with the focus in an edit box presses the default button.
  EXPECT_EQ(showAndPlay([&] {
              window("Edit2")->focus();
              platform.pressKey(VkReturn, '\r');
            }),
            mrOk);
  take();
  // The default role moved to a disabled button: Enter goes to the focused
  // control, which moves on to the next box.
  EXPECT_EQ(showAndPlay([&] {
              form->CloseBtn->SetDefault(false);
              form->AddBtn->SetDefault(true);
              EXPECT_FALSE(window("CloseBtn")->defaultLook());
              EXPECT_TRUE(window("AddBtn")->defaultLook());
              window("Edit1")->focus();
              platform.pressKey(VkReturn, '\r');
              EXPECT_TRUE(window("Edit2")->focused());
              form->AddBtn->SetEnabled(true);
              platform.pressKey(VkReturn, '\r');
              EXPECT_EQ(take(), std::vector<std::string>{"AddBtnClick"});
              // A focused button takes Enter whatever the default is, and
              // looks like the default meanwhile.
              window("PasteBtn")->focus();
              EXPECT_TRUE(window("PasteBtn")->defaultLook());
              EXPECT_FALSE(window("AddBtn")->defaultLook());
              platform.pressKey(VkReturn, '\r');
              EXPECT_EQ(take(), std::vector<std::string>{"PasteBtnClick"});
              // Esc: the first made of the two cancel buttons, CloseBtn.
              platform.pressKey(VkEscape, 27);
            }),
            mrOk);
  EXPECT_EQ(take(), std::vector<std::string>{"FormClose 1"});
  // Without the roles Enter and Esc reach the edit box as keys.
  EXPECT_EQ(showAndPlay([&] {
              std::vector<unsigned> keys;
              form->Edit2->OnKeyDown = [&](TComponent*, unsigned& key, TShiftState) {
                keys.push_back(key);
              };
              form->CloseBtn->SetDefault(false);
              form->CloseBtn->Cancel = false;
              form->CancelBtn->Cancel = false;
              window("Edit2")->focus();
              platform.pressKey(VkReturn, '\r');
              platform.pressKey(VkEscape, 27);
              EXPECT_EQ(keys, (std::vector<unsigned>{VkReturn, VkEscape}));
              EXPECT_EQ(form->ModalResult, mrNone);
              form->CancelBtn->Cancel = true;
              platform.pressKey(VkEscape, 27);
            }),
            mrCancel);
}

TEST_F(ControlsTest, TabFollowsTheTabOrderAndSkipsWhatCannotTakeTheFocus) {
  showAndPlay([&] {
    std::vector<std::string> order;
    for (int i = 0; i < 7; ++i) {
      platform.pressKey(VkTab);
      order.push_back(platform.focusedWindow()->name());
    }
    // AddBtn is disabled; the glyph button and the label take no focus.
    EXPECT_EQ(order, (std::vector<std::string>{"PasteBtn", "Edit1", "Edit2", "Combo1", "CloseBtn",
                                               "CancelBtn", "List1"}));
    platform.pressKey(VkTab, 0, ssShift);
    EXPECT_EQ(platform.focusedWindow()->name(), "CancelBtn");
    window("Edit1")->focus();
    // An edit box keeps the arrow keys; a button passes them on.
    platform.pressKey(VkRight);
    EXPECT_TRUE(window("Edit1")->focused());
    EXPECT_TRUE(window("UpBtn")->click());
    EXPECT_TRUE(window("Edit1")->focused()) << "a glyph button never takes the focus";
    EXPECT_EQ(take(), std::vector<std::string>{"UpBtnClick"});
    platform.pressKey(VkEscape, 27);
  });
}

TEST_F(ControlsTest, AccessKeysPressTheirButtonUnlessTheFocusedControlCapturesThem) {
  showAndPlay([&] {
    window("Edit1")->focus();
    platform.pressKey('P', 'p', ssAlt);
    EXPECT_EQ(take(), std::vector<std::string>{"PasteBtnClick"});
    platform.pressKey('A', 'a', ssAlt);  // AddBtn is disabled
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(platform.calls().back(), "beep");
    // Plain letters are the edit box's text...
    platform.type("p");
    EXPECT_EQ(take(), std::vector<std::string>{"Edit1Change"});
    // ...but on a button they press the button they are the access key of.
    window("CancelBtn")->focus();
    platform.type("p");
    EXPECT_EQ(take(), std::vector<std::string>{"PasteBtnClick"});

    std::vector<std::pair<unsigned, TShiftState>> captured;
    form->Edit1->CaptureAccessKeys = true;
    form->Edit1->OnKeyDown = [&](TComponent*, unsigned& key, TShiftState shift) {
      captured.emplace_back(key, shift);
    };
    window("Edit1")->focus();
    platform.pressKey('P', 'p', ssAlt);
    EXPECT_TRUE(take().empty()) << "the capture box took Alt+P";
    EXPECT_EQ(captured, (std::vector<std::pair<unsigned, TShiftState>>{{'P', ssAlt}}));
    platform.pressKey(VkEscape, 27);
  });
}

TEST_F(ControlsTest, TheCloseEventSeesTheResultAndTheProgramsEndIsNoAnswer) {
  EXPECT_EQ(showAndPlay([&] { platform.find("CancelBtn")->click(); }), mrCancel);
  EXPECT_EQ(take(), std::vector<std::string>{"FormClose 2"});
  EXPECT_EQ(showAndPlay([&] { platform.visibleForms().back()->close(); }), mrCancel);
  EXPECT_EQ(take(), std::vector<std::string>{"FormClose 2"});
  EXPECT_EQ(showAndPlay([&] { platform.pressKey(0x73, 0, ssAlt); }), mrCancel);
  EXPECT_EQ(take(), std::vector<std::string>{"FormClose 2"}) << "Alt+F4";
  EXPECT_EQ(showAndPlay([&] { application.Terminate(); }), mrCancel);
  EXPECT_TRUE(take().empty());
}

TEST_F(ControlsTest, ADropGivesTheFirstPathCutTo511BytesWithoutSplittingACharacter) {
  std::vector<std::string> dropped;
  showAndPlay([&] {
    FakeWindow* self = platform.visibleForms().back();
    EXPECT_FALSE(self->dropFiles({"C:\\a.txt"})) << "the form does not accept files yet";
    form->OnDropFiles = [&](TComponent*, const std::string& name) { dropped.push_back(name); };
    form->SetAcceptFiles(true);
    // 510 ASCII bytes, then 表 (two bytes) over the limit.
    const std::string longPath = "C:\\" + std::string(507, 'x') + "表";
    EXPECT_TRUE(self->dropFiles({longPath, "C:\\second.txt"}));
    EXPECT_TRUE(self->dropFiles({"C:\\ソフト表\\one.exe", "C:\\two.exe", "C:\\three.exe"}));
    platform.pressKey(VkEscape, 27);
  });
  ASSERT_EQ(dropped.size(), 2u);
  EXPECT_EQ(dropped[0], "C:\\" + std::string(507, 'x'));
  EXPECT_EQ(dropped[1], "C:\\ソフト表\\one.exe");
}

TEST_F(ControlsTest, TheRightButtonOpensTheFormsMenuAndHotkeysAndClicksArriveTyped) {
  showAndPlay([&] {
    form->PopupMenu = new TPopupMenu(form);
    auto* item = new TMenuItem(form);
    item->Caption = "実行(&G)";
    item->OnClick = TTestForm::note("Go1Click");
    form->PopupMenu->Items()->Add(item);
    form->OnMouseDown = [](TComponent*, TMouseButton button, TShiftState, int x, int y) {
      journal.push_back("MouseDown " + std::to_string(static_cast<int>(button)) + " " +
                        std::to_string(x) + "," + std::to_string(y));
    };
    form->OnHotKey = [](TComponent*, int id) { journal.push_back("HotKey " + std::to_string(id)); };
    EXPECT_TRUE(application.Platform().registerHotKey(form->Handle(), 100, 0, VkF12));
    EXPECT_TRUE(platform.pressHotKey(0, VkF12));
    FakeWindow* self = platform.visibleForms().back();
    EXPECT_TRUE(self->mouseDown(platform::MouseButton::Left, {545, 300}));
    platform.then([&] { EXPECT_TRUE(platform.chooseMenuItem("実行(&G)")); });
    EXPECT_TRUE(self->rightClick({10, 20}));
    EXPECT_EQ(platform.calls().back(), "menuClosed");
    platform.then([&] { platform.pressKey(VkEscape, 27); });
  });
  EXPECT_EQ(take(), (std::vector<std::string>{"MouseDown 0 545,300", "MouseDown 1 10,20",
                                              "HotKey 100", "Go1Click", "FormClose 1"}));
}

TEST_F(ControlsTest, TheOpenDialogGetsItsRowsAndStartsFromTheFileChosenLast) {
  EXPECT_EQ(ParseFilter("実行ファイル|*.exe;*.com;*.bat|ショートカット,PIFファイル|*.lnk;*.pif|"
                        "すべてのファイル|*.*"),
            (std::vector<platform::FileFilter>{{"実行ファイル", "*.exe;*.com;*.bat"},
                                               {"ショートカット,PIFファイル", "*.lnk;*.pif"},
                                               {"すべてのファイル", "*.*"}}));
  // The second byte of ポ is 0x7C, a "|" that is no separator.
  EXPECT_EQ(ParseFilter("ポ|*.x|dangling"), (std::vector<platform::FileFilter>{{"ポ", "*.x"}}));

  TOpenDialog dialog(nullptr);
  dialog.Title = "Velmora2 ファイル名指定";
  dialog.Filter = "実行ファイル|*.exe|すべてのファイル|*.*";
  dialog.InitialDir = "C:";
  dialog.Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist;
  platform.then([&] {
    ASSERT_TRUE(platform.fileDialog().has_value());
    const platform::OpenFileParams& shown = *platform.fileDialog();
    EXPECT_EQ(shown.title, "Velmora2 ファイル名指定");
    EXPECT_EQ(shown.filters.size(), 2u);
    EXPECT_EQ(shown.filterIndex, 1);
    EXPECT_EQ(shown.initialDir, "C:");
    EXPECT_EQ(shown.fileName, "");
    EXPECT_TRUE(shown.hideReadOnly && shown.pathMustExist && shown.fileMustExist);
    EXPECT_TRUE(dialog.Executing());
    platform.chooseFile("C:\\ツール\\表.exe");
  });
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName, "C:\\ツール\\表.exe");
  platform.then([&] {
    EXPECT_EQ(platform.fileDialog()->fileName, "C:\\ツール\\表.exe");
    platform.cancelFileDialog();
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName, "C:\\ツール\\表.exe") << "a cancel keeps the name";
}

}  // namespace
}  // namespace velmora::ui
