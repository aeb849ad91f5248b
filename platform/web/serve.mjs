// A static server for the built page: node serve.mjs FOLDER [PORT] [HOST]. Any static host does
// the same; this one only needs node. It prints the address once it listens.
// The build writes .br and .gz copies beside each file: the best one the browser takes is sent,
// with an ETag, so a later visit costs a 304 and no body.
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { basename, extname, join, normalize, resolve } from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};
const ENCODINGS = [{ name: 'br', suffix: '.br' }, { name: 'gzip', suffix: '.gz' }];

// A name with the build's hash in it never changes; every other file is asked about each time.
function cacheControl(file) {
  return /\.[0-9a-f]{8,}\./.test(basename(file)) ? 'public, max-age=31536000, immutable' : 'no-cache';
}

async function statOrNull(file) {
  try {
    return await stat(file);
  } catch (e) {
    return null;
  }
}

// The copy to send: compressed when the browser takes it and the build wrote it.
async function pick(file, accepted) {
  for (const e of ENCODINGS) {
    if (!accepted.includes(e.name)) continue;
    const info = await statOrNull(file + e.suffix);
    if (info && info.isFile()) return { path: file + e.suffix, info, encoding: e.name };
  }
  return { path: file, info: await stat(file), encoding: null };
}

export function serve(folder, port = 8000, host = '127.0.0.1') {
  const root = resolve(folder);
  const server = createServer(async (request, response) => {
    try {
      const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
      let file = normalize(join(root, path));
      if (file !== root && !file.startsWith(root + '/')) throw new Error('outside');
      if ((await stat(file)).isDirectory()) file = join(file, 'index.html');
      const accepted = String(request.headers['accept-encoding'] || '').split(',').map((s) => s.trim().split(';')[0]);
      const chosen = await pick(file, accepted);
      const tag = `"${chosen.info.size.toString(16)}-${Math.floor(chosen.info.mtimeMs).toString(16)}` +
                  `${chosen.encoding ? '-' + chosen.encoding : ''}"`;
      const headers = {
        'Content-Type': TYPES[extname(file)] || 'application/octet-stream',
        'Cache-Control': cacheControl(file),
        'ETag': tag,
        'Vary': 'Accept-Encoding',
      };
      if (chosen.encoding) headers['Content-Encoding'] = chosen.encoding;
      const asked = String(request.headers['if-none-match'] || '').split(',').map((s) => s.trim().replace(/^W\//, ''));
      if (asked.includes(tag)) {
        response.writeHead(304, headers);
        response.end();
        return;
      }
      const body = await readFile(chosen.path);
      headers['Content-Length'] = body.length;
      response.writeHead(200, headers);
      response.end(request.method === 'HEAD' ? undefined : body);
    } catch (e) {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found');
    }
  });
  return new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, host, () => done(server));
  });
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const folder = process.argv[2] || 'build/web';
  const port = Number(process.argv[3] || 8000);
  const host = process.argv[4] || '127.0.0.1';
  let server;
  try {
    server = await serve(folder, port, host);
  } catch (e) {
    if (e.code === 'EADDRINUSE') console.error(`Port ${port} is in use: choose another with PORT=N, e.g. PORT=${port + 1}.`);
    else if (e.code === 'EADDRNOTAVAIL') console.error(`This machine has no address ${host}: choose one of its own with HOST=.`);
    else console.error(`Cannot serve on ${host}:${port}: ${e.message}`);
    process.exit(1);
  }
  const { port: bound } = server.address();
  const shown = host.includes(':') ? `[${host}]` : host;
  console.log(`V.E.X.A. is served at http://${shown}:${bound}/ (Ctrl+C stops it)`);
}
