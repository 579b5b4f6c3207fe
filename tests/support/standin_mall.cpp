#include "support/standin_mall.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace testing_support {

namespace {

constexpr int kStartLimitMs = 30'000;  // sanitizer builds start slowly

}  // namespace

StandInMall::StandInMall(int port, const std::string& tlsDir) : tlsDir_(tlsDir) {
  int output[2];
  int input[2];
  if (pipe2(output, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  if (pipe2(input, O_CLOEXEC) != 0) {
    close(output[0]);
    close(output[1]);
    throw std::runtime_error("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  char path[] = KOBANU_STANDIN_MALL_PATH;
  char exitOption[] = "--exit-when-stdin-closes";
  char portOption[] = "--port";
  std::string portText = std::to_string(port);
  char tlsOption[] = "--tls-dir";
  std::string tlsText = tlsDir;
  std::vector<char*> argv = {path, exitOption};
  if (port != 0) argv.insert(argv.end(), {portOption, portText.data()});
  if (!tlsDir.empty()) argv.insert(argv.end(), {tlsOption, tlsText.data()});
  argv.push_back(nullptr);
  const int spawned = posix_spawn(&pid_, path, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  close(input[0]);
  output_ = output[0];
  input_ = input[1];
  if (spawned != 0) {
    close(output_);
    close(input_);
    throw std::runtime_error(std::string("cannot start ") + path);
  }
  fcntl(output_, F_SETFL, O_NONBLOCK);

  // The port comes on a line of its own, after the TLS ports.
  const auto portLine = [this] {
    return std::find_if(lines_.begin(), lines_.end(), [](const std::string& line) {
      return !line.empty() && line.find_first_not_of("0123456789") == line.npos;
    });
  };
  std::unique_lock lock(mutex_);
  while (portLine() == lines_.end() && !ended_) {
    pollfd readable{output_, POLLIN, 0};
    lock.unlock();
    const int ready = poll(&readable, 1, kStartLimitMs);
    lock.lock();
    if (ready == 0) break;
    DrainOutput();
  }
  if (portLine() != lines_.end()) port_ = std::atoi(portLine()->c_str());
  lock.unlock();
  if (port_ <= 0) {
    Stop();
    throw std::runtime_error("the stand-in mall did not tell its port");
  }
  host_ = "127.0.0.1:" + std::to_string(port_);
  reader_ = std::thread(&StandInMall::PumpOutput, this);
}

StandInMall::~StandInMall() { Stop(); }

void StandInMall::Stop() {
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  if (reader_.joinable()) reader_.join();  // it ends with the pipe
  close(output_);
  close(input_);
}

std::string StandInMall::Url(std::string_view pathAndQuery) const {
  return "http://" + host_ + std::string(pathAndQuery);
}

std::vector<std::string> StandInMall::PrintedLines(std::string_view prefix) {
  std::lock_guard lock(mutex_);
  // The stand-in prints a request line before it answers, so whatever has been answered is in
  // the pipe by now, even if the reader has not got to it yet.
  DrainOutput();
  std::vector<std::string> found;
  for (const std::string& line : lines_) {
    if (line.starts_with(prefix)) found.push_back(line.substr(prefix.size()));
  }
  return found;
}

int StandInMall::TlsPort(std::string_view kind) {
  std::lock_guard lock(mutex_);
  const std::string prefix = "TLS " + std::string(kind) + " ";
  for (const std::string& line : lines_) {
    if (line.starts_with(prefix)) return std::atoi(line.c_str() + prefix.size());
  }
  return 0;
}

void StandInMall::ArmFault(std::string_view query) { Control("/control/fault?", query); }

void StandInMall::SetServiceMode(std::string_view query) { Control("/control/service?", query); }

void StandInMall::Control(std::string_view path, std::string_view query) {
  httplib::Client client("127.0.0.1", port_);
  const auto result = client.Get(std::string(path) + std::string(query));
  if (!result || result->status != 200) {
    throw std::runtime_error("the stand-in mall refused " + std::string(path) + std::string(query));
  }
}

void StandInMall::DrainOutput() {
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(output_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ended_ = ended_ || n == 0 || errno != EAGAIN;
      return;
    }
    pending_.append(buffer, static_cast<size_t>(n));
    for (size_t end; (end = pending_.find('\n')) != pending_.npos; pending_.erase(0, end + 1)) {
      lines_.push_back(pending_.substr(0, end));
    }
  }
}

void StandInMall::PumpOutput() {
  for (;;) {
    pollfd readable{output_, POLLIN, 0};
    poll(&readable, 1, -1);
    std::lock_guard lock(mutex_);
    DrainOutput();
    if (ended_) return;
  }
}

std::string UnreachableUrl() {
  // A port the system just handed out and took back; nothing else binds it so soon.
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
}

}  // namespace testing_support
