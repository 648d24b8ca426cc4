// Driving the program's dialogs under Wine: opened from the tray icon's
// menu, their controls clicked and their hints read by component name.
#pragma once

#include "tests/e2e/E2eSupport.h"

#include <string>
#include <utility>
#include <vector>

namespace velmora::e2e {

// Items of the tray menu: Velmoraを開く, 登録内容の編集, ホットキーの編集.
inline constexpr int EditItem = 1;
inline constexpr int HotkeyItem = 2;

class DialogE2eTest : public ProgramE2eTest {
 protected:
  // A right click on the icon in the notification area. One within the
  // double-click time of the last one there is a right double click, which
  // shows the launcher instead of the menu.
  void rightClickTrayIcon() {
    const fs::path shot = folder_ / "tray.png";
    run({"import", "-window", "root", shot.string()}, Work, 20);
    const auto icon = findTrayIcon(shot);
    ASSERT_TRUE(icon.has_value()) << "no icon in the notification area";
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    clickAt(icon->first, icon->second, 3);
  }

  // Right click on the tray icon and a click on the item: the tray menu
  // takes no keys under Wine while the launcher is hidden (the keyboard
  // stays with the taskbar).
  void openFromTrayMenu(int item, const std::string& formClass) {
    rightClickTrayIcon();
    ASSERT_TRUE(waitWindow("#32768", true, 5000)) << "no tray menu";
    const auto menu = windowRect("#32768");
    ASSERT_TRUE(menu.has_value());
    // A one-pixel frame, then items 18 pixels high; the separators come later.
    const auto clicked = Clock::now();
    clickAt(menu->centreX(), menu->top + 1 + 18 * item + 9);
    ASSERT_TRUE(waitWindow(formClass, true, 5000)) << formClass << " did not open";
    report("menu click to " + formClass + " shown", secondsSince(clicked));
    waitUntil([&] { return foreground().rfind(formClass + " ", 0) == 0; });
  }

  static std::string foreground() { return probeOutput("foreground"); }

  // A message box of the program: its text once it shows.
  static std::string messageBox() {
    if (!waitWindow("TMessageForm", true, 5000)) return "<no box>";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return controlText("TMessageForm", "Message");
  }

  void click(const std::string& formClass, const std::string& name) {
    const auto c = control(formClass, name);
    ASSERT_TRUE(c.has_value()) << "no " << name;
    clickAt(c->rect.centreX(), c->rect.centreY());
  }

  // A click on row `row` of a list box with rows 13 pixels high inside its
  // two-pixel sunken edge.
  void clickRow(const std::string& formClass, const std::string& list, int row) {
    const auto c = control(formClass, list);
    ASSERT_TRUE(c.has_value()) << "no " << list;
    clickAt(c->rect.left + 40, c->rect.top + 2 + 13 * row + 6);
    EXPECT_TRUE(waitUntil([&] { return listRows(formClass, list).selected == row; }))
        << "row " << row << " was not selected";
  }

  // The pointer rests on the control until its tip shows; the tip's text.
  std::string hoverForTip(const std::string& formClass, const std::string& name) {
    run({"xdotool", "mousemove", "5", "5"}, Work, 10);
    const auto c = control(formClass, name);
    if (!c) return "<no " + name + ">";
    // Two moves inside the tool, then the pointer rests: a move while the
    // tip waits to show starts its wait again.
    const std::string x = std::to_string(c->rect.centreX()), y = std::to_string(c->rect.centreY());
    run({"xdotool", "mousemove", x, y}, Work, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    run({"xdotool", "mousemove", std::to_string(c->rect.centreX() + 1), y}, Work, 10);
    std::string tip;
    waitUntil([&] { return !(tip = probeOutput("tooltip-text")).empty(); }, 4);
    // Drawn, not only shown.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return tip;
  }

  // The form's controls as the probe sees them in its client area, for the
  // comparison with the table of controls.
  void printControls(const std::string& formClass) {
    std::cout << "  controls of " << formClass << " (name left top width height state text):\n";
    std::istringstream lines(probeOutput("controls '" + formClass + "'"));
    for (std::string line; std::getline(lines, line);) std::cout << "    " << line << "\n";
  }

  bool waitClosed(const std::string& formClass) {
    return waitUntil([&] { return !windowRect(formClass).has_value(); });
  }

  static std::vector<std::string> launcherNames() { return listRows("TForm1", "Combo1").rows; }
  static Rows editorRows() { return listRows("TForm2", "List1"); }
};

// The list file's lines for the entries.
inline std::string listFile(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string text;
  for (const auto& [name, command] : entries) text += name + "\r\n" + command + "\r\n";
  return text;
}

}  // namespace velmora::e2e
