// What the two editor dialogs share: the launcher's services, the copy of the
// tables they edit in place, the file box that the browse button and a
// dropped file fill, and the help button.
#pragma once

#include "dialogs/LauncherServices.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class TEditorForm : public ui::TForm {
 public:
  // The program ends while the editor is open, so that no answer closes it:
  // the tables go back to the copy, as for any end other than OK.
  void DiscardUnconfirmedChanges();

  // Button1: the editor's help topic.
  void Button1Click(ui::TComponent* Sender);

 protected:
  TEditorForm(ui::TComponent* owner, std::string className, TLauncherServices& launcher,
              std::string_view helpTopic);

  TLauncherServices& launcher() const { return launcher_; }
  // The box that takes a chosen or dropped file.
  virtual ui::TEdit& FileBox() const = 0;
  // Every file chosen in the open-file dialog or dropped on the editor goes
  // into the file box through here, the one place for a rule on such files.
  // True when the file is in the box; the caller goes on only then.
  bool PutFileInBox(const std::string& path);
  // The browse button: the launcher's open-file dialog. True when a file was
  // chosen and is in the file box.
  bool BrowseForFile();

  // A table the editor changes in place, and the copy it goes back to.
  template <typename Table>
  void KeepCopyOf(Table& table, Table& copy) {
    copies_.push_back({[&table, &copy] { copy = table; }, [&table, &copy] { table = copy; }});
  }
  // At the showing: every table into its copy.
  void TakeCopy();
  // At the closing: with any result but OK the tables go back to the copy.
  void PutCopyBackUnlessOk();

 private:
  struct TableCopy {
    std::function<void()> take;
    std::function<void()> putBack;
  };

  void putCopyBack();

  TLauncherServices& launcher_;
  std::string helpTopic_;
  std::vector<TableCopy> copies_;
  // Shown and not closed yet: the tables may hold changes nobody confirmed.
  bool open_ = false;
};

}  // namespace velmora
