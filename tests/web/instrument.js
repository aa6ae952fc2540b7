// What the browser tests put into the page, ahead of its own scripts (the
// test server writes it into index.html): the game's drawing kept readable,
// a watcher that looks at every picture the screen shows, and the page's
// errors collected where every engine can be asked for them.
(function () {
  // The game's drawing stays readable after it is shown.
  var getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (kind, attributes) {
    if (/webgl/.test(kind)) attributes = Object.assign({}, attributes, { preserveDrawingBuffer: true });
    return getContext.call(this, kind, attributes);
  };

  // The game's picture as it is now, copied aside; and a copy as base64
  // RGB rows from the top.
  function copied(into) {
    into = into || Object.assign(document.createElement('canvas'), { width: 800, height: 600 });
    into.getContext('2d', { willReadFrequently: true }).drawImage(document.getElementById('game'), 0, 0);
    return into;
  }
  function encoded(copy) {
    var rgba = copy.getContext('2d', { willReadFrequently: true }).getImageData(0, 0, 800, 600).data;
    var rgb = new Uint8Array(800 * 600 * 3);
    for (var i = 0, j = 0; i < rgba.length; i += 4, j += 3) { rgb[j] = rgba[i]; rgb[j + 1] = rgba[i + 1]; rgb[j + 2] = rgba[i + 2]; }
    var text = '';
    for (var k = 0; k < rgb.length; k += 0x8000) text += String.fromCharCode.apply(null, rgb.subarray(k, k + 0x8000));
    return btoa(text);
  }
  // A whole picture, and when it was read.
  var picture;
  window.rallyoPicture = function () {
    picture = copied(picture);
    return [encoded(picture), performance.now()];
  };

  // Once a refresh, as the screen shows the picture it has, a few numbers
  // of it, read straight from the game's drawing buffer: whether the menu's
  // title is yellow where a match and the intro have none, how much of the
  // logo's orange is lit, and how bright a band across the court's
  // middle is. No picture the screen shows is missed, however slowly the
  // test reads them back. It watches from the start until the menu first
  // shows (the intro), and again from start() to stop().
  // A picture worth keeping is copied aside as it shows, and read only when
  // asked for.
  var looks = window.rallyoLooks = { on: true, list: [], kept: null };
  looks.start = function () { looks.list = []; looks.kept = null; looks.on = true; };
  looks.stop = function () { looks.on = false; return { list: looks.list, kept: looks.kept && encoded(looks.kept) }; };
  looks.logoPicture = function () { return looks.mostLogo && encoded(looks.logo); };
  function pixels(gl, x, y, w, h) {
    var rgba = new Uint8Array(w * h * 4);
    gl.readPixels(x, 600 - y - h, w, h, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
    return rgba;
  }
  function look() {
    var gl = window.Module && Module.ctx;
    if (!gl || !Module.pictures) return;
    var t = pixels(gl, 20, 15, 100, 25), sum = 0, i;
    for (i = 0; i < t.length; i += 4) sum += t[i] - t[i + 2];
    // The title's orange, in whole lit pixels' worth of its red: the veil
    // darkens it without changing its hue, so that a logo half veiled counts
    // half, and one a starved browser shows only while the veil is lifting
    // or falling is still seen.
    var l = pixels(gl, 200, 180, 401, 141), red = 0;
    for (i = 0; i < l.length; i += 4)
      if (l[i] > 24 && l[i + 1] > 0.3 * l[i] && l[i + 1] < 0.9 * l[i] && l[i + 2] < 0.4 * l[i]) red += l[i];
    var logo = Math.round(red / 255);
    var b = pixels(gl, 100, 300, 600, 40), light = 0;
    for (i = 0; i < b.length; i += 4) light += b[i] + b[i + 1] + b[i + 2];
    var now = { at: performance.now(), yellow: sum / 2500 > 25, logo: logo, bright: light / (600 * 40 * 3 * 255) };
    looks.list.push(now);
    // One picture of the court clearly darkened is kept for the eye.
    if (!looks.kept && !now.yellow && looks.list.length > 1 && now.bright < 0.75 * looks.list[0].bright)
      looks.kept = copied();
    // And, in the intro, the picture with the most of the logo.
    if (!looks.menuSeen && !now.yellow && logo > (looks.mostLogo || 0)) {
      looks.mostLogo = logo;
      looks.logo = copied(looks.logo);
    }
    if (now.yellow && !looks.menuSeen) { looks.menuSeen = true; looks.on = false; }
  }
  requestAnimationFrame(function watch() {
    if (looks.on) look();
    requestAnimationFrame(watch);
  });

  // When the page was hidden and seen again, and how many pictures the
  // game had made by then; and the two pictures either side of the last
  // hidden spell: the one shown as the page was hidden, and the first the
  // game made once it was seen again, whatever a test's reads cost.
  var seen = window.rallyoVisibility = [];
  var spell = { hidden: null, back: null, awaited: -1 };
  seen.pictures = function () { return [spell.hidden && encoded(spell.hidden), spell.back && encoded(spell.back)]; };
  seen.back = function () { return !!spell.back; };
  document.addEventListener('visibilitychange', function () {
    var pictures = window.Module && Module.pictures;
    seen.push({ state: document.visibilityState, at: performance.now(), pictures: pictures });
    if (document.visibilityState === 'hidden') {
      spell.hidden = pictures ? copied(spell.hidden) : null;
      spell.back = null;
      spell.awaited = -1;
    } else {
      spell.awaited = pictures || 0;
    }
  });
  requestAnimationFrame(function back() {
    if (spell.awaited >= 0 && window.Module && Module.pictures > spell.awaited) {
      spell.back = copied();
      spell.awaited = -1;
    }
    requestAnimationFrame(back);
  });

  // The page's errors that nothing of the page's own handled, for engines
  // whose drivers report none.
  var problems = window.rallyoProblems = [];
  window.addEventListener('error', function (e) {
    setTimeout(function () { if (!e.defaultPrevented) problems.push('page error: ' + (e.message || e.error)); });
  });
  window.addEventListener('unhandledrejection', function (e) {
    setTimeout(function () { if (!e.defaultPrevented) problems.push('unhandled rejection: ' + String(e.reason && (e.reason.message || e.reason.name) || e.reason)); });
  });
  var consoleError = console.error;
  console.error = function () {
    problems.push('console: ' + Array.prototype.join.call(arguments, ' '));
    return consoleError.apply(console, arguments);
  };

  window.addEventListener('DOMContentLoaded', function () {
    var started = Module.onRuntimeInitialized;
    Module.onRuntimeInitialized = function () { window.rallyoStarted = performance.now(); started(); };
  });
})();
