#include "platform/win32/forms_win32.h"
#include "platform/win32/services_win32.h"

namespace platform::win32 {

void InstallServices() {
  static WinRegistry registry;
  static WinFileSystem files;
  static WinFolders folders;
  static WinVersions versions;
  static WinShell shell;
  static WinMessageBoxes boxes;
  static WinSystemMessages messages;
  static WinApp app;
  static WinClock clock;
  static WinCodePage codePage;
  static WinWindows windows;
  static WinFormHost forms;
  static WinClipboard clipboard;
  static WinWow64 wow64;
  static WinHasher hasher;
  static WinBackground background;
  Services s;
  s.registry = &registry;
  s.files = &files;
  s.folders = &folders;
  s.versions = &versions;
  s.shell = &shell;
  s.messageBoxes = &boxes;
  s.messages = &messages;
  s.app = &app;
  s.clock = &clock;
  s.codePage = &codePage;
  s.windows = &windows;
  s.forms = &forms;
  s.clipboard = &clipboard;
  s.wow64 = &wow64;
  s.hasher = &hasher;
  s.background = &background;
  Install(s);
}

void InstallCatalogue() {
  static WinCatalogue catalogue;
  Services s = Os();
  s.texts = &catalogue;
  Install(s);
}

}  // namespace platform::win32
