#include "text/TextPrimitives.h"
