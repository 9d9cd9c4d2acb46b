// Placeholder: filled in by the module's implementation.
#include "rfc/rfc_error.h"
