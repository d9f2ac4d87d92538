#include "flcopy.h"
