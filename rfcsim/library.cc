// Placeholder.
#include "rfcsim.h"
