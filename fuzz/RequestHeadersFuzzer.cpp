// Request header blocks, response header processing and cookie merging on arbitrary header text.
//
// Input: a flag byte and a method byte, then caller headers, cookies to send, response headers,
// the cookies received so far and two cookie texts to merge, separated by zero bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzInput.h"
#include "text/Text.h"
#include "web/RequestHeaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tovrenic;
  using namespace tovrenic::fuzz;
  FuzzInput input(data, size);
  const std::uint8_t flags = input.Byte();
  const int method = input.Byte() % 3;  // GET, POST and one the defaults do not know
  const Text extraHeaders(input.Field());
  const Text sendCookies(input.Field());
  const Text responseHeaders(input.Field());
  const Text receivedSoFar(input.Field());
  const Text sent(input.Field());
  const Text received(input.Field());

  BuildRequestHeaders(extraHeaders, sendCookies, method, (flags & 1) != 0, (flags & 2) != 0);

  const bool merge = (flags & 4) != 0;
  Text receivedCookies = receivedSoFar;
  Text redirectLocation;
  Text cookiesToSend = sendCookies;
  ProcessResponseHeaders(responseHeaders, merge, receivedCookies, redirectLocation, cookiesToSend);
  if (merge && !sendCookies.empty() && receivedCookies != cookiesToSend) {
    Fail("after merging, the received and the sent cookies differ: " +
         Printable(receivedCookies.view()) + " and " + Printable(cookiesToSend.view()));
  }
  if (!merge && cookiesToSend != sendCookies) Fail("the sent cookies changed without merging");

  Text mergedSent = sent;
  Text mergedReceived = received;
  const Text merged = MergeCookies(mergedSent, mergedReceived);
  if (merged != mergedSent || merged != mergedReceived) {
    Fail("MergeCookies left " + Printable(mergedSent.view()) + " and " +
         Printable(mergedReceived.view()) + " but returned " + Printable(merged.view()));
  }
  return 0;
}
