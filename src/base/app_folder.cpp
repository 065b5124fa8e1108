#include "base/app_folder.h"

#include <QDir>

namespace ravlek {

QString AppFolderFile(const QString& relative) {
  return QDir::currentPath() + u'/' + relative;
}

}  // namespace ravlek
