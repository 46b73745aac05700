#include "web/ResponseDecoding.h"
