#include "app/RunDirectory.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace tovrenic {
namespace {
std::string& StoredRunDirectory() {
  static std::string directory;
  return directory;
}
}  // namespace

std::string ExecutableDirectory() {
  std::error_code error;
  std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error) return {};
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void FixRunDirectory(const std::string& directory) {
  StoredRunDirectory() = directory;
  [[maybe_unused]] int ignored = ::chdir(directory.empty() ? "/" : directory.c_str());
}

const std::string& RunDirectory() { return StoredRunDirectory(); }

}  // namespace tovrenic
