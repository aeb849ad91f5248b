// Named checks for the page tests: each prints "ok - NAME", or "not ok - NAME" with its error,
// and any failure, in a step or around them, makes the run's exit status 1.
let failed = false;

export async function step(name, body) {
  try {
    await body();
    console.log(`ok - ${name}`);
  } catch (e) {
    failed = true;
    console.log(`not ok - ${name}\n  ${String(e.stack || e).split('\n').join('\n  ')}`);
  }
}

export function markFailed() {
  failed = true;
}

export function exitStatus() {
  return failed ? 1 : 0;
}
