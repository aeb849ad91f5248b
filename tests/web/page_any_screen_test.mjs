// The page as people on other screens and devices meet it: phone and desktop sizes, a finger
// alone through a whole run from a stage-1 save (start, win, save, advance, guard, defeat,
// restart), a hidden tab, each failure in one sentence, and axe-core's accessibility rules.
// Fingers are real touch events (DevTools touch emulation), never mouse events. The game runs
// in a worker of the page's: its state, steps, files and sounds are read there.
// Usage: node page_any_screen_test.mjs PAGE_FOLDER SOURCE_DIR [SCREENSHOT_DIR]
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serve } from '../../platform/web/serve.mjs';
import {
  crcOfPixels, exitStatus, game, markFailed, nextStep, putSave, saveOf, saveStored, serveChanged, state, stepPeriods,
  together, until,
} from './steps.mjs';

const [pageFolder, sourceDir, shots] = process.argv.slice(2);
const GAME_W = 600, GAME_H = 450;
const axeScript = createRequire(import.meta.url).resolve('axe-core/axe.min.js');

const server = await serve(pageFolder, 0);
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'],
});

// Page coordinates of a game pixel's centre, through the canvas as drawn, at any scale.
async function at(page, x, y) {
  const box = await (await page.$('#screen')).boundingBox();
  return { x: box.x + (x + 0.5) * box.width / GAME_W, y: box.y + (y + 0.5) * box.height / GAME_H };
}

// Each cue the game plays, and every step's state, from now on.
const record = async (page) => (await game(page)).evaluate(() => {
  self.seenStates = [];
  self.cuesPlayed = [];
  const pass = Module._vexa_pass;
  Module._vexa_pass = () => {
    pass();
    self.seenStates.push(vexaTest.state());
  };
  const play = VexaPage.play;
  VexaPage.play = (path, loop) => {
    self.cuesPlayed.push({ path, step: vexaTest.steps() });
    play(path, loop);
  };
});

async function openAt(size, touch, before) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  if (before) await page.evaluateOnNewDocument(before);
  // The game as written, in Japanese: the checks below read its texts.
  await page.evaluateOnNewDocument(() => { try { localStorage.setItem('vexa-lang', 'ja'); } catch (e) { /* none */ } });
  await page.setViewport({ width: size[0], height: size[1], deviceScaleFactor: touch ? 3 : 1,
                           isMobile: touch, hasTouch: touch });
  const problems = [];
  page.on('pageerror', (e) => problems.push(e.message));
  page.on('console', (m) => { if (m.type() === 'error') problems.push(m.text()); });
  await page.goto(url);
  await page.waitForSelector('#go:not([disabled])', { timeout: 20000 });
  return { context, page, problems };
}

// A short touch of one finger at page coordinates. The events carry their own times, 50 ms
// apart, however long the commands take to arrive: on a busy machine a tap stays a tap (held
// longer, the page takes it as steering the fighter).
const sessions = new WeakMap();
async function shortTouch(page, x, y) {
  if (!sessions.has(page)) sessions.set(page, await page.createCDPSession());
  const cdp = sessions.get(page);
  const finger = { x: Math.round(x), y: Math.round(y), id: 99 };
  const time = Date.now() / 1000;
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [finger], timestamp: time });
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [finger], timestamp: time + 0.05 });
}

// A short touch of one finger at a game pixel.
async function tap(page, x, y) {
  const p = await at(page, x, y);
  await shortTouch(page, p.x, p.y);
}
// A second finger's short touch while the first rests: the right click.
async function twoFingerTap(page) {
  const p = await at(page, 300, 200);
  const first = await page.touchscreen.touchStart(p.x, p.y);
  const second = await page.touchscreen.touchStart(p.x + 30, p.y + 30);
  await second.end();
  await first.end();
}
// Taps the start screen's button, by touch.
async function tapStart(page) {
  await page.$eval('#go', (b) => b.scrollIntoView({ block: 'center' }));
  const box = await (await page.$('#go')).boundingBox();
  await shortTouch(page, box.x + box.width / 2, box.y + box.height / 2);
  await until(await game(page), () => vexaTest.steps() > 1);
}

// Where a finger puts the fighter next to the enemy: the pointer leads the fighter by 48.
const besideEnemy = (s) => Math.min(GAME_W - 1, s.enemy.x + 48 + 12);

