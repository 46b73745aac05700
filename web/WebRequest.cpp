#include "web/WebRequest.h"
