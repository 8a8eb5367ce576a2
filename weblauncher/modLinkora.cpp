#include "weblauncher/modLinkora.h"

#include <string>

#include "platform/services.h"
#include "weblauncher/vendor.h"

namespace modLinkora {

void Main() {
  const auto& os = platform::Os();
  // TRANSLATORS: %1 is the vendor's web address.
  const std::string message =
      platform::Format(platform::T("You are about to visit %1 using your default Web Browser."),
                       {vendor::kHomeAddress}) +
      "\r\n" + platform::T("Please ensure you have an active connection to the Internet.");
  const int answer = os.messageBoxes->Show(message, platform::T("Visit Zantrixweb\xC2\xAE"),
                                           platform::kMbOkCancel | platform::kMbIconInformation);
  if (answer != platform::kIdOk) return;
  // The result is not examined: there is nobody left to tell.
  std::intptr_t ignored = 0;
  // No window of its own: the active one, if any, owns the shell's prompts.
  os.shell->Execute("Open", vendor::kPartnerPage, std::nullopt, os.app->ExecutableFolder(),
                    platform::kSwShowNormal, 0, ignored);
}

}  // namespace modLinkora
