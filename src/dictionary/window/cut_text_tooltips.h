#pragma once
// Tooltips for the lookup grid's texts that do not fit: a column title or a cell whose text is
// cut shows it whole when the pointer rests on it; a text that fits shows no tooltip, unless the
// title has a tooltip of its own.

#include <QFont>
#include <QString>

class QTableView;

namespace ravlek {

// Whether text in font needs more than width pixels.
bool TextIsCut(const QFont& font, const QString& text, int width);

// Gives the grid's titles and cells their tooltips while their text is cut.
void ShowCutTextsAsToolTips(QTableView& grid);

}  // namespace ravlek
