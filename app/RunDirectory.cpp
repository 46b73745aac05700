#include "app/RunDirectory.h"

#include <string>

#include "app/Platform.h"

namespace tovrenic {
namespace {
std::string& StoredRunDirectory() {
  static std::string directory;
  return directory;
}
}  // namespace

// ExecutableDirectory is written once per system: PlatformPosix.cpp, PlatformWindows.cpp.

void FixRunDirectory(const std::string& directory) {
  StoredRunDirectory() = directory;
  ChangeCurrentDirectory(directory);
}

const std::string& RunDirectory() {
  return StoredRunDirectory();
}

}  // namespace tovrenic
