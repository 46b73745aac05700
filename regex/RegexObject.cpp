#include "regex/RegexObject.h"

namespace tovrenic {
struct RegexObject::State {};
RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
}  // namespace tovrenic
