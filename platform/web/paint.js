// The canvas's side of PageCanvas.cpp, in the game's worker: each damaged part of a frame is put
// where it lies, and a step with no damage never comes here. The page hands the worker its canvas
// (an OffscreenCanvas); a browser that cannot hand it over gets each part as a message and puts it
// itself (page.js).
var VexaPaint = (function () {
  const GAME_W = 600, GAME_H = 450;
  let canvas = null, context = null;
  const images = new Map();  // one ImageData per part size: parts repeat their size step after step

  // The canvas is kept at once, but drawn on (its context made, its first fill: tens of
  // milliseconds) only once there is something to show: the loading bar while the worker waits
  // for the code or the files, else the black before the first frame, once the game is ready.
  function take(given) {
    canvas = given;
  }

  function showLoading() {
    if (!open()) return;
    context.fillStyle = '#3a3e46';
    context.fillRect(100, 40, 400, 10);
  }

  function open() {
    if (context || !canvas) return context;
    context = canvas.getContext('2d', { alpha: false, desynchronized: true });
    if (!context) return null;
    context.fillStyle = '#000';
    context.fillRect(0, 0, GAME_W, GAME_H);
    return context;
  }

  function put(rgba, x, y, width, height) {
    const pixels = HEAPU8.subarray(rgba, rgba + width * height * 4);
    if (!open()) {
      const copy = pixels.slice();
      postMessage({ kind: 'part', x, y, width, height, pixels: copy.buffer }, [copy.buffer]);
    } else {
      const key = width * 65536 + height;
      let image = images.get(key);
      if (!image) {
        if (images.size > 64) images.clear();
        image = context.createImageData(width, height);
        images.set(key, image);
      }
      image.data.set(pixels);
      context.putImageData(image, x, y);
    }
    VexaPage.painted();
  }

  // While the files download: how far, as a bar where the game will draw; only what it gained is
  // drawn.
  let shown = 0;
  function bar(share) {
    const width = Math.floor(400 * share);
    if (!context || width <= shown) return;
    context.fillStyle = '#9cc4ff';
    context.fillRect(100 + shown, 40, width - shown, 10);
    shown = width;
  }

  // The loading bar is done with: black until the first frame.
  function clear() {
    if (!open()) return;
    context.fillStyle = '#000';
    context.fillRect(0, 0, GAME_W, GAME_H);
  }

  return { take, showLoading, put, bar, clear, context: () => context };
})();
