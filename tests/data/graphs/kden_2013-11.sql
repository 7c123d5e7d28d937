-- Observations of Denver International (KDEN) on 10 November 2013 for the graph tests: the
-- station file's history table with the columns the graphs read. Run with the sqlite3 shell:
--   sqlite3 KDEN.db < kden_2013-11.sql
CREATE TABLE icao_history (entry_date date primary key, wind_direction float, wind_speed_knots float,
                           gust_speed_knots float, temperature_c float, dewpoint_c float,
                           h1_precipitation float);
INSERT INTO icao_history VALUES ('20131110145300', 200, 8, -1000, 14.4, -6.1, 0);
INSERT INTO icao_history VALUES ('20131110155300', 210, 9, 17, 15.6, -6.7, 0);
INSERT INTO icao_history VALUES ('20131110165300', 220, 10, -1000, 16.7, -6.1, 0.01);
INSERT INTO icao_history VALUES ('20131110175300', 240, 7, -1000, 17.2, -5.6, 0);
INSERT INTO icao_history VALUES ('20131110185300', 20, 6, -1000, 17.8, -5.0, 0);
INSERT INTO icao_history VALUES ('20131110195300', 30, 5, -1000, 17.8, -5.0, 0);
