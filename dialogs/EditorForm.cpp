// The editors' shared work: their copy of the tables, the file box and the help.
#include "dialogs/EditorForm.h"

#include "ui/Dialogs.h"

#include <utility>

namespace velmora {

TEditorForm::TEditorForm(ui::TComponent* owner, std::string className, TLauncherServices& launcher,
                         std::string_view helpTopic)
    : ui::TForm(owner, std::move(className)), launcher_(launcher), helpTopic_(helpTopic) {}

void TEditorForm::TakeCopy() {
  for (const TableCopy& copy : copies_) copy.take();
  open_ = true;
}

void TEditorForm::PutCopyBackUnlessOk() {
  if (ModalResult != ui::mrOk) putCopyBack();
  open_ = false;
}

void TEditorForm::DiscardUnconfirmedChanges() {
  if (!open_) return;
  putCopyBack();
  open_ = false;
}

void TEditorForm::putCopyBack() {
  for (const TableCopy& copy : copies_) copy.putBack();
}

bool TEditorForm::PutFileInBox(const std::string& path) {
  FileBox().SetText(path);
  return true;
}

bool TEditorForm::BrowseForFile() {
  ui::TOpenDialog& dialog = launcher_.OpenFileDialog();
  return dialog.Execute() && PutFileInBox(dialog.FileName);
}

void TEditorForm::Button1Click(ui::TComponent*) { launcher_.ShowHelpTopic(helpTopic_); }

}  // namespace velmora
