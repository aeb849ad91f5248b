// A finger plays as the mouse does. One finger: the pointer follows it, and lifting it after a
// short touch that barely moved is a left click there. A second finger held anywhere is the
// right button held; a short one is a right click. A touch during which a second finger came
// down never ends in a left click, so a two-finger tap in the menu chooses and never also
// carries out.
var VexaTouch = (function () {
  const TAP_MS = 400;    // longer is holding the fighter's course, not a click
  const TAP_MOVE = 12;   // CSS pixels a tap may drift

  // `mouse`: { move(e), press(button), release(button) } with 0 left, 1 right.
  function create(mouse) {
    let first = null;   // { id, x, y, t, moved, chord }
    let second = null;  // the second finger's pointer id

    function down(e) {
      if (!first) {
        first = { id: e.pointerId, x: e.clientX, y: e.clientY, t: e.timeStamp, moved: false, chord: false };
        mouse.move(e);
      } else if (second === null) {
        second = e.pointerId;
        first.chord = true;
        mouse.press(1);
      }
    }

    function move(e) {
      if (!first || e.pointerId !== first.id) return;
      if (Math.hypot(e.clientX - first.x, e.clientY - first.y) > TAP_MOVE) first.moved = true;
      mouse.move(e);
    }

    function up(e) {
      if (e.pointerId === second) {
        second = null;
        mouse.release(1);
      }
      if (!first || e.pointerId !== first.id) return;
      const tap = e.type === 'pointerup' && !first.chord && !first.moved && e.timeStamp - first.t < TAP_MS;
      first = null;
      if (!tap) return;
      mouse.move(e);
      mouse.press(0);
      mouse.release(0);
    }

    // The page lost the fingers (hidden, an interruption): nothing stays held.
    function reset() {
      if (second !== null) mouse.release(1);
      first = null;
      second = null;
    }

    return { down, move, up, reset };
  }

  return { create };
})();
