// The browser edition measured against its goals, each figure as min / median / max of several
// runs, beside its goal:
//  - in headless Chromium, the page served as scripts/web serves it: navigation to the first
//    game frame (and its ratio to the first contentful paint of the same load), the longest task
//    before the first frame, bytes on the wire on a first and a later visit, a reload with the
//    network off, main-thread time per second of idle play;
//  - headless wasm under node: the whole-game replay with and without its trace, against the
//    desktop build in the same run.
// Usage: node bench/web_metrics.mjs [--runs N] [--desktop VEXA] PAGE_FOLDER[=SERVER.mjs] ...
// Several folders (an older build beside a newer one) are measured in one run, taking turns run
// by run; an older build may be served by its own serve.mjs (git show
// REV:platform/web/serve.mjs > old-serve.mjs).
// Build first: scripts/web --build-only, cmake --build --preset release.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serve } from '../platform/web/serve.mjs';
import { game, until } from '../tests/web/steps.mjs';

const args = process.argv.slice(2);
function option(name, fallback) {
  const at = args.indexOf(name);
  return at >= 0 ? args.splice(at, 2)[1] : fallback;
}
const runs = Math.max(5, Number(option('--runs', 5)));
const desktop = resolve(option('--desktop', 'build/release/vexa'));
const folders = (args.length ? args : ['build/web']).map((given) => {
  const [folder, server] = given.split('=');
  return { folder: resolve(folder), server: server ? resolve(server) : null };
});
const source = resolve(new URL('..', import.meta.url).pathname);
const replay = join(source, 'tests/replays/whole-game.replay');
const GAME_FILES = ['/', '/index.html', '/index.js', '/index.wasm', '/index.data'];

const sorted = (xs) => [...xs].sort((a, b) => a - b);
const median = (xs) => sorted(xs)[Math.floor(xs.length / 2)];
function spread(xs, digits = 0) {
  const s = sorted(xs);
  return `${s[0].toFixed(digits)} / ${median(s).toFixed(digits)} / ${s[s.length - 1].toFixed(digits)}`;
}
const verdict = (ok) => (ok ? 'met' : 'MISSED');
function line(name, xs, unit, goal, ok, digits = 0) {
  console.log(`  ${name.padEnd(46)} ${spread(xs, digits)} ${unit} (goal ${goal}: ${verdict(ok(median(xs)))})`);
}

// ---- the page in Chromium -------------------------------------------------------------------
// Counts each response's bytes on the wire (encodedDataLength: headers and body as sent).
// Counts each game file's bytes on the wire as the browser saw them (encodedDataLength: headers and
// body as sent), in the page and in the game's worker: on a later visit, any at all is too many.
// (A worker's own script is counted by its headers alone: the first visit counts at the server.)
async function wireCounter(page) {
  const urls = new Map(), counted = { game: 0 };
  const count = (cdp) => {
    cdp.on('Network.responseReceived', (e) => urls.set(e.requestId, { path: new URL(e.response.url).pathname,
      fromWorker: e.response.fromServiceWorker, status: e.response.status }));
    cdp.on('Network.loadingFinished', (e) => {
      const r = urls.get(e.requestId);
      // A 304 is the game file's headers only: no byte of the file.
      if (r && !r.fromWorker && GAME_FILES.includes(r.path) && r.status !== 304) counted.game += e.encodedDataLength;
    });
    return cdp.send('Network.enable').catch(() => {});
  };
  page.on('workercreated', (worker) => count(worker.client));
  await count(await page.createCDPSession());
  return counted;
}

// Every byte the server wrote, headers and bodies, over every connection it had.
function bytesSent(server) {
  const sockets = new Set();
  server.on('connection', (socket) => sockets.add(socket));
  return () => [...sockets].reduce((n, socket) => n + socket.bytesWritten, 0);
}

// More than `n` steps have run: counted in the page in an older build, in the game's worker in
// a build that runs the game there.
async function stepsPast(page, n, timeout) {
  if (await page.evaluate(() => !!(window.vexaTest && window.vexaTest.steps))) {
    await page.waitForFunction((m) => window.vexaTest.steps() > m, { polling: 5, timeout }, n);
  } else {
    await until(await game(page, timeout), (m) => vexaTest.steps() > m, n, timeout);
  }
}

// The page is ready to play when its start screen stands over the loaded game; the first frame
// follows the player's click, which is made at once so the idle figures see the game running.
async function firstFrame(page) {
  await page.waitForFunction(() => performance.getEntriesByName('vexa-started').length > 0, { polling: 5, timeout: 60000 });
  const figures = await page.evaluate(() => {
    const first = performance.getEntriesByName('vexa-started')[0].startTime;
    const paint = performance.getEntriesByName('first-contentful-paint')[0];
    const longest = Math.max(0, ...(window.vexaLongTasks || []).filter((t) => t.startTime < first).map((t) => t.duration));
    return { first, fcp: paint ? paint.startTime : NaN, longest };
  });
  await page.waitForSelector('#go:not([disabled])', { timeout: 60000 });
  await page.click('#go');
  await stepsPast(page, 0, 60000);
  return figures;
}

