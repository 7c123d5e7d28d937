// Writes the land areas of a TopoJSON topology as a GeoJSON feature (longitude, latitude in
// degrees), for the backdrop painter. The same topology gives the same bytes.
//   node make-land.mjs <topology.json> <object name> <output file>
import { readFileSync, writeFileSync } from 'node:fs';
import { feature } from 'topojson-client';

const [input, objectName, output] = process.argv.slice(2);
if (!input || !objectName || !output) {
  console.error('usage: node make-land.mjs <topology.json> <object name> <output file>');
  process.exit(2);
}

const topology = JSON.parse(readFileSync(input, 'utf8'));
const object = topology.objects && topology.objects[objectName];
if (!object) {
  console.error(`make-land: ${input} has no object "${objectName}"`);
  process.exit(1);
}
writeFileSync(output, JSON.stringify(feature(topology, object)));
