#pragma once

namespace ui::qt {

// On X11, gives every window of the screen's own visual the screen's default colormap, as other
// toolkits do, where Qt would give it a colormap of its own. With two colormaps on the screen,
// xwd -root reads a window that lies wholly over another of the same colormap through the lower
// one, which holds black there: a message box or menu over a dialog came out as a black
// rectangle in every screenshot although the screen showed it painted.
void UseDefaultColormap();

}  // namespace ui::qt
