#include "tests/support/window/modal_box_dismisser.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>

namespace ravlek::test {
namespace {

// The dismissers alive, the last made last.
QList<const ModalBoxDismisser*>& Living() {
  static QList<const ModalBoxDismisser*> living;
  return living;
}

}  // namespace

ModalBoxDismisser::ModalBoxDismisser(int delayMs, Closes closes)
    : delayMs_(delayMs), closes_(closes) {
  Living().append(this);
  timer_.setInterval(5);
  connect(&timer_, &QTimer::timeout, this, &ModalBoxDismisser::Poll);
  timer_.start();
}

ModalBoxDismisser::~ModalBoxDismisser() {
  Living().removeOne(this);
}

QStringList ModalBoxDismisser::Texts() const {
  QStringList texts;
  for (const Box& box : boxes_) texts.append(box.text);
  return texts;
}

void ModalBoxDismisser::Poll() {
  if (Living().last() != this) return;
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box && closes_ == Closes::TellingOnly && box->buttons().size() > 1) box = nullptr;
  if (!box || !box->isVisible()) {
    pending_ = nullptr;
    return;
  }
  if (pending_ != box) {
    pending_ = box;
    seenFor_ = 0;
    return;
  }
  seenFor_ += timer_.interval();
  if (seenFor_ < delayMs_) return;
  const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  const QFontInfo shown(label ? label->font() : box->font());
  boxes_.append({box->windowTitle(), box->text(), box->icon() == QMessageBox::Critical,
                 box->textFormat() == Qt::PlainText, shown.family(), shown.pointSizeF()});
  pending_ = nullptr;
  box->done(QMessageBox::Ok);
}

}  // namespace ravlek::test
