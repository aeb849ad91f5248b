// The page's last build step: node finish.mjs PAGE_FOLDER SOURCE_DIR.
// Names the service worker's cache by a hash of the build, writes the manifest and its icons,
// and a brotli and a gzip copy beside each file, for servers that send them as they are.
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync, mkdirSync, rmSync, existsSync } from 'node:fs';
import { join } from 'node:path';
import { brotliCompressSync, constants, deflateSync, gzipSync, inflateSync } from 'node:zlib';

const [folder, source] = process.argv.slice(2);
const web = join(source, 'platform/web');
const GAME_FILES = ['index.html', 'index.js', 'index.wasm', 'index.data'];

// ---- the page: its own scripts written into it, read as the page is -------------------------
{
  const PAGE_SCRIPTS = ['view.js', 'touch.js', 'page.js', 'offline.js'];
  const scripts = PAGE_SCRIPTS.map((name) => readFileSync(join(web, name), 'utf8')).join('\n');
  if (scripts.includes('</script')) throw new Error('a page script holds "</script", which would end it early');
  const shell = readFileSync(join(web, 'index.html'), 'utf8');
  if (!shell.includes('{{{ SCRIPT }}}')) throw new Error('index.html has no {{{ SCRIPT }}} for the page\'s scripts');
  if (!shell.includes('{{{ DATA_SIZE }}}')) throw new Error('index.html has no {{{ DATA_SIZE }}} for the data\'s size');
  const dataSize = String(readFileSync(join(folder, 'index.data')).length);
  writeFileSync(join(folder, 'index.html'), shell.replace('{{{ SCRIPT }}}', () => `<script>\n${scripts}</script>`)
    .replace('{{{ DATA_SIZE }}}', dataSize));
}

// ---- icons: the desktop's 256 px picture scaled to the sizes an installed page needs ----------
function readPng(bytes) {
  let at = 8, width = 0, height = 0;
  const data = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at), type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[9] !== 6 || body[12] !== 0) throw new Error('the icon must be 8-bit RGBA, not interlaced');
    }
    if (type === 'IDAT') data.push(body);
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data)), row = width * 4, pixels = Buffer.alloc(row * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (row + 1)], line = raw.subarray(y * (row + 1) + 1, (y + 1) * (row + 1));
    for (let x = 0; x < row; x++) {
      const a = x >= 4 ? pixels[y * row + x - 4] : 0, b = y > 0 ? pixels[(y - 1) * row + x] : 0;
      const c = x >= 4 && y > 0 ? pixels[(y - 1) * row + x - 4] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const guess = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      pixels[y * row + x] = (line[x] + guess) & 255;
    }
  }
  return { width, height, pixels };
}

const CRC = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function chunk(type, body) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(body.length, 0);
  head.write(type, 4, 'latin1');
  let c = ~0;
  for (const b of Buffer.concat([head.subarray(4), body])) c = CRC[(c ^ b) & 255] ^ (c >>> 8);
  const tail = Buffer.alloc(4);
  tail.writeUInt32BE(~c >>> 0, 0);
  return Buffer.concat([head, body, tail]);
}
function writePng({ width, height, pixels }) {
  const ihdr = Buffer.from([0, 0, 0, 0, 0, 0, 0, 0, 8, 6, 0, 0, 0]);
  ihdr.writeUInt32BE(width, 0);
  ihdr.writeUInt32BE(height, 4);
  const raw = Buffer.alloc((width * 4 + 1) * height);
  for (let y = 0; y < height; y++) pixels.copy(raw, y * (width * 4 + 1) + 1, y * width * 4, (y + 1) * width * 4);
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', ihdr),
    chunk('IDAT', deflateSync(raw, { level: 9 })), chunk('IEND', Buffer.alloc(0))]);
}

// Nearest pixel: the icon is pixel art. `inner` is the picture's share of the icon; the rest is
// `background` (a maskable icon keeps its picture inside the middle 80 %).
function scaled(from, size, inner = 1, background = null) {
  const pixels = Buffer.alloc(size * size * 4);
  const span = Math.round(size * inner), margin = (size - span) >> 1;
  for (let y = 0; y < size; y++) {
    for (let x = 0; x < size; x++) {
      const at = (y * size + x) * 4;
      if (background) [...background, 255].forEach((v, i) => { pixels[at + i] = v; });
      const u = x - margin, v = y - margin;
      if (u < 0 || v < 0 || u >= span || v >= span) continue;
      const s = (Math.floor(v * from.height / span) * from.width + Math.floor(u * from.width / span)) * 4;
      const alpha = from.pixels[s + 3] / 255;
      for (let i = 0; i < 3; i++) {
        const under = background ? background[i] : 0;
        pixels[at + i] = background ? Math.round(from.pixels[s + i] * alpha + under * (1 - alpha)) : from.pixels[s + i];
      }
      pixels[at + 3] = background ? 255 : from.pixels[s + 3];
    }
  }
  return { width: size, height: size, pixels };
}

