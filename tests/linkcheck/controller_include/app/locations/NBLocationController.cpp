// A part below the root that reaches back up for the controller.
// #include "app/NBController.h" in a comment does not count.
#include "app/locations/NBLocationController.h"
#include "app/NBController.h"
