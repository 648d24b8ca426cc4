// The registration editor as its user meets it inside the running program on
// the fake platform: opened from the launcher, entries added, overwritten,
// deleted, sorted and moved, the file taken from the open-file dialog or a
// drop, and the dialog closed every way there is.
#include "core/FileAccess.h"
#include "core/SettingsFile.h"
#include "dialogs/LnchDilg.h"
#include "tests/app/FakeProgram.h"
#include "ui/Keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

using platform::fake::FakeWindow;
using platform::fake::WindowKind;
using ui::VkEscape;
using ui::VkReturn;
using Entries = std::vector<std::pair<std::string, std::string>>;

std::string listBytes(const Entries& entries) {
  std::string bytes;
  for (const auto& [name, command] : entries) bytes += name + "\r\n" + command + "\r\n";
  return bytes;
}

std::vector<std::string> rowsOf(const Entries& entries) {
  std::vector<std::string> rows;
  for (const auto& [name, command] : entries) rows.push_back(name + " : " + command);
  return rows;
}

class RegistrationEditorTest : public FakeProgramTest {
 protected:
  void writeEntries(const Entries& entries) {
    putFile(folder.file("Velmora.Lst"), listBytes(entries));
  }
  std::optional<std::string> read(const std::string& name) const {
    return files::readWholeFile(folder.file(name));
  }
  // Opens the editor from the launcher; `inside` plays the user in it and
  // closes it, `after` runs once the launcher has released it.
  void edit(std::function<void()> inside, std::function<void()> after = {}) {
    platform.then([this, after] {
      form().Edit1Click(&form());
      EXPECT_EQ(form().FindComponent("Form2"), nullptr) << "the dialog was not released";
      if (after) after();
    });
    platform.then(std::move(inside));
  }
  static TForm2& editor() { return *dynamic_cast<TForm2*>(form().FindComponent("Form2")); }
  FakeWindow* w(std::string_view name) const { return platform.find(name); }
  FakeWindow* dialog() const { return platform.findForm(RegistrationEditorCaption); }
  std::vector<std::string> rows() const { return w("List1")->items(); }
  static Entries table() {
    Entries entries;
    for (std::size_t i = 1; i <= static_cast<std::size_t>(EntryCount); ++i) {
      entries.emplace_back(EntryNames[i], EntryCommands[i]);
    }
    return entries;
  }
  void typeInto(std::string_view name, std::string_view text) {
    ASSERT_TRUE(w(name)->focus()) << name;
    platform.type(text);
  }
  // Asserts the box with this caption and text, and answers it.
  void expectBox(std::string_view caption, std::string_view text, std::string_view button) {
    FakeWindow* box = platform.findForm(caption);
    ASSERT_NE(box, nullptr) << "no box " << caption;
    EXPECT_EQ(box->child(WindowKind::Label)->text(), text);
    answer(caption, button);
  }
  void expectEmptyBoxesAndFocusInEdit1() {
    EXPECT_EQ(w("Edit1")->text(), "");
    EXPECT_EQ(w("Edit2")->text(), "");
    EXPECT_TRUE(w("Edit1")->focused());
    EXPECT_FALSE(w("AddBtn")->enabled());
    EXPECT_FALSE(w("ClearBtn")->enabled());
    EXPECT_TRUE(editor().CloseBtn->Default());
  }
  void quitAtTheEnd() {
    platform.then([&] { form().Exit1Click(&form()); });
    platform.then([&] { answer("確認", "OK"); });
    EXPECT_EQ(run(), 0);
  }
};

