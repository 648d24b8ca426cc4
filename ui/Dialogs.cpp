// The message dialog, laid out from the measured text like a system message
// box: margins of 12 pixels, a 32-pixel icon, buttons of 75 x 23, all in
// designed units that the form draws at its DPI.
#include "ui/Dialogs.h"
#include "ui/Application.h"

#include "core/Text.h"

#include <algorithm>
#include <optional>

namespace velmora::ui {

namespace {

constexpr int Margin = 12;
constexpr int IconSize = 32;
constexpr int IconGap = 12;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 23;
constexpr int ButtonGap = 8;
constexpr int TextToButtons = 16;
constexpr int MinTextWidth = 120;

}  // namespace

TMessageForm::TMessageForm(TComponent* owner, std::string_view caption, std::string_view text,
                           platform::SystemIcon icon, unsigned buttons)
    : TForm(owner, "TMessageForm") {
  SetCaption(caption);
  SetBorderStyle(TFormBorderStyle::bsDialog);
  Position = TPosition::poScreenCenter;
  if ((buttons & (mbOK | mbCancel)) == 0) buttons = mbOK;

  // Measured as the box will draw it, at the DPI it is made at.
  const platform::Size screen = Application->Platform().screenSize();
  const int maxTextWidth = std::max(MinTextWidth, Units(screen.width) / 2);
  const platform::Size measured = MeasureText(font_, text, maxTextWidth);

  int textLeft = Margin;
  int top = Margin;
  int contentHeight = measured.height;
  if (icon != platform::SystemIcon::None) {
    Image = new TImage(this, icon);
    Image->SetName("Image");
    Image->SetBounds(Margin, Margin, IconSize, IconSize);
    Image->SetParent(this);
    textLeft += IconSize + IconGap;
    contentHeight = std::max(contentHeight, IconSize);
    // A short text stands level with the middle of the icon.
    if (measured.height < IconSize) top += (IconSize - measured.height) / 2;
  }
  Message = new TLabel(this);
  Message->SetName("Message");
  Message->SetCaption(text);
  Message->SetBounds(textLeft, top, measured.width, measured.height);
  Message->SetParent(this);

  struct Choice {
    TMsgDlgBtn button;
    std::string_view caption;
    int result;
  };
  const Choice choices[] = {{mbOK, OkButtonCaption, mrOk},
                            {mbCancel, CancelButtonCaption, mrCancel}};
  for (const Choice& choice : choices) {
    if ((buttons & choice.button) == 0) continue;
    auto* button = new TButton(this);
    button->SetName(choice.button == mbOK ? "OK" : "Cancel");
    button->SetCaption(choice.caption);
    button->ModalResult = choice.result;
    button->TabOrder = static_cast<int>(Buttons.size());
    Buttons.push_back(button);
  }
  // OK is the default; Esc goes to Cancel, or to OK when it stands alone.
  Buttons.front()->SetDefault(true);
  Buttons.back()->Cancel = true;

  const int buttonsWidth = static_cast<int>(Buttons.size()) * ButtonWidth +
                           (static_cast<int>(Buttons.size()) - 1) * ButtonGap;
  const int clientWidth = std::max(textLeft + measured.width + Margin, buttonsWidth + 2 * Margin);
  const int buttonTop = Margin + contentHeight + TextToButtons;
  int left = (clientWidth - buttonsWidth) / 2;
  for (TButton* button : Buttons) {
    button->SetBounds(left, buttonTop, ButtonWidth, ButtonHeight);
    button->SetParent(this);
    left += ButtonWidth + ButtonGap;
  }
  SetClientSize(clientWidth, buttonTop + ButtonHeight + Margin);
  SetActiveControl(Buttons.front());
}

int MessageBoxDialog(std::string_view caption, std::string_view text, platform::SystemIcon icon,
                     unsigned buttons) {
  if (Application == nullptr) return mrCancel;
  Owned<TMessageForm> form(TForm::Create<TMessageForm>(nullptr, caption, text, icon, buttons));
  Application->Platform().messageBeep(icon);
  return form->ShowModal();
}

int MessageDlg(std::string_view text, TMsgDlgType type, unsigned buttons) {
  switch (type) {
    case TMsgDlgType::mtError:
      return MessageBoxDialog(ErrorCaption, text, platform::SystemIcon::Error, buttons);
    case TMsgDlgType::mtInformation:
      return MessageBoxDialog(InformationCaption, text, platform::SystemIcon::Information, buttons);
    case TMsgDlgType::mtConfirmation:
      return MessageBoxDialog(ConfirmationCaption, text, platform::SystemIcon::Question, buttons);
  }
  return mrCancel;
}

void ShowUnheldFile(std::string_view path) {
  MessageDlg(std::string(UnheldFileMessage) + "\r" + std::string(path), TMsgDlgType::mtError, mbOK);
}

void ShowUnheldText(std::string_view what, std::string_view text) {
  MessageDlg(std::string(what) + std::string(UnheldTextMessage) + "\r" + std::string(text),
             TMsgDlgType::mtError, mbOK);
}

std::vector<platform::FileFilter> ParseFilter(std::string_view filter) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = text::findChar(filter, '|', start);
    parts.push_back(filter.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  std::vector<platform::FileFilter> rows;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    rows.push_back({std::string(parts[i]), std::string(parts[i + 1])});
  }
  return rows;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

bool TOpenDialog::Execute() {
  if (Application == nullptr || executing_) return false;
  platform::OpenFileParams params;
  TForm* owner = Application->ActiveForm();
  if (owner == nullptr) owner = Application->MainForm();
  params.owner = owner != nullptr ? owner->Handle() : 0;
  params.title = Title;
  params.filters = ParseFilter(Filter);
  params.filterIndex = FilterIndex;
  params.initialDir = InitialDir;
  params.fileName = FileName;
  params.hideReadOnly = (Options & ofHideReadOnly) != 0;
  params.pathMustExist = (Options & ofPathMustExist) != 0;
  params.fileMustExist = (Options & ofFileMustExist) != 0;
  executing_ = true;
  std::optional<platform::SystemText> chosen;
  try {
    chosen = Application->Platform().openFileDialog(params);
  } catch (...) {
    executing_ = false;
    throw;
  }
  executing_ = false;
  if (!chosen) return false;
  if (!chosen->held) {
    ShowUnheldFile(chosen->text);
    return false;
  }
  FileName = chosen->text;
  return true;
}

}  // namespace velmora::ui
