// Placeholder: filled in by the module's implementation.
#include "rfc/connection.h"
