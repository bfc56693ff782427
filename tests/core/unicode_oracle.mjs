// Expected character properties for the exhaustive character test, derived straight from the
// Unicode data packages (not from the table generator or its output), so a mistake in either
// shows up as a difference.
//
// Usage (from the repository root): node tests/core/unicode_oracle.mjs <outfile>
// Writes 65,536 records of 3 bytes, one per UTF-16 code unit in order:
//   bytes 0-1  FoldCase(unit), little-endian: the simple lowercase mapping of Unicode 3.1
//   byte 2     bit 0: IsWordChar(unit): Alphabetic in Unicode 3.2, except the letters that
//              became cased (Lu, Ll, Lt) only in 3.2
//              bit 1: IsPunctuationChar(unit): general category P* in Unicode 3.1
import { createRequire } from 'node:module';
import { writeFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const out = process.argv[2];
if (!out) {
  console.error('usage: node tests/core/unicode_oracle.mjs <outfile>');
  process.exit(2);
}

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const data = join(root, 'scripts/unicode/node_modules/@unicode');
const require = createRequire(import.meta.url);
const load31 = (name) => require(join(data, 'unicode-3.1.0', name, 'code-points.js'));
const load32 = async (name) =>
  (await import(join(data, 'unicode-3.2.0', name, 'code-points.mjs'))).default;

const lowercase31 = load31('Simple_Case_Mapping/Lowercase');
const cased = ['Uppercase_Letter', 'Lowercase_Letter', 'Titlecase_Letter'];
const cased31 = new Set(cased.flatMap((n) => load31(`General_Category/${n}`)));
const cased32 = (await Promise.all(cased.map((n) => load32(`General_Category/${n}`)))).flat();
const newlyCased = new Set(cased32.filter((c) => !cased31.has(c)));
const alphabetic32 = new Set(await load32('Binary_Property/Alphabetic'));
const punctuation31 = new Set(
  ['Connector', 'Dash', 'Open', 'Close', 'Initial', 'Final', 'Other']
    .flatMap((kind) => load31(`General_Category/${kind}_Punctuation`)));

const records = Buffer.alloc(0x10000 * 3);
let words = 0;
for (let unit = 0; unit < 0x10000; unit++) {
  const lower = lowercase31.get(unit) ?? unit;
  if (lower > 0xffff) throw new Error(`lowercase of ${unit.toString(16)} leaves the BMP`);
  const word = alphabetic32.has(unit) && !newlyCased.has(unit);
  words += word ? 1 : 0;
  records.writeUInt16LE(lower, unit * 3);
  records[unit * 3 + 2] = (word ? 1 : 0) | (punctuation31.has(unit) ? 2 : 0);
}

writeFileSync(out, records);
console.log(`unicode_oracle: ${words} word characters, ${lowercase31.size} lowercase mappings -> ${out}`);
