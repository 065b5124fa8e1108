#pragma once
// The main window's own controls: the page control and its sheets, and the pages that are no class
// of their own yet, at the design's places, sizes, fonts and texts, scaled to the screen. The
// page classes lay themselves out; event bindings are made apart (window_events.cpp).

#include <QString>

class TOstrel;

namespace ravlek {

class DesignUnits;

// The window's caption: the system's name and its executable's file name on this platform.
QString WindowCaption();
void LayOutWindow(TOstrel& window, const DesignUnits& units);

void LayOutEditorPage(TOstrel& window, const DesignUnits& units);      // page 1
void LayOutConversionPage(TOstrel& window, const DesignUnits& units);  // page 2
void LayOutVersionPage(TOstrel& window, const DesignUnits& units);     // page 3
void LayOutFanqiePage(TOstrel& window, const DesignUnits& units);      // page 4
void LayOutResourcePages(TOstrel& window, const DesignUnits& units);   // pages 5 to 8
void LayOutUpdateButtons(TOstrel& window, const DesignUnits& units);
// Once every page is built.
void SetTabOrders(TOstrel& window);

// Connects every control's event to its handler; each handler runs through RunHandler.
void BindWindowEvents(TOstrel& window);
// Ctrl+L and Ctrl+Enter (window_shortcuts.cpp).
void BindWindowShortcuts(TOstrel& window);

}  // namespace ravlek
