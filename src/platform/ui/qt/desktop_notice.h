#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "platform/ui/backend.h"

namespace ui::qt {

// Notices through the desktop's notification service (org.freedesktop.Notifications on the
// session bus), which needs no tray; without a service they are lost, and nothing waits for them.
// The icon's notices offer their default action, as a balloon on Windows can be clicked:
// activating it calls `activated`. Qt's own notice offers an action only with its critical icon,
// and takes the action of any notification on the bus for its own; this one answers only for its
// own.
class DesktopNotice : public QObject {
  Q_OBJECT

 public:
  explicit DesktopNotice(std::function<void()> activated);

  // Shows one of the icon's notices, with the action, in place of the one shown before. The text
  // is plain: where the server reads markup in a notice's body, it is escaped.
  void ShowIconNotice(const QString& title, const QString& text, NoticeIcon icon);
  // Shows a notice that offers nothing to click and replaces none.
  void ShowPlainNotice(const QString& title, const QString& text);

 private slots:
  void OnActionInvoked(uint id, const QString& action);

 private:
  // Once the server has said whether it reads markup, or has kept silent too long.
  void WhenCapabilitiesKnown(std::function<void()> then);
  void Notify(const QString& title, const QString& text, NoticeIcon icon, bool iconNotice);

  std::function<void()> activated_;
  uint shown_ = 0;              // the server's id of the icon's notice shown last; 0 for none
  std::optional<bool> markup_;  // whether the server reads markup in a body, once it has said
};

}  // namespace ui::qt
