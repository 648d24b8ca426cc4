// Making a control from its declaration: owned by the parent's form, placed
// on the parent, with the form's font unless it has its own.
#include "ui/Declare.h"

namespace velmora::ui {

namespace {

template <typename Control>
Control* place(TWinControl* parent, std::string_view name, const platform::Rect& bounds) {
  TComponent* owner = parent->ParentForm() != nullptr ? parent->ParentForm() : parent;
  auto* control = new Control(owner);
  control->SetName(name);
  control->SetFont(parent->Font());
  control->SetBounds(bounds.left, bounds.top, bounds.width, bounds.height);
  return control;
}

}  // namespace

TButton* AddButton(TWinControl* parent, const ButtonSpec& spec) {
  auto* button = place<TButton>(parent, spec.name, spec.bounds);
  button->SetCaption(spec.caption);
  button->TabOrder = spec.tabOrder;
  button->Cancel = spec.isCancel;
  button->ModalResult = spec.modalResult;
  button->SetEnabled(spec.enabled);
  button->SetHint(spec.hint);
  button->OnClick = spec.onClick;
  button->SetParent(parent);
  button->SetDefault(spec.isDefault);
  return button;
}

TSpeedButton* AddSpeedButton(TWinControl* parent, const SpeedButtonSpec& spec) {
  auto* button = place<TSpeedButton>(parent, spec.name, spec.bounds);
  button->Glyph = spec.glyph;
  button->Tag = spec.tag;
  button->SetEnabled(spec.enabled);
  button->SetHint(spec.hint);
  button->OnClick = spec.onClick;
  button->SetParent(parent);
  return button;
}

TLabel* AddLabel(TWinControl* parent, const LabelSpec& spec) {
  auto* label = place<TLabel>(parent, spec.name, spec.bounds);
  // A declared label fits its text, as a designer's label does.
  label->AutoSize = true;
  label->SetCaption(spec.caption);
  label->SetParent(parent);
  return label;
}

TEdit* AddEdit(TWinControl* parent, const EditSpec& spec) {
  auto* edit = place<TEdit>(parent, spec.name, spec.bounds);
  edit->TabOrder = spec.tabOrder;
  edit->SetHint(spec.hint);
  if (spec.fontHeight) {
    TFont font = parent->Font();
    font.SetHeight(*spec.fontHeight);
    edit->SetFont(font);
  }
  edit->CaptureAccessKeys = spec.captureAccessKeys;
  edit->OnChange = spec.onChange;
  edit->OnKeyDown = spec.onKeyDown;
  edit->OnKeyPress = spec.onKeyPress;
  edit->OnEnter = spec.onEnter;
  edit->OnExit = spec.onExit;
  edit->SetParent(parent);
  return edit;
}

TComboBox* AddComboBox(TWinControl* parent, const ComboBoxSpec& spec) {
  auto* combo = place<TComboBox>(parent, spec.name, spec.bounds);
  combo->TabOrder = spec.tabOrder;
  combo->ItemHeight = spec.itemHeight;
  combo->DropDownCount = spec.dropDownCount;
  combo->SetHint(spec.hint);
  combo->OnChange = spec.onChange;
  combo->OnTextAdded = spec.onTextAdded;
  combo->OnDropDown = spec.onDropDown;
  combo->OnDblClick = spec.onDblClick;
  combo->SetParent(parent);
  return combo;
}

TListBox* AddListBox(TWinControl* parent, const ListBoxSpec& spec) {
  auto* list = place<TListBox>(parent, spec.name, spec.bounds);
  list->TabOrder = spec.tabOrder;
  list->ItemHeight = spec.itemHeight;
  list->SetHint(spec.hint);
  list->OnClick = spec.onClick;
  list->OnDblClick = spec.onDblClick;
  list->SetParent(parent);
  return list;
}

}  // namespace velmora::ui