const BACKGROUND = [0x16, 0x16, 0x1a];
const icon = readPng(readFileSync(join(source, 'dat/icons/vexa-256.png')));
mkdirSync(join(folder, 'icons'), { recursive: true });
const ICONS = [
  { name: 'icons/vexa-192.png', size: 192, purpose: 'any', png: scaled(icon, 192) },
  { name: 'icons/vexa-512.png', size: 512, purpose: 'any', png: scaled(icon, 512) },
  { name: 'icons/vexa-maskable-512.png', size: 512, purpose: 'maskable', png: scaled(icon, 512, 0.75, BACKGROUND) },
];
for (const i of ICONS) writeFileSync(join(folder, i.name), writePng(i.png));

const manifest = JSON.parse(readFileSync(join(web, 'manifest.webmanifest'), 'utf8'));
manifest.icons = ICONS.map((i) => ({ src: i.name, sizes: `${i.size}x${i.size}`, type: 'image/png', purpose: i.purpose }));
writeFileSync(join(folder, 'manifest.webmanifest'), JSON.stringify(manifest, null, 2) + '\n');

// ---- the save's store, opened early by game.js as the file system would open it ---------------
{
  const script = readFileSync(join(folder, 'index.js'), 'utf8');
  const system = /DB_VERSION:(\d+),DB_STORE_NAME:"(\w+)"/.exec(script);
  const head = /indexedDB\.open\(["']\/save["'], ?(\d+)\)[^]*?contains\(["'](\w+)["']\)/.exec(script);
  if (!system || !head || system[1] !== head[1] || system[2] !== head[2])
    throw new Error(`game.js opens the save's store as ${head ? head.slice(1).join(' ') : '?'}, ` +
      `emscripten's file system as ${system ? system.slice(1).join(' ') : '?'}: make them the same`);
}

// ---- the worker's script stays ASCII -----------------------------------------------------------
// One character beyond it and the browser holds the whole script as two bytes a character,
// decoding and scanning it at a cost the start-up feels.
{
  const script = readFileSync(join(folder, 'index.js'), 'latin1');
  const at = script.search(/[^\x00-\x7f]/);
  if (at >= 0) throw new Error(`index.js holds a character beyond ASCII at ${at} ("${script.slice(at - 30, at + 10)}"): ` +
    'write it as an escape in game.js or paint.js');
}

// ---- the service worker, its cache named by the build ----------------------------------------
// What playing needs, offline too. The page is kept as the address it was opened at ("./"), which
// the first visit has just fetched, so keeping it costs a 304, not the page again. The install
// icons are not kept: the browser fetches them once, when it installs the page.
const cached = [...GAME_FILES, 'manifest.webmanifest'];
const hash = createHash('sha256');
for (const name of [...cached, ...ICONS.map((i) => i.name)]) hash.update(name).update(readFileSync(join(folder, name)));
const build = hash.digest('hex').slice(0, 16);
const worker = readFileSync(join(web, 'sw.js'), 'utf8')
  .replace("'@BUILD@'", JSON.stringify(build))
  .replace("['@FILES@']", JSON.stringify(cached.map((name) => (name === 'index.html' ? './' : name))));
writeFileSync(join(folder, 'sw.js'), worker);

// ---- compressed copies ---------------------------------------------------------------------
for (const name of [...cached, ...ICONS.map((i) => i.name), 'sw.js']) {
  const path = join(folder, name);
  const bytes = readFileSync(path);
  for (const suffix of ['.br', '.gz']) rmSync(path + suffix, { force: true });
  if (name.endsWith('.png')) continue;  // already compressed
  const br = brotliCompressSync(bytes, { params: { [constants.BROTLI_PARAM_QUALITY]: 11,
    [constants.BROTLI_PARAM_SIZE_HINT]: bytes.length } });
  const gz = gzipSync(bytes, { level: 9 });
  // A copy no smaller than the file is of no use to anyone.
  if (br.length < bytes.length) writeFileSync(path + '.br', br);
  if (gz.length < bytes.length) writeFileSync(path + '.gz', gz);
}
if (!existsSync(join(folder, 'sw.js'))) throw new Error('no service worker written');
console.log(`page build ${build}: ${cached.length} files cached by the service worker`);
