// The node replay's wasm is a file beside its script, read and instantiated at once: no base64
// copy inside a megabyte of script to parse and decode, and no fetch, which node's own global
// fetch would attempt on a file path and fail.
Module['instantiateWasm'] = function (imports, receive) {
  // A replay runs for a fraction of a second: the baseline compiler's code alone finishes it
  // sooner than tiering hot functions up to the optimising compiler, whose work on other
  // threads, measured on two cores, cost more than it saved. Read when the module compiles.
  require('v8').setFlagsFromString('--liftoff-only');
  var path = require('path').join(__dirname, 'vexa-replay.wasm');
  try {
    var instance = new WebAssembly.Instance(new WebAssembly.Module(require('fs').readFileSync(path)), imports);
  } catch (e) {
    // emscripten would only print this and end with status 0, as if the replay had run.
    process.stderr.write('vexa: cannot load ' + path + ': ' + e.message + '\n');
    process.exit(1);
  }
  receive(instance);
  return instance.exports;
};
