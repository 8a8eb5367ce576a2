// SetWindowIcons call by call against the recording window double.
#include "about/Icon.h"

#include <gtest/gtest.h>

#include "tests/doubles/fake_os.h"

namespace {

using Calls = std::vector<std::string>;

class SetWindowIcons : public ::testing::Test {
 protected:
  fakes::FakeOs os;
  fakes::FakeWindows& windows = os.windows;

  std::string Big() { return Hex(windows.SharedIcon("AAA", 32, 32)); }
  std::string Small() { return Hex(windows.SharedIcon("AAA", 16, 16)); }
  static std::string Hex(std::uintptr_t v) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%jx", static_cast<std::uintmax_t>(v));
    return text;
  }
  static std::string Send(const char* window, int which, const std::string& icon) {
    return std::string("SendMessage(") + window + ", 0x80, " + std::to_string(which) + ", " +
           icon + ")";
  }
};

const char* const kLoadBig = "LoadImage(0x400000, AAA, 1, 32, 32, 0x8000)";
const char* const kLoadSmall = "LoadImage(0x400000, AAA, 1, 16, 16, 0x8000)";

TEST_F(SetWindowIcons, WindowWithoutOwnerGetsEachIconTwice) {
  const Calls expected{"GetWindow(0x10, 4)",   "GetSystemMetrics(11)", "GetSystemMetrics(12)",
                       kLoadBig,               Send("0x10", 1, Big()), Send("0x10", 1, Big()),
                       "GetSystemMetrics(49)", "GetSystemMetrics(50)", kLoadSmall,
                       Send("0x10", 0, Small()), Send("0x10", 0, Small())};
  Icon::SetWindowIcons(0x10, "AAA", true);
  EXPECT_EQ(windows.calls, expected);
}

TEST_F(SetWindowIcons, WithoutOwnerFlagTheChainIsNotWalked) {
  windows.owners[0x10] = 0x20;
  const Calls expected{"GetSystemMetrics(11)", "GetSystemMetrics(12)", kLoadBig,
                       Send("0x10", 1, Big()), "GetSystemMetrics(49)", "GetSystemMetrics(50)",
                       kLoadSmall,             Send("0x10", 0, Small())};
  Icon::SetWindowIcons(0x10, "AAA", false);
  EXPECT_EQ(windows.calls, expected);
  EXPECT_EQ(windows.IconOf(0x20, platform::kIconBig), 0u);
}

TEST_F(SetWindowIcons, OnlyTheLastOwnerOfTheChainGetsTheIcons) {
  windows.owners[0x10] = 0x20;
  windows.owners[0x20] = 0x30;
  const Calls expected{"GetWindow(0x10, 4)",     "GetWindow(0x20, 4)",
                       "GetWindow(0x30, 4)",     "GetSystemMetrics(11)",
                       "GetSystemMetrics(12)",   kLoadBig,
                       Send("0x30", 1, Big()),   Send("0x10", 1, Big()),
                       "GetSystemMetrics(49)",   "GetSystemMetrics(50)",
                       kLoadSmall,               Send("0x30", 0, Small()),
                       Send("0x10", 0, Small())};
  Icon::SetWindowIcons(0x10, "AAA", true);
  EXPECT_EQ(windows.calls, expected);
  EXPECT_EQ(windows.IconOf(0x20, platform::kIconBig), 0u);
  EXPECT_EQ(windows.IconOf(0x20, platform::kIconSmall), 0u);
}

TEST_F(SetWindowIcons, MissingResourceStillSendsNullIcons) {
  struct Case {
    bool includeOwner;
    size_t sends;
  };
  for (const Case c : {Case{true, 4}, Case{false, 2}}) {
    windows.calls.clear();
    Icon::SetWindowIcons(0x10, "NOPE", c.includeOwner);
    size_t sends = 0;
    for (const std::string& call : windows.calls)
      if (call.rfind("SendMessage(", 0) == 0) {
        ++sends;
        EXPECT_EQ(call.substr(call.size() - 6), ", 0x0)") << call;
      }
    EXPECT_EQ(sends, c.sends);
  }
}

TEST_F(SetWindowIcons, SizesComeFromTheSystemMetrics) {
  windows.metrics[platform::kSmCxIcon] = 48;
  windows.metrics[platform::kSmCyIcon] = 40;
  windows.metrics[platform::kSmCxSmIcon] = 20;
  windows.metrics[platform::kSmCySmIcon] = 24;
  Icon::SetWindowIcons(0x10, "AAA", false);
  EXPECT_EQ(windows.calls[2], "LoadImage(0x400000, AAA, 1, 48, 40, 0x8000)");
  EXPECT_EQ(windows.calls[6], "LoadImage(0x400000, AAA, 1, 20, 24, 0x8000)");
}

TEST_F(SetWindowIcons, AnotherWindowGetsTheSameSharedHandles) {
  Icon::SetWindowIcons(0x10, "AAA", true);
  Icon::SetWindowIcons(0x40, "AAA", true);
  for (auto which : {platform::kIconBig, platform::kIconSmall}) {
    EXPECT_NE(windows.IconOf(0x10, which), 0u);
    EXPECT_EQ(windows.IconOf(0x10, which), windows.IconOf(0x40, which));
  }
  EXPECT_NE(windows.IconOf(0x10, platform::kIconBig), windows.IconOf(0x10, platform::kIconSmall));
}

}  // namespace
