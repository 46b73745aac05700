#pragma once

#include <functional>

namespace tovrenic {

class MainWindow;

// Installs how requests wait and where they let pending messages be handled: a transfer runs
// on a worker thread while the window keeps handling the window system's events except user
// input (it repaints, and a close from the window system takes effect); user input runs only
// at the handling points between a request's steps.
void InstallRequestHooks();

// Runs one briefing query inside a click, with the wait cursor showing. When the window is
// closed meanwhile, the query gives up the fetches still to come.
void RunQuery(MainWindow& window, const std::function<void()>& query);

}  // namespace tovrenic