TEST_F(RegistrationEditorTest, TheDialogIsBuiltAsItsTableOfControlsInTheirTabOrder) {
  writeEntries({{"Memo", "notepad.exe"}, {"表計算", "C:\\ソフト表\\calc.exe"}});
  edit([&] {
    ASSERT_NE(dialog(), nullptr);
    const platform::FormParams& state = dialog()->state();
    EXPECT_EQ(state.className, "TForm2");
    EXPECT_EQ(state.border, platform::FormBorder::Dialog);
    EXPECT_TRUE(state.defaultPosition && state.showHints && state.acceptFiles);
    EXPECT_EQ(state.font, (platform::FontSpec{"ＭＳ Ｐゴシック", 13, platform::ShiftJisCharset}));
    EXPECT_EQ(state.bounds.width - dialog()->frameSize().width, 624);
    EXPECT_EQ(state.bounds.height - dialog()->frameSize().height, 333);
    EXPECT_EQ(editor().Owner(), &form());

    struct Control {
      std::string name;
      WindowKind kind;
      platform::Rect bounds;
      std::string text, hint;
      bool enabled;
    };
    const std::vector<Control> controls = {
        {"List1", WindowKind::ListBox, {0, 0, 545, 269}, "", "登録アプリケーション一覧", true},
        {"CloseBtn", WindowKind::Button, {550, 4, 67, 25}, "&Ok", "", true},
        {"CancelBtn", WindowKind::Button, {550, 32, 67, 25}, "&Cancel", "", true},
        {"Button1", WindowKind::Button, {550, 60, 67, 25}, "説明(&H)", "", true},
        {"PasteBtn", WindowKind::Button, {550, 96, 67, 25}, "転写(&P)", "", true},
        {"ExeBtn", WindowKind::Button, {550, 124, 67, 25}, "実行(&E)", "", true},
        {"DeleteBtn",
         WindowKind::Button,
         {550, 152, 67, 25},
         "削除(&D)",
         "登録リストから削除",
         true},
        {"SortBtn",
         WindowKind::Button,
         {550, 180, 67, 25},
         "ソート(&S)",
         "登録リストを並べ替え",
         true},
        {"UpBtn", WindowKind::GlyphButton, {552, 212, 25, 25}, "", "項目を１段上に", true},
        {"DownBtn", WindowKind::GlyphButton, {552, 240, 25, 25}, "", "項目を１段下に", true},
        {"Label1", WindowKind::Label, {2, 280, 39, 13}, "登録名", "", true},
        {"Edit1", WindowKind::Edit, {72, 276, 397, 21}, "", "", true},
        {"ClearBtn",
         WindowKind::Button,
         {476, 276, 67, 25},
         "クリア(&L)",
         "登録名・ファイル名をクリア",
         false},
        {"AddBtn", WindowKind::Button, {550, 276, 67, 25}, "追加(&A)", "ランチャーに登録", false},
        {"Label2", WindowKind::Label, {2, 308, 63, 13}, "開くファイル", "", true},
        {"Edit2", WindowKind::Edit, {72, 308, 521, 20}, "", "", true},
        {"ReferBtn", WindowKind::Button, {592, 308, 25, 21}, "&...", "参照", true}};
    // Made in the table's order: CloseBtn before CancelBtn is what gives Esc to it.
    const std::vector<FakeWindow*> made = dialog()->children();
    ASSERT_EQ(made.size(), controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const Control& expected = controls[i];
      EXPECT_EQ(made[i]->name(), expected.name);
      EXPECT_EQ(made[i]->kind(), expected.kind) << expected.name;
      if (expected.kind == WindowKind::Label) {
        // A label grows wider than designed where its font needs it.
        platform::Rect bounds = made[i]->state().bounds;
        EXPECT_GE(bounds.width, expected.bounds.width) << expected.name;
        bounds.width = expected.bounds.width;
        EXPECT_EQ(bounds, expected.bounds) << expected.name;
      } else {
        EXPECT_EQ(made[i]->state().bounds, expected.bounds) << expected.name;
      }
      EXPECT_EQ(made[i]->text(), expected.text) << expected.name;
      EXPECT_EQ(made[i]->state().hint, expected.hint) << expected.name;
      EXPECT_EQ(made[i]->enabled(), expected.enabled) << expected.name;
    }
    EXPECT_EQ(w("UpBtn")->glyph(), UpArrowGlyph);
    EXPECT_EQ(w("DownBtn")->glyph(), DownArrowGlyph);
    EXPECT_EQ(w("List1")->itemHeight(), 13);
    EXPECT_EQ(w("Edit1")->state().font.pixelHeight, 13);
    EXPECT_EQ(w("Edit2")->state().font.pixelHeight, 12);
    EXPECT_TRUE(w("CloseBtn")->defaultLook());

    EXPECT_EQ(rows(),
              (std::vector<std::string>{"Memo : notepad.exe", "表計算 : C:\\ソフト表\\calc.exe"}));
    EXPECT_EQ(w("List1")->itemIndex(), 0);
    EXPECT_TRUE(w("List1")->focused());
    std::vector<std::string> order;
    for (int i = 0; i < 11; ++i) {
      platform.pressKey(ui::VkTab);
      order.push_back(platform.focusedWindow()->name());
    }
    // ClearBtn (8) and AddBtn (9) are disabled; the arrows and labels take no focus.
    EXPECT_EQ(order, (std::vector<std::string>{"PasteBtn", "ExeBtn", "DeleteBtn", "SortBtn",
                                               "Edit1", "Edit2", "ReferBtn", "CloseBtn", "Button1",
                                               "CancelBtn", "List1"}));
    w("CancelBtn")->click();
  });
  quitAtTheEnd();
}

