// The browser edition measured against its goals, each figure with its goal:
//  - headless wasm under node: steps per second of the whole-game replay with drawing, and
//    its ratio to the desktop build in the same run (best of several runs each);
//  - in headless Chromium: time from navigation start to the start screen, ready to play; the
//    longest input handler of the start click (the sound is set up before it); main-thread time
//    per second of idle play against the 50 ms step budget, long tasks;
//  - page weight: what a browser downloads, gzipped.
// Usage: node bench/web_metrics.mjs [PAGE_FOLDER] [DESKTOP_VEXA] [--screenshot FILE]
// Build both first: scripts/web --build-only, cmake --build --preset release.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { gzipSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';
import { serve } from '../platform/web/serve.mjs';

const args = process.argv.slice(2);
const shotAt = args.indexOf('--screenshot');
const screenshot = shotAt >= 0 ? resolve(args.splice(shotAt, 2)[1]) : null;
const pageFolder = resolve(args[0] || 'build/web');
const desktop = resolve(args[1] || 'build/release/vexa');
const source = resolve(new URL('..', import.meta.url).pathname);
const replay = join(source, 'tests/replays/whole-game.replay');
const verdict = (ok) => (ok ? 'met' : 'MISSED');

// ---- steps per second -------------------------------------------------------------------
function bestSeconds(command, commandArgs, runs) {
  let best = Infinity;
  for (let i = 0; i < runs; i++) {
    const folder = mkdtempSync(join(tmpdir(), 'vexa-bench-'));
    const start = process.hrtime.bigint();
    execFileSync(command, commandArgs, { cwd: folder, stdio: ['ignore', 'ignore', 'inherit'] });
    best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e9);
    rmSync(folder, { recursive: true, force: true });
  }
  return best;
}
const steps = readFileSync(join(source, 'tests/replays/whole-game.final.jsonl'), 'utf8').match(/"step":(\d+)/)[1] - -1;
// The process start is part of each run; node's own start is measured and taken off.
const nodeStart = bestSeconds('node', ['-e', ''], 5);
const wasm = bestSeconds('node', [join(pageFolder, 'vexa-replay.js'), '--replay', replay], 5) - nodeStart;
const native = bestSeconds(desktop, ['--replay', replay], 5);
const wasmRate = steps / wasm;
console.log(`whole-game replay, ${steps} steps with drawing:`);
console.log(`  wasm under node   ${wasmRate.toFixed(0)} steps/s (goal at least 3000: ${verdict(wasmRate >= 3000)})`);
console.log(`  desktop build     ${(steps / native).toFixed(0)} steps/s`);
console.log(`  wasm / desktop    ${(wasmRate / (steps / native)).toFixed(2)}`);

// ---- the page in Chromium ---------------------------------------------------------------
const server = await serve(pageFolder, 0);
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await puppeteer.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
  args: ['--no-sandbox'] });
try {
  const firsts = [];
  for (let i = 0; i < 7; i++) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.goto(url);
    // The page waits on its start screen for the player: ready to play is the figure there.
    await page.waitForFunction(() => performance.getEntriesByName('vexa-started').length > 0, { polling: 5 });
    firsts.push(await page.evaluate(() => performance.getEntriesByName('vexa-started')[0].startTime));
    await context.close();
  }
  firsts.sort((a, b) => a - b);
  const first = firsts[3];
  console.log(`ready to play (the start screen) after navigation start: median ${first.toFixed(0)} ms of 7 loads ` +
              `(${firsts[0].toFixed(0)}..${firsts[6].toFixed(0)}) (goal under 300 ms: ${verdict(first < 300)})`);

  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 1280, height: 960 });
  await page.goto(url);
  await page.waitForSelector('#go:not([disabled])');
  await page.waitForFunction(() => window.vexaTest.cues() > 0, { polling: 5 });
  await page.evaluate(() => {
    window.handlers = [];
    new PerformanceObserver((list) => window.handlers.push(...list.getEntries()
      .map((e) => ({ name: e.name, ms: e.processingEnd - e.processingStart }))))
      .observe({ type: 'event', durationThreshold: 16, buffered: true });
  });
  await page.click('#go');
  await page.waitForFunction(() => window.vexaTest.steps() > 0, { polling: 5 });
  await new Promise((r) => setTimeout(r, 500));  // the entries arrive after the next paint
  const handlers = await page.evaluate(() => window.handlers);
  const slowest = handlers.reduce((m, e) => Math.max(m, e.ms), 0);
  console.log(`the start click: its slowest input handler ${slowest.toFixed(1)} ms ` +
              `(${handlers.length} events over 16 ms) (goal under 50 ms: ${verdict(slowest < 50)})`);
  // From the first frame on: starting (the module's compilation, the game's construction) is
  // judged by the first-frame figure.
  await page.evaluate(() => {
    window.longTasks = [];
    new PerformanceObserver((list) => window.longTasks.push(...list.getEntries().map((e) => e.duration)))
      .observe({ type: 'longtask' });
  });
  await new Promise((r) => setTimeout(r, 1000));
  const seconds = 10;
  const before = await page.metrics();
  const stepsBefore = await page.evaluate(() => window.vexaTest.steps());
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const after = await page.metrics();
  const stepsRun = (await page.evaluate(() => window.vexaTest.steps())) - stepsBefore;
  const busy = (after.TaskDuration - before.TaskDuration) / seconds * 1000;
  const perStep = busy / (stepsRun / seconds);
  const longTasks = await page.evaluate(() => window.longTasks);
  console.log(`idle play for ${seconds} s: ${(stepsRun / seconds).toFixed(1)} steps/s, main thread busy ` +
              `${busy.toFixed(1)} ms per second, ${perStep.toFixed(2)} ms per step = ` +
              `${(perStep / 50 * 100).toFixed(1)} % of the 50 ms step budget`);
  console.log(`long tasks (over 50 ms) from the first frame on, ${seconds + 1} s: ${longTasks.length} ` +
              `${longTasks.length ? `(${longTasks.map((d) => d.toFixed(0)).join(", ")} ms) ` : ""}` +
              `(goal none: ${verdict(longTasks.length === 0)})`);
  if (screenshot) {
    await page.setViewport({ width: 1260, height: 1120 });  // room for the game at twice its size
    const box = await (await page.$('#screen')).boundingBox();
    await page.mouse.move(box.x + box.width * 0.55, box.y + box.height * 0.6);
    await new Promise((r) => setTimeout(r, 1500));
    const all = await (await page.$('#stage')).boundingBox();
    await page.screenshot({ path: screenshot, clip: { x: 0, y: 0, width: all.width, height: all.y + all.height } });
    console.log(`screenshot: ${screenshot}`);
  }
  await context.close();
} finally {
  await browser.close();
  server.close();
}

// ---- page weight --------------------------------------------------------------------------
let total = 0;
const parts = [];
for (const name of ['index.html', 'index.js', 'index.wasm', 'index.data']) {
  const size = gzipSync(readFileSync(join(pageFolder, name)), { level: 9 }).length;
  total += size;
  parts.push(`${name} ${(size / 1024).toFixed(0)} KiB`);
}
console.log(`page weight, gzip: ${(total / 1024 / 1024).toFixed(2)} MiB (${parts.join(', ')}) ` +
            `(goal under 1.5 MB: ${verdict(total < 1.5e6)})`);
