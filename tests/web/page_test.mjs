// The page in headless Chromium, played as a person would: walk, attack, guard, the menu,
// a save kept by the browser across a reload, a defeat and the ten retry clicks, the report
// downloaded, and the canvas read back against what the game composed. The game runs in a
// worker of the page's, off its main thread: its state, steps, files and canvas are read there.
// Usage: node page_test.mjs PAGE_FOLDER SOURCE_DIR
import assert from 'node:assert/strict';
import { watch as watchFolder } from 'node:fs';
import { mkdtemp, readFile, readdir, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serve } from '../../platform/web/serve.mjs';
import {
  crcOfPixels, game, nextStep, putSave, saveStored, serveChanged, state, stepPeriods, together, until, withBeforeGame,
} from './steps.mjs';

const [pageFolder, sourceDir] = process.argv.slice(2);
const GAME_W = 600;

const server = await serve(pageFolder, 0);
const url = `http://127.0.0.1:${server.address().port}/`;
const downloads = await mkdtemp(join(tmpdir(), 'vexa-page-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'],
});
const problems = [];
let failed = false;

async function step(name, body) {
  try {
    await body();
    console.log(`ok - ${name}`);
  } catch (e) {
    failed = true;
    console.log(`not ok - ${name}\n  ${String(e.stack || e).split('\n').join('\n  ')}`);
    throw e;
  }
}

// Each problem the browser reports counts against the page, whenever it comes.
function watch(page) {
  page.on('console', (m) => { if (m.type() === 'error') problems.push(`console ${m.type()}: ${m.text()}`); });
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()}`));
  page.on('response', (r) => { if (r.status() >= 400) problems.push(`${r.status()} for ${r.url()}`); });
}

// Every step's state from now on, so a state that lasts a single step is never missed.
const record = async (page) => (await game(page)).evaluate(() => {
  self.seenStates = [];
  const pass = Module._vexa_pass;
  Module._vexa_pass = () => {
    pass();
    self.seenStates.push(vexaTest.state());
  };
});

// Page coordinates of a game pixel's centre.
async function at(page, x, y) {
  const box = await (await page.$('#screen')).boundingBox();
  const scale = box.width / GAME_W;
  return { x: box.x + (x + 0.5) * scale, y: box.y + (y + 0.5) * scale };
}

async function click(page, button, x = 500, y = 300) {
  const p = await at(page, x, y);
  await page.mouse.move(p.x, p.y);
  await page.mouse.down({ button });
  await page.mouse.up({ button });
}

// The start screen waits for the player: the first click starts the steps.
async function begin(page) {
  await page.waitForSelector('#go:not([disabled])', { timeout: 15000 });
  await page.click('#go');
  await until(await game(page), () => typeof vexaTest !== 'undefined' && vexaTest.steps() > 2);
}

async function open(context) {
  const page = await context.newPage();
  await page.setViewport({ width: 1400, height: 1100 });
  watch(page);
  await page.goto(url);
  await begin(page);
  return page;
}

// Where a file lies in the page's data, which starts with its own index: a 4-byte little-endian
// length, that many bytes of JSON ([{ path, size }] in order), then the files one after another.
function placeIn(data, file) {
  const length = data.readUInt32LE(0);
  let start = 4 + length;
  for (const f of JSON.parse(data.subarray(4, start).toString('utf8'))) {
    if (f.path === file) return [start, start + f.size];
    start += f.size;
  }
  throw new Error(`${file} is not in the page's data`);
}

// A page in a context of its own whose data has one file changed by `damage(data, start, end)`.
async function openWithData(file, damage) {
  const broken = await browser.createBrowserContext();
  const p = await broken.newPage();
  const data = await readFile(join(pageFolder, 'index.data'));
  damage(data, ...placeIn(data, file));
  const served = await serveChanged(pageFolder, { 'index.data': data });
  const seen = [];
  p.on('pageerror', (e) => seen.push(e.message));
  await p.goto(served.url);
  const close = async () => {
    await broken.close();
    await served.close();
  };
  return { close, p, seen };
}

// The canvas, read back, is the frame the game composed: same CRC-32 over blue, green, red.
// Both are read in one task of the worker, between steps.
async function canvasIsTheFrame(page) {
  const [fromCanvas, fromGame] = await (await game(page)).evaluate(`(() => {
    const context = VexaPaint.context();
    const { data } = context.getImageData(0, 0, context.canvas.width, context.canvas.height);
    return [(${crcOfPixels})(data), vexaTest.frameChecksum()];
  })()`);
  assert.equal(fromCanvas, fromGame);
}

