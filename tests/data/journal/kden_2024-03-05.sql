-- KDEN station file for the journal header: three samples around Denver's day of 5 March 2024
-- (07:00:00Z on the 5th to 06:59:59Z on the 6th).
CREATE TABLE db_status (new_records_since_vacuum int);
CREATE TABLE icao_history (entry_date date primary key, wind_direction float, wind_speed_knots float, gust_speed_knots float, visibility_miles float, temperature_c float, dewpoint_c float, pressure_hpa float, h1_precipitation float, h3_precipitation float, h6_precipitation float, h24_precipitation float, sky_cover text, snow_depth_inches float, precipitation_intensity text, precipitation_descriptor text, precipitation_type text, obscuration_intensity text, obscuration_descriptor text, obscuration_type text, other_phenomena_intensity text, other_phenomena_descriptor text, other_phenomena_type text, solar_radiation_watts_per_meter2 float);
CREATE INDEX history_index ON icao_history(entry_date);
CREATE TABLE min_max_cache (entry_date date, time_zone_offset int, wind_direction_avg float, wind_speed_knots_min float, wind_speed_knots_max float, gust_speed_knots_min float, gust_speed_knots_max float, visibility_miles_min float, visibility_miles_max float, temperature_c_min float, temperature_c_max float, dewpoint_c_min float, dewpoint_c_max float, pressure_hpa_min float, pressure_hpa_max float, h1_precipitation_total float, h3_precipitation_total float, h6_precipitation_total float, h24_precipitation_total float, snow_depth_inches_min float, snow_depth_inches_max float, solar_radiation_watts_per_meter2_min float, solar_radiation_watts_per_meter2_max float, PRIMARY KEY (entry_date, time_zone_offset));
INSERT INTO db_status VALUES (3);
-- 23:59:59 on 4 March in Denver: outside the day.
INSERT INTO icao_history (entry_date, wind_direction, wind_speed_knots, visibility_miles, temperature_c, dewpoint_c, pressure_hpa, sky_cover) VALUES (20240305065959, 180, 5, 10, 30.0, 1.0, 1012.0, 'CLR');
-- 00:00:00 on 5 March in Denver: the day's low.
INSERT INTO icao_history (entry_date, wind_direction, wind_speed_knots, visibility_miles, temperature_c, dewpoint_c, pressure_hpa, sky_cover) VALUES (20240305070000, 200, 6, 10, -5.0, -9.0, 1015.0, 'FEW050');
-- 23:59:59 on 5 March in Denver: the day's high.
INSERT INTO icao_history (entry_date, wind_direction, wind_speed_knots, visibility_miles, temperature_c, dewpoint_c, pressure_hpa, sky_cover) VALUES (20240306065959, 220, 7, 10, 10.0, -2.0, 1010.0, 'SCT080');
