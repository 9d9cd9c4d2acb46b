// Placeholder: filled in by the module's implementation.
#include "config/global_listing.h"
