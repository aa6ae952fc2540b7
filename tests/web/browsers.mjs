// The three browser engines the page is played in, behind one small driver:
// Debian's Chromium headless and Firefox ESR in a window, both through
// puppeteer-core, and WebKitGTK's MiniBrowser through its own WebDriver
// (classic WebDriver over HTTP). Firefox and WebKit draw WebGL only in a
// window: without a display, an X server of the driver's own is started.
import { spawn } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';

export const engines = ['chromium', 'firefox', 'webkit'];
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// An X server for as long as this process runs, once one is needed. Its
// display numbers are its own, from 300 up, away from the desktop's
// end-to-end tests that start and stop X servers from 0 up beside these.
// It is ready once it has written its number and then, in a second write,
// a newline; a pipe closed between the two kills it.
let display = process.env.DISPLAY;
function startX(number) {
  const x = spawn('Xvfb', [`:${number}`, '-displayfd', '1', '-screen', '0', '2560x1600x24', '-nolisten', 'tcp', '-noreset'],
                  { stdio: ['ignore', 'pipe', 'ignore'] });
  return new Promise((ready) => {
    let said = '';
    x.stdout.on('data', (d) => { if ((said += d).includes('\n')) ready(x); });
    x.once('exit', () => ready(null));  // that number is taken
  });
}
async function needDisplay() {
  if (display) return;
  let x = null;
  for (let number = 300; !x && number < 400; number++) if ((x = await startX(number))) display = `:${number}`;
  if (!x) throw new Error('Xvfb did not start on any display from 300 to 399');
  process.on('exit', () => x.kill());
  // It lives as long as the tests, and keeps nothing of theirs waiting.
  x.stdout.destroy();
  x.removeAllListeners('exit');
  x.unref();
  process.env.DISPLAY = display;
}

// What every engine's driver does for the scripts. Keys by their DOM code
// names; positions in the page's CSS pixels.
//   goto(url), evaluate(fn, ...args), click(x, y), move(x, y), keyDown(key),
//   keyUp(key), screenshot(path), setViewport({width, height}), close(),
//   pid (the browser's process, for its CPU time), cdp() (Chromium only),
//   and problems: what the engine itself reports of the page's errors.
export async function launch(engine, { viewport, args = [], before } = {}) {
  if (engine === 'webkit') return webkit(viewport);
  const profile = mkdtempSync(join(tmpdir(), `rallyo-${engine}-`));
  let browser;
  if (engine === 'chromium') {
    browser = await puppeteer.launch({
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      headless: true,
      args: ['--no-sandbox', '--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
             '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
             '--disable-quic', `--user-data-dir=${profile}`, `--window-size=${viewport.width},${viewport.height}`, ...args],
    });
  } else if (engine === 'firefox') {
    await needDisplay();
    browser = await puppeteer.launch({
      browser: 'firefox', executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr', headless: false,
      userDataDir: profile, args: [`--width=${viewport.width}`, `--height=${viewport.height}`, ...args],
      env: { ...process.env, MOZ_CRASHREPORTER_DISABLE: '1' },
    });
  } else {
    throw new Error(`no browser engine "${engine}" (${engines.join(', ')})`);
  }
  const page = (await browser.pages())[0] || await browser.newPage();
  await page.setViewport(viewport);
  const d = {
    engine, page, problems: [], pid: browser.process().pid,
    goto: (url) => page.goto(url),
    evaluate: (fn, ...a) => page.evaluate(fn, ...a),
    click: (x, y) => page.mouse.click(x, y),
    move: (x, y) => page.mouse.move(x, y),
    keyDown: (key) => key === 'Numpad0' && cdp ? keypad0('keyDown') : page.keyboard.down(key),
    keyUp: (key) => key === 'Numpad0' && cdp ? keypad0('keyUp') : page.keyboard.up(key),
    screenshot: (path) => page.screenshot({ path }),
    setViewport: (v) => page.setViewport(v),
    cdp: () => cdp,
    close: async () => { await browser.close(); rmSync(profile, { recursive: true, force: true }); },
  };
  page.on('pageerror', (e) => d.problems.push('page error: ' + e.message));
  page.on('console', (m) => { if (m.type() === 'error') d.problems.push('console: ' + m.text()); });
  const cdp = engine === 'chromium' ? await page.createCDPSession() : null;
  // Keypad 0 as a keypad with Num Lock on sends it: Chromium's own
  // Numpad0 is the keypad's Insert.
  const keypad0 = (type) => cdp.send('Input.dispatchKeyEvent',
    { type, windowsVirtualKeyCode: 96, code: 'Numpad0', key: '0', text: type === 'keyDown' ? '0' : undefined, location: 3 });
  if (before) await before(page);
  return d;
}

