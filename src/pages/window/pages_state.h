#pragma once
// What the resource-page handlers of the window share.

#include <QHash>
#include <QString>

class QLabel;
class QWidget;

namespace ravlek {

struct PagesState {
  // The line under each resource page that tells the character set of the page shown.
  QHash<QWidget*, QLabel*> charsetLines;
};

// The line that tells a loaded page's character set and the encoding of its saved form.
QString PageCharsetLine(const QString& charset, const QString& encodingName);

}  // namespace ravlek
