// Placeholder: filled in by the module's implementation.
#include "config/password.h"
