#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include "app/kobanu_app.h"
#include "desktop/hit_list_dialog.h"
#include "desktop/price_history_dialog.h"
#include "desktop/service_dialog.h"
#include "desktop/settings_dialog.h"
#include "platform/logfile/log_file.h"
#include "platform/ui/qt/dialog_font.h"
#include "platform/ui/qt/qt_backend.h"
#include "platform/ui/qt/qt_dialog.h"
#include "res/program_resources.h"
#include "res/resource.h"
#include "service/price_record.h"
#include "settings/settings_file.h"
#include "support/mall_keywords.h"
#include "support/scoped_override.h"
#include "ui/desktop_fixture.h"

namespace {

using testing_support::kWatch;
using testing_support::ScopedOverride;

// Catches what would go to the browser.
class BrowserStandIn : public QObject {
  Q_OBJECT
 public:
  QStringList opened;
 public slots:
  void Open(const QUrl& url) { opened << url.toString(); }
};

QDialog* ShownDialog(const char* caption) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(w);
    if (dialog != nullptr && dialog->isVisible() && dialog->windowTitle() == caption) return dialog;
  }
  return nullptr;
}

QMessageBox* ShownBox() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

// Runs `step` once the dialog with that caption is shown, from the dialog's own loop.
void WhenShown(const char* caption, std::function<void(QDialog*)> step) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, caption, step] {
    if (QDialog* dialog = ShownDialog(caption)) {
      timer->deleteLater();
      timer->stop();
      step(dialog);
    }
  });
  timer->start(5);
}

// Answers every warning box with OK as it comes up, noting its text.
class BoxAnswerer {
 public:
  BoxAnswerer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (QMessageBox* box = ShownBox()) {
        texts.push_back(box->text().toStdString());
        EXPECT_EQ(box->windowTitle().toStdString(), AfxGetAppName());
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        ASSERT_EQ(box->buttons().size(), 1);
        box->button(QMessageBox::Ok)->click();
      }
    });
    timer_.start(5);
  }
  std::vector<std::string> texts;

 private:
  QTimer timer_;
};

// Sees each event its target gets, before the target does.
class EventWatch : public QObject {
 public:
  EventWatch(QObject* target, std::function<void(QEvent*)> seen)
      : QObject(target), seen_(std::move(seen)) {
    target->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    seen_(event);
    return false;
  }

 private:
  std::function<void(QEvent*)> seen_;
};

QWidget* Control(QDialog* dialog, int id) {
  for (QWidget* w : dialog->findChildren<QWidget*>()) {
    if (w->property(ui::qt::kControlIdProperty).toInt() == id) return w;
  }
  return nullptr;
}

class QtDesktopTest : public testing_support::DesktopStateTest {
 protected:
  QtDesktopTest() {
    QDesktopServices::setUrlHandler("http", &browser, "Open");
    QDesktopServices::setUrlHandler("https", &browser, "Open");
  }
  ~QtDesktopTest() override {
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
  }
  BrowserStandIn browser;
};