// WebKitGTK: MiniBrowser driven by WebKitWebDriver in a window of its own.
async function webkit(viewport) {
  await needDisplay();
  const port = 20000 + Math.floor(Math.random() * 20000);
  const driver = spawn(process.env.WEBKIT_DRIVER || 'WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
  const base = `http://127.0.0.1:${port}`;
  const call = async (method, path, body) => {
    for (let tries = 0; ; tries++) {
      let reply;
      try {
        // No call takes two minutes: a browser that could not start leaves
        // the driver answering nothing, for ever.
        reply = await fetch(base + path, { method, headers: { 'content-type': 'application/json' },
                                           body: body && JSON.stringify(body), signal: AbortSignal.timeout(120000) });
      } catch (e) {
        if (e.name === 'TimeoutError') throw new Error(`WebDriver ${path}: no answer in 120 s`);
        if (tries > 100) throw e;  // the driver not listening yet
        await sleep(100);
        continue;
      }
      const { value } = await reply.json();
      if (value && value.error) throw new Error(`WebDriver ${path}: ${value.error}: ${value.message}`);
      return value;
    }
  };
  const { sessionId } = await call('POST', '/session', { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': {
    binary: process.env.MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', args: ['--automation'] } } } });
  const session = (path) => `/session/${sessionId}${path}`;
  // The window around the page: what it takes beyond the page's own room.
  const setViewport = async ({ width, height }) => {
    await call('POST', session('/window/rect'), { width, height });
    const [w, h] = await d.evaluate(() => [innerWidth, innerHeight]);
    await call('POST', session('/window/rect'), { width: 2 * width - w, height: 2 * height - h });
  };
  const keys = { ArrowUp: '\uE013', ArrowDown: '\uE015', Escape: '\uE00C', KeyW: 'w', KeyS: 's', Numpad0: '\uE01A' };
  const act = (actions) => call('POST', session('/actions'), { actions });
  const pointer = (steps) => act([{ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: steps }]);
  const at = (x, y) => ({ type: 'pointerMove', duration: 0, origin: 'viewport', x: Math.round(x), y: Math.round(y) });
  const d = {
    engine: 'webkit', problems: [], pid: driver.pid,
    goto: (url) => call('POST', session('/url'), { url }),
    // Any function of the page's, run there; a promise it returns is awaited.
    evaluate: async (fn, ...args) => {
      const script = `const done = arguments[arguments.length - 1];
        Promise.resolve().then(() => (${fn}).apply(null, Array.prototype.slice.call(arguments, 0, -1)))
          .then((value) => done({ value }), (e) => done({ error: String(e && e.stack || e) }));`;
      const r = await call('POST', session('/execute/async'), { script, args });
      if (r && r.error) throw new Error('in the page: ' + r.error);
      return r && r.value;
    },
    click: (x, y) => pointer([at(x, y), { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }]),
    move: (x, y) => pointer([at(x, y)]),
    keyDown: (key) => act([{ type: 'key', id: 'keys', actions: [{ type: 'keyDown', value: keys[key] }] }]),
    keyUp: (key) => act([{ type: 'key', id: 'keys', actions: [{ type: 'keyUp', value: keys[key] }] }]),
    screenshot: async (path) => writeFileSync(path, Buffer.from(await call('GET', session('/screenshot')), 'base64')),
    setViewport,
    cdp: () => null,
    close: async () => {
      await call('DELETE', session('')).catch(() => {});
      driver.kill();
    },
  };
  await call('POST', session('/timeouts'), { script: 120000 });
  await d.goto('about:blank');
  await setViewport(viewport);
  return d;
}

// CPU seconds that a process and all its children have used so far, in
// all and by program name.
export function cpuSeconds(pid) {
  const stats = [];
  for (const entry of readdirSync('/proc').filter((d) => /^\d+$/.test(d))) {
    try {
      const stat = readFileSync(`/proc/${entry}/stat`, 'latin1');
      const name = stat.slice(stat.indexOf('(') + 1, stat.lastIndexOf(')'));
      const f = stat.slice(stat.lastIndexOf(') ') + 2).split(' ');
      stats.push({ pid: +entry, ppid: +f[1], name, ticks: +f[11] + +f[12] });
    } catch { /* gone meanwhile */ }
  }
  const family = new Set([pid]);
  for (let grew = true; grew;) {
    grew = false;
    for (const s of stats) if (family.has(s.ppid) && !family.has(s.pid)) { family.add(s.pid); grew = true; }
  }
  const byName = {};
  let total = 0;
  for (const s of stats.filter((s) => family.has(s.pid))) {
    byName[s.name] = (byName[s.name] || 0) + s.ticks / 100;
    total += s.ticks / 100;
  }
  return { total, byName };
}
