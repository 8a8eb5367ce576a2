#include "checktool/ToolServices.h"

namespace checktool {

ToolServices::ToolServices(std::string folder)
    : previous_(platform::Os()), app_(previous_.app, std::move(folder)) {
  platform::Services services = previous_;
  services.app = &app_;
  services.messageBoxes = &boxes_;
  platform::Install(services);
}

ToolServices::~ToolServices() { platform::Install(previous_); }

}  // namespace checktool
