#include "platform/ui/qt/default_colormap.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>
#include <cstdlib>

#include "platform/ui/qt/x_connection.h"

namespace ui::qt {

namespace {

// Sees each window as its X window is made, before it is mapped.
class ColormapFilter : public QObject {
 public:
  ColormapFilter(QObject* parent, xcb_connection_t* connection)
      : QObject(parent),
        connection_(connection),
        screen_(xcb_setup_roots_iterator(xcb_get_setup(connection)).data) {}

  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() != QEvent::PlatformSurface ||
        static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() !=
            QPlatformSurfaceEvent::SurfaceCreated) {
      return false;
    }
    if (const auto* window = qobject_cast<QWindow*>(object)) {
      Adopt(static_cast<xcb_window_t>(window->winId()));
    }
    return false;
  }

 private:
  void Adopt(xcb_window_t window) {
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr);
    // A window of another visual (a tray icon with an alpha channel) keeps its own.
    if (attributes != nullptr && attributes->visual == screen_->root_visual) {
      const uint32_t colormap = screen_->default_colormap;
      xcb_change_window_attributes(connection_, window, XCB_CW_COLORMAP, &colormap);
    }
    free(attributes);
  }

  xcb_connection_t* connection_;
  const xcb_screen_t* screen_;
};

}  // namespace

void UseDefaultColormap() {
  if (xcb_connection_t* connection = QtXConnection()) {
    qGuiApp->installEventFilter(new ColormapFilter(qGuiApp, connection));
  }
}

}  // namespace ui::qt
