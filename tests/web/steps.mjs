// Named checks for the page tests: each prints "ok - NAME", or "not ok - NAME" with its error,
// and any failure, in a step or around them, makes the run's exit status 1. And the ways in to
// the game, which runs in a worker of the page's: the page itself keeps only its cover, its
// text, its sounds and the pointer.
import { cp, mkdtemp, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { serve } from '../../platform/web/serve.mjs';

let failed = false;

export async function step(name, body) {
  try {
    await body();
    console.log(`ok - ${name}`);
  } catch (e) {
    failed = true;
    console.log(`not ok - ${name}\n  ${String(e.stack || e).split('\n').join('\n  ')}`);
  }
}

export function markFailed() {
  failed = true;
}

export function exitStatus() {
  return failed ? 1 : 0;
}

// Cases that share nothing but the browser, each in browser contexts of its own, run side by
// side, `width` at a time; those marked `first` start first (a long one, that the others may
// pass the time beside). The function returned reports them as step() does, in the order given,
// each case's own lines (what it passed to `log`) before its result; it resolves to whether all
// passed.
export function together(cases, width = 3) {
  let free = width;
  const queue = [];
  const slot = () => (free > 0 ? (free--, Promise.resolve()) : new Promise((r) => queue.push(r)));
  const release = () => (queue.length > 0 ? queue.shift()() : free++);
  const runOne = async ({ body }) => {
    await slot();
    const lines = [];
    try {
      await body((line) => lines.push(line));
      return { lines };
    } catch (error) {
      return { lines, error };
    } finally {
      release();
    }
  };
  const ran = new Array(cases.length);
  const starting = [...cases.keys()].sort((a, b) => Number(!!cases[b].first) - Number(!!cases[a].first));
  for (const i of starting) ran[i] = runOne(cases[i]);
  return async () => {
    let all = true;
    for (const [i, { name }] of cases.entries()) {
      const { lines, error } = await ran[i];
      for (const line of lines) console.log(line);
      if (!error) {
        console.log(`ok - ${name}`);
        continue;
      }
      all = false;
      failed = true;
      console.log(`not ok - ${name}\n  ${String(error.stack || error).split('\n').join('\n  ')}`);
    }
    return all;
  };
}

const pages = new WeakMap();  // each game worker's page, for what a timeout says
const isGame = (worker) => new URL(worker.url()).pathname.endsWith('/index.js');

// The page's game worker. Each load of the page starts a new one, and the last load's may
// still answer for a moment after a reload: the page's is the one started since the page's
// own start (their time origins are the same clock's).
export async function game(page, timeout = 30000) {
  const born = await page.evaluate(() => performance.timeOrigin);
  const ours = async (worker) => isGame(worker) &&
    (await worker.evaluate(() => performance.timeOrigin).catch(() => -1)) >= born;
  for (const worker of page.workers().reverse()) {
    if (await ours(worker)) {
      pages.set(worker, page);
      return worker;
    }
  }
  return new Promise((resolve, reject) => {
    const created = async (worker) => {
      if (!(await ours(worker))) return;
      clearTimeout(timer);
      page.off('workercreated', created);
      pages.set(worker, page);
      resolve(worker);
    };
    const timer = setTimeout(() => {
      page.off('workercreated', created);
      reject(new Error(`no game worker in ${timeout} ms; the page's workers: ${page.workers().map((w) => w.url())}`));
    }, timeout);
    page.on('workercreated', created);
    // Those created while the listed ones were asked.
    for (const worker of page.workers()) created(worker);
  });
}

// The page of FOLDER served from a copy with some files changed (`files`: name to new content,
// or null for a file the server lacks), for a case that changes what the game's worker fetches:
// puppeteer leaves a worker's requests hanging once the page's are intercepted. Each changed file
// goes out plain.
export async function serveChanged(folder, files) {
  const copy = await mkdtemp(join(tmpdir(), 'vexa-changed-'));
  await cp(folder, copy, { recursive: true });
  for (const [name, content] of Object.entries(files)) {
    for (const compressed of ['.br', '.gz']) await rm(join(copy, name + compressed), { force: true });
    if (content === null) await rm(join(copy, name));
    else await writeFile(join(copy, name), content);
  }
  const server = await serve(copy, 0);
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    close: async () => {
      server.close();
      await rm(copy, { recursive: true, force: true });
    },
  };
}

// What a case takes from the browser, taken in the game's worker too, where no script of the
// test's runs first (evaluateOnNewDocument reaches the page alone): the page of FOLDER served
// with `code` in front of the game's script.
export async function withBeforeGame(folder, code) {
  const script = await readFile(join(folder, 'index.js'), 'utf8');
  return serveChanged(folder, { 'index.js': `${code}\n${script}` });
}

// Waits until `test(arg)` holds, in the page or in its game worker; a timeout says what was
// waited for, where the game was and what the page said. A worker has no waitForFunction: the
// test runs there in a loop of its own, every 10 ms, as the page's polling does.
export async function until(target, test, arg, timeout = 20000) {
  const inPage = typeof target.waitForFunction === 'function';
  try {
    if (inPage) {
      await target.waitForFunction(test, { polling: 10, timeout }, arg);
      return;
    }
    const met = await target.evaluate(`(async () => {
      const test = ${test.toString()};
      const arg = ${JSON.stringify(arg)};
      const end = performance.now() + ${timeout};
      for (;;) {
        if (await test(arg)) return true;
        if (performance.now() > end) return false;
        await new Promise((r) => setTimeout(r, 10));
      }
    })()`);
    if (!met) throw new Error(`timed out after ${timeout} ms in the game's worker`);
  } catch (e) {
    const page = inPage ? target : pages.get(target);
    const where = { game: await gameWhere(inPage ? page.workers().reverse().find(isGame) : target),
                    page: page ? await pageWhere(page) : null };
    throw new Error(`${e.message}\nwaiting for ${test}${arg === undefined ? '' : ` with ${JSON.stringify(arg)}`}\n` +
                    `where: ${JSON.stringify(where)}`);
  }
}
const gameWhere = (worker) => (worker ? worker.evaluate(() => (typeof vexaTest === 'undefined' ? 'not started'
  : { steps: vexaTest.steps(), state: vexaTest.state() })).catch((x) => String(x)) : 'no worker');
