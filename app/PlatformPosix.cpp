// The run directory and the report file on Linux and other POSIX systems.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/Platform.h"
#include "app/Report.h"
#include "app/RunDirectory.h"

namespace tovrenic {

std::string ExecutableDirectory() {
  std::error_code error;
  std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error) return {};
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void ChangeCurrentDirectory(const std::string& directory) {
  [[maybe_unused]] int ignored = ::chdir(directory.empty() ? "/" : directory.c_str());
}

namespace {

WriteOutcome Failed(int error) {
  return {false, std::strerror(error)};
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

WriteOutcome WriteFileReplacing(const std::string& path, const std::string& bytes) {
  struct stat existing {};
  const bool exists = ::lstat(path.c_str(), &existing) == 0;
  if (exists) {
    if (S_ISDIR(existing.st_mode)) return Failed(EISDIR);
    if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return Failed(EACCES);
    if (::access(path.c_str(), W_OK) != 0) return Failed(errno);
  }

  std::string temporary = path + ".XXXXXX";
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) return Failed(errno);

  // A new file gets the usual mode for created files; a replaced one keeps its own.
  mode_t mode = 0;
  if (exists) {
    mode = existing.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  int error = 0;
  errno = 0;
  if (::fchmod(fd, mode) != 0 || !WriteAll(fd, bytes) || ::fsync(fd) != 0) {
    error = errno != 0 ? errno : EIO;
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return Failed(error);
  }
  return {true, {}};
}

}  // namespace tovrenic
