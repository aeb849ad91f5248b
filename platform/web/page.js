// The page's side: mouse and fingers, the start and pause screens, sound, the save's keeping and
// the line that tells the player what went wrong. The game itself runs in a worker (game.js,
// started by index.html's head as `vexaGame`): the page sends it the input, in order, and
// hears what to show and play. view.js places the canvas, touch.js reads the fingers.
var VexaPage = (function () {
  const said = new Set();
  const game = window.vexaGame;
  const canvas = document.getElementById('screen');
  let held = 0, lastX = 0, lastY = 0, fingers = null;
  let audio = null, audioFailed = false, playing = null, cues = [];
  const sounds = new Map();
  let keepAsked = false, firstFrame = null;
  let ready = false, going = false, handedOver = false;

  function element(id) { return document.getElementById(id); }
  function tell(message, transfer) { if (game) game.postMessage(message, transfer || []); }

  // One line for the player; a line said before is not repeated. An error ends the game, and
  // the first is the only one shown (index.html's vexaFail): what follows from it goes to the
  // console.
  function say(text, isError) {
    if (isError) {
      if (window.vexaFailed) console.warn(text);
      window.vexaFail(text);
      halt();
      return;
    }
    if (said.has(text)) return;
    said.add(text);
    const line = document.createElement('p');
    line.textContent = text;
    line.className = 'note';
    element('status').appendChild(line);
  }

  // What the browser or emscripten reports on its own, in one sentence for the player.
  function fail(detail) {
    console.warn(detail);
    say(ready ? 'The game stopped because of an error in the page: please reload the page.'
              : 'A file of the game could not be loaded or is damaged: please reload the page; if this stays, ' +
                'the page on its server is incomplete.', true);
  }

  function halt() {
    if (going) tell({ kind: 'pause' });
    going = false;
    stopSound();
  }

  // ---- the screen over the game: loading, start, pause -----------------------------------
  function cover(mode) {
    if (window.vexaFailed) return;
    element('cover').hidden = mode === null;
    element('howto').hidden = mode === 'paused';
    element('paused').hidden = mode !== 'paused';
    const go = element('go');
    go.disabled = mode === 'loading';
    if (mode !== 'loading') go.textContent = mode === 'paused' ? 'Go on' : 'Start';
  }

  // The player is there: the first click starts the steps, a click after a pause goes on.
  function goOn() {
    if (!ready || going || window.vexaFailed) return;
    going = true;
    cover(null);
    resumeSound();
    window.scrollTo(0, element('stage').offsetTop);  // the whole game in view, the page's text below
    canvas.focus({ preventScroll: true });
    tell({ kind: 'go' });
  }

  // Hidden (another tab, minimised, the phone locked): no step runs, nothing stays held, and
  // the pause screen waits for the player's return.
  function pause() {
    if (!going) return;
    releaseAll();
    fingers.reset();
    halt();
    if (audio && audio.suspend) audio.suspend().catch(() => {});
    cover('paused');
  }

  // ---- mouse and fingers -------------------------------------------------------------------
  function toGame(e) {
    const p = VexaView.toGame(canvas, e.clientX, e.clientY);
    lastX = p.x;
    lastY = p.y;
  }

  // One mouse event for the game, in game pixels: `kind` 0 down, 1 move, 2 up; `button` 0 left,
  // 1 right, 2 middle; with the buttons held after it.
  function mouse(kind, button) {
    if (going) tell({ kind: 'mouse', event: [kind, button, held, lastX, lastY] });
  }

  // Button bits as the game counts them (1 left, 2 right, 4 middle) are the pointer's own.
  const BUTTONS = [{ bit: 1, button: 0 }, { bit: 2, button: 1 }, { bit: 4, button: 2 }];

  // Each button that changed is one press or release, even in a chord, which the browser
  // reports as a move.
  function pointer(e) {
    toGame(e);
    const now = e.buttons & 7;
    let changed = false;
    for (const b of BUTTONS) {
      if ((held & b.bit) === (now & b.bit)) continue;
      held ^= b.bit;
      mouse((now & b.bit) ? 0 : 2, b.button);
      changed = true;
    }
    if (!changed && e.type === 'pointermove') mouse(1, 0);
  }

  // Buttons the page will never hear released (the window lost the focus) are let go.
  function releaseAll() {
    for (const b of BUTTONS) {
      if (!(held & b.bit)) continue;
      held ^= b.bit;
      mouse(2, b.button);
    }
  }

  // What touch.js makes of the fingers, as the mouse would say it.
  const fingerMouse = {
    move(e) {
      toGame(e);
      mouse(1, 0);
    },
    press(button) {
      held |= BUTTONS[button].bit;
      mouse(0, button);
    },
    release(button) {
      if (!(held & BUTTONS[button].bit)) return;
      held &= ~BUTTONS[button].bit;
      mouse(2, button);
    },
  };

  function listen() {
    fingers = VexaTouch.create(fingerMouse);
    const touch = (e) => e.pointerType === 'touch';
    canvas.addEventListener('pointerdown', (e) => {
      canvas.setPointerCapture(e.pointerId);
      e.preventDefault();
      if (touch(e)) fingers.down(e);
      else pointer(e);
    });
    canvas.addEventListener('pointermove', (e) => (touch(e) ? fingers.move(e) : pointer(e)));
    canvas.addEventListener('pointerup', (e) => (touch(e) ? fingers.up(e) : pointer(e)));
    canvas.addEventListener('pointercancel', (e) => (touch(e) ? fingers.up(e) : releaseAll()));
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    window.addEventListener('blur', releaseAll);
    element('cover').addEventListener('click', goOn);
    document.addEventListener('visibilitychange', () => { if (document.hidden) pause(); });
  }

  // ---- sound --------------------------------------------------------------------------------
  // Opening the sound device and decoding every cue take a noticeable time: done when the page
  // is idle before the first click, which then only resumes the sound browsers hold back
  // until a click.
  function prepareSound() {
    if (audio || audioFailed) return;
    const Context = window.AudioContext || window.webkitAudioContext;
    try {
      audio = Context ? new Context() : null;
    } catch (e) {
      audio = null;
    }
    if (!audio) {
      audioFailed = true;
      say('This browser gives the page no sound, so the game plays silently.', false);
      return;
    }
    decodeCues();
  }

  function decodeCues() {
    for (const cue of cues) {
      audio.decodeAudioData(cue.bytes).then((buffer) => sounds.set(cue.path, buffer),
        () => say('The sound ' + cue.path.replace(/.*\//, '') + ' cannot be played here; the game goes on without it.', false));
    }
    cues = [];
  }

  // The cues come just after the game is ready, so reading them never holds the start back.
  function takeCues(m) {
    cues = cues.concat(m.cues);
    if (audio) decodeCues();
  }

  function whenIdle(work) {
    if (window.requestIdleCallback) requestIdleCallback(work, { timeout: 2000 });
    else setTimeout(work, 200);
  }

  function resumeSound() {
    prepareSound();  // a click quicker than the idle time
    if (audio && audio.state !== 'running') audio.resume().catch(() => {});
  }

  function stopSound() {
    if (!playing) return;
    try { playing.stop(); } catch (e) { /* already ended */ }
    playing = null;
  }

  // One channel: a new cue stops the one playing.
  function play(path, loop) {
    if (!audio) return;
    stopSound();
    const buffer = sounds.get(path);
    if (!buffer) return;
    const source = audio.createBufferSource();
    source.buffer = buffer;
    source.loop = loop;
    source.connect(audio.destination);
    source.start();
    playing = source;
  }

  // The game's first frame is the page's start-up figure.
  function painted() {
    if (firstFrame !== null) return;
    firstFrame = performance.now();
    performance.mark('vexa-first-frame');
  }

  // A browser that could not hand the canvas to the game's worker is sent each part to put.
  function putPart(m) {
    const image = new ImageData(new Uint8ClampedArray(m.pixels), m.width, m.height);
    VexaView.context().putImageData(image, m.x, m.y);
  }

  // The message panel's newest line (the chosen command's prompt is one) for screen readers.
  function speak(m) {
    element('spoken').textContent = m.line;
  }

  // The report is the game's file: the worker is asked for it, and its answer is the download.
  function askReport(e) {
    e.preventDefault();
    if (!game) return;
    tell({ kind: 'report' });
  }

  function downloadReport(m) {
    if (!m.bytes) {
      say('There is no report yet: the game writes it when you save and at the end.', false);
      return;
    }
    const blob = new Blob([m.bytes], { type: 'text/plain; charset=Shift_JIS' });
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = 'レポート.txt';
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  }

  // Once there is a save, the browser is asked to keep it through a shortage of space; where
  // it will not promise, the player hears it once, not on every visit.
  function keepStorage() {
    if (keepAsked) return;
    keepAsked = true;
    const warn = () => {
      try {
        if (localStorage.getItem('vexa-kept-note')) return;
        localStorage.setItem('vexa-kept-note', '1');
      } catch (e) { /* no memory of having said it: say it */ }
      say('This browser did not promise to keep the save: it may clear it when it runs short of space.', false);
    };
    const storage = navigator.storage;
    if (!storage || !storage.persist) {
      warn();
      return;
    }
    storage.persisted().then((kept) => kept || storage.persist()).then((kept) => { if (!kept) warn(); }, warn);
  }

  // The player's choice, kept in the browser; at first the browser's own language.
  const LANG_KEY = 'vexa-lang';
  function language() {
    let chosen = null;
    try { chosen = localStorage.getItem(LANG_KEY); } catch (e) { /* storage refused: not remembered */ }
    if (chosen === 'ja' || chosen === 'en') return chosen;
    return (navigator.language || '').toLowerCase().startsWith('ja') ? 'ja' : 'en';
  }

  // A game keeps its language from start to close: another choice starts the page again
  // (the save is kept).
  function chooseLanguage(lang) {
    try { localStorage.setItem(LANG_KEY, lang); } catch (e) { /* not remembered */ }
    if (lang !== shownLanguage) location.reload();
  }

  let shownLanguage = null;
  function showLanguageSwitch() {
    shownLanguage = language();
    // What a screen reader is given is in the game's language.
    element('spoken').lang = shownLanguage;
    for (const button of document.querySelectorAll('#lang [data-lang]')) {
      button.setAttribute('aria-pressed', String(button.dataset.lang === shownLanguage));
      // Choosing is not starting: the click stays on the switch, not on the start screen below it.
      button.addEventListener('click', (e) => {
        e.stopPropagation();
        chooseLanguage(button.dataset.lang);
      });
    }
  }

  function started() {
    performance.mark('vexa-started');
    if (!handedOver) {
      const context = VexaView.context();
      context.fillStyle = '#000';
      context.fillRect(0, 0, canvas.width, canvas.height);
    }
    listen();
    ready = true;
    cover('start');
    whenIdle(prepareSound);
  }

  const HEARD = {
    say: (m) => say(m.text, m.error),
    fail: (m) => fail(m.detail),
    started,
    cues: takeCues,
    part: putPart,
    firstFrame: painted,
    play: (m) => play(m.path, m.loop),
    stopSound,
    spoken: speak,
    stored: keepStorage,
    report: downloadReport,
  };

  // The game's canvas and the player's language go to the worker; then the messages it sent
  // before this script ran (index.html kept them), and those to come.
  function start() {
    element('report').addEventListener('click', askReport);
    showLanguageSwitch();
    if (!game) return;
    // Handed over only where the worker can draw on it (2D on an OffscreenCanvas came later than
    // the canvas's handing over in some browsers); elsewhere the page puts the game's frames itself.
    // Asked of the interface, not of a trial context: a first 2D context costs the page's busiest
    // moment up to tens of milliseconds.
    let offscreen = null;
    try {
      if (canvas.transferControlToOffscreen && typeof OffscreenCanvasRenderingContext2D === 'function')
        offscreen = canvas.transferControlToOffscreen();
    } catch (e) {
      offscreen = null;
    }
    handedOver = offscreen !== null;
    tell({ kind: 'init', canvas: offscreen, language: language() }, offscreen ? [offscreen] : []);
    const heard = (m) => HEARD[m.kind](m);
    game.onmessage = (e) => heard(e.data);
    for (const m of window.vexaEarly.splice(0)) heard(m);
  }

  start();
  return {
    say, fail, language,
    firstFrameTime: () => firstFrame,
    cues: () => sounds.size,
  };
})();

window.addEventListener('error', (e) => VexaPage.fail(e.message));
window.addEventListener('unhandledrejection', (e) => VexaPage.fail(String(e.reason)));
window.addEventListener('DOMContentLoaded', VexaView.listen);
if (document.readyState !== 'loading') VexaView.listen();

// For the page's own tests (the game's own are in its worker, game.js).
window.vexaTest = {
  firstFrame: () => VexaPage.firstFrameTime(),
  cues: () => VexaPage.cues(),
};