TEST_F(RegistrationEditorTest, CancelTheCloseBoxAndAltF4PutBackTheTablesAndCountExactly) {
  const Entries original = {{"c", "c.exe"}, {"a", "a.exe|-x"}, {"表", "表.exe"}, {"b", "b.exe"}};
  writeEntries(original);
  const std::vector<std::function<void()>> closings = {
      [&] { w("CancelBtn")->click(); }, [&] { dialog()->close(); },
      [&] { platform.pressKey(ui::VkF4, 0, ui::ssAlt); }};
  platform.then([&] { form().Combo1->SetItemIndex(1); });
  std::array<std::string, MaxEntries + 1> names, commands;
  for (const auto& closeTheDialog : closings) {
    edit(
        [&] {
          names = EntryNames;
          commands = EntryCommands;
          typeInto("Edit1", "New");
          typeInto("Edit2", "new.exe");
          w("AddBtn")->click();
          w("List1")->selectItem(0);
          w("DeleteBtn")->click();
          w("SortBtn")->click();
          w("List1")->selectItem(2);
          w("UpBtn")->click();
          EXPECT_EQ(
              table(),
              (Entries{{"New", "new.exe"}, {"b", "b.exe"}, {"a", "a.exe|-x"}, {"表", "表.exe"}}));
          closeTheDialog();
        },
        [&] {
          // Slot 0 and the freed slots too: all 251 of each table.
          EXPECT_EQ(EntryNames, names);
          EXPECT_EQ(EntryCommands, commands);
          EXPECT_EQ(table(), original);
          // The file holds the whole list as it stood when Add saved it.
          Entries saved = original;
          saved.emplace_back("New", "new.exe");
          EXPECT_EQ(read("Velmora.Lst"), listBytes(saved));
          EXPECT_EQ(form().Combo1->Items(), (std::vector<std::string>{"c", "a", "表", "b"}));
          EXPECT_EQ(form().Combo1->Text(), "a") << "the launcher's text is kept";
          EXPECT_EQ(form().Combo1->ItemIndex(), -1);
        });
  }
  quitAtTheEnd();
  EXPECT_EQ(read("Velmora.Lst"), listBytes(original)) << "the restored list is written at exit";
}

