// The toolkit's floor for the tray program: an application object, a tray icon with the same
// icon files and a menu of two items, and nothing else. The icon is shown before the menu is
// built, so that nothing but the toolkit itself stands between the start and the icon.
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QIcon icon;
  for (const int size : {16, 24, 32, 48}) {
    icon.addFile(QString(":/icons/128_%1.png").arg(size), QSize(size, size));
  }
  QSystemTrayIcon tray(icon);
  tray.show();
  QMenu menu;
  menu.addAction("Open");
  menu.addAction("Exit", &app, &QApplication::quit);
  tray.setContextMenu(&menu);
  return app.exec();
}
