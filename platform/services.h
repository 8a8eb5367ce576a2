#pragma once
// The operating-system services the portable code is given. The program
// installs the real ones at start; tests install doubles.
#include "platform/app.h"
#include "platform/background.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/forms.h"
#include "platform/hash.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/texts.h"
#include "platform/version.h"
#include "platform/windows.h"
#include "platform/wow64.h"

namespace platform {

struct Services {
  Registry* registry = nullptr;
  FileSystem* files = nullptr;
  SystemFolders* folders = nullptr;
  VersionInfo* versions = nullptr;
  Shell* shell = nullptr;
  MessageBoxes* messageBoxes = nullptr;
  SystemMessages* messages = nullptr;
  AppInfo* app = nullptr;
  Clock* clock = nullptr;
  CodePage* codePage = nullptr;
  Windows* windows = nullptr;
  FormHost* forms = nullptr;
  Clipboard* clipboard = nullptr;
  Wow64* wow64 = nullptr;  // none: no 64-bit side to look at
  FileHasher* hasher = nullptr;
  // None: work that may block runs where it is asked for (a console tool
  // has no window to keep answering).
  Background* background = nullptr;
  // None: every text in English.
  Catalogue* texts = nullptr;
};

// The installed services. Every member is set while the program runs.
const Services& Os();
void Install(const Services& services);

// Runs `work` on the installed Background when it `mayBlock` (the window
// keeps answering meanwhile), here otherwise. False when given up because
// `wanted` said no; `work` must then own what it touches.
bool RunAwayFromTheWindow(bool mayBlock, std::function<void()> work,
                          const std::function<bool()>& wanted);

}  // namespace platform
