#include "platform/ui/shell_open.h"

#include <gtest/gtest.h>

#include "support/headless_backend.h"

namespace {

TEST(ShellOpen, OnlyAbsoluteWebAddressesReachTheBrowser) {
  auto& ui = ui::headless::InstallHeadlessBackend();
  const std::vector<std::string> opened = {
      "http://item.rakuten.co.jp/shop/1/",
      "https://hb.afl.rakuten.co.jp/hgc/g/?pc=https%3A%2F%2Fa%2F&m=x",
      "HTTP://EXAMPLE.COM",
      "http://127.0.0.1:8080/a?b=c#d",
  };
  const std::vector<std::string> refused = {
      "",
      "file:///etc/passwd",
      "javascript:alert(1)",
      "data:text/html,<b>x</b>",
      "/usr/bin/xterm",
      "item.rakuten.co.jp/shop",
      "xterm -e sh",
      "http://",
      "http:///path",
      "https://host/a b",
      "http://host/\nsecond line",
      "http://host/\x01",
      "http://host/\"quoted\"",
      "http://host/`id`",
      "ftp://host/",
      "http://\x82\xA0/",  // code page 932 text
  };
  for (const auto& address : opened) EXPECT_TRUE(platform::OpenWebAddress(address)) << address;
  for (const auto& address : refused) EXPECT_FALSE(platform::OpenWebAddress(address)) << address;
  EXPECT_EQ(ui.OpenedAddresses(), opened);
}

}  // namespace
