// The device tests drive the real XML component, which needs COM for the whole program.
#include "support/com_environment.h"
