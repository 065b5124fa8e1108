#pragma once
// The main window's own controls: the page control and its sheets, at the design's places, sizes,
// fonts and texts, scaled to the screen. The page classes lay themselves out; event bindings are
// made apart (window_events.cpp).

#include <QSize>
#include <QString>

#include "app/window/designed_layout.h"

class TOstrel;

namespace ravlek {

class DesignUnits;

// The window's caption: the system's name and its executable's file name on this platform.
QString WindowCaption();
void LayOutWindow(TOstrel& window, const DesignUnits& units);
// The window's own layout table (the page control), and the page control on a window grown by
// `extra` logical pixels beyond its designed size.
LayoutTable WindowPlaces();
void FollowGrowth(TOstrel& window, QSize extra);

void LayOutVersionPage(TOstrel& window, const DesignUnits& units);  // page 3
void LayOutUpdateButtons(TOstrel& window);
// Once every page is built.
void SetTabOrders(TOstrel& window);

// Connects every control's event to its handler; each handler runs through RunHandler.
void BindWindowEvents(TOstrel& window);
// Ctrl+L and Ctrl+Enter (window_shortcuts.cpp).
void BindWindowShortcuts(TOstrel& window);

}  // namespace ravlek
