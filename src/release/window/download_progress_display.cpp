#include "release/window/download_progress_display.h"

#include <QCoreApplication>
#include <QProgressBar>

#include "release/IdHTTPProgress.h"
#include "release/download_status.h"
#include "release/window/page_labels.h"

namespace ravlek {

void ShowDownloadProgress(const TIdHTTPProgress& client, QProgressBar& bar, QLabel& status,
                          qint64& lastSize) {
  bar.setValue(client.Progress());
  // The size of the transfer stays once its end report has cleared it.
  if (client.BytesToTransfer() > 0) lastSize = client.BytesToTransfer();
  SetLabelText(&status, DownloadStatusCaption(lastSize, client.Progress()));
  QCoreApplication::processEvents();
}

}  // namespace ravlek
