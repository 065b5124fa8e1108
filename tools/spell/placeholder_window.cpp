#include "placeholder_window.h"

#include <QDir>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace ravlek::spell {

QString EditorTitle() {
  return QStringLiteral("編稿注音");
}

QString PlaceholderNotice(const QString& programPath) {
  const QString path = QDir::toNativeSeparators(programPath).toHtmlEscaped();
  return QStringLiteral(
             "<h3>%1 注音編稿程式</h3>"
             "<p>「%1」是另一個程式：在文稿的漢字旁標註台羅拼音與注音符號，"
             "載入、編排並繪出 *.tgb 文稿。</p>"
             "<p>此程式不包含在本套件中，須另行取得安裝；"
             "這個視窗只是它的替身，讓主視窗的「啟動注音編稿程式」有所開啟。</p>"
             "<p>安裝時，編稿程式應放在應用程式資料夾，取代此替身檔案：<br><code>%2</code></p>")
      .arg(EditorTitle(), path);
}

void BuildPlaceholderWindow(QWidget& window, const QString& programPath) {
  window.setWindowTitle(EditorTitle());
  auto* layout = new QVBoxLayout(&window);
  auto* text = new QLabel(PlaceholderNotice(programPath), &window);
  text->setObjectName(QStringLiteral("notice"));
  text->setWordWrap(true);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(text);
}

}  // namespace ravlek::spell