TEST_F(RegistrationEditorTest, EscAndEnterOnTheDefaultButtonCloseWithOkAndKeepTheEdits) {
  writeEntries({{"a", "a.exe"}, {"b", "b.exe"}, {"c", "c.exe"}});
  edit(
      [&] {
        w("DeleteBtn")->click();
        platform.pressKey(VkEscape, 27);
      },
      [&] {
        EXPECT_EQ(table(), (Entries{{"b", "b.exe"}, {"c", "c.exe"}}));
        EXPECT_EQ(form().Combo1->Items(), (std::vector<std::string>{"b", "c"}));
      });
  edit(
      [&] {
        // Enter in Edit1: with only the name it moves on to Edit2...
        typeInto("Edit1", "d");
        platform.pressKey(VkReturn, '\r');
        EXPECT_TRUE(w("Edit2")->focused());
        EXPECT_EQ(EntryCount, 2);
        // ...with both it adds, and with neither it closes with OK.
        platform.type("d.exe");
        ASSERT_TRUE(w("Edit1")->focus());
        platform.pressKey(VkReturn, '\r');
        EXPECT_EQ(table().back(), (std::pair<std::string, std::string>{"d", "d.exe"}));
        expectEmptyBoxesAndFocusInEdit1();
        // A clicked button that disables itself loses the focus: Enter then
        // goes to the default button, not to the dead one.
        w("List1")->selectItem(0);
        w("DeleteBtn")->click();
        EXPECT_FALSE(w("DeleteBtn")->focused());
        EXPECT_TRUE(w("CloseBtn")->defaultLook());
        platform.pressKey(VkReturn, '\r');
      },
      [&] {
        EXPECT_EQ(table(), (Entries{{"c", "c.exe"}, {"d", "d.exe"}}));
      });
  quitAtTheEnd();
  EXPECT_EQ(read("Velmora.Lst"), listBytes({{"c", "c.exe"}, {"d", "d.exe"}}));
}

TEST_F(RegistrationEditorTest, AnExistingNameIsOverwrittenOnlyAfterOkYetTheListIsSavedEitherWay) {
  writeEntries({{"Memo", "notepad.exe"}, {"Calc", "calc.exe"}, {"Old", "old.exe"}});
  edit([&] {
    w("List1")->selectItem(2);
    w("DeleteBtn")->click();
    typeInto("Edit1", "calc");
    typeInto("Edit2", "C:\\new\\calc.exe|-x");
    platform.then([&] {
      EXPECT_EQ(w("List1")->itemIndex(), 1) << "the existing name's row is selected while asked";
      expectBox("確認", OverwriteConfirmation, "ｷｬﾝｾﾙ");
    });
    w("AddBtn")->click();
    const Entries kept = {{"Memo", "notepad.exe"}, {"Calc", "calc.exe"}};
    EXPECT_EQ(table(), kept);
    EXPECT_EQ(read("Velmora.Lst"), listBytes(kept)) << "declined, yet saved with the delete";
    expectEmptyBoxesAndFocusInEdit1();

    typeInto("Edit1", "MEMO");
    typeInto("Edit2", "wordpad.exe");
    platform.then([&] { expectBox("確認", OverwriteConfirmation, "OK"); });
    w("AddBtn")->click();
    const Entries overwritten = {{"MEMO", "wordpad.exe"}, {"Calc", "calc.exe"}};
    EXPECT_EQ(table(), overwritten);
    EXPECT_EQ(rows(), rowsOf(overwritten));
    EXPECT_EQ(w("List1")->itemIndex(), 0);
    EXPECT_EQ(read("Velmora.Lst"), listBytes(overwritten));
    expectEmptyBoxesAndFocusInEdit1();
    w("CloseBtn")->click();
  });
  quitAtTheEnd();
}

