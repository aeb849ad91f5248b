// The node replay's wasm is a file beside its script, read and instantiated at once: no base64
// copy inside a megabyte of script to parse and decode, and no fetch, which node's own global
// fetch would attempt on a file path and fail.
Module['instantiateWasm'] = function (imports, receive) {
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
