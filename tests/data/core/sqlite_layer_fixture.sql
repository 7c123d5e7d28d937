-- Fixture for the SQLite access layer tests, loaded with the sqlite3 shell.
CREATE TABLE stations (
  icao TEXT PRIMARY KEY,
  name TEXT,
  elevation REAL,
  country TEXT
);
CREATE INDEX stations_by_country ON stations (country);
INSERT INTO stations VALUES ('KJFK', 'New York Kennedy', 4.0, 'US');
INSERT INTO stations VALUES ('KBOS', 'Boston Logan', 6.1, 'US');
INSERT INTO stations VALUES ('EGLL', 'London Heathrow', 25.3, NULL);
INSERT INTO stations VALUES ('RJTT', 'Tökyō Haneda', NULL, 'JP');

CREATE TABLE observations (
  icao TEXT NOT NULL,
  entry_date INTEGER NOT NULL,
  temp REAL,
  wind_dir INTEGER,
  conditions TEXT,
  PRIMARY KEY (icao, entry_date)
);
