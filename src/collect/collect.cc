// Placeholder: filled in by the module's implementation.
#include "collect/collect.h"
