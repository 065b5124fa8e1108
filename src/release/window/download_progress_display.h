#pragma once
// The version page's progress display of an update download: the bar, the size kept from the
// last report that carried one, the status line, then the window's pending events.

#include <QtGlobal>

class QLabel;
class QProgressBar;

namespace ravlek {

class TIdHTTPProgress;

void ShowDownloadProgress(const TIdHTTPProgress& client, QProgressBar& bar, QLabel& status,
                          qint64& lastSize);

}  // namespace ravlek
