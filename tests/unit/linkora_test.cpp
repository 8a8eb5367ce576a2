// The web launcher's one question and what each answer opens.
#include <gtest/gtest.h>

#include "tests/doubles/fake_os.h"
#include "weblauncher/modLinkora.h"

namespace {

TEST(Linkora, AsksOnceWithTheVendorsAddress) {
  fakes::FakeOs os;
  os.messageBoxes.answers = {platform::kIdCancel};
  modLinkora::Main();
  ASSERT_EQ(os.messageBoxes.shown.size(), 1u);
  const auto& box = os.messageBoxes.shown[0];
  EXPECT_EQ(box.title, "Visit Zantrixweb\xC2\xAE");
  EXPECT_EQ(box.style, 0x41u);
  EXPECT_EQ(box.text,
            "You are about to visit http://www.zantrix.example using your default Web Browser."
            "\r\nPlease ensure you have an active connection to the Internet.");
}

TEST(Linkora, OnlyOkOpensThePartnerPage) {
  for (int answer : {platform::kIdOk, platform::kIdCancel, 0}) {
    fakes::FakeOs os;
    os.app.folder = "C:\\Program Files\\Zantrix\\Linkora";
    os.messageBoxes.answers = {answer};
    modLinkora::Main();
    if (answer != platform::kIdOk) {
      EXPECT_TRUE(os.shell.calls.empty()) << answer;
      continue;
    }
    ASSERT_EQ(os.shell.calls.size(), 1u);
    const auto& call = os.shell.calls[0];
    EXPECT_EQ(call.verb, "Open");
    EXPECT_EQ(call.file, "http://www.zantrix.example/partner.htm?ID=1331");
    EXPECT_FALSE(call.parameters.has_value());
    EXPECT_EQ(call.directory, "C:\\Program Files\\Zantrix\\Linkora");
    EXPECT_EQ(call.show, platform::kSwShowNormal);
  }
}

}  // namespace
