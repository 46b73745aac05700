#include "web/PendingMessages.h"

#include <utility>

namespace tovrenic {
namespace {

// Only the window's thread installs and runs the hook.
PendingMessagesHook& InstalledHook() {
  static PendingMessagesHook hook;
  return hook;
}

}  // namespace

void SetPendingMessagesHook(PendingMessagesHook hook) {
  InstalledHook() = std::move(hook);
}

bool HandlePendingMessages() {
  // Run a copy: a handler reached through the hook may install another hook meanwhile.
  PendingMessagesHook hook = InstalledHook();
  return hook ? hook() : true;
}

}  // namespace tovrenic
