// Placeholder: filled in by the module's implementation.
#include "config/system_entry.h"
