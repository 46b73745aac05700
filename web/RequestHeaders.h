#pragma once

#include "text/Text.h"

namespace tovrenic {

// The request header block: the caller's lines, the default lines they lack, capitalised names,
// the keep-alive rule and the cookie line. method 1 (POST) adds a default Content-Type.
Text BuildRequestHeaders(const Text& extraHeaders, const Text& sendCookies, int method,
                         bool completeHeaders, bool normalizeHeaderNames);

Text CapitalizeHeaderNames(const Text& headers);
Text HeaderValue(const Text& headers, const Text& name);
Text TextLeftOf(const Text& text, const Text& marker);
Text TextRightOf(const Text& text, const Text& marker);

// Collects the cookies the response sets into receivedCookies and a Location line into
// redirectLocation, and merges the cookies with sendCookies when asked. Lets pending messages
// be handled once per header line.
void ProcessResponseHeaders(const Text& responseHeaders, bool mergeCookies,
                            Text& receivedCookies, Text& redirectLocation, Text& sendCookies);

// Merges sent and received cookie items; both end up holding the merged set, which is returned.
Text MergeCookies(Text& sentCookies, Text& receivedCookies);
Text RemoveDuplicateItems(const Text& text, const Text& separator);
Text CookieName(const Text& item);

}  // namespace tovrenic
