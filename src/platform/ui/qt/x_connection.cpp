#include "platform/ui/qt/x_connection.h"

#include <QGuiApplication>

namespace ui::qt {

xcb_connection_t* QtXConnection() {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (QGuiApplication::platformName() != "xcb" || x11 == nullptr) return nullptr;
  return x11->connection();
}

}  // namespace ui::qt
