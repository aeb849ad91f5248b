// The page as people on other screens and devices meet it: phone and desktop sizes, a finger
// alone through a whole run (start, win, save, advance, guard, defeat, restart), a hidden tab,
// each failure in one sentence, and axe-core's accessibility rules. Fingers are real touch
// events (DevTools touch emulation), never mouse events.
// Usage: node page_any_screen_test.mjs PAGE_FOLDER SOURCE_DIR [SCREENSHOT_DIR]
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serve } from '../../platform/web/serve.mjs';
import { exitStatus, markFailed, step } from './steps.mjs';

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

async function until(page, test, arg, timeout = 20000) {
  try {
    await page.waitForFunction(test, { polling: 10, timeout }, arg);
  } catch (e) {
    const where = await page.evaluate(() => ({
      steps: window.vexaTest ? window.vexaTest.steps() : null,
      state: window.vexaTest ? window.vexaTest.state() : null,
      said: document.getElementById('status').innerText,
    })).catch((x) => String(x));
    throw new Error(`${e.message}\nwaiting for ${test}\nthe page: ${JSON.stringify(where)}`);
  }
}
const state = (page) => page.evaluate(() => window.vexaTest.state());
async function nextStep(page) {
  const now = await page.evaluate(() => window.vexaTest.steps());
  await until(page, (n) => window.vexaTest.steps() > n + 1, now);
}

// Page coordinates of a game pixel's centre, through the canvas as drawn, at any scale.
async function at(page, x, y) {
  const box = await (await page.$('#screen')).boundingBox();
  return { x: box.x + (x + 0.5) * box.width / GAME_W, y: box.y + (y + 0.5) * box.height / GAME_H };
}

// Each cue the game plays, and every step's state, from now on.
const record = (page) => page.evaluate(() => {
  window.seenStates = [];
  window.cuesPlayed = [];
  const pass = Module._vexa_pass;
  Module._vexa_pass = () => {
    pass();
    window.seenStates.push(window.vexaTest.state());
  };
  const play = VexaPage.play;
  VexaPage.play = (path, loop) => {
    window.cuesPlayed.push({ path, step: window.vexaTest.steps() });
    play(path, loop);
  };
});

async function openAt(size, touch) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
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

