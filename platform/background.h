#pragma once
// Work that may hold its thread for long (a call on a network share that
// dropped, the hash of a large installer), done where it cannot keep the
// window from answering: the window's thread lets its messages run until
// the work is done.
#include <functional>

namespace platform {

class Background {
 public:
  virtual ~Background() = default;
  // Runs `work` on another thread while this one lets waiting window
  // messages run (a click meets the handler guard; a close unloads forms).
  // True when the work is done; false as soon as `wanted` answers false
  // between messages: the work then goes on to its end unseen, so it must
  // own everything it touches. What the work throws is thrown here.
  virtual bool Run(std::function<void()> work, const std::function<bool()>& wanted) = 0;
};

}  // namespace platform
