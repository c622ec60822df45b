// The reference side of the openNURBS comparisons: reads a table of cases (one per
// line: name, kind, numeric arguments), runs each kind's function of kinds/*.js on
// rhino3dm and writes one line per case: its name and its figures, or "!error"
// and why. Usage: node reference.js CASES FIGURES (PLYMORA_RHINO3DM names the package).
'use strict';
const fs = require('fs');
const path = require('path');

const kinds = {};
const dir = path.join(__dirname, 'kinds');
for (const file of fs.readdirSync(dir).sort()) {
  if (!file.endsWith('.js')) continue;
  for (const [name, fn] of Object.entries(require(path.join(dir, file)))) {
    if (kinds[name]) throw new Error(`kind ${name} defined twice (${file})`);
    kinds[name] = fn;
  }
}

const text = (v) => (typeof v === 'boolean' ? (v ? '1' : '0') : String(Number(v)));

require(process.env.PLYMORA_RHINO3DM)().then((rh) => {
  const out = [];
  for (const line of fs.readFileSync(process.argv[2], 'utf8').split('\n')) {
    if (!line) continue;
    const [name, kind, ...words] = line.split(' ');
    const args = words.map(Number);
    try {
      if (!kinds[kind]) throw new Error(`unknown kind ${kind}`);
      out.push([name, ...kinds[kind](rh, args).map(text)].join(' '));
    } catch (e) {
      out.push(`${name} !error ${String(e && e.message ? e.message : e).replace(/\s+/g, ' ')}`);
    }
  }
  fs.writeFileSync(process.argv[3], out.join('\n') + '\n');
});
