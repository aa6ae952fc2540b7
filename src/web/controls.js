// Fingers and gamepads, for the game as keys held. The game reads its keys
// once a frame; src/web/keys.cpp then asks Module.controls.read() what is
// held here and adds it to the keyboard's. In the menu a finger is the
// mouse: a tap is a click where it lands.
(function () {
  // What read() reports held; src/web/layer.h names the same bits.
  var HELD = { rightUp: 1, rightDown: 2, rightSmash: 4, leftUp: 8, leftDown: 16, leftSmash: 32, end: 64 };

  var picture = document.getElementById('picture');
  var hints = document.getElementById('touch');
  var buttons = { end: document.getElementById('end'),
                  rightSmash: document.getElementById('smash-right'),
                  leftSmash: document.getElementById('smash-left') };
  var halves = { left: hints.querySelector('.half.left'), right: hints.querySelector('.half.right') };
  var pads = document.getElementById('pads');

  var match = 0;         // 0 in the menu, 1 against the computer, 2 two players
  var touchScreen = navigator.maxTouchPoints > 0;
  var fingers = {};      // by touch identifier: {role, y, order}
  var order = 0;         // the latest finger on a half is the one it follows
  var pressed = 0;       // buttons pressed since the game last looked: a tap counts once

  function showHints() {
    hints.hidden = !(touchScreen && match);
    hints.classList.toggle('cpu', match === 1);
  }

  function inside(element, x, y) {
    var r = element.getBoundingClientRect();
    return r.width > 0 && x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
  }

  // What a finger does, by where it first touches: a button, else the half
  // of the picture it is on; in the menu it is the mouse.
  function roleAt(x, y) {
    if (!match) return 'mouse';
    for (var name in buttons)
      if (inside(buttons[name], x, y)) return name;
    var r = page.canvas.getBoundingClientRect();
    return x < r.left + r.width / 2 ? 'left' : 'right';
  }

  // A finger's height on the picture, in the game's window pixels.
  function pictureY(touch) {
    var r = page.canvas.getBoundingClientRect();
    return (touch.clientY - r.top) * 600 / r.height;
  }

  function mouse(type, touch) {
    page.canvas.dispatchEvent(new MouseEvent(type, {
      bubbles: true, cancelable: true, view: window, button: 0, buttons: type === 'mouseup' ? 0 : 1,
      clientX: touch.clientX, clientY: touch.clientY, screenX: touch.screenX, screenY: touch.screenY }));
  }

  function markHeld() {
    var held = {};
    for (var id in fingers) held[fingers[id].role] = true;
    for (var name in buttons) buttons[name].classList.toggle('held', !!held[name]);
  }

  // Touches never reach the emulated SDL, which would take the first finger
  // for the mouse in the middle of a match as well.
  function touch(e) {
    e.preventDefault();
    e.stopPropagation();
    if (!touchScreen) { touchScreen = true; showHints(); }
    for (var i = 0; i < e.changedTouches.length; i++) {
      var t = e.changedTouches[i], finger = fingers[t.identifier];
      if (e.type === 'touchstart') {
        finger = fingers[t.identifier] = { role: roleAt(t.clientX, t.clientY), y: pictureY(t), order: ++order };
        if (HELD[finger.role]) pressed |= HELD[finger.role];
        // Once a half has been played, its words are no longer needed.
        if (halves[finger.role]) halves[finger.role].classList.add('used');
        if (finger.role === 'mouse') { mouse('mousemove', t); mouse('mousedown', t); }
      } else if (!finger) {
        continue;
      } else if (e.type === 'touchmove') {
        finger.y = pictureY(t);
        if (finger.role === 'mouse') mouse('mousemove', t);
      } else {
        if (finger.role === 'mouse') mouse('mouseup', t);
        delete fingers[t.identifier];
        // A tap on the picture fills the screen with it.
        if (e.type === 'touchend' && page.canFillTheScreen) page.fullscreen();
      }
    }
    markHeld();
  }
  ['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function (type) {
    picture.addEventListener(type, touch, { capture: true, passive: false });
  });

  // A hidden page hears no more of its fingers: those on it count as lifted.
  document.addEventListener('visibilitychange', function () {
    if (document.visibilityState !== 'hidden') return;
    fingers = {};
    pressed = 0;
    markHeld();
  });

  function down(button) {
    return !!button && (button.pressed || button.value > 0.5);
  }

  // A pad of the standard mapping: the d-pad or the left stick moves, the
  // bottom face button smashes, Start ends the match.
  function padHeld(pad, up, downward, smash) {
    var b = pad.buttons, stick = pad.axes[1] || 0, held = 0;
    if (down(b[12]) || stick < -0.5) held |= up;
    if (down(b[13]) || stick > 0.5) held |= downward;
    if (down(b[0])) held |= smash;
    if (down(b[9])) held |= HELD.end;
    return held;
  }

  function connectedPads() {
    return navigator.getGamepads ? Array.prototype.filter.call(navigator.getGamepads(), Boolean) : [];
  }

  function say(text) { pads.textContent = text; }
  window.addEventListener('gamepadconnected', function (e) {
    var n = connectedPads().indexOf(e.gamepad) + 1 || connectedPads().length;
    say('Gamepad ' + n + ' connected (' + e.gamepad.id + '): it plays the ' +
        (n === 1 ? 'right paddle.' : 'left paddle in P1 vs P2.'));
  });
  window.addEventListener('gamepaddisconnected', function (e) {
    say('Gamepad disconnected (' + e.gamepad.id + ').');
  });

  Module.controls = {
    // The game starts a match (1 against the computer, 2 two players) or
    // is back in the menu (0). Fingers from before count for nothing.
    match: function (mode) {
      match = mode;
      for (var id in fingers) fingers[id].role = 'gone';
      for (var side in halves) halves[side].classList.remove('used');
      markHeld();
      showHints();
    },
    // What is held now, and where the latest finger on each half is
    // (-1 for none).
    read: function () {
      var held = pressed, left = -1, right = -1, leftOrder = 0, rightOrder = 0;
      pressed = 0;
      for (var id in fingers) {
        var f = fingers[id];
        if (HELD[f.role]) held |= HELD[f.role];
        if (f.role === 'left' && f.order > leftOrder) { left = f.y; leftOrder = f.order; }
        if (f.role === 'right' && f.order > rightOrder) { right = f.y; rightOrder = f.order; }
      }
      var all = connectedPads();
      if (all[0]) held |= padHeld(all[0], HELD.rightUp, HELD.rightDown, HELD.rightSmash);
      if (all[1]) held |= padHeld(all[1], HELD.leftUp, HELD.leftDown, HELD.leftSmash);
      return { held: held, left: left, right: right };
    }
  };
})();
