#include "platform/logfile/log_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace platform {

namespace {

bool IsWritableFileAttributes(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY |
                        FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// The log opened for writing at its end (access GENERIC_WRITE, with GENERIC_READ to read it too);
// INVALID_HANDLE_VALUE unless it is a writable file on disk. Write access, not only appending, so
// that a line cut short can be taken back.
HANDLE OpenForAppend(const std::string& path, DWORD access = GENERIC_WRITE) {
  HANDLE file = CreateFileA(
      path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
      !IsWritableFileAttributes(info.dwFileAttributes)) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

bool MayReplace(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  return IsWritableFileAttributes(attributes);
}

// Writes line at the end of file, or leaves the file as it was.
bool WriteWhole(HANDLE file, std::string_view line) {
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END)) return false;
  DWORD written = 0;
  if (WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
      written == line.size()) {
    return true;
  }
  if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) SetEndOfFile(file);
  return false;
}

}  // namespace

LogAppend AppendLogLine(const std::string& path, const std::string& rotatedPath,
                        std::string_view line, uint64_t rotateAtBytes) {
  HANDLE file = OpenForAppend(path);
  if (file == INVALID_HANDLE_VALUE) return LogAppend::kLost;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) >= rotateAtBytes) {
    CloseHandle(file);
    if (!MayReplace(rotatedPath) ||
        !MoveFileExA(path.c_str(), rotatedPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      return LogAppend::kFull;
    }
    file = OpenForAppend(path);
    if (file == INVALID_HANDLE_VALUE) return LogAppend::kLost;
  }
  const bool written = WriteWhole(file, line);
  CloseHandle(file);
  return written ? LogAppend::kWritten : LogAppend::kLost;
}

bool AppendLines(const std::string& path, std::string_view head, std::string_view lines) {
  HANDLE file = OpenForAppend(path, GENERIC_READ | GENERIC_WRITE);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool written = false;
  if (GetFileSizeEx(file, &size)) {
    std::string text;
    char last = '\n';
    DWORD read = 0;
    LARGE_INTEGER lastByte{};
    lastByte.QuadPart = size.QuadPart - 1;
    if (size.QuadPart == 0) {
      text = head;
    } else if (SetFilePointerEx(file, lastByte, nullptr, FILE_BEGIN) &&
               ReadFile(file, &last, 1, &read, nullptr) && read == 1 && last != '\n') {
      text = "\r\n";
    }
    text += lines;
    written = WriteWhole(file, text);
  }
  CloseHandle(file);
  return written;
}

std::optional<std::string> ReadFileTail(const std::string& path, uint64_t maxBytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> tail;
  LARGE_INTEGER size{};
  if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size)) {
    const auto total = static_cast<uint64_t>(size.QuadPart);
    LARGE_INTEGER start{};
    start.QuadPart = static_cast<LONGLONG>(total > maxBytes ? total - maxBytes : 0);
    std::string bytes(total - static_cast<uint64_t>(start.QuadPart), '\0');
    size_t length = 0;
    if (SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
      DWORD read = 0;
      while (length < bytes.size() &&
             ReadFile(file, bytes.data() + length,
                      static_cast<DWORD>(std::min<size_t>(bytes.size() - length, 1u << 30)), &read,
                      nullptr) &&
             read > 0) {
        length += read;
      }
    }
    bytes.resize(length);
    tail = std::move(bytes);
  }
  CloseHandle(file);
  return tail;
}

std::string LocalTimeText() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond);
  return text;
}

}  // namespace platform
