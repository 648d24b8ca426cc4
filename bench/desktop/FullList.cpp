// The desktop benchmark's full list, from word lists and a fixed seed.
#include "bench/desktop/FullList.h"

#include <cstdint>
#include <set>

namespace velmora::bench {

namespace {

// Names as people give them to the programs they start. Some hold the trail
// bytes 0x5C (ソ, 表) and 0x7C (ポ) that byte-wise code gets wrong.
constexpr std::string_view JapaneseWords[] = {
    "メモ",     "電卓",       "表計算",       "年賀状",         "住所録",       "家計簿",
    "写真整理", "画像編集",   "動画変換",     "音楽",           "日報",         "週報",
    "売上集計", "請求書",     "見積書",       "議事録",         "設定",         "バックアップ",
    "ソフト",   "ツール",     "予定表",       "地図",           "辞書",         "翻訳",
    "圧縮",     "印刷",       "ファイル管理", "メール",         "開発環境",     "会議室予約",
    "資料",     "報告書",     "顧客台帳",     "在庫",           "勤怠",         "経費精算",
    "ポイント", "ソース",     "表示切替",     "端末",           "検索",         "日記",
    "時計",     "カレンダー", "ゲーム",       "画面キャプチャ", "ダウンロード", "共有フォルダ",
    "給与明細", "アルバム"};
constexpr std::string_view AsciiWords[] = {
    "Excel", "Word", "vim",    "Git",    "Bash",  "memo", "Photo", "Mail", "Term", "Calc",
    "2024",  "v2",   "backup", "sync",   "log",   "edit", "tools", "DB",   "ssh",  "web",
    "PDF",   "Zoom", "Slack",  "Python", "notes", "todo", "FTP",   "CAD",  "OCR",  "VPN"};
constexpr std::string_view Separators[] = {" ", " ", "", "_", "-"};

// Command lines: a program in a folder and its parameters; no ポ, whose
// trail byte is the separator's code.
constexpr std::string_view Folders[] = {
    "C:\\Program Files\\", "C:\\Program Files (x86)\\",
    "D:\\ツール\\",        "C:\\Users\\yamada\\AppData\\Local\\",
    "E:\\表計算\\",        "\\\\fileserver\\共有\\"};
constexpr std::string_view Vendors[] = {"Office\\", "Vendor\\", "Tools\\", "Editor\\", "写真\\",
                                        "ソフト\\", "表示\\",   "会計\\",  "Utility\\"};
constexpr std::string_view Programs[] = {"app.exe",   "editor.exe", "viewer.exe", "launch.bat",
                                         "start.cmd", "setup.exe",  "tool.exe",   "run.exe"};
constexpr std::string_view Options[] = {"-n",
                                        "/open",
                                        "--profile=default",
                                        "--lang=ja",
                                        "/min",
                                        "-r \"D:\\資料\\2024\\売上集計.xlsx\"",
                                        "--config \"C:\\設定\\user.ini\"",
                                        "/p",
                                        "-w 800",
                                        "--safe-mode",
                                        "/log:D:\\log\\今日.txt",
                                        "--window=right"};
constexpr std::string_view ShortOptions[] = {"-n", "/p", "/min", "-v"};

// splitmix64: the same numbers on every machine and compiler.
class Numbers {
 public:
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::size_t below(std::size_t count) { return static_cast<std::size_t>(next() % count); }
  template <typename T, std::size_t N>
  const T& pick(const T (&items)[N]) {
    return items[below(N)];
  }

 private:
  std::uint64_t state_ = 21;
};

bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The first `characters` characters of `text`.
std::string firstCharacters(const std::string& text, std::size_t characters) {
  std::size_t at = 0;
  for (std::size_t n = 0; n < characters && at < text.size(); ++n) {
    at += isLead(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
  }
  return text.substr(0, at);
}

std::string foldedAscii(std::string text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isLead(static_cast<unsigned char>(text[i]))) {
      ++i;
    } else if (text[i] >= 'a' && text[i] <= 'z') {
      text[i] = static_cast<char>(text[i] - 'a' + 'A');
    }
  }
  return text;
}

// Whole words up to about the length drawn, at most 20 characters.
std::string name(Numbers& numbers) {
  const std::size_t length = 3 + numbers.below(18);
  // Mostly Japanese, some ASCII alone, many of both.
  const std::size_t kind = numbers.below(4);
  const std::string_view separator = numbers.pick(Separators);
  std::string text;
  while (characterCount(text) < length) {
    if (!text.empty()) text += separator;
    const bool japanese = kind == 0 || (kind != 1 && numbers.below(2) == 0);
    text += japanese ? numbers.pick(JapaneseWords) : numbers.pick(AsciiWords);
  }
  text = firstCharacters(text, 20);
  // A name cut after a separator does not end in it.
  const std::string last = text.substr(firstCharacters(text, characterCount(text) - 1).size());
  if (last == " " || last == "_" || last == "-") text.back() = '2';
  return text;
}

std::string command(Numbers& numbers) {
  const std::size_t length = 90 + numbers.below(21);
  std::string text(numbers.pick(Folders));
  text += numbers.pick(Vendors);
  text += numbers.pick(Programs);
  text += '|';
  text += numbers.pick(Options);
  // Short options where a long one would go well past the length.
  while (text.size() < length) {
    std::string_view option = numbers.pick(Options);
    if (text.size() + 1 + option.size() > length + 10) option = numbers.pick(ShortOptions);
    text += ' ';
    text += option;
  }
  return text;
}

}  // namespace

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) {
    i += isLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
  }
  return count;
}

std::vector<ListEntry> fullListEntries(const std::string& witnessCommand) {
  Numbers numbers;
  std::vector<ListEntry> entries;
  std::set<std::string> taken{foldedAscii(std::string(WitnessName))};
  while (entries.size() < FullListSize - 1) {
    std::string candidate = name(numbers);
    // Names differ, as the user keeps them apart.
    if (!taken.insert(foldedAscii(candidate)).second) continue;
    entries.push_back({std::move(candidate), command(numbers)});
  }
  entries.push_back({std::string(WitnessName), witnessCommand});
  return entries;
}

std::string listFileBytes(const std::vector<ListEntry>& entries) {
  std::string bytes;
  for (const ListEntry& entry : entries) bytes += entry.name + "\r\n" + entry.command + "\r\n";
  return bytes;
}

}  // namespace velmora::bench
