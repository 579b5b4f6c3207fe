#include "profile_oracle/real_functions.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

extern char** environ;

namespace profile_oracle {

namespace {

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written <= 0) throw std::runtime_error("the program on the real functions went away");
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

std::string ReadExactly(int fd, size_t size) {
  std::string bytes(size, '\0');
  for (size_t done = 0; done < size;) {
    const ssize_t got = read(fd, bytes.data() + done, size - done);
    if (got <= 0) throw std::runtime_error("the program on the real functions gave no answer");
    done += static_cast<size_t>(got);
  }
  return bytes;
}

}  // namespace

RealFunctions::RealFunctions(const std::string& server, const std::string& directory) {
  int in[2];
  int out[2];
  if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::string wine = "wine";
  std::string program = server;
  std::string where = directory;
  char* argv[] = {wine.data(), program.data(), where.data(), nullptr};
  const int spawned = posix_spawnp(&child_, "wine", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  toChild_ = in[1];
  fromChild_ = out[0];
  if (spawned != 0) throw std::runtime_error("wine did not start");
  signal(SIGPIPE, SIG_IGN);  // a program that went away is an exception, not the end
}

RealFunctions::~RealFunctions() {
  close(toChild_);  // the program ends when its input does
  close(fromChild_);
  int status = 0;
  waitpid(child_, &status, 0);
}

Outcome RealFunctions::Run(const Case& oracleCase) {
  WriteAll(toChild_, Framed(Encode(oracleCase)));
  const std::string size = ReadExactly(fromChild_, 4);
  uint32_t length = 0;
  for (int i = 3; i >= 0; --i) length = length << 8 | static_cast<uint8_t>(size[i]);
  Outcome outcome;
  if (!Decode(ReadExactly(fromChild_, length), outcome)) {
    throw std::runtime_error("an answer that does not decode");
  }
  return outcome;
}

std::optional<std::string> RealFunctions::Rewritten(const std::optional<std::string>& file) {
  if (!file) return file;
  return Run({false, file, {{OpKind::kRewrite, {}, {}, {}}}}).file;
}

}  // namespace profile_oracle
