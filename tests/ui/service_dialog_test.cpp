#include "desktop/service_dialog.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "res/resource.h"
#include "service/text_encoding.h"
#include "settings/settings_file.h"
#include "support/mall_keywords.h"
#include "support/standin_mall/service_keys.h"
#include "ui/desktop_fixture.h"

namespace {

using testing_support::HeadlessBackend;
using testing_support::HeadlessDialog;
using testing_support::kFukubukuro;
using testing_support::ReadFile;
using testing_support::WriteFile;

// A settings file as a user keeps it: notes, another section, [SERVICE] with LOG and a note of
// its own, and a keyword in code page 932; 福袋 in stock has 3 hits in the stand-in.
const std::string kBefore = "; mine\r\n[PARAM]\r\nSCAN_FLAG=1\r\nSCAN_KEYWORD=" + kFukubukuro +
                            "\r\nSCAN_ZAIKO=1\r\n\r\n[OTHER]\r\nX=y\r\n[SERVICE]\r\n"
                            "; the key\r\nAPPLICATION_ID=old-id\r\nACCESS_KEY=pk_old\r\n"
                            "AFFILIATE_ID=\r\nENDPOINT=\r\nREFERER=\r\nLOG=1\r\n";

std::string Utf8(const std::string& ansi) { return AnsiToUtf8(ansi.c_str()); }

class ServiceDialogTest : public testing_support::DesktopTest {
 protected:
  ServiceDialogTest() {
    WriteFile(sandbox.IniPath(), kBefore);
    LoadSettings();
  }

  INT_PTR Show(HeadlessBackend::DialogScript script) {
    ui.ScriptNextDialog(std::move(script));
    return dialog.DoModal();
  }

  // The values of the stand-in's application, on the screen.
  void Fill(HeadlessDialog& d, const std::string& key = standin::kAccessKey) {
    d.Paste(IDC_APPLICATION_ID, standin::kApplicationId);
    d.Paste(IDC_ACCESS_KEY, key);
    d.Paste(IDC_ENDPOINT, mall.Url(standin::kSearchPath20260701));
  }

  // Presses 接続テスト and waits for its outcome; the button is off while the test runs.
  std::string Test(HeadlessDialog& d) {
    d.Click(IDC_TEST_SERVICE);
    EXPECT_FALSE(d.IsControlEnabled(IDC_TEST_SERVICE));
    EXPECT_EQ(Utf8(d.Text(IDC_TEST_RESULT)), "確認しています…");
    EXPECT_TRUE(ui.PumpUntil([&] { return d.IsControlEnabled(IDC_TEST_SERVICE); }));
    return Utf8(d.Text(IDC_TEST_RESULT));
  }

