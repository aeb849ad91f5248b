// A static server for the built page: node serve.mjs FOLDER [PORT]. Any static host does the
// same; this one only needs node. It prints the address once it listens.
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { extname, join, normalize, resolve } from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
};

export function serve(folder, port = 8000, host = '127.0.0.1') {
  const root = resolve(folder);
  const server = createServer(async (request, response) => {
    try {
      const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
      let file = normalize(join(root, path));
      if (!file.startsWith(root)) throw new Error('outside');
      if ((await stat(file)).isDirectory()) file = join(file, 'index.html');
      const body = await readFile(file);
      response.writeHead(200, {
        'Content-Type': TYPES[extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-cache',
      });
      response.end(body);
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
  const server = await serve(folder, port);
  const { port: bound } = server.address();
  console.log(`V.E.X.A. is served at http://127.0.0.1:${bound}/ (Ctrl+C stops it)`);
}
