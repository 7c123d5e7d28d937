// The program's entry: allowed.
#include "app/NBController.h"
