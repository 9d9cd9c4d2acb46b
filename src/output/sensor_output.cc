// Placeholder: filled in by the module's implementation.
#include "output/sensor_output.h"
