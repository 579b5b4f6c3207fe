// The real profile functions for the profile oracle: takes cases on standard input and answers
// each with its outcome on standard output. One process serves every case, as Wine starts slowly.
//
// Usage: profile_oracle_server DIRECTORY (where the case files are made)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "profile_oracle/oracle_case.h"
#include "profile_oracle/run_case.h"

namespace {

using profile_oracle::Case;
using profile_oracle::OpKind;
using profile_oracle::Outcome;

bool ReadMessage(std::string& message) {
  unsigned char size[4];
  if (std::fread(size, 1, 4, stdin) != 4) return false;
  message.resize(size[0] | size[1] << 8 | size[2] << 16 | static_cast<uint32_t>(size[3]) << 24);
  return std::fread(message.data(), 1, message.size(), stdin) == message.size();
}

// GetPrivateProfileStringA into a 512-byte buffer and WritePrivateProfileStringA, one call each.
std::vector<std::string> RunBare(const Case& oracleCase, const std::string& path) {
  std::vector<std::string> reads;
  for (const auto& op : oracleCase.ops) {
    switch (op.kind) {
      case OpKind::kRead: {
        char value[512] = {};
        GetPrivateProfileStringA(op.section.c_str(), op.key.c_str(), op.text.c_str(), value,
                                 sizeof value, path.c_str());
        reads.emplace_back(value);
        break;
      }
      case OpKind::kWrite:
        WritePrivateProfileStringA(op.section.c_str(), op.key.c_str(), op.text.c_str(),
                                   path.c_str());
        break;
      case OpKind::kRewrite:
        // Adding a section and taking it away again changes no value, but the functions write
        // the whole file out as they understood it.
        WritePrivateProfileStringA("oracle rewrite", "k", "v", path.c_str());
        WritePrivateProfileStringA("oracle rewrite", nullptr, nullptr, path.c_str());
        break;
    }
  }
  return reads;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: profile_oracle_server DIRECTORY\n");
    return 2;
  }
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  if (GetACP() != 932) {
    std::fprintf(stderr, "profile oracle: the ANSI code page is %u, not 932\n", GetACP());
    return 2;
  }
  std::string message;
  for (unsigned number = 0; ReadMessage(message); ++number) {
    Case oracleCase;
    if (!profile_oracle::Decode(message, oracleCase)) {
      std::fprintf(stderr, "profile oracle: a case that does not decode\n");
      return 2;
    }
    // A new name for every case: the functions keep recently used files in memory.
    const std::string path = std::string(argv[1]) + "\\case" + std::to_string(number) + ".ini";
    profile_oracle::PlaceFile(oracleCase.file, path);
    Outcome outcome;
    outcome.reads = oracleCase.program ? profile_oracle::RunOnPlatform(oracleCase.ops, path)
                                       : RunBare(oracleCase, path);
    outcome.file = profile_oracle::FileAt(path);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());  // out of the cache
    DeleteFileA(path.c_str());
    const std::string answer = profile_oracle::Framed(profile_oracle::Encode(outcome));
    std::fwrite(answer.data(), 1, answer.size(), stdout);
    std::fflush(stdout);
  }
  return 0;
}
