// The page's data file: node pack.mjs OUT FILE@PATH ... writes every FILE into OUT, to be put at
// PATH in the game's file system (game.js unpacks it). OUT starts with its own index, so the page
// needs nothing else to read it: a 4-byte little-endian length, then that many bytes of JSON
// ([{ path, size }] in order), then the files' bytes one after another.
import { readFileSync, writeFileSync } from 'node:fs';

const [out, ...pairs] = process.argv.slice(2);
const files = pairs.map((pair) => {
  const at = pair.lastIndexOf('@');
  if (at <= 0) throw new Error(`"${pair}" is not FILE@PATH`);
  return { path: pair.slice(at + 1), bytes: readFileSync(pair.slice(0, at)) };
});
const index = Buffer.from(JSON.stringify(files.map((f) => ({ path: f.path, size: f.bytes.length }))));
const length = Buffer.alloc(4);
length.writeUInt32LE(index.length, 0);
writeFileSync(out, Buffer.concat([length, index, ...files.map((f) => f.bytes)]));
