// The page around the game: the console's lines, what the game is doing,
// full screen, and the service worker that keeps the game for offline play.
// rallyo.js declares globals of its own (out, err...): ours keep to these.
var page = {
  console: document.getElementById('console'),
  state: document.getElementById('state'),
  stage: document.getElementById('stage'),
  canvas: document.getElementById('game'),
  // The console's lines as the program writes them: the banner, and any
  // picture that could not be loaded.
  show: function (text, error) {
    // The GL emulation's notes on itself are for the browser's own console.
    if (/^(WARNING: using emscripten GL|TODO: )/.test(text)) return console.warn(text);
    var line = document.createElement('span');
    if (error) line.className = 'error';
    line.textContent = (page.console.childNodes.length ? '\n' : '') + text;
    page.console.appendChild(line);
  },
  // Full screen is the picture's own box, black around it: the pointer and
  // the fingers keep landing where they do in the page. Only on a click or
  // a tap, as browsers allow it.
  fullscreen: function () {
    var stage = page.stage;
    if (document.fullscreenElement || document.webkitFullscreenElement) return;
    var ask = stage.requestFullscreen || stage.webkitRequestFullscreen;
    var asked = ask && ask.call(stage);
    if (asked && asked.catch) asked.catch(function () {});
  },
  canFillTheScreen: !!(document.fullscreenEnabled || document.webkitFullscreenEnabled)
};

var Module = {
  canvas: page.canvas,
  print: function (text) { page.show(text, false); },
  printErr: function (text) { page.show(text, true); },
  setStatus: function (text) { if (text) page.state.textContent = text; },
  onRuntimeInitialized: function () { page.state.textContent = 'Running.'; page.canvas.focus(); },
  onExit: function (status) {
    page.state.textContent = 'The game has ended' + (status ? ' (status ' + status + ').' : '.');
    window.rallyoEnded = status;
  },
  onAbort: function (what) { page.state.textContent = 'The game stopped: ' + what; }
};

// How Emscripten ends the program from inside a turn of the page, thrown
// or, from a turn the game awaited, rejected: not an error for anyone to see.
window.addEventListener('error', function (e) {
  if (e.error && e.error.name === 'ExitStatus') e.preventDefault();
});
window.addEventListener('unhandledrejection', function (e) {
  if (e.reason && e.reason.name === 'ExitStatus') e.preventDefault();
});

// The game draws with WebGL. A browser that gives the page none (switched
// off, or no graphics for it) is told so in words, and the game is not
// started there to fail on its first picture.
page.webgl = (function () {
  var gl = document.createElement('canvas').getContext('webgl');
  var lose = gl && gl.getExtension('WEBGL_lose_context');
  if (lose) lose.loseContext();
  return !!gl;
})();
if (page.webgl) {
  var program = document.createElement('script');
  program.src = 'rallyo.js';
  document.body.appendChild(program);
} else {
  // Said beside the picture and in it, where the player looks.
  var why = 'This browser gives the page no WebGL, which the game needs to draw.';
  page.state.textContent = why;
  page.state.className = 'error';
  var notice = document.createElement('p');
  notice.className = 'notice';
  notice.textContent = why;
  page.canvas.parentNode.appendChild(notice);
}

var button = document.getElementById('fullscreen');
// A phone without full screen for a page (an iPhone) gets it from the
// installed app instead, which opens full screen.
if (!page.canFillTheScreen) button.hidden = true;
button.addEventListener('click', page.fullscreen);
page.canvas.addEventListener('mousedown', function () { page.canvas.focus(); });
page.canvas.addEventListener('contextmenu', function (e) { e.preventDefault(); });

// Kept for the next visit, with no network needed then. Browsers allow a
// service worker on https and on the loopback only; elsewhere the game
// plays as it is.
if ('serviceWorker' in navigator && window.isSecureContext)
  navigator.serviceWorker.register('sw.js').catch(function (e) { console.warn('No offline copy: ' + e); });
