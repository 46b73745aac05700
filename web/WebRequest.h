#pragma once

#include "text/Text.h"

namespace tovrenic {

// The parameters of one request, in calling order, named as the request routine knows them.
// in: read only; in/out: read, and written at the steps that say so; out: written only at the
// steps that say so, otherwise left as the caller set them.
struct WebRequestCall {
  Text url;                          // in: http or https URL
  int method = 0;                    // in: 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE,
                                     //     6 TRACE, 7 CONNECT; anything else GET
  Text postText;                     // in: body when postBytes is empty
  Text sendCookies;                  // in/out
  Text receivedCookies;              // in/out: appended to, never cleared
  Text extraHeaders;                 // in: header lines joined by CR LF
  Text responseHeaders;              // out: raw headers, status line first
  bool noRedirect = false;           // in
  Text userName;                     // in: Basic credentials, used only with password
  Text password;                     // in
  Text proxy;                        // in: host:port, empty for a direct connection
  Text proxyUser;                    // in: used only with proxyPassword
  Text proxyPassword;                // in
  int timeoutSeconds = 0;            // in: 0 or less means 30 s
  Text redirectLocation;             // out
  Text statusText;                   // out: status code and reason, or the failure text
  Bytes responseBytes;               // out: the raw body
  bool mergeCookies = true;          // in
  bool completeHeaders = true;       // in
  Bytes postBytes;                   // in: body, used instead of postText when not empty
  bool normalizeHeaderNames = true;  // in
};

// Fetches one URL and returns the body decoded into GBK text; empty text after a failure (the
// part read so far after a failed body read), with the failure text in call.statusText.
Text WebRequest(WebRequestCall& call);

// The scrapers' form: the URL alone, every other parameter left out.
Text WebRequest(const Text& url);

}  // namespace tovrenic
