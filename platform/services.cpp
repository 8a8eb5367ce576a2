#include "platform/services.h"

namespace platform {
namespace {
Services g_services;
}

const Services& Os() { return g_services; }
void Install(const Services& services) { g_services = services; }

std::string DescribeFailure(const std::string& what, const std::string& path,
                            const std::string& reason) {
  std::string text = what + " \"" + path + "\"";
  std::string why = reason;
  while (!why.empty() && (why.back() == '\r' || why.back() == '\n' || why.back() == ' '))
    why.pop_back();
  if (!why.empty()) text += ": " + why;
  return text;
}

}  // namespace platform
