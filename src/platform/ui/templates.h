#pragma once

#include <span>

#include "platform/ui/win_types.h"

// Dialog and menu templates as data, built by the backend. Texts are fixed UTF-8; positions and
// sizes are dialog units.

enum class ControlClass { Button, Edit, Static, ListView };

struct ControlTemplate {
  int id;  // -1: a control without an id (labels, group boxes)
  ControlClass controlClass;
  DWORD style;
  const char* text;
  int x, y, cx, cy;
};

struct DialogTemplate {
  UINT id;
  DWORD style;
  const char* caption;
  int cx, cy;
  const char* fontName;
  int pointSize;
  std::span<const ControlTemplate> controls;  // in tab order
  DWORD exStyle = 0;  // WS_EX_APPWINDOW: a taskbar button although the main window owns it
};

struct MenuItemTemplate {
  UINT command;      // 0: separator
  const char* text;  // nullptr for a separator
};

struct MenuTemplate {
  UINT id;
  const char* popupTitle;  // the one pop-up; never shown
  std::span<const MenuItemTemplate> items;
};

// The program's resources, handed to the framework once at start-up, before any window.
struct ResourceTable {
  std::span<const DialogTemplate> dialogs;
  std::span<const MenuTemplate> menus;
  const char* mainWindowTitle;  // the hidden main window's, for a backend that names it
  // The menu of the tray icon, for a tray host that draws the menus of its icons itself: the one
  // the program tracks on the icon's right button. 0 for none.
  UINT trayMenu = 0;
  // The program's icon, for a backend that puts it on every window; 0 for none.
  UINT programIcon = 0;
  // The name of the program's desktop entry without ".desktop", the id a desktop knows the
  // program by; nullptr for none.
  const char* desktopEntry = nullptr;
  // Said once, by a backend whose tray host may come long after the program, when none has come
  // within a while; nullptr for nothing.
  const char* noTrayNotice = nullptr;
};
void RegisterResources(const ResourceTable& table);
const ResourceTable& Resources();

// The registered resources, looked up by id. nullptr when there is none.
const DialogTemplate* FindDialogTemplate(UINT id);
const MenuTemplate* FindMenuTemplate(UINT id);

// Kinds a backend builds from a control template.
bool IsCheckBox(const ControlTemplate& control);
bool IsRadioButton(const ControlTemplate& control);  // WS_GROUP on the first of each group
bool IsGroupBox(const ControlTemplate& control);
bool IsPushButton(const ControlTemplate& control);
bool IsDefaultButton(const ControlTemplate& control);
inline bool IsOwnerDrawn(const ControlTemplate& control) {
  return control.controlClass == ControlClass::Static &&
         (control.style & SS_TYPEMASK) == SS_OWNERDRAW;
}
inline bool IsVisible(const ControlTemplate& control) { return control.style & WS_VISIBLE; }
inline bool IsTabStop(const ControlTemplate& control) { return control.style & WS_TABSTOP; }
inline bool IsMultiLineEdit(const ControlTemplate& control) {
  return control.controlClass == ControlClass::Edit && (control.style & ES_MULTILINE);
}
inline bool IsPasswordEdit(const ControlTemplate& control) {
  return control.controlClass == ControlClass::Edit && (control.style & ES_PASSWORD);
}

// The label a screen reader announces for an edit: the static text on its row, to its left.
const ControlTemplate* LabelOf(const DialogTemplate& dialog, const ControlTemplate& edit);

// Dialog units to pixels as Windows converts them: baseX is the dialog font's average character
// width, baseY its height.
struct DialogBaseUnits {
  int baseX;
  int baseY;
};
int AverageCharWidth(int widthOf52Letters);  // from the width of "A".."Z" "a".."z"
struct PixelRect {
  int x, y, width, height;
  bool operator==(const PixelRect&) const = default;
};
PixelRect DialogUnitsToPixels(DialogBaseUnits units, int x, int y, int cx, int cy);
