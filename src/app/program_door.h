#pragma once
// One program per application folder: the running program holds a lock in the folder and opens a
// door (a local socket named after the folder) through which a later start, of the program or of
// the starter, asks it to bring its window forward instead of running a second time.

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

namespace ravlek {

// The lock file of the running program, in the application folder.
inline const QString kProgramLockFile = QStringLiteral("Ravlek.lock");

// What a later start tells when a program runs in the folder but does not answer.
inline const QString kAlreadyRunningText = QStringLiteral(
    "台語Ostrel輔助系統已經在這個資料夾執行中，但無法把它的視窗帶到前面。請切換到已開啟的視窗。");

// The door's name for a folder: the same for every path that leads to it.
QString ProgramDoorName(const QString& appDir);

// The program's lock on the application folder (flock on kProgramLockFile), held while it lives.
// The kernel lets it go when the program ends, however it ends; it is not passed on to programs
// started from it.
class ProgramLock {
 public:
  explicit ProgramLock(const QString& appDir);
  ~ProgramLock();
  ProgramLock(const ProgramLock&) = delete;
  ProgramLock& operator=(const ProgramLock&) = delete;
  bool held() const { return held_; }
  // Another program holds it. (A folder where no lock file can be made, one the user may only
  // read, has neither: the program then runs without.)
  bool busy() const { return busy_; }

 private:
  int fd_ = -1;
  bool held_ = false;
  bool busy_ = false;
};

// Asks the program running in appDir to bring its window forward; true once it has answered.
// Tries for up to `waitMs`: a program that has just taken its lock opens its door a moment later.
bool BringProgramForward(const QString& appDir, int waitMs);

// The running program's side: answers each request and calls `forward` on its own thread.
class ProgramDoor : public QObject {
 public:
  ProgramDoor(const QString& appDir, std::function<void()> forward);
  ~ProgramDoor() override;
  // False when the door could not be opened (later starts then cannot reach this program).
  bool open() const { return open_; }

 private:
  QLocalServer* server_;
  std::function<void()> forward_;
  bool open_ = false;
};

}  // namespace ravlek
