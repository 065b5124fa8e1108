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

// A cancelled action that carries no message: it ends the handler and is never shown.
class Abort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

}  // namespace ravlek
