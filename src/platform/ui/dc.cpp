#include "platform/ui/dc.h"

#include <utility>

#include "platform/ui/backend.h"

CDC* CDC::FromHandle(HDC dc) { return dc != nullptr ? &dc->dc : nullptr; }

int CDC::GetDeviceCaps(int index) const {
  return index == LOGPIXELSX || index == LOGPIXELSY ? painter_.Dpi() : 0;
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color) { painter_.FillRect(*rect, color); }

CPen* CDC::SelectObject(CPen* pen) { return std::exchange(pen_, pen); }

POINT CDC::MoveTo(int x, int y) { return std::exchange(position_, POINT{x, y}); }

BOOL CDC::LineTo(int x, int y) {
  painter_.Line(position_, {x, y}, pen_->m_nWidth, pen_->m_color);
  position_ = {x, y};
  return TRUE;
}

COLORREF CDC::SetTextColor(COLORREF color) { return std::exchange(textColor_, color); }

int CDC::DrawText(const std::string& text, RECT* rect, UINT format) {
  painter_.Text(*rect, text, format, textColor_);
  return painter_.TextSize(text).cy;
}

SIZE CDC::GetTextExtent(const std::string& text) const { return painter_.TextSize(text); }
