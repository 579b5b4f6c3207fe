#include "platform/ui/instance_requests.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/ui/backend.h"

namespace ui {

namespace {

// An abstract socket: it needs no runtime folder and leaves no file behind. Its name carries the
// user, and the peer's credentials are checked as well.
struct Address {
  sockaddr_un un{};
  socklen_t length = 0;
};

Address AddressOf(const std::string& lockName) {
  const std::string name = lockName + ".requests." + std::to_string(geteuid());
  Address address;
  address.un.sun_family = AF_UNIX;
  const size_t size = std::min(name.size(), sizeof address.un.sun_path - 1);
  std::memcpy(address.un.sun_path + 1, name.data(), size);
  address.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + size);
  return address;
}

bool FromThisUser(int connection) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         peer.uid == geteuid();
}

// A request is one command in four bytes, sent in one piece; anything else is let go.
void Read(int connection) {
  auto* readable = new QSocketNotifier(connection, QSocketNotifier::Read, qApp);
  QObject::connect(readable, &QSocketNotifier::activated, readable, [readable, connection] {
    uint32_t command = 0;
    if (recv(connection, &command, sizeof command, MSG_DONTWAIT) == sizeof command) {
      DeliverTrayMenuCommand(command);
    }
    readable->setEnabled(false);
    readable->deleteLater();
    close(connection);
  });
}

}  // namespace

void ServeInstanceRequests(const std::string& lockName) {
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listener < 0) return;
  const Address address = AddressOf(lockName);
  if (bind(listener, reinterpret_cast<const sockaddr*>(&address.un), address.length) != 0 ||
      listen(listener, 4) != 0) {
    close(listener);
    return;
  }
  auto* incoming = new QSocketNotifier(listener, QSocketNotifier::Read, qApp);
  QObject::connect(incoming, &QSocketNotifier::activated, [listener] {
    for (;;) {
      const int connection = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (connection < 0) return;
      if (FromThisUser(connection)) {
        Read(connection);
      } else {
        close(connection);
      }
    }
  });
}

bool SendInstanceRequest(const std::string& lockName, unsigned command) {
  const int connection = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (connection < 0) return false;
  const Address address = AddressOf(lockName);
  const uint32_t request = command;
  const bool sent =
      connect(connection, reinterpret_cast<const sockaddr*>(&address.un), address.length) == 0 &&
      send(connection, &request, sizeof request, MSG_NOSIGNAL) == sizeof request;
  close(connection);
  return sent;
}

}  // namespace ui
