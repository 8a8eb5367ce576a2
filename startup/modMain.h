#pragma once
// The checker's start-up: program folder, edition, data folder, windows.
#include <string>

#include "platform/error.h"

namespace modMain {

// The start-up sequence. Errors pass to the caller.
void Main();

// Main, with an error that ends start-up reported in a message box.
// Returns the process exit code.
int Run();

// The product folder title for an edition key and licence type.
std::string EditionTitle(const std::string& sEdition, const std::string& sLicenseType);

// The text of the box that reports an error ending start-up.
std::string StartupErrorText(const platform::Failure& failure);

}  // namespace modMain
