// Ravlek_Spell: the placeholder of the annotation editor. The real editor is a program of its own,
// installed separately; this one only shows where it would be found, so that starting it from the
// main window can be followed end to end.

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

#include "placeholder_window.h"

namespace {

// The notification-area icon: the editor's name in red, as the main window's notice describes it.
QIcon TrayIcon() {
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::white);
  QPainter painter(&pixmap);
  QFont font = painter.font();
  font.setPixelSize(26);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::red);
  painter.drawText(QRect(0, 0, 64, 32), Qt::AlignCenter, QStringLiteral("編稿"));
  painter.drawText(QRect(0, 32, 64, 32), Qt::AlignCenter, QStringLiteral("注音"));
  return QIcon(pixmap);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Ravlek_Spell"));
  QApplication::setWindowIcon(TrayIcon());

  const QString title = ravlek::spell::EditorTitle();
  QWidget window;
  ravlek::spell::BuildPlaceholderWindow(window, QApplication::applicationFilePath());
  window.resize(480, 240);
  window.show();

  QSystemTrayIcon tray(TrayIcon());
  QMenu menu;
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    tray.setToolTip(title);
    menu.addAction(title, &window, [&window] {
      window.show();
      window.raise();
    });
    menu.addSeparator();
    menu.addAction(QStringLiteral("結束"), &app, &QApplication::quit);
    tray.setContextMenu(&menu);
    QObject::connect(&tray, &QSystemTrayIcon::activated, &window, [&window] {
      window.show();
      window.raise();
    });
    tray.show();
    // The window may be closed; the program lives on in the notification area.
    QApplication::setQuitOnLastWindowClosed(false);
  }
  return QApplication::exec();
}