async function runAxe(page, when) {
  await page.addScriptTag({ path: axeScript });
  const result = await page.evaluate(() => window.axe.run(document));
  const bad = result.violations.filter((v) => v.impact === 'serious' || v.impact === 'critical');
  assert.deepEqual(bad.map((v) => `${v.id}: ${v.help} (${v.nodes.map((n) => n.target).join(', ')})`), [], when);
}

const SIZES = [
  { size: [390, 844], touch: true, name: 'phone' },
  { size: [844, 390], touch: true, name: 'phone-landscape' },
  { size: [1366, 768], touch: false, name: 'laptop' },
  { size: [1920, 950], touch: false, name: 'desktop' },
];

// Every case has browser contexts of its own, so they run side by side; the run by touch, the
// longest, plays while the others pass.
const cases = [];
try {
  for (const { size, touch, name } of SIZES) {
    cases.push({ name: `${size[0]} x ${size[1]}${touch ? ' (touch)' : ''}: the whole frame, as large as it fits`, body: async () => {
      const { context, page, problems } = await openAt(size, touch);
      const fit = Math.min(size[0] / GAME_W, size[1] / GAME_H);
      const expected = fit >= 1 ? Math.floor(fit) : fit;
      const box = await (await page.$('#screen')).boundingBox();
      assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= size[0] + 0.5 && box.y + box.height <= size[1] + 0.5,
                JSON.stringify(box));
      const scale = box.width / GAME_W;
      assert.ok(Math.abs(box.height / GAME_H - scale) < 0.01, JSON.stringify(box));
      assert.ok(scale >= 0.85 * expected, `scale ${scale}, the room gives ${expected}`);
      assert.ok(Math.abs((box.x + box.width / 2) - size[0] / 2) <= 1, 'centred');
      if (shots && touch) await page.screenshot({ path: join(shots, `web-${name}-start.png`) });
      if (touch) await tapStart(page);
      else await page.click('#go');
      // The pointer lands on the game pixel it is over, at this scale too.
      const goal = 151 + (size[0] * 7 + size[1]) % 299;  // a different odd pixel at each size
      const p = await at(page, goal, 250);
      if (touch) {
        const finger = await page.touchscreen.touchStart(p.x, p.y);
        await until(await game(page), (t) => vexaTest.state().player.targetX === t, goal - 48);
        await finger.end();
      } else {
        await page.mouse.move(p.x, p.y);
        await until(await game(page), (t) => vexaTest.state().player.targetX === t, goal - 48);
      }
      await until(await game(page), () => vexaTest.steps() > 40);
      if (shots) await page.screenshot({ path: join(shots, `web-${name}.png`) });
      assert.deepEqual(problems, []);
      await context.close();
    } });
  }

  cases.push({ name: 'full screen, by its button and by F11: the game scaled to the screen the same way', body: async () => {
    const { context, page } = await openAt([1366, 768], false);
    await page.click('#go');
    await until(await game(page), () => vexaTest.steps() > 2);
    await page.click('#fullscreen');
    await until(page, () => document.fullscreenElement === document.getElementById('stage'));
    const look = await page.evaluate(() => {
      const stage = document.getElementById('stage');
      return { w: stage.clientWidth, h: stage.clientHeight, roomW: innerWidth, roomH: innerHeight,
               canvas: document.getElementById('screen').getBoundingClientRect().width };
    });
    // Full screen, the stage is the whole view (headless keeps the emulated view's size).
    assert.deepEqual([look.w, look.h], [look.roomW, look.roomH]);
    const fit = Math.min(look.w / GAME_W, look.h / GAME_H);
    assert.equal(look.canvas / GAME_W, fit >= 1 ? Math.floor(fit) : fit);
    await page.keyboard.press('F11');
    await until(page, () => document.fullscreenElement === null);
    await context.close();
  } });

  cases.push({ name: 'no step before the first click; the sound is ready before it', body: async () => {
    const { context, page } = await openAt([1366, 768], false);
    await until(page, () => window.vexaTest.cues() === 11);
    const worker = await game(page);
    assert.equal(await worker.evaluate(() => vexaTest.steps()), 0);
    assert.equal(await worker.evaluate(() => vexaTest.running()), false);
    await runAxe(page, 'the start screen');
    await page.click('#go');
    await until(await game(page), () => vexaTest.steps() > 5);
    await runAxe(page, 'the game running');
    await context.close();
  } });

  cases.push({ name: 'hidden, the game pauses; shown again, it waits for a click, then one step per 50 ms', body: async () => {
    const { context, page } = await openAt([1366, 768], false);
    await page.click('#go');
    await until(await game(page), () => vexaTest.steps() > 5);
    const other = await context.newPage();
    await other.bringToFront();
    await until(page, () => document.visibilityState === 'hidden');
    const worker = await game(page);
    const steps = () => worker.evaluate(() => vexaTest.steps());
    // The page has told the game to pause once it no longer runs: the steps are counted from there.
    await until(worker, () => !vexaTest.running());
    const hiddenAt = await steps();
    await stepPeriods(page, 20);  // the time away: twenty chances to step
    assert.equal(await steps(), hiddenAt, 'a step ran while hidden');
    await page.bringToFront();
    await until(page, () => document.visibilityState === 'visible');
    assert.equal(await page.evaluate(() => document.getElementById('cover').hidden), false, 'the pause screen');
    // Shown: still no step until the click, however many passes' time goes by.
    await stepPeriods(page, 6);
    assert.equal(await steps(), hiddenAt, 'a step ran before the click');
    // The page's and the worker's clocks start apart: the times compared are both from the
    // clocks' common origin.
    const since = await page.evaluate(() => {
      document.getElementById('go').click();
      return performance.timeOrigin + performance.now();
    });
    await until(worker, (n) => vexaTest.steps() >= n + 10, hiddenAt);
    const [ran, now] = await worker.evaluate(() => [vexaTest.steps(), performance.timeOrigin + performance.now()]);
    // No catch-up: never more steps than 50 ms periods since the click (one at the click itself).
    assert.ok(ran - hiddenAt <= Math.floor((now - since) / 50) + 1, `${ran - hiddenAt} steps in ${now - since} ms`);
    await context.close();
  } });

  cases.push({ name: 'by touch alone: win stage 1, save, advance, guard with a second finger, lose and tap ten times', first: true, body: async () => {
    const { context, page, problems } = await openAt([390, 844], true);
    // A stage-1 fighter with a raised attack: stage 1 falls to a few taps, where a new fighter's
    // dozen (one per second of AP) take half a minute. The game starts from it at the menu.
    await putSave(page, saveOf({ maxHp: 50, attack: 30, maxAp: 100, stage: 1 }));
    await page.reload();
    await page.waitForSelector('#go:not([disabled])', { timeout: 20000 });
    await tapStart(page);
    // Stage 1 again (修行, the fifth command): two-finger taps choose, a tap carries out.
    for (let i = 0; i < 5; i++) {
      await twoFingerTap(page);
      await until(await game(page), (n) => vexaTest.state().selectedCommand === n, i);
    }
    await nextStep(page);
    await tap(page, 300, 300);
    await until(await game(page), () => vexaTest.state().stage === 1 && vexaTest.state().battleOn);
    // Stage 1: stand beside the enemy and tap to attack, until it is beaten.
    while ((await state(page)).battleOn) {
      const s = await state(page);
      assert.ok(s.player.hp > 0, 'the fighter was beaten in stage 1');
      if (s.player.ap >= 20) await tap(page, besideEnemy(s), 300);
      await nextStep(page);
    }
    assert.equal((await state(page)).stage, 1);
    // The menu: a two-finger tap chooses, a tap carries out.
    await twoFingerTap(page);
    await until(await game(page), () => vexaTest.state().selectedCommand === 0);  // save
    // The prompt reaches the text for screen readers, in Japanese.
    await until(page, () => document.getElementById('spoken').textContent.includes('【セーブ】'));
    assert.equal(await page.$eval('#spoken', (e) => e.closest('[lang]').lang), 'ja');
    await nextStep(page);
    await until(await game(page), () => vexaTest.state().player.ap >= 20);
    await tap(page, 300, 300);
    await until(await game(page), () => FS.analyzePath('/save/save.dat').exists);
    // In the browser's store, not only in the game's memory.
    await saveStored(page);
    // Asked to keep the save; where the browser will not promise it, the player is told once.
    await until(page, async () => (await navigator.storage.persisted()) ||
                                  document.getElementById('status').innerText.includes('did not promise'));
    const kept = await page.evaluate(() => navigator.storage.persisted());
    const notes = await page.$$eval('#status p', (ps) => ps.filter((e) => /did not promise/.test(e.textContent)).length);
    assert.equal(notes, kept ? 0 : 1);
    const saved = await state(page);
    assert.equal(saved.selectedCommand, 0, 'the two-finger tap also carried out');
    for (let i = 0; i < 5; i++) {
      await twoFingerTap(page);
      await until(await game(page), (n) => vexaTest.state().selectedCommand === n, i + 1);
    }
    await nextStep(page);
    await until(await game(page), () => vexaTest.state().player.ap >= 20);
    await tap(page, 300, 300);
    await until(await game(page), () => vexaTest.state().stage === 2 && vexaTest.state().battleOn);

    // A guard held by a second finger meets the enemy's attack: コン, and no HP lost.
    await record(page);
    let met = false;
    for (let round = 0; round < 6 && !met; round++) {
      await until(await game(page), () => vexaTest.state().player.ap >= 90, undefined, 30000);
      const s = await state(page);
      const p = await at(page, besideEnemy(s), 300);
      const first = await page.touchscreen.touchStart(p.x, p.y);
      await new Promise((r) => setTimeout(r, 0));
      const second = await page.touchscreen.touchStart(p.x - 40, p.y + 60);
      await until(await game(page), () => vexaTest.state().player.guarding);
      await until(await game(page), () => cuesPlayed.some((c) => c.path.endsWith('コン.wav')) ||
                                          vexaTest.state().player.ap < 4);
      met = await (await game(page)).evaluate(() => cuesPlayed.some((c) => c.path.endsWith('コン.wav')));
      await second.end();
      await first.end();
    }
    assert.ok(met, 'no enemy attack met the guard');
    const states = await (await game(page)).evaluate(() => seenStates);
    for (let i = 1; i < states.length; i++) {
      if (states[i].player.guarding && states[i - 1].player.guarding)
        assert.ok(states[i].player.hp >= states[i - 1].player.hp, `HP lost under the guard at step ${states[i].step}`);
    }

    // Beaten: a resting finger keeps the fighter by the enemy without attacking.
    const s = await state(page);
    const p = await at(page, besideEnemy(s), 300);
    const finger = await page.touchscreen.touchStart(p.x, p.y);
    await until(await game(page), () => vexaTest.state().retryClicks === 10, undefined, 60000);
    // Drifted before it lifts, so it is never a tap, however soon the defeat came after it
    // came down: the ten taps below are each the one counted.
    await finger.move(p.x, p.y + 40);
    await finger.end();
    for (let left = 9; left >= 0; left--) {
      await tap(page, 300, 300);
      await until(await game(page), (n) => vexaTest.state().retryClicks === n, left);
      await nextStep(page);
    }
    const back = await state(page);
    assert.equal(back.stage, saved.stage);
    assert.equal(back.player.maxHp, saved.player.maxHp);
    assert.deepEqual(problems, []);
    await context.close();
  } });

  // Each way the page can fail to start: one plain sentence, and none of emscripten's words.
  const FAILURES = [
    { name: 'no WebAssembly', before: () => { delete window.WebAssembly; }, said: /cannot run WebAssembly/ },
    { name: 'an old browser', before: () => { delete window.PointerEvent; }, said: /too old/ },
    { name: 'WebAssembly without bulk memory', said: /too old/, before: () => {
      const validate = WebAssembly.validate;
      WebAssembly.validate = (bytes) => !Array.from(bytes).some((b, i, all) => b === 0xfc && all[i + 1] === 0x0b) &&
        validate(bytes);
    } },
    { name: 'workers refused (a page opened as a file)', said: /will not start the game's worker/, before: () => {
      window.Worker = function () { throw new DOMException('refused', 'SecurityError'); };
    } },
    { name: 'index.js missing', missing: 'index.js', said: /file index\.js could not be loaded/ },
    { name: 'index.wasm missing', missing: 'index.wasm', said: /could not be loaded/ },
    { name: 'index.data missing', missing: 'index.data', said: /could not be loaded/ },
    { name: 'index.wasm damaged', damaged: 'index.wasm', said: /could not be loaded or is damaged/ },
  ];
  for (const f of FAILURES) {
    cases.push({ name: `${f.name}: one sentence`, body: async () => {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      if (f.before) await page.evaluateOnNewDocument(f.before);
      const served = f.missing ? await serveChanged(pageFolder, { [f.missing]: null })
        : f.damaged ? await serveChanged(pageFolder, { [f.damaged]: 'not a module at all' }) : { url, close() {} };
      await page.goto(served.url, { waitUntil: 'networkidle0' });
      await page.waitForSelector('#status p.error', { timeout: 15000 });
      await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0))));
      const lines = await page.$$eval('#status p', (ps) => ps.map((e) => e.textContent));
      assert.equal(lines.length, 1, lines.join('\n'));
      assert.match(lines[0], f.said);
      const shown = await page.$eval('body', (b) => b.innerText);
      assert.doesNotMatch(shown, /emscripten|ASSERTIONS|Aborted|wasm support|Uncaught|Error:/);
      assert.equal(await page.$eval('#go', (b) => b.hidden), true, 'no start button');
      await context.close();
      await served.close();
    } });
  }

  // The code compiles from the page's head while it arrives; where that cannot work, the page
  // still starts, by fetching the code again.
  const DETOURS = [
    { name: 'a server that does not call the code application/wasm', plainType: 'index.wasm' },
    { name: 'a browser without streaming compilation', before: () => { delete WebAssembly.compileStreaming; } },
  ];
  for (const d of DETOURS) {
    cases.push({ name: `${d.name}: the page starts all the same`, body: async () => {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      if (d.before) await page.evaluateOnNewDocument(d.before);
      let served = 0;
      if (d.plainType) {
        // The page's head fetches the code. Only that request is paused: puppeteer's own
        // interception would leave the game worker's requests hanging.
        const cdp = await page.createCDPSession();
        const body = (await readFile(join(pageFolder, d.plainType))).toString('base64');
        cdp.on('Fetch.requestPaused', (e) => {
          served++;
          cdp.send('Fetch.fulfillRequest', { requestId: e.requestId, responseCode: 200, body,
            responseHeaders: [{ name: 'Content-Type', value: 'application/octet-stream' }] });
        });
        await cdp.send('Fetch.enable', { patterns: [{ urlPattern: `*/${d.plainType}` }] });
      }
      await page.goto(url);
      await page.waitForSelector('#go:not([disabled])', { timeout: 30000 });
      assert.deepEqual(await page.$$eval('#status p.error', (ps) => ps.map((e) => e.textContent)), []);
      // Twice: the streaming compile refused it, the page's own fetch took it.
      if (d.plainType) assert.equal(served, 2);
      await context.close();
    } });
  }

  // Where the worker cannot draw on the canvas (older Safari and Firefox: no OffscreenCanvas, or one
  // without 2D), it sends each damaged part to the page, which puts it on the canvas itself.
  const NO_OFFSCREEN = [
    { name: 'a browser without OffscreenCanvas', before: () => { delete HTMLCanvasElement.prototype.transferControlToOffscreen; } },
    { name: 'an OffscreenCanvas without 2D', before: () => {
      delete window.OffscreenCanvasRenderingContext2D;
      OffscreenCanvas.prototype.getContext = () => null;
    } },
  ];
  for (const n of NO_OFFSCREEN) cases.push({ name: `${n.name}: the game plays, and the page's canvas becomes the frame`, body: async () => {
    const { context, page, problems } = await openAt([1366, 768], false, n.before);
    await page.click('#go');
    const worker = await game(page);
    await until(worker, () => vexaTest.steps() > 5);
    assert.equal(await worker.evaluate(() => VexaPaint.context()), null, 'the worker was given the canvas');
    const goal = 211;  // the fighter walks: parts of the frame change
    const p = await at(page, goal, 250);
    await page.mouse.move(p.x, p.y);
    await until(worker, (t) => vexaTest.state().player.targetX === t, goal - 48);
    await nextStep(page);
    await worker.evaluate(() => { Module._vexa_pass = () => {}; });
    const frame = await worker.evaluate(() => vexaTest.frameChecksum());
    // The last parts may still be on their way to the page.
    await page.evaluate(`self.crcOfPixels = ${crcOfPixels}`);
    await until(page, (sum) => crcOfPixels(VexaView.context().getImageData(0, 0, 600, 450).data) === sum, frame);
    assert.deepEqual(problems, []);
    await context.close();
  } });

  cases.push({ name: 'JavaScript off: one sentence', body: async () => {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setJavaScriptEnabled(false);
    await page.goto(url);  // without scripts the page is all there once loaded
    const shown = await page.$eval('body', (b) => b.innerText);
    assert.match(shown, /needs JavaScript, which is turned off/);
    assert.equal(await page.$eval('#go', (b) => getComputedStyle(b).display), 'none');
    await context.close();
  } });
  await together(cases, 3)();
} catch (e) {
  markFailed();
  console.log(`not ok - ${e.stack || e}`);
} finally {
  await browser.close();
  server.close();
}
process.exit(exitStatus());
