#pragma once
// The services the tool reads and checks with, while it lives: those
// installed, except that the program's folder is the one given (what
// %ZANTRIXDIR% and the requirements file's place stand for) and that no
// message box is shown: its text is kept instead.
#include <string>

#include "platform/services.h"

namespace checktool {

class ToolServices {
 public:
  explicit ToolServices(std::string folder);
  ~ToolServices();
  ToolServices(const ToolServices&) = delete;
  ToolServices& operator=(const ToolServices&) = delete;

  // The text of the last box the checker's code would have shown.
  const std::string& Shown() const { return boxes_.last; }

 private:
  class Folder : public platform::AppInfo {
   public:
    Folder(platform::AppInfo* base, std::string folder) : base_(base), folder_(std::move(folder)) {}
    std::string Title() override { return base_ ? base_->Title() : "preflect-check"; }
    platform::AppVersion Version() override { return base_ ? base_->Version() : platform::AppVersion{}; }
    std::string FileDescription() override { return base_ ? base_->FileDescription() : ""; }
    std::string ExecutableFolder() override { return folder_; }

   private:
    platform::AppInfo* base_;
    std::string folder_;
  };
  class QuietBoxes : public platform::MessageBoxes {
   public:
    std::string last;
    int Show(const std::string& text, const std::string&, std::uint32_t style) override {
      last = text;
      // No one is there to answer: the answer that changes nothing.
      return (style & 0xF) == platform::kMbYesNo ? platform::kIdNo : platform::kIdOk;
    }
  };

  platform::Services previous_;
  Folder app_;
  QuietBoxes boxes_;
};

}  // namespace checktool
