// Writes the borders two different areas of a TopoJSON topology share, one segment a line:
//   "lat1 lon1 lat2 lon2" with 4 decimals, single blanks and "\n".
// Coastlines (arcs of one area only) are left out, and so are segments of zero length and those
// whose longitudes differ by more than 180 degrees (they cross the date line and would be drawn
// right across the map). The same topology gives the same bytes.
//   node make-boundaries.mjs <topology.json> <object name> <output file>
import { readFileSync, writeFileSync } from 'node:fs';
import { mesh } from 'topojson-client';

const [input, objectName, output] = process.argv.slice(2);
if (!input || !objectName || !output) {
  console.error('usage: node make-boundaries.mjs <topology.json> <object name> <output file>');
  process.exit(2);
}

const topology = JSON.parse(readFileSync(input, 'utf8'));
const object = topology.objects && topology.objects[objectName];
if (!object) {
  console.error(`make-boundaries: ${input} has no object "${objectName}"`);
  process.exit(1);
}

const format = (value) => {
  const text = value.toFixed(4);
  return text === '-0.0000' ? '0.0000' : text;
};

const shared = mesh(topology, object, (a, b) => a !== b);
const lines = [];
for (const arc of shared.coordinates) {
  for (let i = 1; i < arc.length; i++) {
    const [lon1, lat1] = arc[i - 1];
    const [lon2, lat2] = arc[i];
    if (Math.abs(lon2 - lon1) > 180) continue;
    const a = `${format(lat1)} ${format(lon1)}`;
    const b = `${format(lat2)} ${format(lon2)}`;
    if (a === b) continue;
    lines.push(`${a} ${b}\n`);
  }
}
writeFileSync(output, lines.join(''));
