// Placeholder: filled in by the module's implementation.
#include "config/file_locations.h"
