// Writes src/core/unicode_tables.{h,cpp}: the constant Unicode tables behind FoldCase and
// IsWordChar, built from the Unicode 3.1 and 3.2 data packages under scripts/unicode.
//
// Usage (from anywhere): node scripts/gen_unicode_tables.mjs [outDir]   (default src/core)
//
// The case tables come from Unicode 3.1 (categories Lu, Ll, Lt of the BMP and the simple case
// mappings); the word set is the Unicode 3.2 Alphabetic property built from its parts, without
// the cased letters first assigned in 3.2. Every count the program relies on is checked here,
// and any difference stops the script with an error instead of writing a wrong table.
import { createRequire } from 'node:module';
import { writeFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const root = resolve(here, '..');
const outDir = resolve(process.argv[2] ?? join(root, 'src/core'));
const dataDir = join(here, 'unicode/node_modules/@unicode');
const require = createRequire(import.meta.url);

// The 3.1 package is CommonJS, the 3.2 package ES modules.
const v31 = (name) => require(join(dataDir, 'unicode-3.1.0', name, 'code-points.js'));
const v32 = async (name) =>
  (await import(join(dataDir, 'unicode-3.2.0', name, 'code-points.mjs'))).default;
const bmp = (codes) => codes.filter((c) => c < 0x10000);

function fail(message) {
  console.error(`gen_unicode_tables: ${message}`);
  process.exit(1);
}

function expectCount(what, actual, expected) {
  if (actual !== expected) fail(`${what}: ${actual} units, expected ${expected}`);
}

const hex4 = (n) => '0x' + n.toString(16).toUpperCase().padStart(4, '0');

// Expands "0220 03D8-03D9 ..." into the code points it names.
function expandRanges(text) {
  const out = [];
  for (const item of text.trim().split(/\s+/)) {
    const [a, b = a] = item.split('-').map((h) => parseInt(h, 16));
    for (let c = a; c <= b; c++) out.push(c);
  }
  return out;
}

function sameSet(what, actual, expected) {
  const a = new Set(actual);
  const e = new Set(expected);
  const missing = [...e].filter((c) => !a.has(c));
  const extra = [...a].filter((c) => !e.has(c));
  if (missing.length || extra.length) {
    fail(`${what} differs: missing ${missing.map(hex4).join(' ') || '-'}, ` +
         `unexpected ${extra.map(hex4).join(' ') || '-'}`);
  }
}

// The cased letters new in Unicode 3.2, which stay boundaries for whole-word matching.
const kNewCasedIn32 = expandRanges(`
  0220 03D8-03D9 048A-048B 04C5-04C6 04C9-04CA 04CD-04CE 0500-050F 2071 213D-213F 2145-2149`);

// The marks of Other_Alphabetic in Unicode 3.2, as the program documents them.
const kOtherAlphabetic = expandRanges(`
  0345 05B0-05B9 05BB-05BD 05BF 05C1-05C2 05C4 064B-0655 0670 06D6-06DC 06E1-06E4 06E7-06E8
  06ED 0711 0730-073F 07A6-07B0 0901-0903 093E-094C 0962-0963 0981-0983 09BE-09C4 09C7-09C8
  09CB-09CC 09D7 09E2-09E3 0A02 0A3E-0A42 0A47-0A48 0A4B-0A4C 0A70-0A71 0A81-0A83 0ABE-0AC5
  0AC7-0AC9 0ACB-0ACC 0B01-0B03 0B3E-0B43 0B47-0B48 0B4B-0B4C 0B56-0B57 0B82 0BBE-0BC2
  0BC6-0BC8 0BCA-0BCC 0BD7 0C01-0C03 0C3E-0C44 0C46-0C48 0C4A-0C4C 0C55-0C56 0C82-0C83
  0CBE-0CC4 0CC6-0CC8 0CCA-0CCC 0CD5-0CD6 0D02-0D03 0D3E-0D43 0D46-0D48 0D4A-0D4C 0D57
  0D82-0D83 0DCF-0DD4 0DD6 0DD8-0DDF 0DF2-0DF3 0E31 0E34-0E3A 0E4D 0EB1 0EB4-0EB9 0EBB-0EBC
  0ECD 0F71-0F81 0F90-0F97 0F99-0FBC 102C-1032 1036 1038 1056-1059 1712-1713 1732-1733
  1752-1753 1772-1773 17B4-17C8 18A9 FB1E`);

// ---- Unicode 3.1: the case tables --------------------------------------------------------

const upper31 = bmp(v31('General_Category/Uppercase_Letter'));
const lower31 = bmp(v31('General_Category/Lowercase_Letter'));
const title31 = bmp(v31('General_Category/Titlecase_Letter'));
const toLower = v31('Simple_Case_Mapping/Lowercase');  // Map: code point -> code point
const toUpper = v31('Simple_Case_Mapping/Uppercase');

expectCount('Lu (3.1, BMP)', upper31.length, 687);
expectCount('Ll (3.1, BMP)', lower31.length, 805);
expectCount('Lt (3.1, BMP)', title31.length, 31);

const kNoPartner = 0xffff;
const partnerOf = (map, c) => {
  const p = map.get(c);
  if (p === undefined) return kNoPartner;
  if (p >= 0x10000) fail(`${hex4(c)} has a partner outside the BMP`);
  return p;
};
const caseTable = [
  ...upper31.map((c) => ({ code: c, kind: 0, partner: partnerOf(toLower, c) })),
  ...lower31.map((c) => ({ code: c, kind: 1, partner: partnerOf(toUpper, c) })),
].sort((a, b) => a.code - b.code);

expectCount('CaseTable', caseTable.length, 1492);
expectCount('CaseTable entries without partner',
            caseTable.filter((e) => e.partner === kNoPartner).length, 208);

const titleTable = title31.sort((a, b) => a - b).map((c) => {
  const lower = toLower.get(c);
  if (lower === undefined || lower >= 0x10000) fail(`titlecase ${hex4(c)} has no lowercase`);
  return { code: c, lower };
});

// FoldCase, rule by rule, from the tables above.
const caseByCode = new Map(caseTable.map((e) => [e.code, e]));
const titleByCode = new Map(titleTable.map((e) => [e.code, e.lower]));
function foldByRules(c) {
  if (c < 0x80) return c >= 0x41 && c <= 0x5a ? c + 0x20 : c;
  const entry = caseByCode.get(c);
  if (entry) return entry.kind === 1 || entry.partner === kNoPartner ? c : entry.partner;
  if (titleByCode.has(c)) return titleByCode.get(c);
  if (c >= 0x2160 && c <= 0x216f) return c + 0x10;
  if (c >= 0x24b6 && c <= 0x24cf) return c + 0x1a;
  return c;
}

// The rules must give the simple lowercase mapping of Unicode 3.1 for every unit.
const fold = new Uint16Array(0x10000);
for (let c = 0; c < 0x10000; c++) {
  fold[c] = foldByRules(c);
  const expected = toLower.get(c) ?? c;
  if (fold[c] !== expected) {
    fail(`FoldCase(${hex4(c)}) = ${hex4(fold[c])}, simple lowercase is ${hex4(expected)}`);
  }
}

// ---- Unicode 3.2: the word characters ----------------------------------------------------

const cased32 = bmp([
  ...(await v32('General_Category/Uppercase_Letter')),
  ...(await v32('General_Category/Lowercase_Letter')),
  ...(await v32('General_Category/Titlecase_Letter')),
]);
const cased31 = new Set([...upper31, ...lower31, ...title31]);
sameSet('cased letters new in 3.2', cased32.filter((c) => !cased31.has(c)), kNewCasedIn32);

// The 3.2 data also lists some letter numbers (Nl) as Other_Alphabetic; they are word
// characters as Nl anyway, so only the marks are compared with the documented list.
const letterNumbers32 = new Set(bmp(await v32('General_Category/Letter_Number')));
const otherAlphabetic32 = bmp(await v32('Binary_Property/Other_Alphabetic'));
sameSet('Other_Alphabetic marks (3.2)', otherAlphabetic32.filter((c) => !letterNumbers32.has(c)),
        kOtherAlphabetic);

const newCased = new Set(kNewCasedIn32);
const word = new Uint8Array(0x10000);
for (let c = 0x41; c <= 0x5a; c++) word[c] = word[c + 0x20] = 1;
for (const e of caseTable) word[e.code] = 1;
for (const e of titleTable) word[e.code] = 1;
for (const name of ['Other_Letter', 'Modifier_Letter', 'Letter_Number']) {
  for (const c of bmp(await v32(`General_Category/${name}`))) if (!newCased.has(c)) word[c] = 1;
}
for (const c of otherAlphabetic32) word[c] = 1;
expectCount('word characters', word.reduce((n, w) => n + w, 0), 46014);

// ---- Fast lookups ------------------------------------------------------------------------

// FoldCase: blocks of 256 deltas (fold - ch, modulo 65536); identical blocks are stored once,
// so every caseless block shares the block of zeros.
const zeroBlock = new Array(256).fill(0);
const foldBlocks = [zeroBlock];
const blockKeys = new Map([[zeroBlock.join(','), 0]]);
const foldBlockIndex = [];
for (let hi = 0; hi < 256; hi++) {
  const deltas = [];
  for (let lo = 0; lo < 256; lo++) {
    const c = (hi << 8) | lo;
    deltas.push((fold[c] - c) & 0xffff);
  }
  const key = deltas.join(',');
  if (!blockKeys.has(key)) {
    blockKeys.set(key, foldBlocks.length);
    foldBlocks.push(deltas);
  }
  foldBlockIndex.push(blockKeys.get(key));
}
if (foldBlocks.length > 256) fail('too many fold blocks for an 8-bit index');

// IsWordChar: one bit per unit.
const wordBits = new Uint32Array(0x800);
for (let c = 0; c < 0x10000; c++) if (word[c]) wordBits[c >> 5] |= 1 << (c & 31);

// ---- Output ------------------------------------------------------------------------------

function rows(items, perLine, indent = '    ') {
  const lines = [];
  for (let i = 0; i < items.length; i += perLine) {
    lines.push(indent + items.slice(i, i + perLine).join(', ') + ',');
  }
  return lines.join('\n');
}

const banner = `// Generated by scripts/gen_unicode_tables.mjs from the Unicode 3.1 and 3.2 data; do not edit.`;

const header = `// Constant Unicode tables of the matching primitives: the cased letters and titlecase letters
// of Unicode 3.1, and the lookups behind FoldCase and IsWordChar.
${banner}
#pragma once

#include <cstdint>

namespace palimp {

// One cased letter of the BMP (Unicode 3.1). kind 0: uppercase, partner = its simple lowercase;
// kind 1: lowercase, partner = its simple uppercase; partner 0xFFFF: none.
struct CaseEntry {
    char16_t code;
    std::uint8_t kind;
    char16_t partner;
};

inline constexpr std::uint8_t kCaseUpper = 0;
inline constexpr std::uint8_t kCaseLower = 1;
inline constexpr char16_t kNoPartner = 0xFFFF;

// Every letter of categories Lu and Ll of the BMP in Unicode 3.1, sorted by code.
inline constexpr int kCaseTableSize = ${caseTable.length};
extern const CaseEntry CaseTable[kCaseTableSize];

// The titlecase letters (Lt) of Unicode 3.1 with their simple lowercase, sorted by code.
struct TitlecaseEntry {
    char16_t code;
    char16_t lower;
};
inline constexpr int kTitlecaseTableSize = ${titleTable.length};
extern const TitlecaseEntry TitlecaseTable[kTitlecaseTableSize];

// Case folding in two stages: FoldCase(ch) = ch + FoldDeltas[FoldBlockIndex[ch >> 8]][ch & 0xFF]
// modulo 0x10000. Block 0 is all zeros (no unit of it changes).
inline constexpr int kFoldBlockCount = ${foldBlocks.length};
extern const std::uint8_t FoldBlockIndex[256];
extern const std::uint16_t FoldDeltas[kFoldBlockCount][256];

// Word characters: bit (ch & 31) of WordBits[ch >> 5] is set for every word character.
extern const std::uint32_t WordBits[0x800];

}  // namespace palimp
`;

const source = `// Data of the Unicode tables declared in unicode_tables.h.
${banner}
#include "core/unicode_tables.h"

namespace palimp {

const CaseEntry CaseTable[kCaseTableSize] = {
${rows(caseTable.map((e) => `{${hex4(e.code)}, ${e.kind}, ${hex4(e.partner)}}`), 4)}
};

const TitlecaseEntry TitlecaseTable[kTitlecaseTableSize] = {
${rows(titleTable.map((e) => `{${hex4(e.code)}, ${hex4(e.lower)}}`), 6)}
};

const std::uint8_t FoldBlockIndex[256] = {
${rows(foldBlockIndex.map(String), 16)}
};

const std::uint16_t FoldDeltas[kFoldBlockCount][256] = {
${foldBlocks.map((b, i) => `    {  // block ${i}\n${rows(b.map(hex4), 12, '        ')}\n    },`).join('\n')}
};

const std::uint32_t WordBits[0x800] = {
${rows([...wordBits].map((w) => '0x' + w.toString(16).toUpperCase().padStart(8, '0')), 8)}
};

}  // namespace palimp
`;

writeFileSync(join(outDir, 'unicode_tables.h'), header);
writeFileSync(join(outDir, 'unicode_tables.cpp'), source);
console.log(`gen_unicode_tables: ${caseTable.length} cased letters, ${titleTable.length} titlecase, ` +
            `${foldBlocks.length} fold blocks, ${word.reduce((n, w) => n + w, 0)} word characters ` +
            `-> ${outDir}`);
