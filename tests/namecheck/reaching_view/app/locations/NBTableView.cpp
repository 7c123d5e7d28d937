// A view that asks the controller for its data instead of being handed it.
#include "app/NBController.h"
void reload() { NBController::instance(); }
