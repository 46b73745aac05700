#pragma once

#include <functional>

namespace tovrenic {

// The points where a running request lets the window system handle pending messages go through
// one hook that the window installs. The hook returns false when the request should give up
// (the window has been closed); without a hook nothing happens and requests go on.
using PendingMessagesHook = std::function<bool()>;

void SetPendingMessagesHook(PendingMessagesHook hook);

// Runs the hook; false when the running request should give up (also when giving up was asked
// for meanwhile).
bool HandlePendingMessages();

// How the calling thread waits for a blocking transfer. Without a waiter the transfer simply
// runs on the calling thread. The window installs one that runs the transfer on a worker thread
// and meanwhile keeps handling the window system's events except user input, so the window
// repaints and can be closed while a page arrives.
using TransferWaiter = std::function<void(const std::function<void()>& transfer)>;

void SetTransferWaiter(TransferWaiter waiter);
void RunTransfer(const std::function<void()>& transfer);

// Giving up: once asked (the window was closed), every request under way or still to come ends
// as a failed one, and a transfer stops well within a second. Safe to call from any thread.
void RequestGiveUp();
bool GiveUpRequested();
// Forgets an earlier request to give up (for tests).
void ResetGiveUp();

// While it lives, tells RequestGiveUp how to wake the transfer under way (a sleeping poll, say),
// so that giving up does not wait for the transfer's next time-out.
class GiveUpWaker {
 public:
  explicit GiveUpWaker(std::function<void()> wake);
  ~GiveUpWaker();
  GiveUpWaker(const GiveUpWaker&) = delete;
  GiveUpWaker& operator=(const GiveUpWaker&) = delete;

 private:
  std::function<void()> wake_;
};

}  // namespace tovrenic