TEST_F(RegistrationEditorTest, ANewNameAtTheLimitIsRefusedAndAFailedSaveKeepsTheBoxes) {
  Entries full;
  for (int i = 1; i <= MaxEntries; ++i) {
    // Appended, not "e" + ...: MinGW g++ 12 at -O3 warns falsely (-Wrestrict) on that.
    std::string name = "e";
    name += std::to_string(i);
    full.emplace_back(name, "t.exe");
  }
  writeEntries(full);
  edit(
      [&] {
        typeInto("Edit1", "brand new");
        typeInto("Edit2", "new.exe");
        platform.then([&] { expectBox("ｴﾗｰ", ListFullMessage, "OK"); });
        w("AddBtn")->click();
        EXPECT_EQ(EntryCount, MaxEntries);
        EXPECT_EQ(rows().size(), static_cast<std::size_t>(MaxEntries));
        EXPECT_EQ(w("Edit1")->text(), "brand new");
        EXPECT_EQ(w("Edit2")->text(), "new.exe");
        EXPECT_FALSE(read("Velmora.ini").has_value()) << "a refused add saves nothing";

        // The settings file cannot be written: the list file is, the box
        // names the other, and the rest of the add does not run.
        std::filesystem::create_directory(folder.file("Velmora.ini"));
        w("List1")->selectItem(0);
        w("DeleteBtn")->click();
        platform.then([&] {
          expectBox(ApplicationTitle, cannotWriteMessage(folder.file("Velmora.ini")), "OK");
        });
        w("AddBtn")->click();
        EXPECT_EQ(table().back(), (std::pair<std::string, std::string>{"brand new", "new.exe"}));
        EXPECT_EQ(rows().back(), "brand new : new.exe");
        EXPECT_EQ(read("Velmora.Lst"), listBytes(table()));
        EXPECT_EQ(w("Edit1")->text(), "brand new");
        EXPECT_EQ(w("Edit2")->text(), "new.exe");

        // Only the list file cannot be written: it is named, and the add goes
        // on as after a save (the entry is in memory and saved at exit).
        std::filesystem::remove(folder.file("Velmora.ini"));
        std::filesystem::remove(folder.file("Velmora.Lst"));
        std::filesystem::create_directory(folder.file("Velmora.Lst"));
        w("List1")->selectItem(0);
        w("DeleteBtn")->click();
        w("ClearBtn")->click();
        typeInto("Edit1", "newer");
        typeInto("Edit2", "new.exe");
        platform.then([&] {
          expectBox(ApplicationTitle, cannotWriteMessage(folder.file("Velmora.Lst")), "OK");
        });
        w("AddBtn")->click();
        EXPECT_EQ(table().back(), (std::pair<std::string, std::string>{"newer", "new.exe"}));
        EXPECT_TRUE(read("Velmora.ini").has_value());
        expectEmptyBoxesAndFocusInEdit1();
        w("CancelBtn")->click();
      },
      [&] {
        EXPECT_EQ(table(), full);
        std::filesystem::remove(folder.file("Velmora.ini"));
        std::filesystem::remove(folder.file("Velmora.Lst"));
      });
  quitAtTheEnd();
}

TEST_F(RegistrationEditorTest, AfterItsBoxTheEditorIsActiveAgainWithTheFocusWhereItWas) {
  Entries full;
  for (int i = 1; i <= MaxEntries; ++i) full.emplace_back(std::to_string(i), "t.exe");
  writeEntries(full);
  edit([&] {
    typeInto("Edit1", "brand new");
    typeInto("Edit2", "new.exe");
    platform.then([&] { expectBox("ｴﾗｰ", ListFullMessage, "OK"); });
    platform.pressKey(VkReturn, '\r');
    // The box belongs to the hidden launcher: without more, the activation
    // would go to another program and the keys with it.
    EXPECT_EQ(platform.activeWindow(), dialog());
    EXPECT_TRUE(w("Edit2")->focused());
    platform.pressKey(VkEscape, 27);
  });
  quitAtTheEnd();
}

