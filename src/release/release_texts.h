#pragma once
// The release channel's user-visible texts, exactly as the users know them.

#include <QString>

namespace ravlek::texts {

// clang-format off
inline const QString kTestModeNoticeText = QStringLiteral("測試測試.... get XML files from : ");
inline const QString kTestModeCaption = QStringLiteral("台語Ostrel輔助系統 - 測試專用");
inline const QString kInfoCaption = QStringLiteral("台語Ostrel輔助系統 - 訊息通知");
inline const QString kManifestFailedLine1 = QStringLiteral("(((下載網站Server最新版本資訊失敗!!)))");
inline const QString kManifestFailedLine2 = QStringLiteral("開啟程式前, 請保持網路連線.....  ");
inline const QString kManifestFailedLine3 = QStringLiteral("系統會自動通知資料庫和程式更新, 及update最新訊息.");
inline const QString kManifestFailedLine4 = QStringLiteral("(網路沒連線也可操作此系統, 但無最新訊息和訊息交流!)");
inline const QString kMemoRelease = QStringLiteral("更新版 Release: ");
inline const QString kMemoSysVersion = QStringLiteral("系統版號 sys_version: ");
inline const QString kMemoSysNotes = QStringLiteral("系統更新說明 sys_notes: ");
inline const QString kMemoDbVersion = QStringLiteral("資料庫版號 db_version: ");
inline const QString kMemoDbNotes = QStringLiteral("資料庫更新說明 db_notes: ");
inline const QString kUpdateNoticeText = QStringLiteral("有新UPDATE 程式或資料庫Database  點選 [進版下載安裝] 分頁(TabPage) 可下載(download) 安裝");
inline const QString kUpdateNoticeCaption = QStringLiteral("台語Ostrel輔助系統 - 進版 通知");
inline const QString kUpdateLabel3 = QStringLiteral("有新UPDATE程式或資料庫Database 請按 [下載(download)安裝] 按鈕 進行更新 ");
inline const QString kUpdateLabel4 = QStringLiteral("(下載到安裝完成,大約需3~10分鐘左右, 依網路下載速度而定...)");
inline const QString kUpdatePageCaption = QStringLiteral("進版下載安裝");
inline const QString kVersionPageCaption = QStringLiteral("版本資訊");
inline const QString kNoUpdateAddress = QStringLiteral("無更新");
inline const QString kInsideSysArchiveAddress = QStringLiteral("已包入Ravlek_sys_upgrade.zip");
inline const QString kNetworkDownText = QStringLiteral("          (((網路未連線...下載失敗!!)))    ");
inline const QString kNetworkErrorCaption = QStringLiteral("台語Ostrel輔助系統 - 網路錯誤訊息");
inline const QString kRetryNoticeSuffix = QStringLiteral(" 下載失敗!  稍後自動再重下載一次...");
inline const QString kPoorNetworkCaption = QStringLiteral("台語Ostrel輔助系統 - 網路連線品質差");
inline const QString kDownloadFailedText = QStringLiteral("          (((網路連線品質太差...下載失敗!! 請過一段時間再下載更新!!)))    ");
inline const QString kSysArchiveDoneLabel = QStringLiteral("Ravlek_sys_ugrade.zip 已下載到 {系統目錄}\\upgrade_zip\\Ravlek_sys_ugrade.zip 完成");
inline const QString kDbArchiveDoneLabel = QStringLiteral("Ravlek_db_ugrade.zip 已下載到 {系統目錄}\\upgrade_zip\\Ravlek_db_ugrade.zip 完成");
inline const QString kDownloadCompleteMessage = QStringLiteral("系統下載完畢, 按[OK]後將自動關閉Ravlek.exe!  請關閉後再執行 Ravlek_Start 應用程式 來安裝更新系統 及 啟動 [台語Ostrel輔助系統 Ravlek.exe]");
inline const QString kDownloadProblemMessage = QStringLiteral("更新系統 ZIP Files下載 出問題, 請確認網路連線後再 按[下載(download)安裝] 鈕重新下載");
inline const QString kDownloadErrorLabel = QStringLiteral("ERROR -> 更新系統 ZIP Files下載 出問題.....");
inline const QString kStarterNoticeLine1 = QStringLiteral("台語Ostrel輔助系統 Start_Ravlek.exe 有UPGRADE Version, ");
inline const QString kStarterNoticeLine2 = QStringLiteral("稍後關閉系統時自動安裝, 再點選Ravlek_Start.exe即可使用新Ravlek_Start.exe ");
inline const QString kStarterNoticeLine3 = QStringLiteral("(感謝使用!)");
inline const QString kDownloadStatusPrefix = QStringLiteral(" Download Status :");
inline const QString kDownloadStatusMbytes = QStringLiteral("Mbytes ");
inline const QString kDownloadButtonCaption = QStringLiteral("下載(download)安裝");
inline const QString kLaterButtonCaption = QStringLiteral("稍後更新");
inline const QString kCancelButtonCaption = QStringLiteral("取消下載");
inline const QString kDownloadCancelledStatus = QStringLiteral(" Download Status : 已取消下載，沒有安裝任何檔案");
inline const QString kDownloadGateText = QStringLiteral("更新系統 ZIP Files曾下載到一半 出問題必須下載完畢, 請確認網路連線後再 按[下載(download)安裝] 鈕重新下載");
// Texts of the release channel's safeguards.
inline const QString kUpdateRefusedText = QStringLiteral("上次下載的更新檔不完整或未通過驗證，沒有安裝，系統仍是原來的版本。請重新下載更新。");
inline const QString kSignatureRefusedText = QStringLiteral("更新檔的簽章驗證失敗，已刪除，不會安裝。");
inline const QString kFetchUnreachableText = QStringLiteral("無法從更新網站下載 %1（網路未連線或網站沒有回應），沒有使用。");
inline const QString kFetchTooLargeText = QStringLiteral("更新網站的 %1 超過允許的大小，沒有使用。");
inline const QString kFetchUnsignedText = QStringLiteral("%1 的簽章驗證失敗，沒有使用。");
inline const QString kFetchNoSpaceText = QStringLiteral("磁碟空間不足，無法下載 %1。請清出磁碟空間後再重新啟動程式。");
inline const QString kFetchCannotWriteText = QStringLiteral("無法在程式資料夾寫入 %1（資料夾不可寫入或檔案系統已滿），沒有使用。");
inline const QString kUpdateNoSpaceText = QStringLiteral("磁碟空間或可建立的檔案數量不足，更新沒有安裝，下載的更新檔已刪除，系統仍是原來的版本。請清出磁碟空間、刪除不需要的檔案後再重新下載更新。");
inline const QString kDownloadNoSpaceText = QStringLiteral("磁碟空間不足，更新檔 %1 無法下載，已刪除。請清出磁碟空間後再按[下載(download)安裝]鈕。");
inline const QString kPackageUnusableText = QStringLiteral("資源包 %1 無法解開（不是完整可用的 ZIP 檔），沒有使用。");
inline const QString kManifestUnreadableText = QStringLiteral("版本資訊 %1 無法讀取（檔案損壞或格式不符），沒有使用。");
inline const QString kStampMissingText = QStringLiteral("更新網站的 %1 沒有簽署的版本序號，可能是舊格式或被替換的檔案，沒有使用。");
inline const QString kStampWrongRoleText = QStringLiteral("更新網站的 %1 是為別的檔案簽署的（可能被調換），沒有使用。");
inline const QString kRollbackRefusedText = QStringLiteral("更新網站的 %1 版本序號 %2 比已接受的序號 %3 舊（可能是重播的舊版本），沒有使用，系統不會退回舊版。");
inline const QString kManifestExpiredText = QStringLiteral("更新網站的版本資訊已於 %1 過期，可能不是最新的版本資訊（仍可照常使用；請稍後再確認更新）。");
inline const QString kArchiveUnboundText = QStringLiteral("版本資訊沒有列出 %1 的 SHA-256 與大小，不會下載或安裝。");
inline const QString kArchiveMismatchText = QStringLiteral("下載的 %1 與版本資訊列出的 SHA-256 或大小不符（可能被調換），已刪除，不會安裝。");
inline const QString kNotesCutLine = QStringLiteral("（說明超過 256 KB，以下省略）");
// clang-format on

}  // namespace ravlek::texts
