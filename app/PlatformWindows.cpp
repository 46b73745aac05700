// The run directory and the report file on Windows. Paths travel as UTF-8 in std::string, as
// everywhere else in the program, and become UTF-16 at the system calls.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/Platform.h"
#include "app/Report.h"
#include "app/RunDirectory.h"

namespace tovrenic {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

// The system's own words for an error, in the ANSI code page as the window expects them.
WriteOutcome Failed(DWORD error) {
  char* message = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&message), 0, nullptr);
  std::string reason = length > 0 ? std::string(message, length) : "error " + std::to_string(error);
  LocalFree(message);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  return {false, reason};
}

}  // namespace

std::string ExecutableDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
  // Cut before the last backslash: an executable in the root of a drive leaves just "C:".
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::string() : Utf8(path.substr(0, slash));
}

void ChangeCurrentDirectory(const std::string& directory) {
  SetCurrentDirectoryW(directory.empty() ? L"\\" : Wide(directory).c_str());
}

// As on POSIX: the bytes go to a temporary file in the same folder, which then replaces the
// report file in one step, so a failure midway leaves the previous file as it was.
WriteOutcome WriteFileReplacing(const std::string& path, const std::string& bytes) {
  const std::wstring target = Wide(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return Failed(ERROR_ACCESS_DENIED);
  }

  const std::wstring temporary = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failed(GetLastError());

  DWORD error = 0;
  std::size_t done = 0;
  while (done < bytes.size() && error == 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) error = GetLastError();
    done += written;
  }
  if (error == 0 && !FlushFileBuffers(file)) error = GetLastError();
  if (!CloseHandle(file) && error == 0) error = GetLastError();
  if (error == 0 && !MoveFileExW(temporary.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error != 0) {
    DeleteFileW(temporary.c_str());
    return Failed(error);
  }
  return {true, {}};
}

}  // namespace tovrenic
