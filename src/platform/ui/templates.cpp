#include "platform/ui/templates.h"

#include <cstdlib>

namespace {

DWORD ButtonType(const ControlTemplate& control) { return control.style & BS_TYPEMASK; }

// MulDiv: rounded to the nearest, halves away from zero.
int MulDiv(int number, int numerator, int denominator) {
  const long long product = static_cast<long long>(number) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

ResourceTable registered{.dialogs = {}, .menus = {}, .mainWindowTitle = ""};

}  // namespace

void RegisterResources(const ResourceTable& table) { registered = table; }

const ResourceTable& Resources() { return registered; }

const DialogTemplate* FindDialogTemplate(UINT id) {
  for (const DialogTemplate& dialog : registered.dialogs) {
    if (dialog.id == id) return &dialog;
  }
  return nullptr;
}

const MenuTemplate* FindMenuTemplate(UINT id) {
  for (const MenuTemplate& menu : registered.menus) {
    if (menu.id == id) return &menu;
  }
  return nullptr;
}

bool IsCheckBox(const ControlTemplate& control) {
  return control.controlClass == ControlClass::Button && ButtonType(control) == BS_AUTOCHECKBOX;
}

bool IsRadioButton(const ControlTemplate& control) {
  return control.controlClass == ControlClass::Button && ButtonType(control) == BS_AUTORADIOBUTTON;
}

bool IsGroupBox(const ControlTemplate& control) {
  return control.controlClass == ControlClass::Button && ButtonType(control) == BS_GROUPBOX;
}

bool IsPushButton(const ControlTemplate& control) {
  return control.controlClass == ControlClass::Button &&
         (ButtonType(control) == BS_PUSHBUTTON || ButtonType(control) == BS_DEFPUSHBUTTON);
}

bool IsDefaultButton(const ControlTemplate& control) {
  return control.controlClass == ControlClass::Button && ButtonType(control) == BS_DEFPUSHBUTTON;
}

const ControlTemplate* LabelOf(const DialogTemplate& dialog, const ControlTemplate& edit) {
  const ControlTemplate* best = nullptr;
  for (const ControlTemplate& c : dialog.controls) {
    const bool sameRow = c.y < edit.y + edit.cy && edit.y < c.y + c.cy;
    if (c.controlClass != ControlClass::Static || !sameRow || c.x + c.cx > edit.x) continue;
    if (best == nullptr || c.x > best->x) best = &c;
  }
  return best;
}

int AverageCharWidth(int widthOf52Letters) { return (widthOf52Letters / 26 + 1) / 2; }

PixelRect DialogUnitsToPixels(DialogBaseUnits units, int x, int y, int cx, int cy) {
  return {.x = MulDiv(x, units.baseX, 4),
          .y = MulDiv(y, units.baseY, 8),
          .width = MulDiv(cx, units.baseX, 4),
          .height = MulDiv(cy, units.baseY, 8)};
}