TEST_F(RegistrationEditorTest, SortMovesAndDeletesChangeTheRowsAndTheTablesTogether) {
  writeEntries({{"b", "1"}, {"表", "2"}, {"B", "3"}, {"a", "4"}, {"A", "5"}, {"a", "6"}});
  edit([&] {
    // Byte order, case-sensitive, ASCII before double-byte; equal names keep
    // their order.
    w("SortBtn")->click();
    const Entries sorted = {{"A", "5"}, {"B", "3"}, {"a", "4"},
                            {"a", "6"}, {"b", "1"}, {"表", "2"}};
    EXPECT_EQ(table(), sorted);
    EXPECT_EQ(rows(), rowsOf(sorted));
    EXPECT_EQ(w("List1")->itemIndex(), 0);

    w("UpBtn")->click();
    w("List1")->selectItem(5);
    w("DownBtn")->click();
    EXPECT_EQ(table(), sorted) << "up on the first row, down on the last";
    EXPECT_EQ(w("List1")->itemIndex(), 5);

    w("List1")->selectItem(2);
    w("UpBtn")->click();
    const Entries moved = {{"A", "5"}, {"a", "4"}, {"B", "3"}, {"a", "6"}, {"b", "1"}, {"表", "2"}};
    EXPECT_EQ(table(), moved);
    EXPECT_EQ(rows(), rowsOf(moved));
    EXPECT_EQ(w("List1")->itemIndex(), 1) << "the selection follows the entry";
    EXPECT_EQ(EntryNames[0], "a") << "slot 0 keeps the exchanged entry";

    // The last row: nothing moves, the freed slot is emptied, no row is
    // selected and the item buttons are off.
    w("List1")->selectItem(5);
    w("DeleteBtn")->click();
    EXPECT_EQ(table(), Entries(moved.begin(), moved.end() - 1));
    EXPECT_EQ(EntryNames[6], "");
    EXPECT_EQ(EntryCommands[6], "");
    EXPECT_EQ(rows(), rowsOf(table()));
    EXPECT_EQ(w("List1")->itemIndex(), -1);
    for (const char* name : {"PasteBtn", "DeleteBtn", "UpBtn", "DownBtn"}) {
      EXPECT_FALSE(w(name)->enabled()) << name;
    }
    EXPECT_TRUE(w("ExeBtn")->enabled());

    // A row in the middle: the later ones move up.
    w("List1")->selectItem(1);
    EXPECT_TRUE(w("DeleteBtn")->enabled());
    w("DeleteBtn")->click();
    const Entries left = {{"A", "5"}, {"B", "3"}, {"a", "6"}, {"b", "1"}};
    EXPECT_EQ(table(), left);
    EXPECT_EQ(EntryNames[5], "");
    EXPECT_EQ(rows(), rowsOf(left));
    for (int row : {0, 0, 0}) {
      w("List1")->selectItem(row);
      w("DeleteBtn")->click();
    }
    EXPECT_FALSE(w("SortBtn")->enabled()) << "one entry is nothing to sort";
    w("CloseBtn")->click();
  });
  quitAtTheEnd();
  EXPECT_EQ(read("Velmora.Lst"), "b\r\n1\r\n");
}

