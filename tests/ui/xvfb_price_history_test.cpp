#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "platform/logfile/log_file.h"
#include "service/price_record.h"
#include "support/desktop/kobanu_under_x.h"
#include "support/standin_mall/service_keys.h"

// The price history's window under Xvfb: from kobanu --price-history at 96 and 144 DPI, over
// two days and over a year of hourly rows with failed hours among them, and from the tray menu
// with trayer as the tray host. With KOBANU_SCREENSHOT_DIR set, it leaves screenshots there.
namespace {

using testing_support::WaitUntil;
using testing_support::WriteFile;
using testing_support::XWindow;

constexpr const char* kCaption = "価格の推移";
constexpr int64_t kHour = 60;
// The price line's color (Ink::kPrice) and the failed hours' (Ink::kFailed).
constexpr const char* kPriceBlue = "#005CC4";
constexpr const char* kFailedRed = "#E23030";

class XvfbPriceHistoryTest : public testing_support::KobanuUnderX {
 protected:
  // Recording prices for 腕時計, the alert off, a ceiling of 10,000 yen: a running Kobanu's worker
  // adds this hour's row from the stand-in to the history's.
  void WriteRecordingSettings() {
    WriteFile(
        program_.File("setting.ini"),
        "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_KEYWORD=\x98\x72\x8E\x9E\x8C\x76\r\nSCAN_PRICE=10000\r\n"
        "[SERVICE]\r\n"
        "APPLICATION_ID=" +
            std::string(standin::kApplicationId) + "\r\nACCESS_KEY=" + standin::kAccessKey +
            "\r\nENDPOINT=" + mall_.Url(standin::kSearchPath20260701) + "\r\nPRICE_HISTORY=1\r\n");
  }

  // Hourly rows up to now, as a price moves: in slow waves, a step now and then through the day,
  // cheaper on the 5th and the 20th of each month; now and then an hour, or six in a row, failed.
  void WriteHistory(int hours) {
    const int64_t now = *service::MinutesOf(platform::LocalTimeText().substr(0, 16));
    std::string text = "\xEF\xBB\xBF" + std::string(service::kPriceHistoryHeader) + "\r\n";
    for (int hour = hours - 1; hour >= 0; --hour) {
      const int64_t at = now - hour * kHour;
      service::PriceRecord row{.time = service::TimeOfMinutes(at), .keyword = "腕時計"};
      if ((hour + 170) % 211 < 6 || hour % 97 == 20) {
        row.outcome = "network error: Could not resolve host";
      } else {
        const double days = static_cast<double>(at) / (24 * kHour);
        const double wave =
            1500 * std::sin(days / 90 * 6.2832) + 700 * std::sin(days / 17 * 6.2832);
        const int64_t step = (at / (7 * kHour)) % 3 * 200;
        const int64_t price = (12000 + static_cast<int64_t>(wave) + step) / 100 * 100;
        const std::string day = row.time.substr(8, 2);
        row.count = 38;
        row.price = day == "05" || day == "20" ? price * 85 / 100 / 10 * 10 : price;
        row.name = "ソラノ 腕時計 デジタル 耐衝撃 ブルー";
        row.address = "https://item.rakuten.co.jp/timezone/10000005/";
        row.outcome = "count 38";
      }
      text += service::PriceRow(row);
    }
    WriteFile(program_.File("kobanu-history.csv"), text);
  }

  XWindow OpenAlone() {
    LaunchWith({}, x_.Env(), {"--price-history"});
    EXPECT_TRUE(WaitUntil([&] { return DialogShown(kCaption); })) << "no price history window";
    const XWindow window = *Find("_NET_WM_WINDOW_TYPE_DIALOG", kCaption);
    EXPECT_TRUE(LineOnScreen(window)) << x_.PixelsOnScreen(window, kPriceBlue);
    return window;
  }

  // Drawn: the price line reached the screen.
  bool LineOnScreen(const XWindow& window) {
    return WaitUntil([&] { return x_.PixelsOnScreen(window, kPriceBlue) > 200; });
  }

