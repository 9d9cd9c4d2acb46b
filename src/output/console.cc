// Placeholder: filled in by the module's implementation.
#include "output/console.h"
