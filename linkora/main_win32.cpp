// Linkora's entry: the real services, then its one question.
#include "platform/win32/win32.h"
#include "weblauncher/modLinkora.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::win32::HardenProcess();
  platform::win32::InstallServices();
  platform::win32::InstallCatalogue();
  modLinkora::Main();
  return 0;
}
