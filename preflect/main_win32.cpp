// Preflect's entry: the real services, then the start-up sequence; the
// program then lives as long as any of its forms is loaded.
#include "checkwindow/frmDialog.h"
#include "platform/win32/forms_win32.h"
#include "platform/win32/win32.h"
#include "requirements/progress.h"
#include "startup/modMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::win32::HardenProcess();
  platform::win32::InstallServices();
  platform::win32::InstallCatalogue();
  // The requirements search moves the progress dialog's bar.
  modCheck::SetProgressTarget(&DialogProgress());
  if (const int failed = modMain::Run()) return failed;
  return platform::win32::EndProgram(platform::win32::RunMessageLoop());
}
