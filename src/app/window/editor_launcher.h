#pragma once
// The annotation-editor launcher's notices and the editor's place in the application folder.

#include <QString>

namespace ravlek {

QString EditorNoticeCaption();
// Two lines joined by CR LF: the editor was already started in this run.
QString EditorAlreadyOpenNotice();
// Four lines joined by CR LF, no line break after the last: how to try the example files.
QString EditorUsageNotice();
// The editor program in the given application folder.
QString EditorProgramPath(const QString& applicationFolder);

}  // namespace ravlek
