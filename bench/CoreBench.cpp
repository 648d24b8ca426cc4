// How long the core's file work takes at the sizes the program meets: a full
// list of 250 entries, the 42 reads of a settings load (key by key, and from
// one snapshot as the start reads them now), the exit's save of the settings
// and the list, once with a replace of the settings file per key as the
// program used to write it and once with the replace per save it makes now;
// and the registration editor's work on all 250 entries (its list rebuilt,
// sorted, and the copy put back by Cancel), on the fake platform.
// Usage: core_bench <folder for the data files> [benchmark flags].
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/Entries.h"
#include "ui/Application.h"
#include "core/HotKeys.h"
#include "core/Registrations.h"
#include "core/SettingsFile.h"
#include "dialogs/LnchDilg.h"
#include "platform/fake/FakePlatform.h"

namespace velmora {
namespace {

std::string dataFolder = ".";

files::Path listPath() { return dataFolder + "/Velmora.Lst"; }
files::Path settingsPath() { return dataFolder + "/Velmora.ini"; }

// 250 entries with names and command lines of a realistic length, half of
// them Japanese.
void fillEntries() {
  ClearEntries();
  for (int i = 1; i <= MaxEntries; ++i) {
    const std::string number = std::to_string(i);
    AppendEntry((i % 2 ? "Tool " : "ツール") + number,
                "C:\\Program Files\\Tools\\表計算\\tool" + number +
                    ".exe|-open \"C:\\Users\\me\\文書" + number + ".txt\"");
  }
}

void fillHotKeys() {
  ClearHotKeys();
  HotKeys[0] = {123, 0, ""};
  for (std::size_t i = 1; i < HotKeys.size(); ++i) {
    HotKeys[i] = {static_cast<std::uint16_t>(0x40 + i), 3,
                  "C:\\Tools\\tool" + std::to_string(i) + ".exe|-x"};
  }
}

void LoadList250(benchmark::State& state) {
  fillEntries();
  if (!SaveEntryListTo(listPath())) state.SkipWithError("cannot write the list file");
  for (auto _ : state) {
    LoadEntryListFrom(listPath());
    benchmark::DoNotOptimize(EntryCount);
  }
  if (EntryCount != MaxEntries) state.SkipWithError("the list did not load whole");
}
BENCHMARK(LoadList250);

void SaveList250(benchmark::State& state) {
  fillEntries();
  for (auto _ : state) {
    if (!SaveEntryListTo(listPath())) state.SkipWithError("cannot write the list file");
  }
}
BENCHMARK(SaveList250);

void FindEntryLast(benchmark::State& state) {
  fillEntries();
  const std::string wanted = "ツール250";
  for (auto _ : state) benchmark::DoNotOptimize(FindEntry(wanted));
  if (FindEntry(wanted) != MaxEntries) state.SkipWithError("the last entry was not found");
}
BENCHMARK(FindEntryLast);

void FindEntryMissing(benchmark::State& state) {
  fillEntries();
  const std::string wanted = "tool 9999";
  for (auto _ : state) benchmark::DoNotOptimize(FindEntry(wanted));
  if (FindEntry(wanted) != 0) state.SkipWithError("a missing name was found");
}
BENCHMARK(FindEntryMissing);

// The 10 writes of the window's settings, in the program's order.
void writeWindowSettings(SettingsWriter& settings) {
  settings.WriteFlag("Option", "QuickStart", true);
  settings.WriteFlag("Option", "BlankEnter", true);
  settings.WriteFlag("Option", "StayTop", true);
  settings.WriteFlag("Option", "HotKeyValid", true);
  settings.WriteNumber("Window", "Left", 500);
  settings.WriteNumber("Window", "Top", 340);
  settings.WriteNumber("Window", "Width", 100);
  settings.WriteText("Window", "Color", colorText(0xC0C0C0));
  settings.WriteText("Font", "Name", "ＭＳ Ｐゴシック");
  settings.WriteNumber("Font", "Size", 10);
}

// The 42 keys, each written to the file on its own.
void saveAllSettings() {
  SettingsFile settings(settingsPath());
  writeWindowSettings(settings);
  SaveHotKeys(settings);
}

template <typename Reader>
std::int64_t loadAllSettings() {
  const Reader settings(settingsPath());
  std::int64_t sum = settings.ReadFlag("Option", "QuickStart", true);
  sum += settings.ReadFlag("Option", "BlankEnter", true);
  sum += settings.ReadFlag("Option", "StayTop", true);
  sum += settings.ReadFlag("Option", "HotKeyValid", true);
  sum += settings.ReadNumber("Window", "Left", 500);
  sum += settings.ReadNumber("Window", "Top", 340);
  sum += settings.ReadNumber("Window", "Color", 0xC0C0C0);
  sum += settings.ReadNumber("Window", "Width", 100);
  sum += static_cast<std::int64_t>(settings.ReadText("Font", "Name", "ＭＳ Ｐゴシック").size());
  sum += settings.ReadNumber("Font", "Size", 10);
  LoadHotKeys(settings);
  return sum;
}

constexpr int SettingsAccesses = 42;

// The 42 reads, each opening and decoding the file (SettingsFile), or all
// from one read of it (SettingsSnapshot, as the start reads them).
template <typename Reader>
void LoadSettings42Reads(benchmark::State& state) {
  fillHotKeys();
  std::remove(settingsPath().native().c_str());
  saveAllSettings();
  ClearHotKeys();
  for (auto _ : state) benchmark::DoNotOptimize(loadAllSettings<Reader>());
  if (HotKeys[15].VKey != 0x4F) state.SkipWithError("the hotkeys did not read back");
  state.counters["per_access"] =
      benchmark::Counter(SettingsAccesses, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}
BENCHMARK(LoadSettings42Reads<SettingsFile>)->Name("LoadSettings42Reads");
BENCHMARK(LoadSettings42Reads<SettingsSnapshot>)->Name("LoadSettings42ReadsSnapshot");

// The exit as the program used to save: 42 replaces of the settings file,
// then the list file.
void ExitSaveKeyByKey(benchmark::State& state) {
  fillHotKeys();
  fillEntries();
  std::remove(settingsPath().native().c_str());
  saveAllSettings();
  for (auto _ : state) {
    saveAllSettings();
    if (!SaveEntryListTo(listPath())) state.SkipWithError("cannot write the list file");
  }
}
BENCHMARK(ExitSaveKeyByKey);

// The exit as the program saves now: SaveSettings and the [Hotkey] half of
// SaveRegistrations each replace the settings file once, then the list file.
void ExitSaveOnePerSave(benchmark::State& state) {
  fillHotKeys();
  fillEntries();
  std::remove(settingsPath().native().c_str());
  saveAllSettings();
  for (auto _ : state) {
    SettingsUpdate settings(settingsPath());
    writeWindowSettings(settings);
    settings.Commit();
    if (!SaveRegistrationFiles(settingsPath(), listPath()).ok()) {
      state.SkipWithError("cannot write the files");
    }
  }
}
BENCHMARK(ExitSaveOnePerSave);

// The launcher as the editor sees it, doing nothing.
class QuietLauncher final : public TLauncherServices {
 public:
  ui::TOpenDialog& OpenFileDialog() override { return dialog_; }
  void LaunchCommand(std::string_view) override {}
  bool SaveRegistrations() override { return true; }
  void ShowHelpTopic(std::string_view) override {}

 private:
  ui::TOpenDialog dialog_{nullptr};
};

// The registration editor with its window on the fake platform and the 250
// entries of fillEntries.
class Editor {
 public:
  Editor() : form_(ui::TForm::Create<TForm2>(nullptr, launcher_)) {
    form_->HandleNeeded();
    fillEntries();
  }
  ~Editor() {
    ui::TComponent::Free(form_);
    ClearEntries();
  }
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;
  TForm2& operator*() const { return *form_; }
  TForm2* operator->() const { return form_; }

 private:
  platform::fake::FakeSystem system_;
  platform::fake::FakePlatform platform_{system_, "C:\\Tools\\Velmora2.exe"};
  ui::TApplication application_{platform_};
  QuietLauncher launcher_;
  TForm2* form_;
};

bool rowsShowTheTable(const TForm2& form) {
  if (form.List1->Count() != EntryCount) return false;
  for (int i = 1; i <= EntryCount; ++i) {
    const std::size_t slot = static_cast<std::size_t>(i);
    if (form.List1->Items()[slot - 1] != EntryNames[slot] + " : " + EntryCommands[slot]) {
      return false;
    }
  }
  return true;
}

// The list rebuilt from the tables: after every sort, and each time the
// dialog is shown.
void EditorRefresh250(benchmark::State& state) {
  Editor editor;
  for (auto _ : state) editor->RefreshList();
  if (!rowsShowTheTable(*editor)) state.SkipWithError("the rows do not show the table");
}
BENCHMARK(EditorRefresh250);

// Sorting by name, from the order that moves every entry (the names in
// reverse); the rows are rebuilt after it.
void EditorSort250Reversed(benchmark::State& state) {
  Editor editor;
  std::reverse(EntryNames.begin() + 1, EntryNames.begin() + 1 + EntryCount);
  std::reverse(EntryCommands.begin() + 1, EntryCommands.begin() + 1 + EntryCount);
  const auto reversedNames = EntryNames;
  const auto reversedCommands = EntryCommands;
  for (auto _ : state) {
    state.PauseTiming();
    EntryNames = reversedNames;
    EntryCommands = reversedCommands;
    state.ResumeTiming();
    editor->SortBtnClick(&*editor);
  }
  if (!std::is_sorted(EntryNames.begin() + 1, EntryNames.begin() + 1 + EntryCount) ||
      !rowsShowTheTable(*editor)) {
    state.SkipWithError("the entries were not sorted");
  }
}
BENCHMARK(EditorSort250Reversed);

// Cancel after a sort: the copy taken when the dialog was shown goes back
// into the tables.
void EditorCancel250(benchmark::State& state) {
  Editor editor;
  const auto namesBefore = EntryNames;
  for (auto _ : state) {
    state.PauseTiming();
    editor->FormShow(&*editor);
    editor->SortBtnClick(&*editor);
    editor->ModalResult = ui::mrCancel;
    state.ResumeTiming();
    editor->FormClose(&*editor);
  }
  if (EntryNames != namesBefore || EntryCount != MaxEntries) {
    state.SkipWithError("Cancel did not put the entries back");
  }
}
BENCHMARK(EditorCancel250);

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
  if (argc > 1 && argv[1][0] != '-') {
    velmora::dataFolder = argv[1];
    argv[1] = argv[0];  // the folder is ours, the rest is the benchmark's
    --argc;
    ++argv;
  }
  std::printf("data files in %s\n", velmora::dataFolder.c_str());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
