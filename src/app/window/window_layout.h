#pragma once
// The main window's controls: each page is laid out by its own function, at the design's places,
// sizes, fonts and texts, scaled to the screen. Event bindings are made apart (window_events.cpp).

#include <QString>

class QComboBox;
class TOstrel;

namespace ravlek {

class DesignUnits;

// The window's caption: the system's name and its executable's file name on this platform.
QString WindowCaption();
void LayOutWindow(TOstrel& window);

void LayOutLookupPage(TOstrel& window, const DesignUnits& units);      // page 0
void LayOutEditorPage(TOstrel& window, const DesignUnits& units);      // page 1
void LayOutConversionPage(TOstrel& window, const DesignUnits& units);  // page 2
void LayOutVersionPage(TOstrel& window, const DesignUnits& units);     // page 3
void LayOutFanqiePage(TOstrel& window, const DesignUnits& units);      // page 4
void LayOutResourcePages(TOstrel& window, const DesignUnits& units);   // pages 5 to 8
void LayOutUpdateButtons(TOstrel& window);
void SetTabOrders(TOstrel& window);

// The grid over DataSource1 with its columns, and the memos that show the current row.
void BindLookupGrid(TOstrel& window);
// The family of the grid's phonetic columns, once the font check has found or added it.
void UsePhoneticFamily(TOstrel& window, const QString& family);

// Connects every control's event to its handler; each handler runs through RunHandler.
void BindWindowEvents(TOstrel& window);
// Ctrl+C and the context menu of the lookup grid (lookup_grid_copy.cpp).
void BindLookupGridCopy(TOstrel& window);
// Ctrl+L and Ctrl+Enter (window_shortcuts.cpp).
void BindWindowShortcuts(TOstrel& window);

// Sets the text of an editable combo box the way the design's combo boxes take it: the matching
// item becomes current, otherwise the text is put into the edit field. No change event follows.
void SetComboText(QComboBox* box, const QString& text);

}  // namespace ravlek
