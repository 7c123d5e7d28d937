// The SQL function geo_distance(lat1, lon1, lat2, lon2): great-circle distance in metres between
// two positions in degrees on a sphere of radius 6371009 m. NULL when any argument is NULL.
#pragma once

class OVSQLite3DB;

/// Registers geo_distance on the open connection; false (logged) when it could not be.
bool OVRegisterGeoDistanceFunction(OVSQLite3DB &database);