  CWinApp app;
  CServiceDialog dialog;
};

TEST_F(ServiceDialogTest, OkWritesTheServiceSectionAloneAndLeavesTheFileToItsOwner) {
  std::filesystem::permissions(sandbox.IniPath(), std::filesystem::perms(0644));
  EXPECT_EQ(Show([&](HeadlessDialog& d) {
              EXPECT_EQ(d.Text(IDC_APPLICATION_ID), "old-id");
              EXPECT_EQ(d.Text(IDC_ACCESS_KEY), "pk_old");
              EXPECT_EQ(d.Text(IDC_DEFAULT_ENDPOINT), kItemSearchEndpoint);
              EXPECT_FALSE(d.IsChecked(IDC_PRICE_HISTORY));
              d.Click(IDC_PRICE_HISTORY);
              Fill(d, std::string(" ") + standin::kAccessKey + "\t");  // as pasted from a page
              d.Paste(IDC_AFFILIATE_ID, "aff\r\nLOG=0");
              d.Paste(IDC_REFERER, standin::kWebApplicationSite);
              d.PressEnter();
            }),
            IDOK);
  std::string expected = kBefore;
  const auto replace = [&](const std::string& from, const std::string& to) {
    expected.replace(expected.find(from), from.size(), to);
  };
  replace("=old-id", std::string("=") + standin::kApplicationId);
  replace("=pk_old", std::string("=") + standin::kAccessKey);
  replace("AFFILIATE_ID=", "AFFILIATE_ID=aff");
  replace("ENDPOINT=", "ENDPOINT=" + mall.Url(standin::kSearchPath20260701));
  replace("REFERER=", std::string("REFERER=") + standin::kWebApplicationSite);
  expected += "MIN_PRICE=\r\nNG_KEYWORD=\r\nPOSTAGE_INCLUDED=\r\nPRICE_HISTORY=1\r\n";
#ifdef _WIN32
  // The Windows build's tests run on Wine, whose profile writer drops blank lines
  // (docs/RELIABILITY.md).
  replace("\r\n\r\n", "\r\n");
#endif
  EXPECT_EQ(ReadFile(sandbox.IniPath()), expected);
#ifndef _WIN32
  EXPECT_EQ(std::filesystem::status(sandbox.IniPath()).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif
  const ServiceSettings saved = SnapshotService();
  EXPECT_EQ(saved.accessKey, standin::kAccessKey);
  EXPECT_TRUE(saved.log);
  EXPECT_TRUE(saved.RecordsPrices());
}

TEST_F(ServiceDialogTest, CancelEscTheCloseBoxAndACloseRequestWriteNothing) {
  const auto modified = std::filesystem::last_write_time(sandbox.IniPath());
  const std::function<void(HeadlessDialog&)> closings[] = {
      [](HeadlessDialog& d) { d.Click(IDCANCEL); },
      [](HeadlessDialog& d) { d.PressEsc(); },
      [](HeadlessDialog& d) { d.PressCloseBox(); },
      // The session's end or SIGTERM, with the window as the application's main window.
      [&](HeadlessDialog&) { ui.RequestClose(); },
  };
  app.m_pMainWnd = &dialog;
  for (const auto& close : closings) {
    EXPECT_EQ(Show([&](HeadlessDialog& d) {
                Fill(d);
                close(d);
              }),
              IDCANCEL);
  }
  app.m_pMainWnd = nullptr;
  EXPECT_EQ(ReadFile(sandbox.IniPath()), kBefore);
  EXPECT_EQ(std::filesystem::last_write_time(sandbox.IniPath()), modified);
  EXPECT_EQ(SnapshotService().accessKey, "pk_old");
}

TEST_F(ServiceDialogTest, TheKeyIsMaskedUntilTheUserShowsIt) {
  Show([&](HeadlessDialog& d) {
    EXPECT_TRUE(d.IsMasked(IDC_ACCESS_KEY));
    EXPECT_FALSE(d.IsMasked(IDC_APPLICATION_ID));
    d.Click(IDC_SHOW_KEY);
    EXPECT_FALSE(d.IsMasked(IDC_ACCESS_KEY));
    d.Click(IDC_SHOW_KEY);
    EXPECT_TRUE(d.IsMasked(IDC_ACCESS_KEY));
    d.PressEsc();
  });
}

TEST_F(ServiceDialogTest, TheTestAsksWithTheValuesOnTheScreenAndShowsTheOutcome) {
  const auto modified = std::filesystem::last_write_time(sandbox.IniPath());
  Show([&](HeadlessDialog& d) {
    Fill(d);
    EXPECT_EQ(Test(d), "接続できました: 該当 3件 最安 2,160円");
    ASSERT_FALSE(mall.RequestLines().empty());
    EXPECT_NE(mall.RequestLines().back().find(standin::kApplicationId), std::string::npos);

    Fill(d, "pk_wrong");
    const std::string refused = Test(d);
    EXPECT_TRUE(refused.starts_with("確認できません: アプリIDかアクセスキーが違います\r\n原因: "))
        << refused;
    EXPECT_NE(refused.find("\r\n対処: 楽天ウェブサービスのアプリ情報から"), std::string::npos);
    EXPECT_EQ(refused.find("pk_wrong"), std::string::npos);
    d.PressEsc();
  });
  EXPECT_EQ(ReadFile(sandbox.IniPath()), kBefore);  // a test saves nothing
  EXPECT_EQ(std::filesystem::last_write_time(sandbox.IniPath()), modified);
}

// The narrowing group: shown as the file has it, tested as it stands on the screen, saved as
// typed (code page 932); a floor not below the saved ceiling is said in the window, unasked.
TEST_F(ServiceDialogTest, TheNarrowingIsShownTestedAndSavedAsTyped) {
  const std::string belt = "\x83\x78\x83\x8B\x83\x67";  // ベルト
  WriteFile(sandbox.IniPath(),
            kBefore + "MIN_PRICE=100\r\nNG_KEYWORD=" + belt + "\r\nPOSTAGE_INCLUDED=1\r\n");
  LoadSettings();
  EXPECT_EQ(Show([&](HeadlessDialog& d) {
              EXPECT_EQ(d.Text(IDC_MIN_PRICE), "100");
              EXPECT_EQ(d.Text(IDC_NG_KEYWORD), belt);
              EXPECT_EQ(d.GetCheck(IDC_POSTAGE_INCLUDED), BST_CHECKED);
              Fill(d);
              d.Paste(IDC_MIN_PRICE, "3000");
              d.Paste(IDC_NG_KEYWORD, "\x83\x52\x81\x5B\x83\x71\x81\x5B");  // コーヒー
              d.Click(IDC_POSTAGE_INCLUDED);
              // 福袋 in stock from 3,000 yen without コーヒー: 3,000 and 5,000.
              EXPECT_EQ(Test(d), "接続できました: 該当 2件 最安 3,000円");
              std::string ceiling = kBefore;
              ceiling.insert(ceiling.find("SCAN_ZAIKO"), "SCAN_PRICE=3000\r\n");
              WriteFile(sandbox.IniPath(), ceiling);
              const size_t requests = mall.RequestLines().size();
              const std::string refused = Test(d);
              EXPECT_TRUE(refused.starts_with(
                  "確認できません: 下限価格が設定価格以上です\r\n原因: 下限価格（MIN_PRICE）が"))
                  << refused;
              EXPECT_EQ(mall.RequestLines().size(), requests);
              d.PressEnter();
            }),
            IDOK);
  const std::string saved = ReadFile(sandbox.IniPath());
  EXPECT_NE(saved.find("MIN_PRICE=3000\r\nNG_KEYWORD=\x83\x52\x81\x5B\x83\x71\x81\x5B\r\n"
                       "POSTAGE_INCLUDED=\r\n"),
            std::string::npos)
      << saved;
}

TEST_F(ServiceDialogTest, TheTestTakesTheKeywordTheRunningKobanuSavedAndSaysWhatItRefuses) {
  Show([&](HeadlessDialog& d) {
    Fill(d);
    WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_FLAG=1\r\n");
    EXPECT_EQ(Test(d), "確認していません\r\nnot asked: キーワードが入力されていません！！");
    d.PressEsc();
  });
}

// The window goes at once, and the thread of the test ends later on its own, its message
// reaching no window.
TEST_F(ServiceDialogTest, ClosingWhileATestWaitsOnAStalledServiceNeitherWaitsNorCrashes) {
  constexpr auto kStall = std::chrono::milliseconds(1500);
  const int threads = testing_support::ThreadCount();
  const size_t faults = mall.FaultedRequests().size();
  mall.ArmFault("mode=delay-headers&ms=1500");
  std::chrono::steady_clock::time_point stalled;
  Show([&](HeadlessDialog& d) {
    Fill(d);
    d.Click(IDC_TEST_SERVICE);
    ASSERT_TRUE(ui.PumpUntil([&] { return mall.FaultedRequests().size() > faults; }));
    stalled = std::chrono::steady_clock::now();
    EXPECT_NE(mall.FaultedRequests().back().find(standin::kApplicationId), std::string::npos);
    d.PressEsc();
  });
  EXPECT_LT(std::chrono::steady_clock::now() - stalled, kStall);
  // Its thread ends once the answer has come, before anything else meets the stand-in.
  EXPECT_TRUE(ui.PumpUntil(
      [&] {
        return testing_support::ThreadCount() == threads &&
               std::chrono::steady_clock::now() - stalled > kStall + std::chrono::seconds(1);
      },
      std::chrono::seconds(20)));
}

TEST_F(ServiceDialogTest, AFileThatCannotBeWrittenKeepsTheWindowOpenWithTheValues) {
  std::filesystem::permissions(sandbox.IniPath(), std::filesystem::perms::owner_read |
                                                      std::filesystem::perms::group_read |
                                                      std::filesystem::perms::others_read);
  EXPECT_EQ(Show([&](HeadlessDialog& d) {
              Fill(d);
              d.PressEnter();
              EXPECT_EQ(ui.MessageBoxTexts(),
                        std::vector<std::string>{
                            "setting.ini に保存できませんでした。ファイルかそのフォルダーが読み取り"
                            "専用になっていないか確かめてください。"});
              EXPECT_EQ(d.Text(IDC_APPLICATION_ID), standin::kApplicationId);
              d.PressEsc();
            }),
            IDCANCEL);
  std::filesystem::permissions(sandbox.IniPath(), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  EXPECT_EQ(ReadFile(sandbox.IniPath()), kBefore);
}

}  // namespace
