#include "app/ostrel.h"

#include <QCloseEvent>

#include "dictionary/connection.h"
#include "dictionary/dataset.h"

TOstrel::TOstrel(QWidget* parent) : QWidget(parent) { FormCreate(); }

TOstrel::~TOstrel() { FormDestroy(); }

void TOstrel::FormCreate() {}
void TOstrel::FormActivate() {}
void TOstrel::FormClose() {}
void TOstrel::FormDestroy() {}

void TOstrel::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

bool TOstrel::event(QEvent* event) { return QWidget::event(event); }
