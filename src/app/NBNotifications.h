// Names of the notifications the application posts. The map's is declared with the display
// notifications, where the map, which cannot see the application, reads it.
#pragma once

#include "core/OVDisplayNotifications.h"