// The files of FOLDER once a download whose name ends with ENDING is whole there: the browser
// writes a .crdownload beside it and removes that last. Watched from the call on, so call it
// before the download starts.
function landing(folder, ending, timeout = 20000) {
  let watcher = null, timer = null;
  return new Promise((done, fail) => {
    const whole = (files) => files.some((f) => f.endsWith(ending)) && !files.some((f) => f.endsWith('.crdownload'));
    const look = () => readdir(folder).then((files) => { if (whole(files)) done(files); }, fail);
    watcher = watchFolder(folder, look);
    timer = setTimeout(() => fail(new Error(`no ${ending} file in ${folder} after ${timeout} ms`)), timeout);
    look();
  }).finally(() => {
    watcher.close();
    clearTimeout(timer);
  });
}

// A row of the canvas's pixels, as RGBA values.
const canvasRow = async (page, x, y, width) => (await game(page)).evaluate(
  ([x0, y0, w]) => Array.from(VexaPaint.context().getImageData(x0, y0, w, 1).data), [x, y, width]);

// The player's bar of a status row, right of its number: bar colour for the value, pale after.
async function checkPlayerBar(page, rowY, color, value, maximum) {
  const pixels = await canvasRow(page, 325, rowY + 12, 275);
  for (let j = 45; j < Math.min(maximum, 275); j++) {
    const got = pixels.slice(4 * j, 4 * j + 3);
    const isBar = got[0] === color[0] && got[1] === color[1] && got[2] === color[2];
    assert.equal(isBar, j < value, `column ${325 + j} of the bar at ${rowY}: ${got} with value ${value} of ${maximum}`);
  }
}

// Cases in browser contexts of their own, run beside the played game below.
const aside = together([
  // A browser without IndexedDB or WebAudio still plays, and says so once each.
  { name: 'without storage or sound the game plays and says so once', body: async () => {
    const bare = await browser.createBrowserContext();
    const p = await bare.newPage();
    await p.evaluateOnNewDocument(() => {
      Object.defineProperty(window, 'indexedDB', { value: undefined });
      window.AudioContext = undefined;
      window.webkitAudioContext = undefined;
    });
    const served = await withBeforeGame(pageFolder, "Object.defineProperty(self, 'indexedDB', { value: undefined });");
    await p.goto(served.url);
    await begin(p);
    for (let i = 0; i < 3; i++) await click(p, 'left', 300);
    const worker = await game(p);
    const before = await worker.evaluate(() => vexaTest.steps());
    await until(worker, (n) => vexaTest.steps() > n + 5, before);
    const lines = await p.$$eval('#status p', (ps) => ps.map((e) => e.className + ': ' + e.textContent));
    assert.equal(lines.length, 2, lines.join('\n'));
    assert.match(lines.join('\n'), /note: .*cannot save/);
    assert.match(lines.join('\n'), /note: .*silently/);
    await bare.close();
    await served.close();
  } },

  // The page's data with the first picture damaged: one clear line, no steps, no loop.
  { name: 'a damaged picture stops the start with one line; the page stays usable', body: async () => {
    const { close, p, seen } = await openWithData('/game/dat/vexa_head.bmp', (data, start) => {
      data[start] = 'X'.charCodeAt(0);
    });
    await p.waitForSelector('#status p.error', { timeout: 15000 });
    // The worker answers the report's request after the failed start's task, and the page hears
    // the answer after all the worker said before it: with the answer's line there, the start
    // has said all it will. The page still answers, too.
    await p.click('#report');
    await until(p, () => document.querySelectorAll('#status p').length >= 2);
    const lines = await p.$$eval('#status p', (ps) => ps.map((e) => e.textContent));
    assert.equal(lines.length, 2, lines.join('\n'));
    assert.match(lines[0], /cannot start: .*vexa_head\.bmp: not a BMP picture/);
    assert.match(lines[1], /no report yet/);
    assert.equal(await (await game(p)).evaluate(() => vexaTest.steps()), 0);
    assert.deepEqual(seen, []);
    await close();
  } },

  // An error inside a step (here the glyph file, damaged, fails the first text a step draws):
  // one line on the page, the steps stop for good, no loop, and the page still answers. The
  // click comes when the first step is already due, so the start's first pass runs it: where
  // an unguarded exception once escaped as a bare number.
  { name: 'an error inside a step stops the game with one line; the page stays usable', body: async (log) => {
    const { close, p, seen } = await openWithData('/game/glyphs.bin', (data, start, end) => {
      for (let i = start + 16; i < end; i++) data[i] ^= 0x5a;  // the header stays, the glyphs do not
    });
    await p.waitForSelector('#go:not([disabled])', { timeout: 15000 });
    // The game's step timer falls due one period (50 ms) after the game starts, which is before
    // the page hears it has: 60 ms after that on the page's clock, the first step is due.
    await until(p, () => performance.now() - performance.getEntriesByName('vexa-started')[0].startTime > 60);
    await p.click('#go');
    await p.waitForSelector('#status p.error', { timeout: 15000 });
    const worker = await game(p);
    assert.equal(await worker.evaluate(() => vexaTest.steps()), 0, 'the first step stopped');
    const stoppedAt = await worker.evaluate(() => vexaTest.steps());
    await stepPeriods(p, 12);  // a game still stepping would have stepped a dozen times
    const lines = await p.$$eval('#status p', (ps) => ps.map((e) => e.textContent));
    assert.equal(lines.length, 1, lines.join('\n'));
    assert.match(lines[0], /internal error/);
    log(`  said: ${lines[0]} (after ${stoppedAt} steps)`);
    assert.equal(await worker.evaluate(() => vexaTest.steps()), stoppedAt);
    await click(p, 'left', 300);  // mouse events after the stop change nothing
    await p.click('#report');     // and the page still answers
    await until(p, () => document.querySelectorAll('#status p').length === 2);
    assert.deepEqual(seen, []);
    await close();
  } },
], 2);

