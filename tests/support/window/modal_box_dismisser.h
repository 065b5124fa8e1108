#pragma once
// A dismisser of modal message boxes that records what they said.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace ravlek::test {

// While it lives, closes every modal message box shortly after it appears (as the user would by
// pressing OK) and records the box's caption and text. While several live, the one made last acts:
// a test's own dismisser takes over from the window fixture's for its lifetime.
class ModalBoxDismisser : public QObject {
 public:
  // Which boxes it closes: every one, or only those that tell (one button), leaving a question
  // (replace the file?) to the test that answers it.
  enum class Closes { Every, TellingOnly };
  explicit ModalBoxDismisser(int delayMs = 10, Closes closes = Closes::Every);
  ~ModalBoxDismisser() override;
  ModalBoxDismisser(const ModalBoxDismisser&) = delete;
  ModalBoxDismisser& operator=(const ModalBoxDismisser&) = delete;
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
  Closes closes_;
  int seenFor_ = 0;
};

}  // namespace ravlek::test
