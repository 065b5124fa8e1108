#pragma once
// How the starter tells the user why it cannot go on: a double-click shows no terminal, so a box
// where there is a screen, and standard error always.

#include <QCoreApplication>
#include <QString>
#include <memory>

namespace ravlek {

// The starter's application object: one that can show a box when the build has the window
// toolkit and a screen is there, a plain one otherwise.
std::unique_ptr<QCoreApplication> MakeStarterApplication(int& argc, char** argv);

// Writes "Ravlek_Start: " and the text (and the details on a line of their own) to standard
// error, then shows the text in a box when it can, the system's words and paths behind its
// details button. Returns when the user has closed the box.
void TellUser(const QString& text, const QString& details = {});

// What the starter tells when it cannot go on.
inline const QString kMarkerFailedText = QStringLiteral(
    "無法在程式資料夾建立啟動標記檔，台語Ostrel輔助系統沒有啟動。請確認磁碟還有空間、"
    "程式資料夾可以寫入後再試一次。");
inline const QString kProgramNotStartedText = QStringLiteral(
    "無法啟動台語Ostrel輔助系統的主程式 Ravlek。請確認程式資料夾裡的 Ravlek "
    "完整且可以執行，必要時重新安裝。");

}  // namespace ravlek