  void Close() {
    x_.XDoTool("key Escape");
    EXPECT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
  }
};

// Two days of hours over the last 7 days and 30 days, and at 144 DPI half as large again with
// lines as sharp: the price line's pixels all exactly its color.
TEST_F(XvfbPriceHistoryTest, TwoDaysFromTheCommandLineAt96And144Dpi) {
  WriteRecordingSettings();
  WriteHistory(48);
  const XWindow at96 = OpenAlone();
  EXPECT_GT(x_.PixelsOnScreen(at96, kFailedRed), 0);
  Shoot("price_history_48h");
  const int blue96 = x_.PixelsOnScreen(at96, kPriceBlue);
  x_.XDoTool("key Right");  // 30日間
  WaitUntil([&] { return x_.PixelsOnScreen(at96, kPriceBlue) != blue96; });
  Shoot("price_history_48h_30days");
  Close();

  SetDpi(144);
  const XWindow at144 = OpenAlone();
  EXPECT_NEAR(at144.width, at96.width * 1.5, 3);
  EXPECT_NEAR(at144.height, at96.height * 1.5, 3);
  // A line of two pixels is three now and half as long again, and no blurred edge takes its
  // place.
  EXPECT_GT(x_.PixelsOnScreen(at144, kPriceBlue), blue96 * 2);
  Shoot("price_history_48h_144dpi");
  Close();
}

// A year of hours: the seven days, the year with its months, at both resolutions.
TEST_F(XvfbPriceHistoryTest, AYearFromTheCommandLine) {
  WriteRecordingSettings();
  WriteHistory(365 * 24);
  for (const int dpi : {96, 144}) {
    SetDpi(dpi);
    const std::string suffix = dpi == 96 ? "" : "_144dpi";
    const XWindow window = OpenAlone();
    Shoot("price_history_year_7days" + suffix);
    const int week = x_.PixelsOnScreen(window, kPriceBlue);
    x_.XDoTool("key Right Right");  // 1年間
    EXPECT_TRUE(WaitUntil([&] { return x_.PixelsOnScreen(window, kPriceBlue) != week; }));
    Shoot("price_history_year" + suffix);
    Close();
  }
}

// From 価格の推移 in the tray icon's menu, between ダイアログを開く and the separator.
TEST_F(XvfbPriceHistoryTest, FromTheTrayMenu) {
  x_.StartTrayer();
  WriteRecordingSettings();
  WriteHistory(48);
  Launch();
  std::optional<XWindow> icon;
  ASSERT_TRUE(WaitUntil([&] {
    for (const XWindow& w : x_.Windows()) {
      if (w.wmClass.starts_with("kobanu") && w.parent != 0 && w.mapped && w.width <= 64) icon = w;
    }
    return icon.has_value();
  })) << "the icon never docked";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  x_.XDoTool("mousemove " + std::to_string(icon->x + icon->width / 2) + " " +
             std::to_string(icon->y + icon->height / 2) + " click 3");
  ASSERT_TRUE(WaitUntil([&] {
    for (const XWindow& w : x_.Windows()) {
      if (w.mapped && w.overrideRedirect && w.wmClass.starts_with("kobanu")) return true;
    }
    return false;
  })) << "no menu";
  Shoot("price_history_tray_menu");
  x_.XDoTool("key Down Down Return");  // the second item
  ASSERT_TRUE(WaitUntil([&] { return DialogShown(kCaption); })) << "no price history window";
  const XWindow window = *Find("_NET_WM_WINDOW_TYPE_DIALOG", kCaption);
  EXPECT_TRUE(LineOnScreen(window));
  Shoot("price_history_from_tray_menu");
  x_.XDoTool("key Escape");
  EXPECT_TRUE(WaitUntil([&] { return !DialogShown(kCaption); }));
  EXPECT_TRUE(kobanu_.Running());  // the window closed, Kobanu stays
}

}  // namespace
