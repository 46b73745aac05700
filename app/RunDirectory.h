#pragma once

#include <string>

namespace tovrenic {

// The folder of the running executable, without a trailing "/" (empty for an executable in the
// root folder, so that appending "/wx.txt" still gives a valid path).
std::string ExecutableDirectory();

// Fixes the run directory for the rest of the run and makes it the current directory. A failure
// to change the directory is ignored: the run directory is still used for the report file.
void FixRunDirectory(const std::string& directory);

// The run directory fixed at start-up.
const std::string& RunDirectory();

}  // namespace tovrenic
