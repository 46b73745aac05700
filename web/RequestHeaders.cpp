#include "web/RequestHeaders.h"