void CheckBuiltFromTemplate(QDialog* dialog, const DialogTemplate& t) {
  const QFont font = ui::qt::DialogFont(t);
  if (QFontDatabase::families().contains("IPAPGothic")) {
    EXPECT_EQ(QFontInfo(font).family(), "IPAPGothic");
  }
  EXPECT_EQ(font.pointSize(), 8);
  EXPECT_EQ(dialog->font(), font);
  const DialogBaseUnits units = ui::qt::BaseUnitsOf(font);
  const PixelRect size = DialogUnitsToPixels(units, 0, 0, t.cx, t.cy);
  EXPECT_EQ(dialog->size(), QSize(size.width, size.height));
  EXPECT_EQ(dialog->windowTitle().toStdString(), t.caption);
  EXPECT_FALSE(dialog->isModal());

  std::vector<QWidget*> tabStops;
  for (const ControlTemplate& c : t.controls) {
    QWidget* widget = nullptr;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
      if (w->parent() != dialog || w->property(ui::qt::kControlIdProperty).toInt() != c.id)
        continue;
      const QString text = QString::fromUtf8(c.text);
      const auto* label = qobject_cast<QLabel*>(w);
      const auto* frame = qobject_cast<QGroupBox*>(w);
      if (c.id != -1 || (label && label->text() == text) || (frame && frame->title() == text)) {
        widget = w;
        break;
      }
    }
    ASSERT_NE(widget, nullptr) << c.text;
    const PixelRect r = DialogUnitsToPixels(units, c.x, c.y, c.cx, c.cy);
    EXPECT_EQ(widget->geometry(), QRect(r.x, r.y, r.width, r.height)) << c.text;
    EXPECT_EQ(widget->isVisible(), IsVisible(c)) << c.text;
    if (IsPushButton(c)) {
      auto* button = qobject_cast<QPushButton*>(widget);
      ASSERT_NE(button, nullptr) << c.text;
      EXPECT_EQ(button->text().toStdString(), c.text);
      EXPECT_EQ(button->isDefault(), IsDefaultButton(c));
    } else if (IsCheckBox(c)) {
      ASSERT_NE(qobject_cast<QCheckBox*>(widget), nullptr) << c.text;
      EXPECT_EQ(qobject_cast<QCheckBox*>(widget)->text().toStdString(), c.text);
    } else if (IsMultiLineEdit(c)) {
      ASSERT_NE(qobject_cast<QPlainTextEdit*>(widget), nullptr);
      EXPECT_EQ(qobject_cast<QPlainTextEdit*>(widget)->isReadOnly(), (c.style & ES_READONLY) != 0);
      EXPECT_EQ(widget->accessibleName().toStdString(), LabelOf(t, c)->text);
    } else if (c.controlClass == ControlClass::Edit) {
      ASSERT_NE(qobject_cast<QLineEdit*>(widget), nullptr);
      EXPECT_EQ(qobject_cast<QLineEdit*>(widget)->echoMode() == QLineEdit::Password,
                IsPasswordEdit(c));
      EXPECT_EQ(widget->accessibleName().toStdString(), LabelOf(t, c)->text);
    } else if (c.controlClass == ControlClass::ListView) {
      EXPECT_NE(qobject_cast<QTableWidget*>(widget), nullptr);
    }
    if (!IsGroupBox(c) && c.controlClass != ControlClass::Edit && *c.text != '\0') {
      EXPECT_EQ(widget->accessibleName().toStdString(), c.text);
    }
    if (IsTabStop(c) && IsVisible(c)) tabStops.push_back(widget);
  }
  // Tab goes round the controls in template order, starting at the one that has the focus.
  ASSERT_FALSE(tabStops.empty());
  EXPECT_EQ(dialog->focusWidget(), tabStops.front());
  for (size_t i = 1; i < tabStops.size(); ++i) {
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dialog->focusWidget(), tabStops[i]) << i;
  }
}

// Where the list's picture changes when it takes the focus with `row` current: that row, from
// its first column to its last.
void ExpectFocusMarkAroundTheRow(QTableWidget* list, int row) {
  list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                          QItemSelectionModel::NoUpdate);
  const QImage without = list->viewport()->grab().toImage();
  list->window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(list->window()));
  list->setFocus();
  ASSERT_TRUE(list->hasFocus());
  const QImage with = list->viewport()->grab().toImage();
  QRect changed;
  for (int y = 0; y < with.height(); ++y) {
    for (int x = 0; x < with.width(); ++x) {
      if (with.pixel(x, y) != without.pixel(x, y)) changed |= QRect(x, y, 1, 1);
    }
  }
  const QRect rowRect = list->visualRect(list->model()->index(row, 0))
                            .united(list->visualRect(list->model()->index(row, 5)));
  EXPECT_TRUE(rowRect.contains(changed)) << "the mark strays off the row";
  EXPECT_LE(changed.left(), rowRect.left() + 2);
  EXPECT_GE(changed.right(), rowRect.right() - 2) << "the mark ends before the last column";
}