try {
  const context = await browser.createBrowserContext({ downloadBehavior: { policy: 'allow', downloadPath: downloads } });
  let page = await open(context);

  await step('the game runs in a worker of the page\'s, off its main thread', async () => {
    const worker = await game(page);
    assert.ok(page.workers().includes(worker));
    assert.ok(worker.url().endsWith('/index.js'), worker.url());
    assert.deepEqual(await worker.evaluate(() => [typeof Module._vexa_pass, typeof FS.syncfs]), ['function', 'function']);
    assert.deepEqual(await page.evaluate(() => [typeof Module, typeof FS]), ['undefined', 'undefined']);
  });

  await step('a fresh page starts a new game, the canvas showing the composed frame', async () => {
    const s = await state(page);
    assert.equal(s.stage, 1);
    assert.equal(s.battleOn, true);
    await canvasIsTheFrame(page);
    await checkPlayerBar(page, 380, [64, 192, 64], s.player.hp, s.player.maxHp);
  });

  await step('the canvas is scaled by whole steps with sharp pixels', async () => {
    const look = await page.evaluate(() => {
      const c = document.getElementById('screen');
      return { w: c.getBoundingClientRect().width, h: c.getBoundingClientRect().height,
               rendering: getComputedStyle(c).imageRendering };
    });
    assert.ok(Number.isInteger(look.w / 600) && look.w / 600 >= 2, `width ${look.w}`);
    assert.equal(look.h / 450, look.w / 600);
    assert.equal(look.rendering, 'pixelated');
  });

  await step('the fighter walks toward the pointer', async () => {
    const before = (await state(page)).player.x;
    const goal = before < 300 ? 500 : 100;  // well away from where the fighter stands
    const p = await at(page, goal, 300);
    await page.mouse.move(p.x, p.y);
    await until(await game(page), ([x, target]) => {
      const s = vexaTest.state().player;
      return s.targetX === target && Math.abs(s.x - target) < Math.abs(x - target);
    }, [before, goal - 48]);
  });

  await step('a left click attacks', async () => {
    await record(page);
    await click(page, 'left', 300);
    await until(await game(page), () => seenStates.some((s) => s.player.attacking));
  });

  await step('holding the right button guards, releasing it ends the guard', async () => {
    const p = await at(page, 400, 300);
    await page.mouse.move(p.x, p.y);
    await record(page);
    await page.mouse.down({ button: 'right' });
    await until(await game(page), () => seenStates.some((s) => s.player.guarding));
    await page.mouse.up({ button: 'right' });
    await until(await game(page), () => !vexaTest.state().player.guarding && !vexaTest.state().rightHeld);
  });

  await step('a button released outside the canvas is still seen; no context menu on the canvas', async () => {
    const inside = await at(page, 300, 300);
    await page.mouse.move(inside.x, inside.y);
    await page.mouse.down({ button: 'right' });
    await until(await game(page), () => vexaTest.state().rightHeld);
    const box = await (await page.$('#screen')).boundingBox();
    // Off the canvas to the right, pointer captured, where only a hit moves the target (to the
    // left the enemy's place bounds it): game x 615, so the target is 615 - 48.
    await page.mouse.move(box.x + box.width * 615 / 600, box.y + box.height + 40);
    await until(await game(page), () => vexaTest.state().player.targetX === 567);
    await page.mouse.up({ button: 'right' });
    await until(await game(page), () => !vexaTest.state().rightHeld);
    const shown = await page.evaluate(() =>
      document.getElementById('screen').dispatchEvent(new MouseEvent('contextmenu', { bubbles: true, cancelable: true })));
    assert.equal(shown, false);
  });

  // Where the browser keeps the game's save, as a player's damaged or kept file would be.
  async function storeSave(bytes) {
    await putSave(page, bytes);
    await page.reload();
    await begin(page);
  }

  await step('a damaged stored save gives a new game, said once', async () => {
    const good = [...(await readFile(join(sourceDir, 'tests/replays/menu-and-defeat.save.dat')))];
    good[3] ^= 0x40;  // the check code no longer fits
    await storeSave(good);
    const s = await state(page);
    assert.equal(s.stage, 1);
    assert.equal(s.battleOn, true);
    const lines = await page.$$eval('#status p', (ps) => ps.map((e) => e.textContent));
    assert.equal(lines.length, 1, lines.join(' | '));
    assert.match(lines[0], /^save\.dat could not be loaded.*, so a new game begins; the first save keeps the old file as save\.dat\.damaged$/);
  });

  // A save from a stage-5 game, put where the browser keeps the game's save.
  await step('a save stored in the browser is the game the page starts from', async () => {
    await storeSave([...(await readFile(join(sourceDir, 'tests/replays/menu-and-defeat.save.dat')))]);
    const s = await state(page);
    assert.equal(s.stage, 5);
    assert.equal(s.battleOn, false);
    assert.equal(s.player.maxHp, 70);
    await canvasIsTheFrame(page);
  });

  // The code may come after the worker has read the save from the browser's store (a slow
  // network, a large code file): the save is still read whole, into the code's memory once it exists.
  await step('the stored save is read whole when the code arrives after it', async () => {
    await page.setBypassServiceWorker(true);
    await page.setRequestInterception(true);
    let release = null;
    const held = new Promise((r) => { release = r; });
    const hold = async (r) => {
      if (!r.url().endsWith('/index.wasm')) return r.continue();
      await held;
      return r.continue();
    };
    page.on('request', hold);
    try {
      await page.reload({ waitUntil: 'domcontentloaded' });
      // While the code is held, the worker's store is read twice over, one read after the other,
      // as the game's file system reads it: its own read has had its time.
      const records = await (await game(page)).evaluate(() => new Promise((done, fail) => {
        const open = indexedDB.open('/save');
        open.onerror = () => fail(String(open.error));
        open.onsuccess = () => {
          const db = open.result;
          let left = 2;
          const read = () => {
            const all = db.transaction('FILE_DATA', 'readonly').objectStore('FILE_DATA').getAll();
            all.onerror = () => fail(String(all.error));
            all.onsuccess = () => {
              if (--left > 0) return read();
              db.close();
              return done(all.result.length);
            };
          };
          read();
        };
      }));
      assert.ok(records > 0, 'the store holds the save');
      release();
      await begin(page);
      const s = await state(page);
      assert.equal(s.stage, 5);
      assert.equal(s.player.maxHp, 70);
      assert.deepEqual(await page.$$eval('#status p', (ps) => ps.map((e) => e.textContent)), []);
    } finally {
      release();
      page.off('request', hold);
      await page.setRequestInterception(false);
      await page.setBypassServiceWorker(false);
    }
  });

  let upgraded = 0;
  await step('the menu: the right button chooses, a left click upgrades and then saves', async () => {
    for (let i = 0; i < 2; i++) await click(page, 'right');  // save, then HP
    await until(await game(page), () => vexaTest.state().selectedCommand === 1);
    await nextStep(page);
    await click(page, 'left');
    await until(await game(page), () => vexaTest.state().player.maxHp === 80);
    upgraded = 80;
    for (let i = 0; i < 5; i++) await click(page, 'right');  // round to save
    await until(await game(page), () => vexaTest.state().selectedCommand === 0);
    await nextStep(page);
    await click(page, 'left');
    await until(await game(page), () => FS.analyzePath('/save/レポート.txt').exists);
    await checkPlayerBar(page, 380, [64, 192, 64], 80, 80);
    await canvasIsTheFrame(page);
  });

  await step('the report downloads as the Shift-JIS line the game wrote', async () => {
    const landed = landing(downloads, '.txt');
    await page.click('#report');
    const files = await landed;
    assert.deepEqual(files, ['レポート.txt']);
    const bytes = await readFile(join(downloads, files[0]));
    const s = await state(page);
    const line = `【V.E.X.A.レポート】Stage5／修行回数${s.trainingCount}／ＨＰ80／攻撃7／ＡＰ110／EXP${s.player.exp}\r\n`;
    assert.equal(new TextDecoder('shift_jis').decode(bytes), line);
    assert.deepEqual([...bytes.subarray(0, 2)], [0x81, 0x79]);  // 【 in CP932
  });

  await step('advancing, the fighter is beaten; ten clicks start the game again from the save', async () => {
    for (let i = 0; i < 5; i++) await click(page, 'right');
    await until(await game(page), () => vexaTest.state().selectedCommand === 5);
    await nextStep(page);
    await click(page, 'left');
    await until(await game(page), () => vexaTest.state().stage === 6 && vexaTest.state().battleOn);
    await until(await game(page), () => vexaTest.state().retryClicks === 10, undefined, 30000);
    for (let left = 9; left >= 0; left--) {
      await click(page, 'left');
      await until(await game(page), (n) => vexaTest.state().retryClicks === n, left);
      await nextStep(page);
    }
    const s = await state(page);
    assert.equal(s.stage, 5);
    assert.equal(s.player.maxHp, upgraded);
  });

  await step('after a reload the saved game is back', async () => {
    await saveStored(page);  // a reload would lose a store still under way
    await page.reload();
    await begin(page);
    const s = await state(page);
    assert.equal(s.stage, 5);
    assert.equal(s.player.maxHp, upgraded);
    await canvasIsTheFrame(page);
  });

  await step('the panel: the blank band at its top stays white under the messages', async () => {
    for (let i = 0; i < 12; i++) await click(page, 'right');  // a dozen prompts fill the panel
    await nextStep(page);
    await canvasIsTheFrame(page);
    const white = await (await game(page)).evaluate(() =>
      VexaPaint.context().getImageData(0, 0, 600, 30).data.every((v) => v === 255));
    assert.equal(white, true);
  });

  await step('the language: the browser\'s at first, then the one chosen, kept across a reload', async () => {
    const language = async () => (await game(page)).evaluate(() => vexaTest.language());
    // The switch is on the start screen: a reload brings it back.
    const started = () => begin(page);
    await page.reload();
    await page.waitForSelector('#go:not([disabled])', { timeout: 15000 });
    const browsers = await page.evaluate(() => (navigator.language.toLowerCase().startsWith('ja') ? 'ja' : 'en'));
    assert.equal(await language(), browsers);
    const other = browsers === 'ja' ? 'en' : 'ja';
    await Promise.all([page.waitForNavigation(), page.click(`#lang [data-lang="${other}"]`)]);
    await started();
    assert.equal(await language(), other);
    await page.reload();
    await started();
    assert.equal(await language(), other);
    assert.equal(await page.$eval(`#lang [data-lang="${other}"]`, (b) => b.getAttribute('aria-pressed')), 'true');
    await canvasIsTheFrame(page);
  });

  await step('no console errors, failed requests or page errors', async () => {
    assert.deepEqual(problems, []);
  });
  await context.close();

} catch (e) {
  failed = true;
} finally {
  if (!(await aside())) failed = true;
  await browser.close();
  server.close();
  await rm(downloads, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
