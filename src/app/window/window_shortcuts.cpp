// The window's keyboard shortcuts: Ctrl+L goes to the character field of the lookup page, and
// Ctrl+Enter runs the conversion or the extraction on their pages. They change no text.
#include <QLineEdit>
#include <QShortcut>

#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "app/window/page_control.h"
#include "app/window/window_layout.h"

namespace ravlek {

void BindWindowShortcuts(TOstrel& window) {
  auto* toLookup = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), &window);
  QObject::connect(toLookup, &QShortcut::activated, &window, [&window] {
    auto* pages = static_cast<PageControl*>(window.TntTabControl1);
    if (pages->currentWidget() != window.TntTabSheet1) {
      // As a choice of the tab: the page-change handler runs and may keep the user elsewhere.
      pages->BeginUserInput();
      pages->setCurrentWidget(window.TntTabSheet1);
      pages->EndUserInput();
    }
    if (pages->currentWidget() != window.TntTabSheet1) return;
    window.TntEdit2->setFocus(Qt::ShortcutFocusReason);
    window.TntEdit2->selectAll();
  });

  const auto run = [&window] {
    QWidget* page = window.TntTabControl1->currentWidget();
    if (page == window.TntTabSheet3) RunHandler([&window] { window.TntButton1Click(); });
    if (page == window.TntTabSheet5) RunHandler([&window] { window.TntButton2Click(); });
  };
  for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | key), &window);
    QObject::connect(shortcut, &QShortcut::activated, &window, run);
  }
}

}  // namespace ravlek
