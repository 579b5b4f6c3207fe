#pragma once

#include <xcb/xcb.h>

namespace ui::qt {

// Qt's own connection to the X server; null on any other platform.
xcb_connection_t* QtXConnection();

}  // namespace ui::qt
