// The MainWindow's children and their layout: StatusBar, PartsList, the
// vertical Rebar with the EditToolbar and the ZoomToolbar, the ViewWindow.
#pragma once

#include <windows.h>

namespace torvel::app {

inline constexpr int kPartsListWidth = 128;

void CreateStatusBar(HWND parent);
void CreatePartsList(HWND parent);
void CreateRebar(HWND parent);  // with both toolbar bands
void LayoutMainWindow(HWND main);

// Applies the zoom field's percentage to the view.
void ApplyZoomToView();

// The controls' share of a zoom reset: slider at 100 and the field showing
// "100" (whose change applies the zoom).
void ResetZoomControls();

}  // namespace torvel::app
