#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace ui::qt {

// A notice through the desktop's notification service (org.freedesktop.Notifications on the
// session bus) that offers its default action, as a balloon on Windows can be clicked: activating
// it calls `activated`. Qt's own notice offers an action only with its critical icon, and takes
// the action of any notification on the bus for its own; this one answers only for its own.
class DesktopNotice : public QObject {
  Q_OBJECT

 public:
  explicit DesktopNotice(std::function<void()> activated);

  // Shows the notice in place of the one shown before. The text is plain: where the server reads
  // markup in a notice's body, it is escaped.
  void Show(const QString& title, const QString& text, bool warning);

 private slots:
  void OnActionInvoked(uint id, const QString& action);

 private:
  void Notify(const QString& title, const QString& text, bool warning);

  std::function<void()> activated_;
  uint shown_ = 0;              // the server's id of the notice shown last; 0 for none
  std::optional<bool> markup_;  // whether the server reads markup in a body, once it has said
};

}  // namespace ui::qt
