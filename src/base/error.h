#pragma once
// The program's error types. An Error that escapes a window handler ends that handler and is shown
// by the program-wide error report; an Abort ends it silently.

#include <QString>
#include <exception>
#include <string>

namespace ravlek {

class Error : public std::exception {
 public:
  explicit Error(QString message) : message_(std::move(message)), utf8_(message_.toStdString()) {}
  const QString& message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  QString message_;
  std::string utf8_;
};

// The errors of a file that cannot be opened for reading, or created: the name as it is shown
// and the system's reason.
inline Error CannotOpenFileError(const QString& shownName, const QString& reason) {
  return Error(QStringLiteral("Cannot open file \"%1\". %2").arg(shownName, reason));
}
inline Error CannotCreateFileError(const QString& shownName, const QString& reason) {
  return Error(QStringLiteral("Cannot create file \"%1\". %2").arg(shownName, reason));
}

// A write that failed because the disk (or the user's quota) is full.
class DiskFullError : public Error {
 public:
  using Error::Error;
};

// A cancelled action that carries no message: it ends the handler and is never shown.
class Abort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

}  // namespace ravlek
