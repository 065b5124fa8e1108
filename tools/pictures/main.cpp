// Draws the editor-launcher page's pictures: a screenshot-like view of the annotation editor with
// four numbered hints (747 x 475), and a column of five annotated characters (179 x 565); and the
// program's icon for the desktop: 台 with its reading tâi above it, on a paper seal.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

const QString kSerif = QStringLiteral("Noto Serif CJK TC");
const QString kSans = QStringLiteral("Noto Sans CJK TC");

QFont Font(const QString& family, int pixels, bool bold = false) {
  QFont font(family);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

struct Annotated {
  QString character;
  QString romanisation;
  QString phonetic;
};

const Annotated kVerse[] = {
    {QStringLiteral("春"), QStringLiteral("tshun1"), QStringLiteral("ㄘㄨㄣ")},
    {QStringLiteral("眠"), QStringLiteral("bian5"), QStringLiteral("ㆠㄧㄢ")},
    {QStringLiteral("不"), QStringLiteral("put4"), QStringLiteral("ㄅㄨㆵ")},
    {QStringLiteral("覺"), QStringLiteral("kak4"), QStringLiteral("ㄍㄚㆻ")},
    {QStringLiteral("曉"), QStringLiteral("hiau2"), QStringLiteral("ㄏㄧㄠ")},
};

void DrawHint(QPainter& p, QPoint at, int number, const QString& text) {
  p.setPen(QPen(QColor(200, 30, 30), 2));
  p.setBrush(QColor(255, 235, 120));
  p.drawEllipse(at, 13, 13);
  p.setFont(Font(kSans, 16, true));
  p.setPen(QColor(160, 0, 0));
  p.drawText(QRect(at.x() - 13, at.y() - 13, 26, 26), Qt::AlignCenter, QString::number(number));
  p.setFont(Font(kSans, 14, true));
  const QRect box(at.x() + 18, at.y() - 12, p.fontMetrics().horizontalAdvance(text) + 12, 24);
  p.setPen(QPen(QColor(200, 30, 30), 1));
  p.setBrush(QColor(255, 250, 215, 235));
  p.drawRoundedRect(box, 4, 4);
  p.setPen(QColor(120, 0, 0));
  p.drawText(box, Qt::AlignCenter, text);
}

QImage EditorHints() {
  QImage image(747, 475, QImage::Format_RGB32);
  image.fill(QColor(236, 233, 216));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  // Title bar.
  p.fillRect(0, 0, 747, 28, QColor(10, 36, 106));
  p.setPen(Qt::white);
  p.setFont(Font(kSans, 14, true));
  p.drawText(QRect(10, 0, 600, 28), Qt::AlignVCenter, QStringLiteral("編稿注音 - 範例.tgb"));
  // Tool bar.
  const QString buttons[] = {QStringLiteral("load 文稿載入"), QStringLiteral("存檔"),
                             QStringLiteral("注音"), QStringLiteral("列印")};
  int x = 8;
  p.setFont(Font(kSans, 13));
  for (const QString& label : buttons) {
    const int width = p.fontMetrics().horizontalAdvance(label) + 20;
    p.setPen(QColor(128, 128, 128));
    p.setBrush(QColor(245, 244, 238));
    p.drawRect(x, 36, width, 26);
    p.setPen(Qt::black);
    p.drawText(QRect(x, 36, width, 26), Qt::AlignCenter, label);
    x += width + 6;
  }
  // Page with annotated verse, written from top to bottom, right to left.
  const QRect page(16, 72, 560, 390);
  p.setPen(QColor(150, 150, 150));
  p.setBrush(Qt::white);
  p.drawRect(page);
  const QString lines[] = {QStringLiteral("春眠不覺曉"), QStringLiteral("處處聞啼鳥")};
  for (int column = 0; column < 2; ++column) {
    const int left = page.right() - 110 - column * 120;
    for (int row = 0; row < 5; ++row) {
      const int top = page.top() + 14 + row * 74;
      p.setPen(Qt::black);
      p.setFont(Font(kSerif, 40));
      p.drawText(QRect(left, top, 56, 50), Qt::AlignCenter, lines[column].mid(row, 1));
      if (column == 0) {
        p.setFont(Font(kSans, 13));
        p.setPen(QColor(0, 70, 160));
        p.drawText(QRect(left - 10, top + 48, 76, 18), Qt::AlignCenter, kVerse[row].romanisation);
        p.setPen(QColor(170, 0, 0));
        p.setFont(Font(kSans, 12));
        for (int i = 0; i < kVerse[row].phonetic.size(); ++i) {
          p.drawText(QRect(left + 58, top + 2 + i * 15, 16, 16), Qt::AlignCenter,
                     kVerse[row].phonetic.mid(i, 1));
        }
      }
    }
  }
  // Side panel.
  p.setPen(QColor(128, 128, 128));
  p.setBrush(QColor(250, 250, 245));
  p.drawRect(588, 72, 146, 390);
  p.setPen(Qt::black);
  p.setFont(Font(kSans, 13));
  const QString entries[] = {QStringLiteral("字型大小"), QStringLiteral("直書 / 橫書"),
                             QStringLiteral("台羅 / 注音"), QStringLiteral("音類：文 白")};
  for (int i = 0; i < 4; ++i) {
    p.drawText(QRect(598, 84 + i * 30, 130, 24), Qt::AlignVCenter, entries[i]);
  }
  DrawHint(p, QPoint(40, 49), 1, QStringLiteral("載入範例 .tgb 文稿"));
  DrawHint(p, QPoint(250, 130), 2, QStringLiteral("點選字，改讀音"));
  DrawHint(p, QPoint(600, 230), 3, QStringLiteral("切換注音方式"));
  DrawHint(p, QPoint(250, 420), 4, QStringLiteral("存檔或列印"));
  return image;
}

QImage AnnotatedSample() {
  QImage image(179, 565, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  for (int row = 0; row < 5; ++row) {
    const int top = 6 + row * 112;
    p.setPen(Qt::black);
    p.setFont(Font(kSerif, 72));
    p.drawText(QRect(8, top, 96, 84), Qt::AlignCenter, kVerse[row].character);
    p.setPen(QColor(0, 70, 160));
    p.setFont(Font(kSans, 17, true));
    p.drawText(QRect(0, top + 82, 112, 24), Qt::AlignCenter, kVerse[row].romanisation);
    p.setPen(QColor(170, 0, 0));
    p.setFont(Font(kSans, 22));
    for (int i = 0; i < kVerse[row].phonetic.size(); ++i) {
      p.drawText(QRect(116, top + 6 + i * 26, 28, 26), Qt::AlignCenter,
                 kVerse[row].phonetic.mid(i, 1));
    }
  }
  return image;
}

// The icon at `size` pixels square: a rounded sheet of paper with a red border, the character
// 台 and its Tâi-lô reading above it, as the ruby export prints them.
QImage Icon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const qreal unit = size / 256.0;
  const QRectF sheet(12 * unit, 12 * unit, 232 * unit, 232 * unit);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 40));
  p.drawRoundedRect(sheet.translated(0, 5 * unit), 36 * unit, 36 * unit);
  p.setBrush(QColor(250, 244, 228));
  p.setPen(QPen(QColor(178, 34, 34), 10 * unit));
  p.drawRoundedRect(sheet, 36 * unit, 36 * unit);
  p.setPen(QColor(29, 78, 137));
  p.setFont(Font(kSans, qMax(9, int(46 * unit)), true));
  p.drawText(QRectF(0, 26 * unit, size, 56 * unit), Qt::AlignCenter, QStringLiteral("tâi"));
  p.setPen(QColor(20, 20, 20));
  p.setFont(Font(kSerif, int(150 * unit), true));
  p.drawText(QRectF(0, 74 * unit, size, 160 * unit), Qt::AlignCenter, QStringLiteral("台"));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
  // "icons" as second argument: the icon in the sizes of the desktop's icon theme.
  if (argc > 2 && QString::fromLatin1(argv[2]) == QLatin1String("icons")) {
    bool written = true;
    for (const int size : {48, 64, 128, 256}) {
      const QString dir = QStringLiteral("%1x%1").arg(size);
      written = folder.mkpath(dir) &&
                Icon(size).save(folder.filePath(dir + QStringLiteral("/org.ravlek.Ravlek.png"))) &&
                written;
    }
    if (!written) std::fprintf(stderr, "draw_pictures: cannot write the icons\n");
    return written ? 0 : 1;
  }
  const bool ok =
      EditorHints().save(folder.filePath(QStringLiteral("editor_hints.jpg")), "JPG", 90) &&
      AnnotatedSample().save(folder.filePath(QStringLiteral("annotated_sample.jpg")), "JPG", 92);
  // A second argument "png" also writes PNG copies, for viewers that show no JPEG.
  if (ok && argc > 2 && QString::fromLatin1(argv[2]) == QLatin1String("png")) {
    EditorHints().save(folder.filePath(QStringLiteral("editor_hints.png")));
    AnnotatedSample().save(folder.filePath(QStringLiteral("annotated_sample.png")));
  }
  if (!ok) std::fprintf(stderr, "draw_pictures: cannot write the pictures\n");
  return ok ? 0 : 1;
}