TEST_F(RegistrationEditorTest,
       TheFileComesFromADropOrTheOpenDialogAndEntriesAreCopiedRunExplained) {
  writeEntries({{"Memo", "notepad.exe|memo.txt"}, {"表計算", "C:\\ソフト表\\calc.exe"}});
  edit([&] {
    w("List1")->selectItem(1);
    w("PasteBtn")->click();
    EXPECT_EQ(w("Edit1")->text(), "表計算");
    EXPECT_EQ(w("Edit2")->text(), "C:\\ソフト表\\calc.exe");
    EXPECT_TRUE(w("AddBtn")->enabled());
    w("ClearBtn")->click();

    // Three files dropped while another program is active: the first path
    // only, into Edit2, and the dialog comes to the front.
    platform.activateOtherProgram();
    EXPECT_TRUE(dialog()->dropFiles({"C:\\one.exe", "C:\\two.exe", "C:\\three.exe"}));
    EXPECT_EQ(w("Edit2")->text(), "C:\\one.exe");
    EXPECT_EQ(w("Edit1")->text(), "");
    EXPECT_TRUE(w("Edit2")->focused());
    const auto drop =
        std::find(platform.calls().begin(), platform.calls().end(), "dropFiles 3 C:\\one.exe");
    EXPECT_NE(std::find(drop, platform.calls().end(),
                        "foreground " + std::string(RegistrationEditorCaption)),
              platform.calls().end());
    EXPECT_EQ(platform.activeWindow(), dialog());
    EXPECT_TRUE(w("ClearBtn")->enabled());
    EXPECT_FALSE(w("AddBtn")->enabled());

    // A double click copies too; then the browse button: a cancel keeps the
    // file, a choice replaces it.
    w("List1")->doubleClick(0);
    EXPECT_EQ(w("Edit1")->text(), "Memo");
    platform.then([&] {
      EXPECT_EQ(platform.fileDialog()->title, "Velmora2 ファイル名指定");
      platform.cancelFileDialog();
    });
    w("ReferBtn")->click();
    EXPECT_EQ(w("Edit2")->text(), "notepad.exe|memo.txt");
    platform.then([&] { platform.chooseFile("C:\\ツール\\表.exe"); });
    w("List1")->focus();
    w("ReferBtn")->click();
    EXPECT_EQ(w("Edit2")->text(), "C:\\ツール\\表.exe");
    EXPECT_TRUE(w("Edit2")->focused());

    // Run the selected entry: the dialog stays open.
    w("ExeBtn")->click();
    ASSERT_EQ(platform.shellCalls().size(), 1u);
    EXPECT_EQ(platform.shellCalls()[0].file, "notepad.exe");
    EXPECT_EQ(platform.shellCalls()[0].parameters, "memo.txt");
    EXPECT_NE(dialog(), nullptr);

    std::filesystem::create_directory(folder.file("help"));
    const std::string page =
        (std::filesystem::path(folder.file("help")) / "HID00000020.html").string();
    putFile(page, "<html></html>");
    w("Button1")->click();
    EXPECT_EQ(platform.shellCalls().back().file, page);
    w("CancelBtn")->click();
  });
  quitAtTheEnd();
}

TEST_F(RegistrationEditorTest, AnEmptyListOffersOnlyTheButtonsThatNeedNoRow) {
  edit([&] {
    EXPECT_TRUE(rows().empty());
    for (const char* name : {"SortBtn", "PasteBtn", "DeleteBtn", "UpBtn", "DownBtn"}) {
      EXPECT_FALSE(w(name)->enabled()) << name;
    }
    EXPECT_TRUE(w("ExeBtn")->click());
    EXPECT_TRUE(platform.shellCalls().empty());
    for (const char* name : {"Memo", "Calc"}) {
      typeInto("Edit1", name);
      typeInto("Edit2", "x.exe");
      w("AddBtn")->click();
      EXPECT_EQ(w("List1")->itemIndex(), -1) << "an added row is not selected";
    }
    EXPECT_EQ(rows(), (std::vector<std::string>{"Memo : x.exe", "Calc : x.exe"}));
    EXPECT_TRUE(w("SortBtn")->enabled());
    w("CloseBtn")->click();
  });
  quitAtTheEnd();
}

TEST_F(RegistrationEditorTest, TheProgramEndingInsideTheEditorRestoresNothingAndWritesTheEdits) {
  writeEntries({{"a", "a.exe"}, {"quit", "VELMORA_EXIT"}});
  edit(
      [&] {
        w("DeleteBtn")->click();
        w("List1")->selectItem(0);
        platform.then([&] { answer("確認", "OK"); });
        w("ExeBtn")->click();
      },
      [&] {
        EXPECT_EQ(table(), (Entries{{"quit", "VELMORA_EXIT"}}));
      });
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(read("Velmora.Lst"), "quit\r\nVELMORA_EXIT\r\n");
}

TEST_F(RegistrationEditorTest, TheSessionEndingInsideTheEditorWritesTheEdits) {
  // The session end frees the editor with its owner while its modal loop
  // runs; the way out of that loop must not touch the freed form.
  writeEntries({{"a", "a.exe"}, {"b", "b.exe"}});
  edit([&] {
    w("DeleteBtn")->click();
    platform.endSession();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(read("Velmora.Lst"), "b\r\nb.exe\r\n");
}

}  // namespace
}  // namespace velmora
