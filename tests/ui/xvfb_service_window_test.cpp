#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/desktop/kobanu_under_x.h"
#include "support/mall_keywords.h"
#include "support/standin_mall/service_keys.h"

// kobanu --service-settings under Xvfb, driven from the keyboard as a person would: filled, tested
// against the stand-in with a wrong key and a right one, and saved. With KOBANU_SCREENSHOT_DIR
// set, it leaves screenshots of each step there.
namespace {

using testing_support::kFukubukuro;
using testing_support::WaitUntil;
using testing_support::WriteFile;

constexpr const char* kCaption = "Kobanu サービス設定";

// In stock, 福袋 has 3 hits in the stand-in.
const std::string kParam = "[PARAM]\r\nSCAN_FLAG=1\r\nSCAN_KEYWORD=" + kFukubukuro +
                           "\r\nSCAN_ZAIKO=1\r\n\r\n[OTHER]\r\nX=y\r\n";

class XvfbServiceWindowTest : public testing_support::KobanuUnderX {
 protected:
  void Open() {
    LaunchWith({}, x_.Env(), {"--service-settings"});
    ASSERT_TRUE(WaitUntil([&] { return DialogShown(kCaption); })) << "no service window";
  }

  // What the window copied, as another program pastes it.
  std::string Clipboard() {
    const std::string command =
        "DISPLAY=" + x_.display() + " xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string text;
    char buffer[512];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
    pclose(pipe);
    return text;
  }

  // Presses 接続テスト, which has the focus, and copies the outcome from the result box, which the
  // focus moves to while the button is off.
  std::string TestAndCopyTheOutcome() {
    x_.XDoTool("key space");
    std::string outcome;
    WaitUntil([&] {
      x_.XDoTool("key ctrl+a ctrl+c");
      outcome = Clipboard();
      return !outcome.empty() && !outcome.starts_with("確認しています");
    });
    x_.XDoTool("key ctrl+Home");  // the outcome no longer selected, as a person would see it
    return outcome;
  }

  // The whole round: empty, filled with a wrong key, its failure, the right key, its success, OK.
  void FillTestAndSave(const std::string& shotSuffix) {
    WriteFile(program_.File("setting.ini"), kParam);
    chmod(program_.File("setting.ini").c_str(), 0644);
    Open();
    Shoot("service_window_empty" + shotSuffix);
    // The focus starts on the application id; Tab goes down the window.
    x_.XDoTool(std::string("type --delay 5 ") + standin::kApplicationId);
    x_.XDoTool("key Tab type --delay 5 pk_wrong");
    // Past 表示する to the floor, then 送料込みのみ ticked, past 価格を記録する to the address.
    x_.XDoTool("key Tab Tab type --delay 5 1000");
    x_.XDoTool("key Tab Tab space Tab Tab Tab Tab type --delay 5 " +
               mall_.Url(standin::kSearchPath20260701));
    Shoot("service_window_filled" + shotSuffix);
    x_.XDoTool("key Tab");
    const std::string refused = TestAndCopyTheOutcome();
    EXPECT_TRUE(refused.starts_with("確認できません: アプリIDかアクセスキーが違います\n原因: "))
        << refused;
    EXPECT_NE(refused.find("\n対処: "), std::string::npos) << refused;
    Shoot("service_window_failed" + shotSuffix);

    // Back up from the result box to the key, which is masked, and shown once ticked.
    x_.XDoTool(
        "key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab "
        "shift+Tab shift+Tab ctrl+a");
    x_.XDoTool(std::string("type --delay 5 ") + standin::kAccessKey);
    x_.XDoTool("key Tab space Tab Tab Tab Tab Tab Tab Tab Tab");
    EXPECT_EQ(TestAndCopyTheOutcome(), "接続できました: 該当 3件 最安 2,160円");
    Shoot("service_window_succeeded" + shotSuffix);
    const std::string requests = Describe(mall_.RequestLines());
    EXPECT_NE(requests.find(std::string("applicationId=") + standin::kApplicationId),
              std::string::npos)
        << requests;
    EXPECT_NE(requests.find("&minPrice=1000&postageFlag=1&"), std::string::npos) << requests;

    x_.XDoTool("key Return");  // OK, the default button
    EXPECT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
    EXPECT_EQ(Settings(),
              kParam + "[SERVICE]\r\nAPPLICATION_ID=" + standin::kApplicationId +
                  "\r\nACCESS_KEY=" + standin::kAccessKey +
                  "\r\nAFFILIATE_ID=\r\nENDPOINT=" + mall_.Url(standin::kSearchPath20260701) +
                  "\r\nREFERER=\r\nMIN_PRICE=1000\r\nNG_KEYWORD=\r\n"
                  "POSTAGE_INCLUDED=1\r\nPRICE_HISTORY=0\r\n");
    struct stat file {};
    ASSERT_EQ(stat(program_.File("setting.ini").c_str(), &file), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
  }

  static std::string Describe(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
  }
};

TEST_F(XvfbServiceWindowTest, FilledTestedAndSavedFromTheKeyboard) { FillTestAndSave(""); }

// A termination signal or the session's end closes the window as Cancel, writing nothing, also
// while the box that says the file cannot be written waits for an answer.
TEST_F(XvfbServiceWindowTest, ASignalEndsItAsCancelAlsoWithTheBoxOfAFailedSaveOpen) {
  WriteFile(program_.File("setting.ini"), kParam);
  chmod(program_.File("setting.ini").c_str(), 0444);  // made read-only: never written
  Open();
  x_.XDoTool(std::string("type --delay 5 ") + standin::kApplicationId);
  x_.XDoTool("key Return");  // OK, the default button
  ASSERT_TRUE(WaitUntil([&] { return Box().has_value(); })) << "no box for the failed save";
  Shoot("service_window_cannot_save");
  ASSERT_EQ(kill(kobanu_.pid(), SIGTERM), 0);
  EXPECT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
  EXPECT_EQ(Settings(), kParam);
}

// At 144 DPI (150 %) the window grows with its font, and the same round works.
TEST_F(XvfbServiceWindowTest, At144DpiTheWindowIsHalfAgainAsLargeAndWorksTheSame) {
  WriteFile(program_.File("setting.ini"), kParam);
  Open();
  const testing_support::XWindow at96 = *Find("_NET_WM_WINDOW_TYPE_DIALOG", kCaption);
  x_.XDoTool("key Escape");
  ASSERT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
  EXPECT_EQ(Settings(), kParam);  // Esc saved nothing

  SetDpi(144);
  Open();
  const testing_support::XWindow at144 = *Find("_NET_WM_WINDOW_TYPE_DIALOG", kCaption);
  EXPECT_NEAR(at144.width, at96.width * 1.5, 3);
  EXPECT_NEAR(at144.height, at96.height * 1.5, 3);
  x_.XDoTool("key Escape");
  ASSERT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
  FillTestAndSave("_144dpi");
}

}  // namespace
