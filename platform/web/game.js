// The game's side of the page: it runs in a worker of its own (the page's head starts it), so
// its steps, its painting and its files never take the page's main thread, which keeps only the
// page, the player's input and the sound (page.js). The two speak by messages; the page sends
// the input in the order it came, the game sends what the player is to see and hear.
// The start-up's milestones are marked (performance.mark) in the worker and the page alike, for
// the bench and for anyone tracing a slow start.
performance.mark('vexa-worker');
var VexaPage = (function () {
  const SAVE_DIR = '/save';
  let language = 'ja', inited = false, startAsked = false;
  let timer = null, going = false, spoken = '', firstFrame = false, halted = false;
  let storageOk = true, storing = false, storeAgain = false;
  let code = null, withCode = null;

  function tell(message, transfer) { postMessage(message, transfer || []); }

  // An error ends the game: the page shows the first one and nothing steps any more.
  function say(text, isError) {
    if (isError) halt();
    tell({ kind: 'say', text, error: isError });
  }

  // What the browser or emscripten reports on its own; the page words it for the player.
  function fail(detail) {
    halt();
    tell({ kind: 'fail', detail: String(detail) });
  }

  function halt() {
    halted = true;
    going = false;
    clearTimeout(timer);
    timer = null;
  }

  // ---- the page's messages ------------------------------------------------------------------
  const HEARD = {
    code: (m) => takeCode(m.code, m.why),
    data: (m) => takeData(m.bytes, m.why),
    progress: (m) => VexaPaint.bar(m.share),
    init,
    mouse: (m) => { if (Module.calledRun) Module._vexa_mouse(...m.event); },
    go,
    pause,
    report,
  };

  function init(given) {
    language = given.language;
    VexaPaint.take(given.canvas);
    inited = true;
    // The loading bar, only if the worker is still waiting once the messages already here are
    // read: where the code and the files came first, its canvas would only hold them up.
    setTimeout(() => { if (!code || !dataCame) VexaPaint.showLoading(); }, 0);
    if (startAsked) startGame();
  }

  function go() {
    if (halted || !Module.calledRun) return;
    going = true;
    Module._vexa_go();
  }

  function pause() {
    going = false;
    clearTimeout(timer);
    timer = null;
    if (Module.calledRun) Module._vexa_pause();
  }

  function report() {
    // The report's name comes from the game, so this script stays ASCII (finish.mjs says why).
    const path = Module.calledRun ? SAVE_DIR + '/' + UTF8ToString(Module._vexa_report_name()) : null;
    const there = path !== null && FS.analyzePath(path).exists;
    tell({ kind: 'report', bytes: there ? FS.readFile(path) : null });
  }

  // ---- the code: compiled by the page's head, which fetched it --------------------------------
  function takeCode(module, why) {
    performance.mark('vexa-code');
    code = module;
    if (!module) fail('index.wasm: ' + why);
    else if (withCode) withCode(module);
  }

  function instantiate(imports, receive) {
    withCode = (module) => WebAssembly.instantiate(module, imports).then((instance) => {
      performance.mark('vexa-instance');
      receive(instance, module);
      memory = true;
      for (const work of waitingForMemory.splice(0)) work();
    }).catch((e) => fail('index.wasm: ' + e));
    performance.mark('vexa-runtime');
    if (code) withCode(code);
    return {};
  }

  // ---- start-up -----------------------------------------------------------------------------
  // Files are written into the file system only once the code's memory exists: its writes check
  // whether the bytes come from that memory. What comes earlier waits here.
  let memory = false;
  const waitingForMemory = [];
  function withMemory(work, first) {
    if (memory) work();
    else if (first) waitingForMemory.unshift(work);
    else waitingForMemory.push(work);
  }

  // The game's files come from the page's head too, as index.data (pack.mjs): its index, then
  // the files. They go into the file system before main, as a run dependency.
  let data = null, dataWanted = false, dataCame = false;
  function takeData(bytes, why) {
    if (!bytes) {
      fail('index.data: ' + why);
      return;
    }
    data = bytes;
    dataCame = true;
    withMemory(unpack);
  }

  function unpack() {
    if (!data || !dataWanted) return;
    try {
      unpackFiles();
    } catch (e) {
      fail('index.data: ' + e);
    }
  }

  function unpackFiles() {
    const view = new DataView(data);
    const length = view.getUint32(0, true);
    const files = JSON.parse(new TextDecoder().decode(new Uint8Array(data, 4, length)));
    let at = 4 + length;
    for (const file of files) {
      if (at + file.size > data.byteLength) throw new Error('index.data is shorter than its index');
      FS.mkdirTree(file.path.replace(/\/[^/]*$/, ''));
      // Kept as views of the files' bytes, not copied: nothing else holds or writes them.
      FS.writeFile(file.path, new Uint8Array(data, at, file.size), { canOwn: true });
      at += file.size;
    }
    if (at !== data.byteLength) throw new Error('index.data is longer than its index');
    data = null;
    performance.mark('vexa-files');
    removeRunDependency('vexa-data');
  }

  function wantData() {
    dataWanted = true;
    addRunDependency('vexa-data');
    withMemory(unpack);
  }

  // The game starts once the page has given it the canvas and the language.
  function startGame() {
    startAsked = true;
    if (inited) setTimeout(() => { performance.mark('vexa-game'); Module._vexa_start_game(); }, 0);
  }

  // The game is ready; then its canvas turns black for the first frame, and the sound cues go
  // to the page, which decodes and plays them.
  function started() {
    tell({ kind: 'started' });
    VexaPaint.clear();
    const cues = [];
    for (const name of FS.readdir('/game/dat')) {
      if (!name.endsWith('.wav')) continue;
      const bytes = FS.readFile('/game/dat/' + name);
      cues.push({ path: '/game/dat/' + name, bytes: bytes.buffer });
    }
    tell({ kind: 'cues', cues }, cues.map((c) => c.bytes));
  }

  // ---- steps --------------------------------------------------------------------------------
  function schedule(ms) {
    if (!going) return;
    clearTimeout(timer);
    timer = setTimeout(() => { timer = null; Module._vexa_pass(); }, ms);
    speak();
  }

  // The message panel's newest line (the chosen command's prompt is one), for screen readers.
  function speak() {
    const line = UTF8ToString(Module._vexa_newest_line());
    if (line === spoken) return;
    spoken = line;
    tell({ kind: 'spoken', line });
  }

  function painted() {
    if (firstFrame) return;
    firstFrame = true;
    tell({ kind: 'firstFrame' });
  }

  function play(path, loop) { tell({ kind: 'play', path: path.replace(/\/+/g, '/'), loop }); }
  function stopSound() { tell({ kind: 'stopSound' }); }

  // ---- the save: IndexedDB's copy of the folder the game saves in ------------------------------
  function cannotSave(why) {
    if (why) console.warn('the save\'s store: ' + why);
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
      if (err) cannotSave(err);
      else tell({ kind: 'stored' });  // there is a save to keep now
      if (storeAgain) {
        storeAgain = false;
        storeSave();
      }
    });
  }

  // The save's store opens at once: a first open (creating it) takes tens of milliseconds that
  // would otherwise wait for the runtime. Its name, version and layout are the ones emscripten's
  // file system opens (finish.mjs checks them); prepareFiles hands the connection over.
  const saveStore = new Promise((resolve) => {
    try {
      const open = indexedDB.open('/save', 21);
      open.onupgradeneeded = () => {
        const files = open.result.objectStoreNames.contains('FILE_DATA') ? open.transaction.objectStore('FILE_DATA')
          : open.result.createObjectStore('FILE_DATA');
        if (!files.indexNames.contains('timestamp')) files.createIndex('timestamp', 'timestamp', { unique: false });
      };
      open.onsuccess = () => resolve(open.result);
      open.onerror = (e) => { e.preventDefault(); resolve(null); };
      open.onblocked = () => resolve(null);
    } catch (e) {
      resolve(null);  // no IndexedDB here: prepareFiles says the game cannot save
    }
  });

  // Before the game's main: the game's files are put in place, and the stored save is read into
  // the folder the game saves in.
  function prepareFiles() {
    wantData();
    FS.mkdir(SAVE_DIR);
    if (typeof indexedDB === 'undefined') {
      cannotSave();
      return;
    }
    try {
      FS.mount(IDBFS, {}, SAVE_DIR);
    } catch (e) {
      cannotSave(e);
      return;
    }
    addRunDependency('vexa-save');
    saveStore.then((store) => {
      if (store && store.version === IDBFS.DB_VERSION && store.objectStoreNames.contains(IDBFS.DB_STORE_NAME))
        IDBFS.dbs[SAVE_DIR] = store;
      else if (store) store.close();
      // Ahead of the files: the store is read while they are unpacked.
      withMemory(() => FS.syncfs(true, (err) => {
        if (err) cannotSave(err);
        performance.mark('vexa-save-read');
        removeRunDependency('vexa-save');
      }), true);
    });
  }

  self.addEventListener('message', (e) => HEARD[e.data.kind](e.data));
  return {
    say, fail, painted, play, stopSound, storeSave, schedule, started, startGame, prepareFiles, instantiate,
    language: () => language,
  };
})();

Module.instantiateWasm = VexaPage.instantiate;
// As soon as the runtime's file system exists, while the module and the data still download.
Module.preInit = (Module.preInit || []).concat([VexaPage.prepareFiles]);
// emscripten's own words stay in the console; the player gets one sentence.
Module.onAbort = (what) => VexaPage.fail('aborted: ' + what);
Module.printErr = (text) => console.warn(text);
self.addEventListener('error', (e) => {
  e.preventDefault();
  VexaPage.fail(e.message);
});
self.addEventListener('unhandledrejection', (e) => VexaPage.fail(String(e.reason)));

// For the page's tests, which look into this worker: what the game composed last, and how far it
// got. Before the module runs there is no game to ask.
self.vexaTest = {
  frameChecksum: () => (Module.calledRun ? Module._vexa_frame_checksum() >>> 0 : 0).toString(16).padStart(8, '0'),
  steps: () => (Module.calledRun ? Module._vexa_steps() : 0),
  language: () => (Module.calledRun ? (Module._vexa_english() ? 'en' : 'ja') : null),
  state: () => (Module.calledRun ? JSON.parse(UTF8ToString(Module._vexa_state())) : null),
  running: () => Module.calledRun && Module._vexa_running() === 1,
};
