#pragma once

#include <functional>

namespace tovrenic {

// The points where a running request lets the window system handle pending messages go through
// one hook that the window installs. The hook returns false when the request should give up
// (the window has been closed); without a hook nothing happens and requests go on.
using PendingMessagesHook = std::function<bool()>;

void SetPendingMessagesHook(PendingMessagesHook hook);

// Runs the hook; false when the running request should give up.
bool HandlePendingMessages();

}  // namespace tovrenic
