#include "platform/services.h"

namespace platform {
namespace {
Services g_services;
}

const Services& Os() { return g_services; }
void Install(const Services& services) { g_services = services; }

bool RunAwayFromTheWindow(bool mayBlock, std::function<void()> work,
                          const std::function<bool()>& wanted) {
  if (!mayBlock || !g_services.background) {
    work();
    return true;
  }
  return g_services.background->Run(std::move(work), wanted ? wanted : [] { return true; });
}

}  // namespace platform
