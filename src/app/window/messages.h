#pragma once
// The program's message boxes and its program-wide error report.

#include <QFont>
#include <QString>
#include <functional>

class QWidget;

namespace ravlek {

// The font of every box: the desktop's user-interface family for Chinese text (Noto Sans CJK TC)
// at the application's default size.
QFont MessageFont();

// The application's title: the executable's file name without its extension ("Ravlek").
QString ApplicationTitle();

// A modal box with one OK button and no icon that closes itself after `milliseconds` unless the
// user closed it first. Returns when it is closed.
void ShowTimedNotice(const QString& text, const QString& caption, int milliseconds);

// A plain message: no icon, one OK button, the application's title as caption; waits for the user.
void ShowPlainMessage(const QString& text);

// A message with its own caption, no icon and one OK button, over `owner`; waits for the user.
void ShowCaptionedMessage(QWidget* owner, const QString& text, const QString& caption);

// The error report's text: a full stop is appended unless the last character's code is at most
// that of "." (so a message ending in "!", "." or a blank stays as it is) or it is a full-width
// "。", "！" or "？".
QString ErrorReportText(const QString& message);

// Shows an error in a box with an error icon, one OK button and the application's title; the
// details, when given, behind the box's details button.
void ShowErrorReport(const QString& message, const QString& details = {});

// Runs one handler: an Error (or any std::exception) escaping it ends the handler and is shown
// by the error report; an Abort ends it silently. The program goes on either way.
void RunHandler(const std::function<void()>& handler);

}  // namespace ravlek
