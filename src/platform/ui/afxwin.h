#pragma once

// Everything the program's window classes are written against.
#include "platform/ui/controls.h"
#include "platform/ui/dc.h"
#include "platform/ui/dialog.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "platform/ui/shell_notify.h"
#include "platform/ui/win_app.h"
#include "platform/ui/win_types.h"
#include "platform/ui/wnd.h"