TEST_F(QtDesktopTest, TheSettingsDialogIsBuiltFromItsTemplate) {
  WhenShown("Kobanu  Ver 1.00", [](QDialog* dialog) {
    CheckBuiltFromTemplate(dialog, *FindDialogTemplate(IDD_SETTINGS));
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  EXPECT_EQ(ShowSettingsDialog(), IDCANCEL);
}

TEST_F(QtDesktopTest, TheServiceWindowIsBuiltFromItsTemplateAndShowsTheKeyOnRequest) {
  WhenShown("Kobanu サービス設定", [](QDialog* dialog) {
    CheckBuiltFromTemplate(dialog, *FindDialogTemplate(IDD_SERVICE));
    QWidget* show = Control(dialog, IDC_SHOW_KEY);
    QTest::mouseClick(show, Qt::LeftButton, {}, QPoint(4, show->height() / 2));
    EXPECT_EQ(qobject_cast<QLineEdit*>(Control(dialog, IDC_ACCESS_KEY))->echoMode(),
              QLineEdit::Normal);
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  CServiceDialog service;
  EXPECT_EQ(service.DoModal(), IDCANCEL);
}

// The chart is drawn by the dialog on the widget's own painter; a radio button chosen by a
// click draws it again over another period.
TEST_F(QtDesktopTest, ThePriceHistoryIsBuiltFromItsTemplateAndDrawsItsChart) {
  const int64_t now = *service::MinutesOf(platform::LocalTimeText().substr(0, 16));
  std::string text = "\xEF\xBB\xBF" + std::string(service::kPriceHistoryHeader) + "\r\n";
  for (int64_t at = now - 60 * 24 * 60; at <= now; at += 60) {
    text += service::PriceRow({.time = service::TimeOfMinutes(at),
                               .keyword = "k",
                               .count = 1,
                               .price = 9800 + (at / 1440) % 9 * 300});
  }
  testing_support::WriteFile(sandbox.dir().File("kobanu-history.csv"), text);
  LoadSettings();
  WhenShown("価格の推移", [](QDialog* dialog) {
    CheckBuiltFromTemplate(dialog, *FindDialogTemplate(IDD_PRICE_HISTORY));
    QWidget* chart = Control(dialog, IDC_HISTORY_CHART);
    const QImage week = chart->grab().toImage();
    const QColor blue(GetRValue(ColorOf(Ink::kPrice)), GetGValue(ColorOf(Ink::kPrice)),
                      GetBValue(ColorOf(Ink::kPrice)));
    int bluePixels = 0;
    for (int y = 0; y < week.height(); ++y) {
      for (int x = 0; x < week.width(); ++x) bluePixels += week.pixelColor(x, y) == blue ? 1 : 0;
    }
    EXPECT_GT(bluePixels, week.width());  // a line across, two pixels thick
    auto* month = qobject_cast<QRadioButton*>(Control(dialog, IDC_HISTORY_MONTH));
    ASSERT_NE(month, nullptr);
    QTest::mouseClick(month, Qt::LeftButton, {}, QPoint(4, month->height() / 2));
    EXPECT_TRUE(month->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(Control(dialog, IDC_HISTORY_WEEK))->isChecked());
    EXPECT_NE(chart->grab().toImage(), week);
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  CPriceHistoryDialog history;
  EXPECT_EQ(history.DoModal(), IDCANCEL);
}

TEST_F(QtDesktopTest, TheHitListIsBuiltFromItsTemplateAndListsInReportStyle) {
  settings.scanKeyword = kWatch;
  std::string firstAddress;
  WhenShown("ヒット結果", [&](QDialog* dialog) {
    CheckBuiltFromTemplate(dialog, *FindDialogTemplate(IDD_HITLIST));
    auto* list = qobject_cast<QTableWidget*>(Control(dialog, IDC_HITLIST));
    ASSERT_EQ(list->columnCount(), 6);
    EXPECT_EQ(list->horizontalHeaderItem(2)->text(), "ポイント倍付");
    EXPECT_EQ(list->columnWidth(0), 240);
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    ASSERT_EQ(list->rowCount(), 30);
    EXPECT_TRUE(list->item(0, 0)->text().contains("腕時計"));
    EXPECT_EQ(list->item(29, 5)->text(), "29");
    ExpectFocusMarkAroundTheRow(list, 2);
    // A double-click anywhere reaches the handler: nothing selected, so row 0 opens.
    firstAddress = watchState.hitTable.affiliateUrl[0];
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(300, 150));
    watchState.hitTable.affiliateUrl[1] = "javascript:alert(1)";
    list->selectRow(1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(300, 150));
    QTest::keyClick(dialog, Qt::Key_Return);
  });
  CMainDlg hitList;
  EXPECT_EQ(hitList.DoModal(), IDOK);
  ASSERT_EQ(browser.opened.size(), 1);  // never the javascript: one
  EXPECT_TRUE(
      browser.opened[0].startsWith(QString::fromStdString("http://" + mall.host() + "/item/")));
  EXPECT_FALSE(firstAddress.empty());
}

TEST_F(QtDesktopTest, JapaneseTypedIntoTheEditsArrivesAsCodePage932) {
  BoxAnswerer boxes;
  WhenShown("Kobanu  Ver 1.00", [](QDialog* dialog) {
    QWidget* keyword = Control(dialog, IDC_KEYWORD);
    keyword->setFocus();
    for (const QChar ch : QString("腕時計")) {
      QTest::sendKeyEvent(QTest::Click, keyword, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    QInputMethodEvent commit;
    commit.setCommitString("é");  // not in code page 932: it reads back as '?'
    QApplication::sendEvent(keyword, &commit);
    QWidget* price = Control(dialog, IDC_PRICE);
    price->setFocus();
    QTest::keyClicks(price, "-5");
    QCheckBox* alert = qobject_cast<QCheckBox*>(Control(dialog, IDC_ALERT));
    QTest::mouseClick(alert, Qt::LeftButton, {}, QPoint(4, alert->height() / 2));
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  EXPECT_EQ(ShowSettingsDialog(), IDCANCEL);
  EXPECT_EQ(std::string(settings.scanKeyword), kWatch + "?");
  EXPECT_EQ(std::string(settings.scanPrice), "-5");
  EXPECT_EQ(settings.scanFlag, 1);
  EXPECT_EQ(boxes.texts, (std::vector<std::string>{"数値以外のデータがあります！！",
                                                   "負のデータがあります！！"}));
}

TEST_F(QtDesktopTest, AStoredKeywordShowsAndTheWorkersUntickArrivesWithoutAClick) {
  settings.scanKeyword = kWatch;
  settings.scanFlag = 1;
  std::thread worker;
  WhenShown("Kobanu  Ver 1.00", [&](QDialog* dialog) {
    EXPECT_EQ(qobject_cast<QLineEdit*>(Control(dialog, IDC_KEYWORD))->text(), "腕時計");
    auto* alert = qobject_cast<QCheckBox*>(Control(dialog, IDC_ALERT));
    EXPECT_TRUE(alert->isChecked());
    worker = std::thread([dialog, alert] {
      settingsDialog.m_checkAlert.SendMessage(BM_SETCHECK, BST_UNCHECKED, 0);
      QMetaObject::invokeMethod(qApp, [dialog, alert] {
        EXPECT_FALSE(alert->isChecked());
        QTest::keyClick(dialog, Qt::Key_Return);
      });
    });
  });
  EXPECT_EQ(ShowSettingsDialog(), IDOK);
  worker.join();
  EXPECT_EQ(settings.scanFlag, 1);  // no click handler ran
}

TEST_F(QtDesktopTest, AWorkersBoxLivesOnItsOwnWhileTheDialogOpensAndCloses) {
  std::thread worker;
  std::atomic<bool> boxDismissed{false};
  WhenShown("Kobanu  Ver 1.00", [&](QDialog* dialog) {
    worker = std::thread([&] {
      AfxMessageBox("Kobanu 条件が成立しました！！");
      boxDismissed = true;
    });
    auto* waitForBox = new QTimer(dialog);
    QObject::connect(waitForBox, &QTimer::timeout, [dialog, waitForBox] {
      if (ShownBox() == nullptr) return;
      waitForBox->stop();
      QTest::keyClick(dialog, Qt::Key_Escape);  // the dialog closes with the box still up
    });
    waitForBox->start(5);
  });
  EXPECT_EQ(ShowSettingsDialog(), IDCANCEL);
  QMessageBox* box = ShownBox();
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(boxDismissed);
  box->button(QMessageBox::Ok)->click();
  worker.join();
  EXPECT_TRUE(boxDismissed);
}

// A window manager may hand the focus to a dialog that its box blocks (xfwm4 and sway do on a
// click): the box takes it back, the Wayland way by being shown anew. But a box answered in the
// meantime stays answered: it does not come back, and the dialog keeps the focus.
TEST_F(QtDesktopTest, ABoxTakesTheFocusBackFromItsDialogUnlessAnsweredInTheMeantime) {
  for (const bool showAnew : {false, true}) {
    for (const bool answeredFirst : {false, true}) {
      SCOPED_TRACE(std::string(showAnew ? "shown anew" : "asking for it") +
                   (answeredFirst ? ", answered first" : ""));
      const ScopedOverride way(ui::qt::ShowBoxesAnewForTesting, showAnew);
      int showsAfterTheFirst = 0;
      bool dialogActivated = false;
      WhenShown("Kobanu  Ver 1.00", [&](QDialog* dialog) {
        auto* waitForBox = new QTimer(dialog);
        QObject::connect(waitForBox, &QTimer::timeout, [&, dialog, waitForBox] {
          QMessageBox* box = ShownBox();
          if (box == nullptr) return;
          waitForBox->stop();
          new EventWatch(box, [&](QEvent* event) {
            if (event->type() == QEvent::Show) ++showsAfterTheFirst;
          });
          new EventWatch(dialog, [&, box](QEvent* event) {
            if (event->type() != QEvent::WindowActivate || dialogActivated) return;
            dialogActivated = true;
            // Queued ahead of the box's own call, as a click on OK that came at the same time.
            if (answeredFirst) {
              QMetaObject::invokeMethod(box->button(QMessageBox::Ok), &QPushButton::click,
                                        Qt::QueuedConnection);
            }
          });
          dialog->activateWindow();
          if (answeredFirst) return;
          EXPECT_TRUE(QTest::qWaitFor([&] {
            return dialogActivated && QApplication::activeWindow() == box;
          })) << "the box did not take the focus back";
          box->button(QMessageBox::Ok)->click();
        });
        waitForBox->start(5);
        AfxMessageBox("負のデータがあります！！");
        QTest::qWait(50);  // for any call the activation queued
        EXPECT_EQ(showsAfterTheFirst, showAnew && !answeredFirst ? 1 : 0);
        EXPECT_EQ(ShownBox(), nullptr);
        EXPECT_EQ(QApplication::activeWindow(), dialog);
        QTest::keyClick(dialog, Qt::Key_Escape);
      });
      EXPECT_EQ(ShowSettingsDialog(), IDCANCEL);
    }
  }
}

TEST_F(QtDesktopTest, BoxesMenusAndTheTipShowInTheDialogsFont) {
  const QFont dialogs = ui::qt::DialogFont(*FindDialogTemplate(IDD_SETTINGS));
  EXPECT_EQ(QApplication::font("QMenu"), dialogs);
  EXPECT_EQ(QToolTip::font(), dialogs);
  QFont boxText;
  QTimer::singleShot(0, [&] {
    QMessageBox* box = ShownBox();
    ASSERT_NE(box, nullptr);
    boxText = box->findChild<QLabel*>("qt_msgbox_label")->font();
    box->button(QMessageBox::Ok)->click();
  });
  AfxMessageBox("Kobanu 条件が成立しました！！");
  EXPECT_EQ(boxText, dialogs);
}

TEST_F(QtDesktopTest, QtsOwnTextsAreJapanese) {
  QLineEdit edit;
  const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  std::vector<std::string> texts;  // without the shortcut after the tab
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator()) texts.push_back(action->text().section('\t', 0, 0).toStdString());
  }
  EXPECT_EQ(texts,
            (std::vector<std::string>{"元に戻す(&U)", "やり直す(&R)", "切り取り(&T)", "コピー(&C)",
                                      "貼り付け(&P)", "削除", "すべてを選択"}));
}

// CTest runs this also with -style and with QT_STYLE_OVERRIDE asking for Fusion.
TEST_F(QtDesktopTest, TheStyleIsWindowsUnlessTheUserChoseAnother) {
  EXPECT_EQ(QApplication::style()->name().toStdString(),
            qEnvironmentVariable("KOBANU_EXPECTED_STYLE", "windows").toStdString());
}

// A window that counts the close requests that reach it; as the main window, its end ends the
// loop.
class ClosingWindow : public CWnd {
 public:
  int closes = 0;

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CLOSE) ++closes;
    return CWnd::DefWindowProc(message, wParam, lParam);
  }
};

// Termination signals and the X session manager's end of the session (its Die, which reaches
// the application as a quit) come to the main window as one close request, as 終了 does.
TEST(QtCloseRequests, SignalsAndTheSessionsEndCloseTheMainWindowOnce) {
  const std::vector<std::pair<std::string, std::function<void()>>> requests = {
      {"SIGTERM", [] { raise(SIGTERM); }},
      {"SIGHUP", [] { raise(SIGHUP); }},
      {"SIGINT", [] { raise(SIGINT); }},
      {"the session's end",
       [] {
         QEvent quit(QEvent::Quit);
         QCoreApplication::sendEvent(qApp, &quit);
       }},
  };
  for (const auto& [name, request] : requests) {
    CWinApp app;
    auto* window = new ClosingWindow;
    app.m_pMainWnd = window;
    ASSERT_TRUE(window->CreateEx(0, "", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
    QTimer::singleShot(0, [&] {
      request();
      request();  // a second one finds the window gone
    });
    EXPECT_EQ(app.Run(), 0) << name;
    EXPECT_EQ(window->closes, 1) << name;
  }
}

// A close request ends the program also while boxes are open over its main window, a dialog as
// the service window is, each box in a loop of its own: the dialog ends as Cancel.
TEST(QtCloseRequests, EndTheProgramWhileBoxesAreOpenOverTheMainDialog) {
  CWinApp app;
  CDialog dialog(IDD_SETTINGS);
  app.m_pMainWnd = &dialog;
  int boxesShown = 0;
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(0, [&] {
      QTimer::singleShot(100, [] { raise(SIGTERM); });
      ++boxesShown;
      AfxMessageBox("Kobanu 条件が成立しました！！");
    });
    ++boxesShown;
    AfxMessageBox("設定ファイルに書き込めませんでした。");
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(boxesShown, 2);
  app.m_pMainWnd = nullptr;
  for (QWidget* box : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMessageBox*>(box) != nullptr) box->close();
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  RegisterResources(ProgramResources());
  ui::qt::InstallQtBackend(argc, argv);
  return RUN_ALL_TESTS();
}

#include "qt_backend_test.moc"
