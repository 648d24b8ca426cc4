// The message dialog: our own small modal box, so that its captions and
// buttons read the same on every Windows, whatever the system's language.
#pragma once

#include "platform/Platform.h"
#include "ui/Forms.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora::ui {

enum class TMsgDlgType { mtError, mtInformation, mtConfirmation };

enum TMsgDlgBtn : unsigned { mbOK = 1, mbCancel = 2 };

inline constexpr std::string_view ErrorCaption = "ｴﾗｰ";
inline constexpr std::string_view InformationCaption = "情報";
inline constexpr std::string_view ConfirmationCaption = "確認";
inline constexpr std::string_view OkButtonCaption = "OK";
inline constexpr std::string_view CancelButtonCaption = "ｷｬﾝｾﾙ";

// The box: an icon on the left, the text beside it, the buttons centred
// below; OK is the default button (Enter), and Esc presses Cancel, or OK when
// it stands alone.
class TMessageForm : public TForm {
 public:
  TMessageForm(TComponent* owner, std::string_view caption, std::string_view text,
               platform::SystemIcon icon, unsigned buttons);

  TLabel* Message = nullptr;
  TImage* Image = nullptr;
  std::vector<TButton*> Buttons;
};

// Shows the box modally; mrOk, or mrCancel for Cancel, Esc or the close box.
int MessageBoxDialog(std::string_view caption, std::string_view text, platform::SystemIcon icon,
                     unsigned buttons);

// The message dialog of the given type: error ("ｴﾗｰ", error icon),
// information ("情報") or confirmation ("確認", question icon).
int MessageDlg(std::string_view text, TMsgDlgType type, unsigned buttons);

// The error boxes for texts that code page 932 cannot hold, so that nothing
// is stored changed: a file's path (with "?" for what the code page has no
// place for), and a text typed in a box, `what` naming the box ("登録名").
inline constexpr std::string_view UnheldFileMessage =
    "このファイルの名前には、保存できない文字が含まれています.";
inline constexpr std::string_view UnheldTextMessage = "に、保存できない文字が含まれています.";
void ShowUnheldFile(std::string_view path);
void ShowUnheldText(std::string_view what, std::string_view text);

enum TOpenOption : unsigned { ofHideReadOnly = 1, ofPathMustExist = 2, ofFileMustExist = 4 };

// The system's open-file dialog. One object serves many uses: the file
// chosen last is the name it starts with the next time.
class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* owner);

  std::string Title;
  // Rows of a name and its patterns, all separated by "|":
  // "実行ファイル|*.exe;*.com|すべてのファイル|*.*".
  std::string Filter;
  int FilterIndex = 1;
  std::string InitialDir;
  // The chosen file's full path after Execute.
  std::string FileName;
  unsigned Options = 0;

  // Shows the dialog modally; true when the user chose a file. A file whose
  // path the program cannot hold (nor its short name) is refused with the
  // error box, and FileName stays as it was.
  bool Execute();
  bool Executing() const { return executing_; }

 private:
  bool executing_ = false;
};

// The rows of a filter string; "|" inside a double-byte character is no
// separator, and a name without patterns ends the list.
std::vector<platform::FileFilter> ParseFilter(std::string_view filter);

}  // namespace velmora::ui
