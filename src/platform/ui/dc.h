#pragma once

#include <string>

#include "platform/ui/win_types.h"

namespace ui {
class Painter;
}

// A pen for lines: solid, of a width in pixels.
class CPen {
 public:
  CPen(int penStyle, int width, COLORREF color) : m_nWidth(width), m_color(color) {
    static_cast<void>(penStyle);  // PS_SOLID is the only style there is
  }
  int m_nWidth;
  COLORREF m_color;
};

// The device context of one paint of an owner-drawn control, as WM_DRAWITEM hands it over:
// coordinates are the control's pixels from its top left corner; texts are UTF-8, drawn in the
// dialog's font on a transparent background. Valid only while the dialog handles the message.
class CDC {
 public:
  explicit CDC(ui::Painter& painter) : painter_(painter) {}

  static CDC* FromHandle(HDC dc);

  // LOGPIXELSX or LOGPIXELSY: pixels per inch of the screen (96 at 100 %, 144 at 150 %).
  int GetDeviceCaps(int index) const;
  void FillSolidRect(const RECT* rect, COLORREF color);
  CPen* SelectObject(CPen* pen);          // the previous pen; a black pen of one pixel at first
  POINT MoveTo(int x, int y);             // the previous position
  BOOL LineTo(int x, int y);              // with the selected pen, from the current position
  COLORREF SetTextColor(COLORREF color);  // the previous color; black at first
  // One line of text in the rectangle: DT_LEFT, DT_CENTER or DT_RIGHT, and DT_TOP, DT_VCENTER or
  // DT_BOTTOM. The text's height.
  int DrawText(const std::string& text, RECT* rect, UINT format);
  SIZE GetTextExtent(const std::string& text) const;

 private:
  ui::Painter& painter_;
  CPen defaultPen_{PS_SOLID, 1, RGB(0, 0, 0)};
  CPen* pen_ = &defaultPen_;
  POINT position_{};
  COLORREF textColor_ = RGB(0, 0, 0);
};

// The handle is the context itself.
struct HDC__ {
  CDC dc;
};
