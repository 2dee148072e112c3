// The MainWindow's children and their layout: StatusBar, PartsList, the
// vertical Rebar with the EditToolbar and the ZoomToolbar, the ViewWindow.
#pragma once

#include <windows.h>

namespace torvel::app {

inline constexpr int kPartsListWidth = 128;

void CreateStatusBar(HWND parent);
void CreatePartsList(HWND parent);  // parts_list.cpp
void CreateRebar(HWND parent);  // with both toolbar bands
void LayoutMainWindow(HWND main);

// The smallest window (frame included) at which every control is whole:
// the rebar's bands, the status bar, a view of some size, the PartsList and
// the menu bar on one line. The window keeps it as its minimum track size.
SIZE MinimumWindowSize(HWND main);

// The tooltip that shows the whole name of a PartsList line the list cuts.
HWND PartsListTip();

// DEFAULT_GUI_FONT (ANSI_VAR_FONT when that is missing), redrawn at once.
void UseGuiFont(HWND hwnd);

// Applies the zoom field's percentage to the view.
void ApplyZoomToView();

// The controls' share of a zoom reset: slider at 100 and the field showing
// "100" (whose change applies the zoom).
void ResetZoomControls();

}  // namespace torvel::app
