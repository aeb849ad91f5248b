// How the page is served and kept: compressed copies with ETags and 304s, the service worker's
// copy for a second visit (no byte of the game's files on the wire) and for a reload with the
// network off (the game plays, with its save), and a new build that replaces the old one whole.
// The game runs in a worker of the page's: its steps, files and state are read there.
// Usage: node offline_test.mjs PAGE_FOLDER SOURCE_DIR
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { cp, mkdtemp, readFile, rm, appendFile } from 'node:fs/promises';
import { get } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { promisify } from 'node:util';
import { brotliDecompressSync, gunzipSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';
import { serve } from '../../platform/web/serve.mjs';
import { exitStatus, game, markFailed, putSave, step, until } from './steps.mjs';

const [builtFolder, sourceDir] = process.argv.slice(2);
const GAME_FILES = ['index.html', 'index.js', 'index.wasm', 'index.data'];
// A copy of the build: the update case writes a second build over it.
const folder = await mkdtemp(join(tmpdir(), 'vexa-offline-'));
await cp(builtFolder, folder, { recursive: true });
// Build B, for the update case: another index.js (the game worker's script), finished as the
// build finishes a page. Finishing takes seconds (every file compressed at the highest
// settings), so it is made in a copy of its own while the first cases run.
const buildB = (async () => {
  const b = await mkdtemp(join(tmpdir(), 'vexa-offline-b-'));
  await cp(builtFolder, b, { recursive: true });
  await appendFile(join(b, 'index.js'), '\nself.vexaBuildB = true;\n');
  await promisify(execFile)('node', [join(sourceDir, 'platform/web/finish.mjs'), b, sourceDir]);
  return b;
})();
buildB.catch(() => {});  // its case reports it
const server = await serve(folder, 0);
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, args: ['--no-sandbox'],
});

function request(path, headers) {
  return new Promise((done, fail) => {
    get(url + path, { headers }, (response) => {
      const parts = [];
      response.on('data', (d) => parts.push(d));
      response.on('end', () => done({ status: response.statusCode, headers: response.headers, body: Buffer.concat(parts) }));
    }).on('error', fail);
  });
}

// A page that counts what it gets from the network (not from its service worker) and every
// problem the browser reports.
async function open(context) {
  const page = await context.newPage();
  const seen = { problems: [], network: [] };
  page.on('pageerror', (e) => seen.problems.push(`page error: ${e.message}`));
  page.on('console', (m) => { if (m.type() === 'error') seen.problems.push(`console: ${m.text()}`); });
  page.on('response', (r) => {
    if (!r.fromServiceWorker() && r.status() !== 304) seen.network.push(new URL(r.url()).pathname);
  });
  return { page, seen };
}
// The start screen waits for the player: a click on it starts the steps.
const playing = async (page) => {
  await until(page, () => document.querySelector('#go:not([disabled])') !== null, undefined, 30000);
  await page.click('#go');
  await until(await game(page), () => typeof vexaTest !== 'undefined' && vexaTest.steps() > 2, undefined, 30000);
};
const workerReady = (page) => until(page, () => navigator.serviceWorker.ready.then(() => true), undefined, 30000);
const controlled = (page) => page.waitForFunction(() => navigator.serviceWorker.controller !== null, { polling: 10, timeout: 30000 });
const gameFilesFrom = (seen) => seen.network.filter((p) => GAME_FILES.some((f) => p === '/' + f) || p === '/');

