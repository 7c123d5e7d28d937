// The controller's own file: allowed.
#include "app/NBController.h"
