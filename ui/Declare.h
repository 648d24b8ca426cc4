// A window's controls declared one statement each, the way a table of
// controls reads: name, caption, bounds, tab order, roles, hint, handlers.
//   CloseBtn = ui::AddButton(this, {.name = "CloseBtn", .caption = "&Ok",
//                                   .bounds = {550, 4, 67, 25}, .tabOrder = 10,
//                                   .isDefault = true, .modalResult = ui::mrOk});
#pragma once

#include "platform/Platform.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

#include <optional>
#include <string_view>

namespace velmora::ui {

// A handler method of a form bound to the form, for any event's arguments:
//   .onClick = ui::Handler(this, &TForm2::AddBtnClick)
template <typename Form, typename Method>
auto Handler(Form* form, Method method) {
  return [form, method](auto&&... args) { (form->*method)(std::forward<decltype(args)>(args)...); };
}

struct ButtonSpec {
  std::string_view name{};
  std::string_view caption{};
  platform::Rect bounds{};
  int tabOrder = 0;
  bool isDefault = false;
  bool isCancel = false;
  int modalResult = mrNone;
  bool enabled = true;
  std::string_view hint{};
  TNotifyEvent onClick{};
};
TButton* AddButton(TWinControl* parent, const ButtonSpec& spec);

struct SpeedButtonSpec {
  std::string_view name{};
  platform::Rect bounds{};
  int glyph = 0;  // bitmap resource
  int tag = 0;
  bool enabled = true;
  std::string_view hint{};
  TNotifyEvent onClick{};
};
TSpeedButton* AddSpeedButton(TWinControl* parent, const SpeedButtonSpec& spec);

// The label grows wider than its bounds when its text needs it.
struct LabelSpec {
  std::string_view name{};
  std::string_view caption{};
  platform::Rect bounds{};
};
TLabel* AddLabel(TWinControl* parent, const LabelSpec& spec);

struct EditSpec {
  std::string_view name{};
  platform::Rect bounds{};
  int tabOrder = 0;
  std::string_view hint{};
  // A font of its own, by character height in pixels; else the form's.
  std::optional<int> fontHeight{};
  // Alt and a letter are keys for this box, never a button's access key.
  bool captureAccessKeys = false;
  TNotifyEvent onChange{};
  TKeyEvent onKeyDown{};
  TKeyPressEvent onKeyPress{};
  TNotifyEvent onEnter{};
  TNotifyEvent onExit{};
};
TEdit* AddEdit(TWinControl* parent, const EditSpec& spec);

struct ComboBoxSpec {
  std::string_view name{};
  platform::Rect bounds{};
  int tabOrder = 0;
  int itemHeight = 0;
  int dropDownCount = 8;
  std::string_view hint{};
  TNotifyEvent onChange{};
  TNotifyEvent onTextAdded{};
  TNotifyEvent onDropDown{};
  TNotifyEvent onDblClick{};
};
TComboBox* AddComboBox(TWinControl* parent, const ComboBoxSpec& spec);

struct ListBoxSpec {
  std::string_view name{};
  platform::Rect bounds{};
  int tabOrder = 0;
  int itemHeight = 0;
  std::string_view hint{};
  TNotifyEvent onClick{};
  TNotifyEvent onDblClick{};
};
TListBox* AddListBox(TWinControl* parent, const ListBoxSpec& spec);

}  // namespace velmora::ui
