// The canvas under damage-only painting: after every step, busy or idle, after a resize and
// after the page was frozen and woken, the canvas holds exactly the frame the game composed
// (the CRC-32 of its pixels is the frame checksum the trace would write). The game paints from
// its worker, on the canvas the page handed it: the canvas is read there.
// Usage: node paint_test.mjs PAGE_FOLDER
import assert from 'node:assert/strict';
import puppeteer from 'puppeteer-core';
import { serve } from '../../platform/web/serve.mjs';
import { crcOfPixels, exitStatus, game, markFailed, until } from './steps.mjs';

const [pageFolder] = process.argv.slice(2);
const server = await serve(pageFolder, 0);
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, args: ['--no-sandbox'],
});

// From now on every step compares the canvas with the frame, in the same task as the step.
const watchSteps = async (page) => (await game(page)).evaluate(`(() => {
  const crcOfPixels = ${crcOfPixels};
  const context = VexaPaint.context();
  const { width, height } = context.canvas;
  self.paintChecks = { steps: 0, wrong: [], puts: 0, area: 0, wholeFrames: 0 };
  const put = context.putImageData.bind(context);
  context.putImageData = (image, ...rest) => {
    const c = self.paintChecks;
    c.puts++;
    c.area += image.width * image.height;
    if (image.width * image.height >= width * height) c.wholeFrames++;
    return put(image, ...rest);
  };
  const pass = Module._vexa_pass;
  Module._vexa_pass = () => {
    pass();
    const canvasSum = crcOfPixels(context.getImageData(0, 0, width, height).data);
    const frameSum = vexaTest.frameChecksum();
    const c = self.paintChecks;
    c.steps++;
    if (canvasSum !== frameSum) c.wrong.push({ step: vexaTest.steps(), canvasSum, frameSum });
  };
})()`);
const checked = async (page) => (await game(page)).evaluate(() => paintChecks);
async function steps(page, n) {
  const now = (await checked(page)).steps;
  await until(await game(page), (m) => paintChecks.steps >= m, now + n, 30000);
}

const CASES = [
  { name: 'the fighter walking and attacking', act: async (page) => {
    const box = await (await page.$('#screen')).boundingBox();
    await page.mouse.move(box.x + box.width * 0.9, box.y + box.height * 0.6, { steps: 5 });
    await page.mouse.down();
    await page.mouse.up();
    await page.mouse.move(box.x + box.width * 0.1, box.y + box.height * 0.6, { steps: 5 });
  } },
  { name: 'idle play', act: async () => {} },
  { name: 'after a resize', act: (page) => page.setViewport({ width: 700, height: 520 }) },
  { name: 'after the page was hidden and shown again', act: async (page) => {
    const other = await page.browserContext().newPage();
    await other.bringToFront();
    await page.waitForFunction(() => document.visibilityState === 'hidden', { polling: 10, timeout: 30000 });
    await page.bringToFront();
    await other.close();
    // Back, the pause screen waits for the player.
    await page.waitForSelector('#cover:not([hidden])', { timeout: 30000 });
    await page.click('#cover');
  } },
];

try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 960 });
  await page.goto(url);
  await page.waitForSelector('#go:not([disabled])', { timeout: 30000 });
  await page.click('#go');  // the start screen waits for the player
  await until(await game(page), () => typeof vexaTest !== 'undefined' && vexaTest.steps() > 2, undefined, 30000);
  await watchSteps(page);
  for (const c of CASES) {
    try {
      await c.act(page);
      await steps(page, 30);
      const result = await checked(page);
      assert.deepEqual(result.wrong, [], `${c.name}: the canvas is not the frame`);
      console.log(`ok - ${c.name}: the canvas is the frame at every step (${result.steps} steps so far)`);
    } catch (e) {
      markFailed();
      console.log(`not ok - ${c.name}\n  ${String(e.stack || e).split('\n').join('\n  ')}`);
    }
  }
  // Only what changed is put: no whole frame once the first is there, and a small part of the
  // frame's pixels a step.
  const result = await checked(page);
  const share = result.area / result.steps / (600 * 450);
  console.log(`  ${result.puts} parts put in ${result.steps} steps, ${(share * 100).toFixed(1)} % of the frame a step`);
  if (result.wholeFrames > 0 || share > 0.5) {
    markFailed();
    console.log(`not ok - ${result.wholeFrames} whole frames put: the damage does not reach the page`);
  } else {
    console.log('ok - only damaged parts are put');
  }
} catch (e) {
  markFailed();
  console.log(`not ok - ${e.stack || e}`);
} finally {
  await browser.close();
  server.close();
}
process.exit(exitStatus());
