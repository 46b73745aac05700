#include "web/PendingMessages.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace tovrenic {
namespace {

// Only the window's thread installs and runs the hook and the waiter.
PendingMessagesHook& InstalledHook() {
  static PendingMessagesHook hook;
  return hook;
}

TransferWaiter& InstalledWaiter() {
  static TransferWaiter waiter;
  return waiter;
}

std::atomic<bool> giveUp{false};

// The wakers of the transfers under way; RequestGiveUp may come from any thread.
struct Wakers {
  std::mutex mutex;
  std::vector<const std::function<void()>*> list;
};
Wakers& ActiveWakers() {
  static Wakers wakers;
  return wakers;
}

}  // namespace

void SetPendingMessagesHook(PendingMessagesHook hook) { InstalledHook() = std::move(hook); }

bool HandlePendingMessages() {
  // Run a copy: a handler reached through the hook may install another hook meanwhile.
  PendingMessagesHook hook = InstalledHook();
  const bool goOn = hook ? hook() : true;
  return goOn && !GiveUpRequested();
}

void SetTransferWaiter(TransferWaiter waiter) { InstalledWaiter() = std::move(waiter); }

void RunTransfer(const std::function<void()>& transfer) {
  TransferWaiter waiter = InstalledWaiter();
  if (waiter) {
    waiter(transfer);
  } else {
    transfer();
  }
}

void RequestGiveUp() {
  giveUp = true;
  Wakers& wakers = ActiveWakers();
  std::lock_guard lock(wakers.mutex);
  for (const auto* wake : wakers.list) (*wake)();
}

bool GiveUpRequested() { return giveUp; }

void ResetGiveUp() { giveUp = false; }

GiveUpWaker::GiveUpWaker(std::function<void()> wake) : wake_(std::move(wake)) {
  Wakers& wakers = ActiveWakers();
  std::lock_guard lock(wakers.mutex);
  wakers.list.push_back(&wake_);
}

GiveUpWaker::~GiveUpWaker() {
  Wakers& wakers = ActiveWakers();
  std::lock_guard lock(wakers.mutex);
  wakers.list.erase(std::remove(wakers.list.begin(), wakers.list.end(), &wake_),
                    wakers.list.end());
}

}  // namespace tovrenic
