#pragma once
// The annotation-editor launcher page (page 1): two pictures that show how the editor is used,
// and the button that starts it once per run. Its notices and the editor's place in the
// application folder.

#include <QObject>
#include <QSize>
#include <QString>

#include "app/window/designed_layout.h"

class QLabel;
class QPushButton;

namespace ravlek {

class EditorPage : public QObject {
  Q_OBJECT

 public:
  EditorPage(QWidget* sheet, const DesignUnits& units);

  static LayoutTable Places();
  // The pictures keep their place and size.
  void FollowGrowth(QSize extra) { layout_.Follow(extra); }

  void TntBitBtn_Spell_Click();

  QWidget* const TntTabSheet2;
  QLabel* Image1 = nullptr;
  QPushButton* TntBitBtn_Spell = nullptr;
  QLabel* TntImage1 = nullptr;

 private:
  DesignedLayout layout_;
};

QString EditorNoticeCaption();
// Two lines joined by CR LF: the editor was already started in this run.
QString EditorAlreadyOpenNotice();
// Four lines joined by CR LF, no line break after the last: how to try the example files.
QString EditorUsageNotice();
// The editor program in the given application folder.
QString EditorProgramPath(const QString& applicationFolder);

}  // namespace ravlek
