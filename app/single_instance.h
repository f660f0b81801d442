// One program per user folder. The program that runs holds a lock on the
// folder for as long as it runs and listens on a local socket; a later
// start hands the file named on its command line to it and ends, so two
// programs never write one feeds.che.
#pragma once

#include <QObject>
#include <filesystem>
#include <string>

#include "app/hand_over.h"

class QLocalServer;

namespace rivolet {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // `socket` is where the running program listens (InstanceSocketPath).
  SingleInstance(std::filesystem::path user_folder,
                 std::filesystem::path socket);
  // Lets go of the lock; the socket goes with the server.
  ~SingleInstance() override;

  enum class Start {
    kRun,         // this start is the program of its folder: it runs
    kHandedOver,  // the running program took `hand_over`: this start ends
    kNoAnswer,    // the running program never answered
  };

  // Takes the folder's lock, or when another program holds it, hands
  // `hand_over` to that one, trying for a few seconds while it is still
  // starting (or takes the lock once it has ended). A folder that cannot be
  // locked (none yet, or no such locks there) lets the start run.
  Start Enter(const HandOver& hand_over);

  // For the program that runs: listens for later starts, taking over a
  // socket that a program which ended without closing it left behind.
  void Listen();

 signals:
  // A later start handed this over; its file may be empty.
  void handedOver(const rivolet::HandOver& hand_over);

 private:
  bool TakeLock();
  bool Send(const HandOver& hand_over);
  void Accept();

  std::filesystem::path user_folder_;
  std::filesystem::path socket_;
  int lock_fd_ = -1;
  QLocalServer* server_ = nullptr;
};

}  // namespace rivolet