try {
  await step('each file comes in the best encoding the browser takes, with an ETag, and 304 when it has it', async () => {
    const cases = [
      { accept: 'gzip, deflate, br', encoding: 'br', decode: brotliDecompressSync },
      { accept: 'gzip', encoding: 'gzip', decode: gunzipSync },
      { accept: 'identity', encoding: undefined, decode: (b) => b },
      { accept: '', encoding: undefined, decode: (b) => b },
    ];
    for (const name of [...GAME_FILES, 'sw.js', 'manifest.webmanifest']) {
      const plain = await readFile(join(folder, name));
      for (const c of cases) {
        const first = await request(name, { 'accept-encoding': c.accept });
        assert.equal(first.status, 200, `${name} ${c.accept}`);
        assert.equal(first.headers['content-encoding'], c.encoding, `${name} ${c.accept}`);
        assert.equal(first.headers.vary, 'Accept-Encoding');
        assert.equal(first.headers['cache-control'], 'no-cache', name);
        assert.ok(c.decode(first.body).equals(plain), `${name} ${c.accept}: the body is the file`);
        const again = await request(name, { 'accept-encoding': c.accept, 'if-none-match': first.headers.etag });
        assert.equal(again.status, 304, `${name} ${c.accept}`);
        assert.equal(again.body.length, 0);
      }
    }
    const br = await request('index.wasm', { 'accept-encoding': 'br' });
    const gz = await request('index.wasm', { 'accept-encoding': 'gzip' });
    assert.notEqual(br.headers.etag, gz.headers.etag, 'each encoding is its own representation');
    assert.equal((await request('index.wasm', { 'accept-encoding': 'gzip', 'if-none-match': br.headers.etag })).status, 200);
    assert.equal((await request('../../etc/passwd', {})).status, 404);
    const total = (await Promise.all(GAME_FILES.map((n) => request(n, { 'accept-encoding': 'br' }))))
      .reduce((sum, r) => sum + r.body.length, 0);
    console.log(`  first visit, brotli: ${total} B of game files`);
  });

  await step('the manifest makes the page installable: names, icons at 192 and 512 px, a maskable one', async () => {
    const manifest = JSON.parse(await readFile(join(folder, 'manifest.webmanifest'), 'utf8'));
    assert.ok(manifest.name && manifest.short_name && manifest.start_url);
    assert.ok(['standalone', 'fullscreen'].includes(manifest.display));
    const sizes = manifest.icons.map((i) => `${i.sizes} ${i.purpose}`);
    for (const want of ['192x192 any', '512x512 any', '512x512 maskable']) assert.ok(sizes.includes(want), sizes.join());
    for (const icon of manifest.icons) {
      const png = await readFile(join(folder, icon.src));
      assert.equal(png.readUInt32BE(16), Number(icon.sizes.split('x')[0]), icon.src);
    }
  });

  const context = await browser.createBrowserContext();
  await step('a second visit takes no byte of the game files from the network', async () => {
    const { page, seen } = await open(context);
    await page.goto(url);
    await playing(page);
    await workerReady(page);
    await controlled(page);
    const second = await open(context);
    await page.close();
    await second.page.goto(url);
    await playing(second.page);
    // The first visit's files were all seen on the wire, the worker's script among them: the
    // count below sees every fetch.
    assert.deepEqual(gameFilesFrom(seen).sort(), ['/', '/index.data', '/index.js', '/index.wasm']);
    assert.deepEqual(gameFilesFrom(second.seen), []);
    assert.deepEqual([...seen.problems, ...second.seen.problems], []);
    await second.page.close();
  });

  await step('with the network off, a reload plays, with its save', async () => {
    const { page, seen } = await open(context);
    await page.goto(url);
    await playing(page);
    const save = [...(await readFile(join(sourceDir, 'tests/replays/menu-and-defeat.save.dat')))];
    await putSave(page, save);
    await page.setOfflineMode(true);
    await page.reload();
    await playing(page);
    const s = await (await game(page)).evaluate(() => vexaTest.state());
    assert.equal(s.stage, 5, 'the stored game, not a new one');
    assert.equal(s.player.maxHp, 70);
    assert.deepEqual(seen.problems, []);
    await page.setOfflineMode(false);
    await page.close();
  });

  await step('a new build replaces the old one whole: the open game keeps its files, the next load has the new', async () => {
    // A page left open by a case that stopped short would keep build A's worker on.
    for (const left of await context.pages()) await left.close();
    const { page, seen } = await open(context);
    await page.goto(url);
    await playing(page);
    const before = await page.evaluate(() => caches.keys());
    assert.equal(before.length, 1);
    // Build B put in place over A, as a new build is.
    await cp(await buildB, folder, { recursive: true });
    await page.evaluate(() => navigator.serviceWorker.getRegistration().then((r) => r.update()));
    await page.waitForFunction(() => navigator.serviceWorker.getRegistration().then((r) => r.waiting !== null),
      { polling: 50, timeout: 30000 });
    // The open page goes on with build A.
    const worker = await game(page);
    const steps = await worker.evaluate(() => vexaTest.steps());
    await until(worker, (n) => vexaTest.steps() > n + 2, steps);
    assert.equal(await worker.evaluate(() => self.vexaBuildB === true), false);
    const next = await open(context);
    // The browser's word on each worker version: build B's takes over once A's last page closes.
    const cdp = await next.page.createCDPSession();
    const versions = new Map();
    let changed = () => {};
    cdp.on('ServiceWorker.workerVersionUpdated', (e) => {
      for (const v of e.versions) versions.set(v.versionId, v.status);
      changed();
    });
    await cdp.send('ServiceWorker.enable');
    const bActive = new Promise((done, fail) => {
      setTimeout(() => fail(new Error(`build B's worker did not take over: ${JSON.stringify([...versions])}`)), 30000);
      changed = () => {
        // B is the version that was waiting (installed) and is now the active one.
        if ([...versions.values()].filter((s) => s === 'activated').length === 1 &&
            [...versions.values()].some((s) => s === 'redundant')) done();
      };
      changed();
    });
    await page.close();  // the last page of build A
    await bActive;
    await next.page.goto(url);
    await playing(next.page);
    assert.equal(await (await game(next.page)).evaluate(() => self.vexaBuildB === true), true);
    const after = await next.page.evaluate(() => caches.keys());
    assert.equal(after.length, 1);
    assert.notEqual(after[0], before[0]);
    assert.deepEqual([...seen.problems, ...next.seen.problems], []);
    await next.page.close();
  });
  await context.close();
} catch (e) {
  markFailed();
  console.log(`not ok - ${e.stack || e}`);
} finally {
  await browser.close();
  server.close();
  await rm(folder, { recursive: true, force: true });
  await buildB.then((b) => rm(b, { recursive: true, force: true }), () => {});
}
process.exit(exitStatus());
