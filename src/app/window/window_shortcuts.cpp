// The window's keyboard shortcuts: Ctrl+L goes to the character field of the lookup page,
// Ctrl+Enter runs the conversion or the extraction on their pages, and Ctrl+Tab / Ctrl+Shift+Tab
// change page from any control, the grid and the web views too. They change no text.
#include <QLineEdit>
#include <QShortcut>
#include <QTabBar>
#include <utility>

#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "app/window/page_control.h"
#include "app/window/window_layout.h"
#include "dictionary/window/lookup_page.h"

namespace ravlek {

namespace {

// The first control of the page in the keyboard order that can take the focus.
QWidget* FirstControl(QWidget* page) {
  for (QWidget* widget = page->nextInFocusChain(); widget != page;
       widget = widget->nextInFocusChain()) {
    if (page->isAncestorOf(widget) && widget->isVisibleTo(page) && widget->isEnabled() &&
        (widget->focusPolicy() & Qt::TabFocus))
      return widget;
  }
  return nullptr;
}

// The next (step 1) or previous (step -1) page, round the end, as a choice of its tab: the
// page-change handler runs. The focus goes to the first control of the page then shown.
void TurnPage(TOstrel& window, int step) {
  auto* pages = static_cast<PageControl*>(window.TntTabControl1);
  const int count = pages->count();
  if (count == 0) return;
  int index = pages->currentIndex();
  for (int tried = 0; tried < count; ++tried) {
    index = (index + step + count) % count;
    if (pages->isTabEnabled(index) && pages->isTabVisible(index)) break;
  }
  pages->BeginUserInput();
  pages->setCurrentIndex(index);
  pages->EndUserInput();
  if (QWidget* first = FirstControl(pages->currentWidget()))
    first->setFocus(Qt::TabFocusReason);
  else
    pages->tabBar()->setFocus(Qt::TabFocusReason);
}

}  // namespace

void BindWindowShortcuts(TOstrel& window) {
  // Window shortcuts come before the focused control's own keys: the grid would take Ctrl+Tab
  // as a move between cells, a web view would keep it.
  const std::pair<QKeySequence, int> turns[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
      // Shift+Tab arrives as Backtab.
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1}};
  for (const auto& [keys, step] : turns) {
    auto* shortcut = new QShortcut(keys, &window);
    const int direction = step;
    QObject::connect(shortcut, &QShortcut::activated, &window,
                     [&window, direction] { RunHandler([&] { TurnPage(window, direction); }); });
  }

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
    window.lookupPage()->TntEdit2->setFocus(Qt::ShortcutFocusReason);
    window.lookupPage()->TntEdit2->selectAll();
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
