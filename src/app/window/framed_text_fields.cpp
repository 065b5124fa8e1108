#include "app/window/framed_text_fields.h"

#include <QApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QStyleOption>
#include <QTextEdit>
#include <cmath>

namespace ravlek {

namespace {

bool IsTextField(const QWidget* widget) {
  return qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QTextEdit*>(widget);
}

class FramedTextFieldsStyle : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element != PE_Frame || !IsTextField(widget) || !option || !painter) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    // The frame's line one device pixel wide on the outermost device pixels that lie wholly
    // inside the field, wherever its edges fall between device pixels.
    const QTransform toDevice = painter->deviceTransform();
    bool invertible = false;
    const QTransform toLogical = toDevice.inverted(&invertible);
    if (!invertible) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    const QRectF device = toDevice.mapRect(QRectF(option->rect));
    const QRectF inside(
        QPointF(std::ceil(device.left()) + 0.5, std::ceil(device.top()) + 0.5),
        QPointF(std::floor(device.right()) - 0.5, std::floor(device.bottom()) - 0.5));
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    // The outline colour of the Fusion style's frames.
    painter->setPen(QPen(option->palette.window().color().darker(140).lighter(108), 0));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(toLogical.mapRect(inside));
    painter->restore();
  }
};

}  // namespace

void KeepTextFieldFrames() {
  if (dynamic_cast<FramedTextFieldsStyle*>(QApplication::style())) return;
  // The default base style: a new object of the style Qt would choose, which the proxy owns.
  QApplication::setStyle(new FramedTextFieldsStyle);
}

}  // namespace ravlek
