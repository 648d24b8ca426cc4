// Start-up: the single-instance guard, the application object and the
// launcher window; after the loop, the exit order.
#include "app/Startup.h"
#include "ui/Application.h"

#include "app/LnchMain.h"
#include "core/Entries.h"
#include "core/HotKeys.h"

namespace velmora {

int Velmora(platform::Platform& platform) {
  // Before anything can load a library: one planted beside the program (in a
  // downloads folder, say) must never be taken for the system's.
  platform.restrictLibrarySearch();
  // Creating the mutex and learning that it existed is one step, so two
  // instances started at the same moment cannot both run. The handle stays
  // open until the process ends.
  const platform::NamedMutex mutex = platform.createNamedMutex(ApplicationTitle);
  if (mutex.result == platform::MutexResult::AlreadyExists) return 0;
  {
    ui::TApplication application(platform);
    try {
      application.Initialize();
      application.SetTitle(ApplicationTitle);
      TForm1* form = application.CreateForm<TForm1>();
      // On Windows the windows still report losing activation while the exit
      // order destroys them, after the application has let go of this form.
      application.OnDeactivate = [&application, form](ui::TComponent*) {
        if (application.MainForm() == form) form->FormDeactivate(form);
      };
      application.ShowMainForm = false;
      // From here on a refused icon is the shell's answer, not its slowness
      // at logon; tries of an add refused until now go on.
      form->TaskTray1->SetStartingUp(false);
      application.Run();
    } catch (const std::exception& error) {
      application.ShowException(error);
    }
    application.Shutdown();
  }
  ClearEntries();
  ClearHotKeys();
  ExeDir = {};
  return 0;
}

}  // namespace velmora
