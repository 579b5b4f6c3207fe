#pragma once

#include <chrono>
#include <string_view>

namespace standin {

// The socket of one connection, taken over from cpp-httplib to answer in ways that no
// well-formed server would. On destruction the connection is closed (or reset) and httplib is
// left a harmless descriptor in its place, so nothing it writes afterwards reaches the client.
class RawConnection {
 public:
  // httplib hands no socket to its handlers, so the connection is found among the process's
  // descriptors by its two ports. Throws std::runtime_error when there is none.
  RawConnection(int localPort, int remotePort);
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  // False when the client is gone. With more, the bytes wait for the next write to go with it.
  bool Write(std::string_view bytes, bool more = false);

  // Waits at most limit for the client to close the connection; true when it did.
  bool ClientLeftWithin(std::chrono::milliseconds limit);

  // The connection ends with a reset instead of an orderly close.
  void ResetOnClose() { reset_ = true; }

 private:
  int fd_;
  bool reset_ = false;
};

}  // namespace standin
