#pragma once

#include <QWidget>

#include <functional>

namespace tovrenic {

// The whole run of the program: fixes the run directory, builds and shows the window and runs
// the event loop until the window is closed. Returns the exit code: 0 after a normal run, -1
// when no window could be created. beforeShow, when given, sees the window just before it is
// shown (the start-up benchmark watches it for the first paint).
int RunProgram(int argc, char* argv[], const std::function<void(QWidget&)>& beforeShow = {});

}  // namespace tovrenic
