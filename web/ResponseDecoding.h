#pragma once

#include "regex/RegexObject.h"
#include "text/Text.h"

namespace tovrenic {

// The response body as GBK text: the bytes up to the first zero byte, converted from the
// character set the page declares in its first 1024 bytes unless that is "gbk" or "gb2312".
// regex is the request's own regular-expression object.
Text DecodeResponseBody(const Bytes& body, RegexObject& regex);

}  // namespace tovrenic