function pageSeries() {
  return { first: [], ratio: [], longest: [], wireFirst: [], wireLater: [], offline: [], idle: [] };
}

// One load of the page, its figures added to `f`.
async function pageRun(browser, url, sent, f) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.evaluateOnNewDocument(() => {
    window.vexaLongTasks = [];
    new PerformanceObserver((list) => window.vexaLongTasks.push(...list.getEntries()))
      .observe({ type: 'longtask', buffered: true });
  });
  const sentBefore = sent();
  await page.goto(url);
  const t = await firstFrame(page);
  f.first.push(t.first);
  f.ratio.push(t.first / t.fcp);
  f.longest.push(t.longest);
  // Whatever the page fetches once it plays (a service worker's copy) is part of the visit.
  await page.evaluate(() => ('serviceWorker' in navigator ? Promise.race([navigator.serviceWorker.ready,
    new Promise((r) => setTimeout(r, 3000))]) : null));
  f.wireFirst.push(sent() - sentBefore);

  // Idle play: the main thread's busy time per second.
  const seconds = 3;
  const before = await page.metrics();
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const after = await page.metrics();
  f.idle.push((after.TaskDuration - before.TaskDuration) / seconds * 1000);

  const later = await context.newPage();
  await page.close();
  const wire = await wireCounter(later);
  await later.goto(url);
  await firstFrame(later);
  f.wireLater.push(wire.game);

  await later.setOfflineMode(true);
  let plays = 0;
  try {
    // Steps run only from the player's click on the start screen, as on the first load.
    await later.reload({ timeout: 10000 });
    await firstFrame(later);
    await stepsPast(later, 2, 10000);
    plays = 1;
  } catch (e) { /* the browser's own "no internet" page */ }
  f.offline.push(plays);
  await context.close();
}

function pagePrint(f) {
  line('navigation to ready to play (the start screen over the game)', f.first, 'ms', 'under 300 ms', (m) => m < 300);
  line('  as a multiple of the first contentful paint', f.ratio, 'x', 'at most 1.5', (m) => m <= 1.5, 2);
  line('longest task before ready to play', f.longest, 'ms', 'under 100 ms (wasm compile aside)', (m) => m < 100);
  line('bytes on the wire, first visit', f.wireFirst, 'B', 'at most 450 KB', (m) => m <= 450e3);
  line('bytes of game files on the wire, later visit', f.wireLater, 'B', '0 B', (m) => m === 0);
  line('reload with the network off plays (1 yes)', f.offline, '', 'yes', (m) => m === 1);
  line('main thread during idle play', f.idle, 'ms/s', 'under 10 ms/s', (m) => m < 10, 1);
}

// ---- the replay under node --------------------------------------------------------------------
function seconds(command, commandArgs) {
  const folder = mkdtempSync(join(tmpdir(), 'vexa-bench-'));
  const start = process.hrtime.bigint();
  execFileSync(command, commandArgs, { cwd: folder, stdio: ['ignore', 'ignore', 'inherit'] });
  const s = Number(process.hrtime.bigint() - start) / 1e9;
  rmSync(folder, { recursive: true, force: true });
  return s;
}
// One turn of each replay, its ratios added to `ratios`.
function replayRun(folder, ratios) {
  // Turn by turn, so a busy moment of the machine falls on both sides alike.
  const nodeStart = seconds('node', ['-e', '']);
  for (const [kind, extra] of [['plain', []], ['trace', ['--trace', 'trace.jsonl']]]) {
    const web = seconds('node', [join(folder, 'vexa-replay.js'), '--replay', replay, ...extra]) - nodeStart;
    const native = seconds(desktop, ['--replay', replay, ...extra]);
    ratios[kind].push(native / web);
  }
}

function replayPrint(ratios) {
  line('node replay with --trace, speed against the desktop', ratios.trace, 'x', 'at least 0.5', (m) => m >= 0.5, 2);
  line('node replay without trace, against the desktop', ratios.plain, 'x', 'at least 0.5', (m) => m >= 0.5, 2);
}

const browser = await puppeteer.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
  args: ['--no-sandbox'] });
const servers = [];
try {
  const measured = [];
  for (const { folder, server: serverModule } of folders) {
    const server = await (serverModule ? (await import(serverModule)).serve : serve)(folder, 0);
    servers.push(server);
    measured.push({ folder, serverModule, url: `http://127.0.0.1:${server.address().port}/`, sent: bytesSent(server),
      page: pageSeries(),
      ratios: { trace: [], plain: [] } });
  }
  // The builds take turns, run by run, so a busy moment of the machine falls on each alike.
  for (let run = 0; run < runs; run++) {
    for (const m of measured) {
      await pageRun(browser, m.url, m.sent, m.page);
      replayRun(m.folder, m.ratios);
    }
  }
  for (const m of measured) {
    console.log(`${m.folder}${m.serverModule ? ' served by ' + m.serverModule : ''} (min / median / max of ${runs} runs):`);
    pagePrint(m.page);
    replayPrint(m.ratios);
  }
} finally {
  for (const server of servers) server.close();
  await browser.close();
}
