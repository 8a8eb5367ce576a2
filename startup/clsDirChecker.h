#pragma once
// Tells the checker which folder to use: its own, the per-product data
// folder (created on demand), or the user's documents. Every folder it
// returns ends with a backslash. Holds no state between calls.
#include <cstdint>
#include <string>

#include "platform/folders.h"

class clsDirChecker {
 public:
  // sWhichPath is "App", "User" or "Program", compared exactly; anything
  // else returns "" and does nothing. Errors while creating folders pass
  // to the caller as platform::OsError, and so does a program or data
  // folder whose name the system cannot pass to the program.
  std::string GetPath(const std::string& sWhichPath, const std::string& sVendor,
                      const std::string& sAppName, const std::string& sMyDocSubFolder) const;
  // The documents folder as the desktop shows it, exactly as the system
  // gives it; "" when it gives none.
  std::string GetMyDocDir() const;

 private:
  std::string GetSpecialFolderPath(int nFolder, std::uint32_t dwFlags) const;
  static std::string TrimAtNull(const std::string& sText);
  bool IsFolderWritable(const std::string& sPath) const;
  std::string GetTempFolder() const;
  // Where the ANSI code page is not UTF-8 (a system that ignores the
  // manifest's request), a character outside it arrives as "?" or as a
  // look-alike: the folder `which` cannot be used, and the user must hear
  // why.
  static bool LostCharacters(const std::string& sPath, platform::NamedFolder which);
  static void RequireWholeName(const std::string& sPath, platform::NamedFolder which);
  // Creates p unless the file system already has an entry of that name.
  void EnsureFolder(const std::string& p, const std::string& sName) const;
};
