// One program per user folder.
#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

namespace rivolet {
namespace {

// How long a later start waits for a program that is still starting, and a
// running program for the bytes of one hand-over.
constexpr auto kEnterLimit = std::chrono::seconds(15);
constexpr int kAnswerMs = 3000;
constexpr int kReadMs = 5000;

QString SocketName(const std::filesystem::path& socket) {
  return QFile::decodeName(socket.c_str());
}

}  // namespace

SingleInstance::SingleInstance(std::filesystem::path user_folder,
                               std::filesystem::path socket)
    : user_folder_(std::move(user_folder)), socket_(std::move(socket)) {}

SingleInstance::~SingleInstance() {
  if (server_ != nullptr) server_->close();
  if (lock_fd_ >= 0) ::close(lock_fd_);
}

bool SingleInstance::TakeLock() {
  if (lock_fd_ < 0) {
    lock_fd_ = ::open(user_folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Nothing to lock: nothing of this folder can be shared either.
    if (lock_fd_ < 0) return true;
  }
  if (::flock(lock_fd_, LOCK_EX | LOCK_NB) == 0) return true;
  // A file system without such locks cannot tell: the start runs.
  return errno != EWOULDBLOCK;
}

SingleInstance::Start SingleInstance::Enter(const HandOver& hand_over) {
  const auto deadline = std::chrono::steady_clock::now() + kEnterLimit;
  while (!TakeLock()) {
    if (Send(hand_over)) return Start::kHandedOver;
    if (std::chrono::steady_clock::now() >= deadline) return Start::kNoAnswer;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return Start::kRun;
}

bool SingleInstance::Send(const HandOver& hand_over) {
  QLocalSocket socket;
  socket.connectToServer(SocketName(socket_));
  if (!socket.waitForConnected(kAnswerMs)) return false;
  const std::string bytes = EncodeHandOver(hand_over);
  socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
  if (!socket.waitForBytesWritten(kAnswerMs)) return false;
  QByteArray answer;
  while (answer.size() < static_cast<qsizetype>(sizeof kHandOverTaken - 1) &&
         socket.waitForReadyRead(kAnswerMs)) {
    answer += socket.readAll();
  }
  return answer.startsWith(kHandOverTaken);
}

void SingleInstance::Listen() {
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  // The lock is ours: a socket file there is a crashed program's.
  QLocalServer::removeServer(SocketName(socket_));
  if (!server_->listen(SocketName(socket_))) return;
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
}

void SingleInstance::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    auto reader = std::make_shared<HandOverReader>();
    // A start that never finishes its message is not waited for.
    QTimer::singleShot(kReadMs, socket, &QLocalSocket::abort);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader] {
      const QByteArray bytes = socket->readAll();
      const HandOverReader::State state =
          reader->Feed(std::string_view(bytes.data(), bytes.size()));
      if (state == HandOverReader::State::kMore) return;
      if (state == HandOverReader::State::kDone) {
        socket->write(kHandOverTaken);
        socket->flush();
        // Not from inside the socket's signal: what it starts may ask.
        QTimer::singleShot(0, this, [this, handed = reader->hand_over()] {
          emit handedOver(handed);
        });
      }
      socket->disconnectFromServer();
    });
  }
}

}  // namespace rivolet
