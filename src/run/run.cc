// Placeholder: filled in by the module's implementation.
#include "run/run.h"