const pageWhere = (page) => page.evaluate(() => ({
  said: document.getElementById('status').innerText,
  visible: document.visibilityState,
})).catch((x) => String(x));

// Puts BYTES where the browser keeps the game's save, as a player's kept or damaged file would
// be. The game steps no more, so no save of its own follows; the store is read back from
// IndexedDB and made again until it holds these bytes, since a store of the game's still under
// way may land after it, and a worker's store that has not landed is lost when the page goes.
export async function putSave(page, bytes) {
  await (await game(page)).evaluate((b) => new Promise((done, fail) => {
    Module._vexa_pass = () => {};
    const wanted = new Uint8Array(b);
    const kept = (then) => {
      const open = indexedDB.open('/save');
      open.onerror = () => fail(open.error);
      open.onsuccess = () => {
        const get = open.result.transaction('FILE_DATA').objectStore('FILE_DATA').get('/save/save.dat');
        get.onerror = () => fail(get.error);
        get.onsuccess = () => {
          open.result.close();
          const got = get.result && get.result.contents;
          then(!!got && got.length === wanted.length && got.every((v, i) => v === wanted[i]));
        };
      };
    };
    let tries = 0;
    const store = () => {
      FS.writeFile('/save/save.dat', wanted);
      FS.syncfs(false, (err) => {
        if (err) fail(err);
        else kept((yes) => (yes ? done() : ++tries < 5 ? store() : fail(new Error('IndexedDB never kept the save'))));
      });
    };
    store();
  }), bytes);
}

// The browser's store holds the save the game wrote last: IndexedDB's copy of save.dat is the
// game's own file, byte for byte (the worker stores its folder after every step that changed it).
export async function saveStored(page) {
  await until(await game(page), () => new Promise((done) => {
    const mine = FS.analyzePath('/save/save.dat').exists ? FS.readFile('/save/save.dat') : null;
    const open = indexedDB.open('/save');
    open.onerror = () => done(false);
    open.onsuccess = () => {
      const get = open.result.transaction('FILE_DATA').objectStore('FILE_DATA').get('/save/save.dat');
      get.onerror = () => done(false);
      get.onsuccess = () => {
        open.result.close();
        // Kept as the file system had the bytes, signed or not.
        const got = get.result && get.result.contents;
        const kept = got && new Uint8Array(got.buffer, got.byteOffset, got.length);
        done(!!mine && !!kept && kept.length === mine.length && kept.every((v, i) => v === mine[i]));
      };
    };
  }));
}

// N of the game's step periods go by on its worker's clock, so a game that could step had N
// chances to. The game books each pass at most one period (50 ms) ahead, so a timer of one
// period set after it fires after it; chained N times, each fires after a pass the game would
// have booked since the one before.
export const stepPeriods = async (page, n) => (await game(page)).evaluate((k) => new Promise((done) => {
  const next = (left) => (left === 0 ? done() : setTimeout(() => next(left - 1), 50));
  next(k);
}), n);

// A save.dat as the game writes one: six little-endian 32-bit integers (EXP, HP, attack, AP,
// stage, training count), then their 10-byte check code.
export function saveOf({ exp = 0, maxHp, attack, maxAp, stage, trainingCount = 0 }) {
  const block = Buffer.alloc(24);
  [exp, maxHp, attack, maxAp, stage, trainingCount].forEach((v, i) => block.writeInt32LE(v, 4 * i));
  const code = [0, 1, 2, 3, 4, 5, 6, 7, 8, 9];
  for (const b of block) {
    for (let k = 0; k < code.length; k++) code[k] = (code[k] * (2 * (b >> 4) + 3) + (b & 15) + 1) % 256;
  }
  return [...block, ...code];
}

// The game's state, read in its worker.
export const state = async (page) => (await game(page)).evaluate(() => vexaTest.state());

// Steps have run since now, so mouse events of one step count once.
export async function nextStep(page) {
  const worker = await game(page);
  const now = await worker.evaluate(() => vexaTest.steps());
  await until(worker, (n) => vexaTest.steps() > n + 1, now);
}

// The CRC-32 of a canvas's RGBA pixels, over blue, green, red as the game's frame checksum is.
// It runs where the canvas is (`${crcOfPixels}` in an evaluated script), so it names nothing
// from here.
export function crcOfPixels(data) {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  let crc = 0xffffffff;
  for (let i = 0; i < data.length; i += 4) {
    crc = table[(crc ^ data[i + 2]) & 0xff] ^ (crc >>> 8);
    crc = table[(crc ^ data[i + 1]) & 0xff] ^ (crc >>> 8);
    crc = table[(crc ^ data[i]) & 0xff] ^ (crc >>> 8);
  }
  return ((crc ^ 0xffffffff) >>> 0).toString(16).padStart(8, '0');
}
