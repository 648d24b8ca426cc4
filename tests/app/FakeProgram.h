// The fixture of the tests that run the whole program on the fake platform:
// a folder of its own for the program and its data files, the program's
// tables emptied before, and the run to its end.
#pragma once

#include "app/LnchMain.h"
#include "ui/Application.h"
#include "app/Startup.h"
#include "core/Entries.h"
#include "core/HotKeys.h"
#include "platform/fake/FakePlatform.h"
#include "tests/core/TempFolder.h"
#include "tests/ui/FakeApplication.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

namespace velmora {

class FakeProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearEntries();
    ClearHotKeys();
    ExeDir = {};
  }

  // Runs the program on `fake` until it ends; its exit code, also when the
  // system ended the process.
  static int run(platform::fake::FakePlatform& fake) {
    try {
      return Velmora(fake);
    } catch (const platform::fake::ProcessExit& exit) {
      return exit.code;
    }
  }
  int run() { return run(platform); }

  // The launcher window, while the program runs.
  static TForm1& form() { return *dynamic_cast<TForm1*>(ui::Application->MainForm()); }

  // The identifiers of the system hotkeys registered now, in order.
  std::vector<int> registeredIds() const {
    std::vector<int> ids;
    for (const auto& hotKey : platform.hotKeys()) ids.push_back(hotKey.id);
    std::sort(ids.begin(), ids.end());
    return ids;
  }

  void answer(std::string_view caption, std::string_view button) {
    answerBox(platform, caption, button);
  }

  TempFolder folder;
  platform::fake::FakeSystem system;
  platform::fake::FakePlatform platform{system, folder.file("Velmora2.exe")};
};

}  // namespace velmora
