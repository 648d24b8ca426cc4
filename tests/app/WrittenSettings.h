// The settings file as the program writes it, for the tests on the fake
// platform and the end-to-end tests alike; code page 932 bytes are escapes,
// as the end-to-end driver's literals are UTF-8.
#pragma once

#include <string>

namespace velmora {

// "keyN=$00" and "appliN=" of each hotkey slot from `first` to the last.
inline std::string emptyHotKeySlots(int first) {
  std::string keys;
  for (int slot = first; slot < 16; ++slot) {
    keys += "key" + std::to_string(slot) + "=$00\r\nappli" + std::to_string(slot) + "=\r\n";
  }
  return keys;
}

// What the first exit writes when there was no settings file: every default,
// the font "ＭＳ Ｐゴシック" and F12 in slot 0.
inline std::string firstExitSettings() {
  return "[Option]\r\nQuickStart=1\r\nBlankEnter=1\r\nStayTop=1\r\nHotKeyValid=1\r\n"
         "[Window]\r\nLeft=500\r\nTop=340\r\nWidth=100\r\nColor=$C0C0C0\r\n"
         "[Font]\r\nName=\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\r\nSize="
         "10\r\n"
         "[Hotkey]\r\nkey0=$7B\r\nappli0=\r\n" +
         emptyHotKeySlots(1);
}

}  // namespace velmora
