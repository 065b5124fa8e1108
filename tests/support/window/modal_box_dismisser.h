#pragma once
// A dismisser of modal message boxes that records what they said.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace ravlek::test {

// While it lives, closes every modal message box shortly after it appears (as the user would by
// pressing OK) and records the box's caption and text.
class ModalBoxDismisser : public QObject {
 public:
  explicit ModalBoxDismisser(int delayMs = 10);
  struct Box {
    QString caption;
    QString text;
    bool errorIcon;
    bool plainText;      // the text is shown as written, never as markup
    QString fontFamily;  // the family the text is drawn in
    qreal pointSize;
  };
  const QList<Box>& Boxes() const { return boxes_; }
  QStringList Texts() const;

 private:
  void Poll();
  QTimer timer_;
  QList<Box> boxes_;
  QObject* pending_ = nullptr;
  int delayMs_;
  int seenFor_ = 0;
};

}  // namespace ravlek::test
