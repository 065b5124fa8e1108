#pragma once
// The placeholder's window: what the annotation editor is, that this package does not hold it,
// and where it would be placed.

#include <QString>

class QWidget;

namespace ravlek::spell {

// The window's caption and the editor's name as the main window's notices call it.
QString EditorTitle();
// The notice (rich text) for a placeholder lying at programPath, the place of the real editor.
QString PlaceholderNotice(const QString& programPath);
// Fills an empty top-level widget with the caption and the notice.
void BuildPlaceholderWindow(QWidget& window, const QString& programPath);

}  // namespace ravlek::spell
