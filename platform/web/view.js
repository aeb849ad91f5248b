// Where the game sits on the page: the size of the canvas for the room there is, full screen,
// and the way back from a pointer on the page to a game pixel.
var VexaView = (function () {
  const GAME_W = 600, GAME_H = 450;

  // Whole steps when the room holds the frame at least once (every game pixel the same number
  // of screen pixels); below that, the whole frame shrunk smoothly to fit.
  function scaleFor(roomW, roomH) {
    const fit = Math.min(roomW / GAME_W, roomH / GAME_H);
    return fit >= 1 ? Math.floor(fit) : fit;
  }

  function fit() {
    const stage = document.getElementById('stage');
    const canvas = document.getElementById('screen');
    const scale = scaleFor(stage.clientWidth, stage.clientHeight);
    canvas.style.width = GAME_W * scale + 'px';
    canvas.style.height = GAME_H * scale + 'px';
    canvas.style.imageRendering = Number.isInteger(scale) ? 'pixelated' : 'auto';
  }

  // A point on the page to the game pixel under it, through the canvas as it is drawn now.
  function toGame(canvas, clientX, clientY) {
    const box = canvas.getBoundingClientRect();
    return {
      x: Math.floor((clientX - box.left) * GAME_W / box.width),
      y: Math.floor((clientY - box.top) * GAME_H / box.height),
    };
  }

  function fullscreen() { return document.fullscreenElement || document.webkitFullscreenElement || null; }

  // The stage, not the whole page, goes full screen: the game alone, scaled as any room.
  function toggleFullscreen() {
    const stage = document.getElementById('stage');
    if (fullscreen()) {
      (document.exitFullscreen || document.webkitExitFullscreen).call(document);
      return;
    }
    const enter = stage.requestFullscreen || stage.webkitRequestFullscreen;
    if (!enter) return;
    const asked = enter.call(stage);
    if (asked && asked.catch) asked.catch(() => {});  // refused (an iframe, a phone): the page stays
  }

  function listen() {
    window.addEventListener('resize', fit);
    document.addEventListener('fullscreenchange', fit);
    const button = document.getElementById('fullscreen');
    if (!(document.fullscreenEnabled || document.webkitFullscreenEnabled)) {
      button.hidden = true;
    } else {
      button.addEventListener('click', toggleFullscreen);
    }
    // The desktop edition's key for it, on the page too.
    window.addEventListener('keydown', (e) => {
      if (e.key !== 'F11' || e.repeat || button.hidden) return;
      e.preventDefault();
      toggleFullscreen();
    });
    fit();
  }

  // The canvas's one 2D context; whoever asks first fixes its kind. Desynchronized: its frames
  // reach the screen without the page's own frame and commit, which took most of the main
  // thread while a game idles (a changed canvas twenty times a second).
  function context() {
    return document.getElementById('screen').getContext('2d', { alpha: false, desynchronized: true });
  }

  return { GAME_W, GAME_H, scaleFor, fit, toGame, listen, context };
})();
