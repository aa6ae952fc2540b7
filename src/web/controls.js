// Fingers and gamepads, for the game as keys held. The game reads its keys
// once a frame; src/web/keys.cpp then asks Module.controls.read() what is
// held here and adds it to the keyboard's. The pads are read here as they
// stand and mapped by the game's own code, as on the desktop
// (src/pads/mapping.cpp). In the menu a finger is the mouse: a tap is a
// click where it lands; and so is a pad, its d-pad pointing at the lines
// and its bottom face button clicking.
(function () {
  // What read() reports held; src/pads/pads.h names the same bits.
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

  // A window pixel of the game's as a point of the page, for the mouse.
  function pagePoint(x, y) {
    var r = page.canvas.getBoundingClientRect();
    var point = { clientX: r.left + (x + 0.5) * r.width / 800, clientY: r.top + (y + 0.5) * r.height / 600 };
    point.screenX = point.clientX + window.screenX;
    point.screenY = point.clientY + window.screenY;
    return point;
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

  function connectedPads() {
    return navigator.getGamepads ? Array.prototype.filter.call(navigator.getGamepads(), Boolean) : [];
  }

  // The first two pads as they stand: the buttons held, a bit each, and the
  // left stick's vertical. Which is which is the game's to say.
  function rawPads() {
    var all = connectedPads(), raw = [];
    for (var n = 0; n < 2; n++) {
      var pad = all[n], buttons = 0;
      for (var i = 0; pad && i < pad.buttons.length && i < 32; i++)
        if (down(pad.buttons[i])) buttons |= 1 << i;
      raw.push({ buttons: buttons >>> 0, stick: (pad && pad.axes[1]) || 0 });
    }
    return raw;
  }

  // The pads are looked at once a picture, for the menu's sake; the match
  // reads them itself, once a frame.
  function watchPads() {
    if (window.rallyoEnded !== undefined) return;  // the game is over
    var raw = rawPads();
    Module._padsNow(match ? 0 : 1, raw[0].buttons, raw[0].stick, raw[1].buttons, raw[1].stick);
    requestAnimationFrame(watchPads);
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
    // The game is up and may be told of the pads.
    start: function () { requestAnimationFrame(watchPads); },
    // The menu's mouse, moved and clicked for a pad, at a window pixel.
    pointAt: function (x, y) { mouse('mousemove', pagePoint(x, y)); },
    clickAt: function (x, y) { var p = pagePoint(x, y); mouse('mousedown', p); mouse('mouseup', p); },
    // The game starts a match (1 against the computer, 2 two players) or
    // is back in the menu (0). Fingers from before count for nothing.
    match: function (mode) {
      match = mode;
      for (var id in fingers) fingers[id].role = 'gone';
      for (var side in halves) halves[side].classList.remove('used');
      markHeld();
      showHints();
    },
    // What is held now, where the latest finger on each half is (-1 for
    // none), and the pads as they stand.
    read: function () {
      var held = pressed, left = -1, right = -1, leftOrder = 0, rightOrder = 0;
      pressed = 0;
      for (var id in fingers) {
        var f = fingers[id];
        if (HELD[f.role]) held |= HELD[f.role];
        if (f.role === 'left' && f.order > leftOrder) { left = f.y; leftOrder = f.order; }
        if (f.role === 'right' && f.order > rightOrder) { right = f.y; rightOrder = f.order; }
      }
      return { held: held, left: left, right: right, pads: rawPads() };
    }
  };
})();
