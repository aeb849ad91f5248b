// The browser's side of the page: canvas, mouse, scheduler, sound, storage and the line
// that tells the player what went wrong. PageMain.cpp calls in through VexaPage.
var VexaPage = (function () {
  const GAME_W = 600, GAME_H = 450;
  const SAVE_DIR = '/save';
  const REPORT = SAVE_DIR + '/レポート.txt';
  const said = new Set();
  let canvas = null, context = null;
  let held = 0, lastX = 0, lastY = 0;
  let audio = null, audioFailed = false, playing = null;
  const sounds = new Map();
  let storageOk = true, storing = false, storeAgain = false;
  let timer = null, firstFrame = null;

  function element(id) { return document.getElementById(id); }

  // One line for the player; a line said before is not repeated.
  function say(text, isError) {
    if (said.has(text)) return;
    said.add(text);
    const line = document.createElement('p');
    line.textContent = text;
    line.className = isError ? 'error' : 'note';
    element('status').appendChild(line);
  }

  // Whole steps only, so every game pixel is the same number of screen pixels.
  function fit() {
    if (!canvas) return;
    const room = element('stage').getBoundingClientRect().width;
    const tall = window.innerHeight - 140;
    const scale = Math.max(1, Math.floor(Math.min(room / GAME_W, tall / GAME_H)));
    canvas.style.width = GAME_W * scale + 'px';
    canvas.style.height = GAME_H * scale + 'px';
  }

  function toGame(e) {
    const box = canvas.getBoundingClientRect();
    lastX = Math.floor((e.clientX - box.left) * GAME_W / box.width);
    lastY = Math.floor((e.clientY - box.top) * GAME_H / box.height);
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
      Module._vexa_mouse((now & b.bit) ? 0 : 2, b.button, held, lastX, lastY);
      changed = true;
    }
    if (!changed && e.type === 'pointermove') Module._vexa_mouse(1, 0, held, lastX, lastY);
  }

  // Buttons the page will never hear released (the window lost the focus) are let go.
  function releaseAll() {
    for (const b of BUTTONS) {
      if (!(held & b.bit)) continue;
      held ^= b.bit;
      Module._vexa_mouse(2, b.button, held, lastX, lastY);
    }
  }

  function listen() {
    canvas.addEventListener('pointerdown', (e) => {
      unlockAudio();
      canvas.setPointerCapture(e.pointerId);
      pointer(e);
      e.preventDefault();
    });
    canvas.addEventListener('pointermove', pointer);
    canvas.addEventListener('pointerup', pointer);
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    window.addEventListener('blur', releaseAll);
    window.addEventListener('resize', fit);
  }

  // Browsers start sound only from a click; every cue is decoded once, then.
  function unlockAudio() {
    if (audio || audioFailed) return;
    const Context = window.AudioContext || window.webkitAudioContext;
    try {
      audio = new Context();
    } catch (e) {
      audio = null;
    }
    if (!audio) {
      audioFailed = true;
      say('This browser gives the page no sound, so the game plays silently.', false);
      return;
    }
    audio.resume();
    for (const name of FS.readdir('/game/dat')) {
      if (!name.endsWith('.wav')) continue;
      const path = '/game/dat/' + name;
      const bytes = FS.readFile(path);
      audio.decodeAudioData(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength)).then(
        (buffer) => sounds.set(path, buffer),
        () => say('The sound ' + name + ' cannot be played here; the game goes on without it.', false));
    }
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
    const buffer = sounds.get(path.replace(/\/+/g, '/'));
    if (!buffer) return;
    const source = audio.createBufferSource();
    source.buffer = buffer;
    source.loop = loop;
    source.connect(audio.destination);
    source.start();
    playing = source;
  }

  // paint.js puts the frames; the first one is the page's start-up figure.
  function painted() {
    if (firstFrame === null) {
      firstFrame = performance.now();
      performance.mark('vexa-first-frame');
    }
  }

  function schedule(ms) {
    timer = setTimeout(() => { timer = null; Module._vexa_pass(); }, ms);
  }

  function cannotSave() {
    storageOk = false;
    say('This browser does not let the page keep data (a private window?): the game plays, but cannot save.', false);
  }

  // After each save: IndexedDB gets the folder; one store at a time, the last one wins.
  function storeSave() {
    if (!storageOk) return;
    if (storing) {
      storeAgain = true;
      return;
    }
    storing = true;
    FS.syncfs(false, (err) => {
      storing = false;
      if (err) cannotSave();
      if (storeAgain) {
        storeAgain = false;
        storeSave();
      }
    });
  }

  function downloadReport(e) {
    e.preventDefault();
    if (!FS.analyzePath(REPORT).exists) {
      say('There is no report yet: the game writes it when you save and at the end.', false);
      return;
    }
    const blob = new Blob([FS.readFile(REPORT)], { type: 'text/plain; charset=Shift_JIS' });
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = 'レポート.txt';
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  }

  function started() {
    performance.mark('vexa-started');
    canvas = element('screen');
    context = canvas.getContext('2d', { alpha: false });
    listen();
    fit();
  }

  // Before the game's main: the stored save is read into the folder the game saves in.
  function mountSave() {
    performance.mark('vexa-runtime');
    // The link works even when the game cannot start: an earlier report may be there.
    element('report').addEventListener('click', downloadReport);
    FS.mkdir(SAVE_DIR);
    if (typeof indexedDB === 'undefined') {
      cannotSave();
      return;
    }
    try {
      FS.mount(IDBFS, {}, SAVE_DIR);
    } catch (e) {
      cannotSave();
      return;
    }
    addRunDependency('vexa-save');
    FS.syncfs(true, (err) => {
      if (err) cannotSave();
      removeRunDependency('vexa-save');
    });
  }

  return {
    say, painted, play, stopSound, storeSave, schedule, started, mountSave,
    firstFrameTime: () => firstFrame,
  };
})();

// As soon as the runtime's file system exists, while the module and the data still download.
Module.preInit = (Module.preInit || []).concat([VexaPage.mountSave]);
Module.onAbort = (what) => VexaPage.say('The game stopped: ' + what, true);
Module.printErr = (text) => VexaPage.say(text.replace(/^vexa: /, ''), true);
window.addEventListener('error', (e) => VexaPage.say('The game cannot run: ' + e.message, true));
window.addEventListener('unhandledrejection', (e) => VexaPage.say('The game cannot run: ' + e.reason, true));

// For the page's own tests: what the game composed last, and how far it got.
// Before the module runs there is no game to ask.
window.vexaTest = {
  frameChecksum: () => (Module.calledRun ? Module._vexa_frame_checksum() >>> 0 : 0).toString(16).padStart(8, '0'),
  steps: () => (Module.calledRun ? Module._vexa_steps() : 0),
  state: () => (Module.calledRun ? JSON.parse(UTF8ToString(Module._vexa_state())) : null),
  firstFrame: () => VexaPage.firstFrameTime(),
};
