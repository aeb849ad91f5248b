// The browser's side of the page: canvas, mouse and fingers, the start and pause screens,
// scheduler, sound, storage and the line that tells the player what went wrong. PageMain.cpp
// calls in through VexaPage; view.js places the canvas, touch.js reads the fingers.
var VexaPage = (function () {
  const SAVE_DIR = '/save';
  const REPORT = SAVE_DIR + '/レポート.txt';
  const said = new Set();
  let canvas = null, context = null;
  let held = 0, lastX = 0, lastY = 0, fingers = null;
  let audio = null, audioFailed = false, playing = null;
  const sounds = new Map();
  let storageOk = true, storing = false, storeAgain = false, keepAsked = false;
  let timer = null, firstFrame = null;
  let ready = false, going = false, spoken = '';

  function element(id) { return document.getElementById(id); }

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
    going = false;
    clearTimeout(timer);
    timer = null;
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

  // While the files download: how far, on the canvas the game will draw on.
  function progress(text) {
    const m = /\((\d+)\/(\d+)\)/.exec(text || '');
    if (!m || ready || window.vexaFailed) return;
    const done = Number(m[1]), total = Math.max(1, Number(m[2]));
    // A bar, no text: the canvas's first text would load a font in the middle of the start-up.
    const c = VexaView.context();
    c.fillStyle = '#000';
    c.fillRect(0, 0, VexaView.GAME_W, VexaView.GAME_H);
    c.fillStyle = '#3a3e46';
    c.fillRect(100, 40, 400, 10);
    c.fillStyle = '#9cc4ff';
    c.fillRect(100, 40, Math.min(400, 400 * done / total), 10);
    element('go').textContent = `Loading… ${Math.floor(100 * Math.min(done, total) / total)} %`;
  }

  // The player is there: the first click starts the steps, a click after a pause goes on.
  function goOn() {
    if (!ready || going || window.vexaFailed) return;
    going = true;
    cover(null);
    resumeSound();
    window.scrollTo(0, element('stage').offsetTop);  // the whole game in view, the page's text below
    canvas.focus({ preventScroll: true });
    Module._vexa_go();
  }

  // Hidden (another tab, minimised, the phone locked): no step runs, nothing stays held, and
  // the pause screen waits for the player's return.
  function pause() {
    if (!going) return;
    releaseAll();
    fingers.reset();
    Module._vexa_pause();
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

  // What touch.js makes of the fingers, as the mouse would say it.
  const fingerMouse = {
    move(e) {
      toGame(e);
      Module._vexa_mouse(1, 0, held, lastX, lastY);
    },
    press(button) {
      held |= BUTTONS[button].bit;
      Module._vexa_mouse(0, button, held, lastX, lastY);
    },
    release(button) {
      if (!(held & BUTTONS[button].bit)) return;
      held &= ~BUTTONS[button].bit;
      Module._vexa_mouse(2, button, held, lastX, lastY);
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
    for (const name of FS.readdir('/game/dat')) {
      if (!name.endsWith('.wav')) continue;
      const path = '/game/dat/' + name;
      const bytes = FS.readFile(path);
      audio.decodeAudioData(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength)).then(
        (buffer) => sounds.set(path, buffer),
        () => say('The sound ' + name + ' cannot be played here; the game goes on without it.', false));
    }
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

  // After each pass: the next one, and the panel's newest line as text.
  function schedule(ms) {
    if (!going) return;
    clearTimeout(timer);
    timer = setTimeout(() => { timer = null; Module._vexa_pass(); }, ms);
    speak();
  }

  // The message panel's newest line (the chosen command's prompt is one) for screen readers.
  function speak() {
    const line = UTF8ToString(Module._vexa_newest_line());
    if (line === spoken) return;
    spoken = line;
    element('spoken').textContent = line;
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
      else keepStorage();  // there is a save to keep now
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

  // Once there is a save, the browser is asked to keep it through a shortage of space; where
  // it will not promise, the player hears it once, not on every visit.
  function keepStorage() {
    if (keepAsked || !storageOk) return;
    keepAsked = true;
    const tell = () => {
      try {
        if (localStorage.getItem('vexa-kept-note')) return;
        localStorage.setItem('vexa-kept-note', '1');
      } catch (e) { /* no memory of having said it: say it */ }
      say('This browser did not promise to keep the save: it may clear it when it runs short of space.', false);
    };
    const storage = navigator.storage;
    if (!storage || !storage.persist) {
      tell();
      return;
    }
    storage.persisted().then((kept) => kept || storage.persist()).then((kept) => { if (!kept) tell(); }, tell);
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
    canvas = element('screen');
    context = VexaView.context();
    context.fillStyle = '#000';  // the loading bar is done with
    context.fillRect(0, 0, canvas.width, canvas.height);
    listen();
    ready = true;
    cover('start');
    whenIdle(prepareSound);
  }

  // Before the game's main: the stored save is read into the folder the game saves in.
  function mountSave() {
    performance.mark('vexa-runtime');
    // The link works even when the game cannot start: an earlier report may be there.
    element('report').addEventListener('click', downloadReport);
    showLanguageSwitch();
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
    (window.vexaSaveStore || Promise.resolve(null)).then((store) => {
      // The connection opened from the page's head, if it is the one the file system would open.
      if (store && store.version === IDBFS.DB_VERSION && store.objectStoreNames.contains(IDBFS.DB_STORE_NAME))
        IDBFS.dbs[SAVE_DIR] = store;
      else if (store) store.close();
      FS.syncfs(true, (err) => {
        if (err) cannotSave();
        removeRunDependency('vexa-save');
      });
    });
  }

  return {
    say, fail, painted, play, stopSound, storeSave, schedule, started, mountSave, progress, language,
    firstFrameTime: () => firstFrame,
    cues: () => sounds.size,
  };
})();

// The code compiling since the page's head (index.html) is taken as it is; where that could not
// start or failed (a server that does not call it application/wasm), it is fetched again whole.
Module.instantiateWasm = (imports, receive) => {
  const compiled = window.vexaCode || Promise.reject(new Error('not compiling yet'));
  compiled.catch(() => fetch('index.wasm', { credentials: 'same-origin' })
    .then((response) => {
      if (!response.ok) throw new Error('index.wasm: HTTP ' + response.status);
      return response.arrayBuffer();
    })
    .then((bytes) => WebAssembly.compile(bytes)))
    .then((module) => WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module)))
    .catch((e) => VexaPage.fail('index.wasm: ' + e));
  return {};
};
// As soon as the runtime's file system exists, while the module and the data still download.
Module.preInit = (Module.preInit || []).concat([VexaPage.mountSave]);
Module.setStatus = VexaPage.progress;
// emscripten's own words stay in the console; the player gets one sentence.
Module.onAbort = (what) => VexaPage.fail('aborted: ' + what);
Module.printErr = (text) => console.warn(text);
window.addEventListener('error', (e) => VexaPage.fail(e.message));
window.addEventListener('unhandledrejection', (e) => VexaPage.fail(String(e.reason)));
window.addEventListener('DOMContentLoaded', VexaView.listen);
if (document.readyState !== 'loading') VexaView.listen();

// For the page's own tests: what the game composed last, and how far it got.
// Before the module runs there is no game to ask.
window.vexaTest = {
  frameChecksum: () => (Module.calledRun ? Module._vexa_frame_checksum() >>> 0 : 0).toString(16).padStart(8, '0'),
  steps: () => (Module.calledRun ? Module._vexa_steps() : 0),
  language: () => (Module.calledRun ? (Module._vexa_english() ? 'en' : 'ja') : null),
  state: () => (Module.calledRun ? JSON.parse(UTF8ToString(Module._vexa_state())) : null),
  firstFrame: () => VexaPage.firstFrameTime(),
  running: () => Module.calledRun && Module._vexa_running() === 1,
  cues: () => VexaPage.cues(),
};
