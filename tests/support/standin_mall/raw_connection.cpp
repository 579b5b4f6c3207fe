#include "raw_connection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace standin {

namespace {

int PortOf(const sockaddr_in& address) { return ntohs(address.sin_port); }

bool IsConnection(int fd, int localPort, int remotePort) {
  sockaddr_in local{};
  sockaddr_in remote{};
  socklen_t localSize = sizeof local;
  socklen_t remoteSize = sizeof remote;
  return getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) == 0 &&
         getpeername(fd, reinterpret_cast<sockaddr*>(&remote), &remoteSize) == 0 &&
         local.sin_family == AF_INET && PortOf(local) == localPort && PortOf(remote) == remotePort;
}

}  // namespace

RawConnection::RawConnection(int localPort, int remotePort) : fd_(-1) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    const int fd = std::stoi(entry.path().filename().string());
    if (IsConnection(fd, localPort, remotePort)) {
      fd_ = fd;
      break;
    }
  }
  if (fd_ < 0) throw std::runtime_error("no socket for port " + std::to_string(remotePort));
  // Blocking writes, but a client that stops reading cannot hold the thread for ever.
  fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  const timeval sendLimit{60, 0};
  setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
}

RawConnection::~RawConnection() {
  if (reset_) {
    const linger abort{1, 0};
    setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  }
  // Replacing the descriptor closes the socket: httplib still owns the number and closes it later.
  const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  dup2(null, fd_);
  close(null);
}

bool RawConnection::Write(std::string_view bytes, bool more) {
  while (!bytes.empty()) {
    const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | (more ? MSG_MORE : 0));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool RawConnection::ClientLeftWithin(std::chrono::milliseconds limit) {
  pollfd hangUp{fd_, POLLRDHUP, 0};
  int ready;
  do {
    ready = poll(&hangUp, 1, static_cast<int>(limit.count()));
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

}  // namespace standin
