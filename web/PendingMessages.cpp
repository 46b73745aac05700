#include "web/PendingMessages.h"
