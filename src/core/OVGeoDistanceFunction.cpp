// The SQL function geo_distance, registered on the location database's connection.
#include "core/OVGeoDistanceFunction.h"

#include "core/OVSQLite3DB.h"
#include "platform/OVLog.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

constexpr double kEarthRadiusMeters = 6371009.0;

double radians(double degrees)
{
    return degrees * 3.141592653589793 / 180.0;
}

void geoDistance(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
    }
    const double lat1 = radians(sqlite3_value_double(argv[0]));
    const double lon1 = radians(sqlite3_value_double(argv[1]));
    const double lat2 = radians(sqlite3_value_double(argv[2]));
    const double lon2 = radians(sqlite3_value_double(argv[3]));
    // Rounding can put the cosine of equal points just above 1, where acos is NaN (stored as
    // NULL); the clamp keeps it a distance of 0.
    const double c = std::sin(lat1) * std::sin(lat2) + std::cos(lat1) * std::cos(lat2) * std::cos(lon2 - lon1);
    sqlite3_result_double(context, std::acos(std::clamp(c, -1.0, 1.0)) * kEarthRadiusMeters);
}

} // namespace

bool OVRegisterGeoDistanceFunction(OVSQLite3DB &database)
{
    std::lock_guard lock(database.databaseLock());
    if (!database.database())
        return false;
    const int result = sqlite3_create_function_v2(database.database(), "geo_distance", 4,
                                                  SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, geoDistance,
                                                  nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) {
        OVLog(QStringLiteral("[OVLocationManager init] Could not register geo_distance: %1")
                  .arg(QString::fromUtf8(sqlite3_errmsg(database.database()))));
        return false;
    }
    return true;
}