// A short touch of one finger at a game pixel.
async function tap(page, x, y) {
  const p = await at(page, x, y);
  const finger = await page.touchscreen.touchStart(p.x, p.y);
  await finger.end();
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
  const finger = await page.touchscreen.touchStart(box.x + box.width / 2, box.y + box.height / 2);
  await finger.end();
  await until(page, () => window.vexaTest.steps() > 1);
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

try {
  for (const { size, touch, name } of SIZES) {
    await step(`${size[0]} x ${size[1]}${touch ? ' (touch)' : ''}: the whole frame, as large as it fits`, async () => {
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
        await until(page, (t) => window.vexaTest.state().player.targetX === t, goal - 48);
        await finger.end();
      } else {
        await page.mouse.move(p.x, p.y);
        await until(page, (t) => window.vexaTest.state().player.targetX === t, goal - 48);
      }
      await until(page, () => window.vexaTest.steps() > 40);
      if (shots) await page.screenshot({ path: join(shots, `web-${name}.png`) });
      assert.deepEqual(problems, []);
      await context.close();
    });
  }

  await step('full screen, by its button and by F11: the game scaled to the screen the same way', async () => {
    const { context, page } = await openAt([1366, 768], false);
    await page.click('#go');
    await until(page, () => window.vexaTest.steps() > 2);
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
  });

  await step('no step before the first click; the sound is ready before it', async () => {
    const { context, page } = await openAt([1366, 768], false);
    await until(page, () => window.vexaTest.cues() === 11);
    assert.equal(await page.evaluate(() => window.vexaTest.steps()), 0);
    assert.equal(await page.evaluate(() => window.vexaTest.running()), false);
    await runAxe(page, 'the start screen');
    await page.click('#go');
    await until(page, () => window.vexaTest.steps() > 5);
    await runAxe(page, 'the game running');
    await context.close();
  });

  await step('hidden, the game pauses; shown again, it waits for a click, then one step per 50 ms', async () => {
    const { context, page } = await openAt([1366, 768], false);
    await page.click('#go');
    await until(page, () => window.vexaTest.steps() > 5);
    const other = await context.newPage();
    await other.bringToFront();
    await until(page, () => document.visibilityState === 'hidden');
    const hiddenAt = await page.evaluate(() => window.vexaTest.steps());
    await new Promise((r) => setTimeout(r, 5000));  // the time away is the point here
    assert.equal(await page.evaluate(() => window.vexaTest.steps()), hiddenAt, 'a step ran while hidden');
    await page.bringToFront();
    await until(page, () => document.visibilityState === 'visible');
    assert.equal(await page.evaluate(() => document.getElementById('cover').hidden), false, 'the pause screen');
    // Shown: still no step until the click, however many passes' time goes by.
    await page.evaluate(() => new Promise((r) => setTimeout(r, 300)));
    assert.equal(await page.evaluate(() => window.vexaTest.steps()), hiddenAt, 'a step ran before the click');
    const since = await page.evaluate(() => { document.getElementById('go').click(); return performance.now(); });
    await until(page, (n) => window.vexaTest.steps() >= n + 10, hiddenAt);
    const [steps, now] = await page.evaluate(() => [window.vexaTest.steps(), performance.now()]);
    // No catch-up: never more steps than 50 ms periods since the click (one at the click itself).
    assert.ok(steps - hiddenAt <= Math.floor((now - since) / 50) + 1, `${steps - hiddenAt} steps in ${now - since} ms`);
    await context.close();
  });

  await step('by touch alone: win stage 1, save, advance, guard with a second finger, lose and tap ten times', async () => {
    const { context, page, problems } = await openAt([390, 844], true);
    await tapStart(page);
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
    await until(page, () => window.vexaTest.state().selectedCommand === 0);  // save
    // The prompt reaches the text for screen readers, in Japanese.
    await until(page, () => document.getElementById('spoken').textContent.includes('【セーブ】'));
    assert.equal(await page.$eval('#spoken', (e) => e.closest('[lang]').lang), 'ja');
    await nextStep(page);
    await until(page, () => window.vexaTest.state().player.ap >= 20);
    await tap(page, 300, 300);
    await until(page, () => FS.analyzePath('/save/save.dat').exists);
    // In the browser's store, not only in the page's memory.
    await until(page, () => {
      window.storedSave = null;
      const open = indexedDB.open('/save');
      open.onsuccess = () => {
        const get = open.result.transaction('FILE_DATA').objectStore('FILE_DATA').get('/save/save.dat');
        get.onsuccess = () => { window.storedSave = !!get.result; open.result.close(); };
      };
      return new Promise((r) => setTimeout(() => r(window.storedSave === true), 100));
    });
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
      await until(page, (n) => window.vexaTest.state().selectedCommand === n, i + 1);
    }
    await nextStep(page);
    await until(page, () => window.vexaTest.state().player.ap >= 20);
    await tap(page, 300, 300);
    await until(page, () => window.vexaTest.state().stage === 2 && window.vexaTest.state().battleOn);

    // A guard held by a second finger meets the enemy's attack: コン, and no HP lost.
    await record(page);
    let met = false;
    for (let round = 0; round < 6 && !met; round++) {
      await until(page, () => window.vexaTest.state().player.ap >= 90, undefined, 30000);
      const s = await state(page);
      const p = await at(page, besideEnemy(s), 300);
      const first = await page.touchscreen.touchStart(p.x, p.y);
      await new Promise((r) => setTimeout(r, 0));
      const second = await page.touchscreen.touchStart(p.x - 40, p.y + 60);
      await until(page, () => window.vexaTest.state().player.guarding);
      await until(page, () => window.cuesPlayed.some((c) => c.path.endsWith('コン.wav')) ||
                              window.vexaTest.state().player.ap < 4);
      met = await page.evaluate(() => window.cuesPlayed.some((c) => c.path.endsWith('コン.wav')));
      await second.end();
      await first.end();
    }
    assert.ok(met, 'no enemy attack met the guard');
    const states = await page.evaluate(() => window.seenStates);
    for (let i = 1; i < states.length; i++) {
      if (states[i].player.guarding && states[i - 1].player.guarding)
        assert.ok(states[i].player.hp >= states[i - 1].player.hp, `HP lost under the guard at step ${states[i].step}`);
    }

    // Beaten: a resting finger keeps the fighter by the enemy without attacking.
    const s = await state(page);
    const p = await at(page, besideEnemy(s), 300);
    const finger = await page.touchscreen.touchStart(p.x, p.y);
    await until(page, () => window.vexaTest.state().retryClicks === 10, undefined, 60000);
    await finger.end();
    for (let left = 9; left >= 0; left--) {
      await tap(page, 300, 300);
      await until(page, (n) => window.vexaTest.state().retryClicks === n, left);
      await nextStep(page);
    }
    const back = await state(page);
    assert.equal(back.stage, saved.stage);
    assert.equal(back.player.maxHp, saved.player.maxHp);
    assert.deepEqual(problems, []);
    await context.close();
  });

  // Each way the page can fail to start: one plain sentence, and none of emscripten's words.
  const FAILURES = [
    { name: 'no WebAssembly', before: () => { delete window.WebAssembly; }, said: /cannot run WebAssembly/ },
    { name: 'an old browser', before: () => { delete window.PointerEvent; }, said: /too old/ },
    { name: 'WebAssembly without bulk memory', said: /too old/, before: () => {
      const validate = WebAssembly.validate;
      WebAssembly.validate = (bytes) => !Array.from(bytes).some((b, i, all) => b === 0xfc && all[i + 1] === 0x0b) &&
        validate(bytes);
    } },
    { name: 'index.js missing', missing: 'index.js', said: /file index\.js could not be loaded/ },
    { name: 'index.wasm missing', missing: 'index.wasm', said: /could not be loaded/ },
    { name: 'index.data missing', missing: 'index.data', said: /could not be loaded/ },
    { name: 'index.wasm damaged', damaged: 'index.wasm', said: /could not be loaded or is damaged/ },
  ];
  for (const f of FAILURES) {
    await step(`${f.name}: one sentence`, async () => {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      if (f.before) await page.evaluateOnNewDocument(f.before);
      if (f.missing || f.damaged) {
        await page.setRequestInterception(true);
        page.on('request', (r) => {
          if (f.missing && r.url().endsWith('/' + f.missing)) r.respond({ status: 404, body: 'missing' });
          else if (f.damaged && r.url().endsWith('/' + f.damaged))
            r.respond({ status: 200, contentType: 'application/wasm', body: Buffer.from('not a module at all') });
          else r.continue();
        });
      }
      await page.goto(url, { waitUntil: 'networkidle0' });
      await page.waitForSelector('#status p.error', { timeout: 15000 });
      await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0))));
      const lines = await page.$$eval('#status p', (ps) => ps.map((e) => e.textContent));
      assert.equal(lines.length, 1, lines.join('\n'));
      assert.match(lines[0], f.said);
      const shown = await page.$eval('body', (b) => b.innerText);
      assert.doesNotMatch(shown, /emscripten|ASSERTIONS|Aborted|wasm support|Uncaught|Error:/);
      assert.equal(await page.$eval('#go', (b) => b.hidden), true, 'no start button');
      await context.close();
    });
  }

  // The code compiles from the page's head while it arrives; where that cannot work, the page
  // still starts, by fetching the code again.
  const DETOURS = [
    { name: 'a server that does not call the code application/wasm', plainType: 'index.wasm' },
    { name: 'a browser without streaming compilation', before: () => { delete WebAssembly.compileStreaming; } },
  ];
  for (const d of DETOURS) {
    await step(`${d.name}: the page starts all the same`, async () => {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      if (d.before) await page.evaluateOnNewDocument(d.before);
      let served = 0;
      if (d.plainType) {
        await page.setRequestInterception(true);
        page.on('request', async (r) => {
          if (!r.url().endsWith('/' + d.plainType)) return r.continue();
          served++;
          r.respond({ status: 200, contentType: 'application/octet-stream', body: await readFile(join(pageFolder, d.plainType)) });
        });
      }
      await page.goto(url);
      await page.waitForSelector('#go:not([disabled])', { timeout: 30000 });
      assert.deepEqual(await page.$$eval('#status p.error', (ps) => ps.map((e) => e.textContent)), []);
      // Twice: the streaming compile refused it, the page's own fetch took it.
      if (d.plainType) assert.equal(served, 2);
      await context.close();
    });
  }

  await step('JavaScript off: one sentence', async () => {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setJavaScriptEnabled(false);
    await page.goto(url, { waitUntil: 'networkidle0' });
    const shown = await page.$eval('body', (b) => b.innerText);
    assert.match(shown, /needs JavaScript, which is turned off/);
    assert.equal(await page.$eval('#go', (b) => getComputedStyle(b).display), 'none');
    await context.close();
  });
} catch (e) {
  markFailed();
  console.log(`not ok - ${e.stack || e}`);
} finally {
  await browser.close();
  server.close();
}
process.exit(exitStatus());
