// The page around the game: the console's lines, what the game is doing,
// full screen, the sound, and the service worker that keeps the game for
// offline play.
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

// The game's sounds, made by the game and handed over at its start-up
// (src/web/sound.cpp). Each plays on a node of its own into one gain, at
// most four at once as on the desktop, so that their sum never clips.
// Browsers let sound start only after a click, a tap or a key; M and the
// mute button turn it off and on, and the choice is kept for the next visit.
page.sound = {
  samples: [],
  buffers: [],
  context: null,
  gain: null,
  playing: 0,
  muted: false,
  keep: function (id, samples, rate) { page.sound.samples[id] = { samples: samples, rate: rate }; },
  // On the first click, tap or key: the browser's audio, and the sounds in it.
  wake: function () {
    var s = page.sound, Context = window.AudioContext || window.webkitAudioContext;
    if (!s.context && Context) {
      s.context = new Context();
      s.gain = s.context.createGain();
      s.gain.gain.value = s.muted ? 0 : 1;
      s.gain.connect(s.context.destination);
    }
    if (s.context && s.context.state === 'suspended') s.context.resume().catch(function () {});
  },
  play: function (id) {
    var s = page.sound, c = s.context, made = s.samples[id];
    if (s.muted || !c || c.state !== 'running' || !made || s.playing >= 4) return;
    if (!s.buffers[id]) {
      var buffer = c.createBuffer(1, made.samples.length, made.rate), data = buffer.getChannelData(0);
      for (var i = 0; i < data.length; i++) data[i] = made.samples[i] / 32768;
      s.buffers[id] = buffer;
    }
    var node = c.createBufferSource();
    node.buffer = s.buffers[id];
    node.connect(s.gain);
    node.onended = function () { s.playing--; };
    s.playing++;
    node.start();
  },
  mute: function (yes) {
    var s = page.sound;
    s.muted = yes;
    // Within a few milliseconds, so that a sound cut short does not click.
    if (s.gain) s.gain.gain.setTargetAtTime(yes ? 0 : 1, s.context.currentTime, 0.004);
    var button = document.getElementById('mute');
    button.textContent = yes ? 'Sound off' : 'Sound on';
    button.setAttribute('aria-pressed', yes ? 'true' : 'false');
    try { localStorage.setItem('rallyo-muted', yes ? '1' : '0'); } catch (e) {}
  }
};

var Module = {
  canvas: page.canvas,
  sound: page.sound,
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

var kept = null;
try { kept = localStorage.getItem('rallyo-muted'); } catch (e) {}
page.sound.mute(kept === '1');
document.getElementById('mute').addEventListener('click', function () { page.sound.mute(!page.sound.muted); });
// A hidden page makes no sound, and its audio costs nothing meanwhile.
document.addEventListener('visibilitychange', function () {
  var c = page.sound.context;
  if (!c) return;
  if (document.visibilityState === 'hidden') c.suspend().catch(function () {});
  else page.sound.wake();
});
['pointerdown', 'keydown', 'touchend'].forEach(function (type) {
  window.addEventListener(type, page.sound.wake, true);
});
window.addEventListener('keydown', function (e) {
  if (e.code === 'KeyM' && !e.repeat && !e.ctrlKey && !e.altKey && !e.metaKey) page.sound.mute(!page.sound.muted);
});
page.canvas.addEventListener('contextmenu', function (e) { e.preventDefault(); });

// Kept for the next visit, with no network needed then. Browsers allow a
// service worker on https and on the loopback only; elsewhere the game
// plays as it is.
if ('serviceWorker' in navigator && window.isSecureContext)
  navigator.serviceWorker.register('sw.js').catch(function (e) { console.warn('No offline copy: ' + e); });
