// What the browser scripts share: a static server on the loopback, Debian's
// headless Chromium with the page open in it, the canvas read back, and the
// game's pieces found in a picture by their colours. What the canvas shows
// is read back in the page (a screenshot waits for the compositor, which the
// software renderer makes slow); the pictures looked at are kept in shots.
import { createServer } from 'node:http';
import { mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { extname, join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';
import { encodePng } from './png.mjs';

export const folder = resolve(process.argv[2] || 'build/web');
export const shots = resolve(process.env.RALLYO_SHOTS || join(folder, '..', 'web-shots'));
mkdirSync(shots, { recursive: true });
export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// A static server of the page's folder, on the loopback only.
export function serve(dir, port = 0) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                  '.webmanifest': 'application/manifest+json', '.png': 'image/png' };
  return new Promise((ready) => {
    const s = createServer((req, res) => {
      const name = new URL(req.url, 'http://x').pathname.replace(/\/$/, '/index.html');
      try {
        const body = readFileSync(join(dir, name.replace(/\.\.+/g, '')));
        res.writeHead(200, { 'Content-Type': types[extname(name)] || 'application/octet-stream' });
        res.end(body);
      } catch {
        res.writeHead(404);
        res.end();
      }
    });
    s.listen(port, '127.0.0.1', () => ready(s));
  });
}

// Count and centre of the pixels inside [x0, x1] x [y0, y1] for which test holds.
export function where(img, test, x0 = 0, y0 = 0, x1 = img.width - 1, y1 = img.height - 1) {
  let n = 0, sx = 0, sy = 0;
  for (let y = y0; y <= y1; y++)
    for (let x = x0; x <= x1; x++) {
      const [r, g, b] = img.px(x, y);
      if (test(r, g, b)) { n++; sx += x; sy += y; }
    }
  return { n, x: n ? sx / n : -1, y: n ? sy / n : -1 };
}
export const BALL = (r, g, b) => r > 180 && g > 110 && b < 100 && g < r;  // the yellow ball
export const BLUE = (r, g, b) => b > 150 && b > r + 80;                   // the right paddle
export const RED = (r, g, b) => r > 150 && r > b + 80 && g < 90;          // the left paddle
export const WHITE = (r, g, b) => r > 200 && g > 200 && b > 200;          // label glyphs
export const LIT = (r, g, b) => r > 150;                                  // yellow or red text
export const YELLOW = (r, g, b) => r > 150 && g > 150 && b < 80;
export const REDTEXT = (r, g, b) => r > 150 && g < 60 && b < 60;

function mean(img, x0, y0, w, h, f) {
  let sum = 0;
  for (let y = y0; y < y0 + h; y++) for (let x = x0; x < x0 + w; x++) sum += f(img.px(x, y));
  return sum / (w * h);
}
// The menu's yellow title where a match has its white label.
export const titleYellow = (img) => mean(img, 20, 15, 100, 25, ([r, , b]) => r - b) > 25;
export const brightness = (img) => mean(img, 100, 120, 600, 400, ([r, g, b]) => (r + g + b) / 3) / 255;
// How far right the menu's points value reaches: one glyph step (12.5
// pixels) a digit.
export function pointsReach(img) {
  let right = 0;
  for (let y = 484; y <= 500; y++) for (let x = 160; x < 300; x++) if (LIT(...img.px(x, y))) right = Math.max(right, x);
  return right;
}
export const pieces = (img) => ({
  ball: where(img, BALL, 0, 60, 799, 599),
  right: where(img, BLUE, 760, 60, 799, 599),
  left: where(img, RED, 0, 60, 39, 599),
});

// CPU seconds that a process and all its children have used so far.
export function cpuSeconds(pid) {
  const stats = readdirSync('/proc').filter((d) => /^\d+$/.test(d)).map((d) => {
    try {
      const f = readFileSync(`/proc/${d}/stat`, 'latin1').split(') ')[1].split(' ');
      return { pid: +d, ppid: +f[1], ticks: +f[11] + +f[12] };
    } catch { return null; }
  }).filter(Boolean);
  const family = new Set([pid]);
  for (let grew = true; grew;) {
    grew = false;
    for (const s of stats) if (family.has(s.ppid) && !family.has(s.pid)) { family.add(s.pid); grew = true; }
  }
  return stats.filter((s) => family.has(s.pid)).reduce((sum, s) => sum + s.ticks, 0) / 100;
}

// Chromium with the page open, and what the scripts do with it. The page
// is looked at as a person sees it: clicks and taps land on the canvas at
// the place of the game's window pixel, whatever size the canvas is shown.
export async function open({ url, viewport = { width: 1000, height: 1200 }, before } = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'rallyo-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
           '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
           '--disable-quic', `--user-data-dir=${profile}`,
           `--window-size=${viewport.width},${viewport.height}`],
  });
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const s = { browser, page, problems: [], exitExpected: false };
  // Emscripten ends the program by throwing ExitStatus: after Quit, that is no error.
  page.on('pageerror', (e) => { if (!(e.message === 'ExitStatus' && s.exitExpected)) s.problems.push('page error: ' + e.message); });
  page.on('console', (m) => { if (m.type() === 'error') s.problems.push('console: ' + m.text()); });
  page.on('requestfailed', (r) => { if (!s.offline) s.problems.push('request failed: ' + r.url()); });
  await page.evaluateOnNewDocument(instrument);
  if (before) await before(page);

  s.load = async (to) => { await page.goto(to); s.canvas = await page.$('#game'); };
  s.shot = async (name) => {
    const [data, at] = await page.evaluate(() => window.rallyoPicture());
    const img = { width: 800, height: 600, rgb: Buffer.from(data, 'base64'), at };
    img.px = (x, y) => { const i = 3 * (y * 800 + x); return [img.rgb[i], img.rgb[i + 1], img.rgb[i + 2]]; };
    if (name) keep(name, img);
    return img;
  };
  // Where window pixel (x, y) of the game is on the page.
  s.at = async (x, y) => {
    const box = await s.canvas.boundingBox();
    return { x: box.x + x * box.width / 800, y: box.y + y * box.height / 600 };
  };
  s.click = async (x, y) => { const p = await s.at(x, y); await page.mouse.click(p.x, p.y); };
  s.move = async (x, y) => { const p = await s.at(x, y); await page.mouse.move(p.x, p.y); };
  s.hold = async (key, ms) => { await page.keyboard.down(key); await sleep(ms); await page.keyboard.up(key); };
  s.pictures = () => page.evaluate(() => Module.pictures || 0);
  s.waitMenu = async (seconds) => {
    const shown = [];
    for (const end = Date.now() + seconds * 1000; Date.now() < end;) {
      const img = await s.shot();
      shown.push(img);
      // After a match the line that started it stays red until the next event.
      if (titleYellow(img) && where(img, LIT, 76, 433, 184, 449).n > 40) return { img, shown };
    }
    throw new Error(`no menu within ${seconds} s`);
  };
  // Waits, with a smash held, for the ball to come back flat off the right
  // paddle, and steers the paddle to where the ball will meet it: steer gets
  // how far the paddle's centre is below that place (above if negative), and
  // the place. The flat return's picture, or null after a minute.
  s.flatReturn = async (steer) => {
    let last = null;
    for (const end = Date.now() + 60000; Date.now() < end;) {
      const img = await s.shot();
      const p = pieces(img);
      if (p.ball.n < 20 || p.right.n < 50) { last = null; continue; }
      const now = { x: p.ball.x, y: p.ball.y, at: img.at };
      if (last && now.at > last.at) {
        const vx = (now.x - last.x) / (now.at - last.at), vy = (now.y - last.y) / (now.at - last.at);
        if (vx < -0.02 && Math.abs(now.y - last.y) < 1.5 && last.x - now.x > 4 && last.x > 600) return img;
        if (vx > 0.01) {
          // Where it reaches the paddle, folded back at the walls.
          let y = now.y + vy * (772 - now.x) / vx;
          for (let k = 0; k < 4; k++) y = y < 73 ? 146 - y : y > 585 ? 1170 - y : y;
          const off = p.right.y - (y - 10);
          if (Math.abs(off) > 8) await steer(off, y - 10);
        }
      }
      last = now;
    }
    return null;
  };
  // From the end of a match on (end does what ends it): pictures as fast as
  // they come until the menu is back; how many showed the court darkened,
  // and the darkest. The one half way through is kept.
  s.fadeToMenu = async (end, name) => {
    const lit = brightness(await s.shot());
    const t0 = Date.now();
    await end();
    const { shown } = await s.waitMenu(30);
    const ms = Date.now() - t0;
    const court = shown.filter((img) => !titleYellow(img));
    const darkened = court.filter((img) => brightness(img) < 0.9 * lit);
    const darkest = Math.min(...court.map(brightness));
    if (darkened.length) keep(name, darkened[Math.floor(darkened.length / 2)]);
    return { lit, ms, darkened: darkened.length, darkest };
  };
  s.cpu = () => cpuSeconds(browser.process().pid);
  // The pace of a match, over seconds in which nothing is read back (a read
  // of the canvas costs the small machine several frames): frames the match
  // played, new pictures the screen showed and pictures drawn, how busy the
  // page's own thread was, and the CPU time of the whole browser, all its
  // processes, a second.
  s.pace = async (seconds) => {
    const cdp = await page.createCDPSession();
    await cdp.send('Performance.enable');
    const look = async () => {
      const { metrics } = await cdp.send('Performance.getMetrics');
      const [at, frames, shown, drawn] = await page.evaluate(() => [performance.now(), Module.pictures, Module.screen.shown, Module.drawn]);
      return { at, frames, shown, drawn, busy: metrics.find((m) => m.name === 'TaskDuration').value, cpu: s.cpu() };
    };
    const p0 = await look();
    await sleep(seconds * 1000);
    const p1 = await look();
    await cdp.detach();
    const span = (p1.at - p0.at) / 1000;
    const rate = (what) => +((p1[what] - p0[what]) / span).toFixed(1);
    return { matchFramesPerSecond: rate('frames'), picturesShownPerSecond: rate('shown'),
             picturesDrawnPerSecond: rate('drawn'), mainThreadBusy: +((p1.busy - p0.busy) / span).toFixed(2),
             browserCpuPerSecond: +((p1.cpu - p0.cpu) / span).toFixed(2) };
  };
  s.close = async () => { await browser.close(); rmSync(profile, { recursive: true, force: true }); };
  if (url) await s.load(url);
  return s;
}

export const keep = (name, img) => writeFileSync(join(shots, name + '.png'), encodePng(img.width, img.height, img.rgb));

// Put into the page before its own scripts run.
function instrument() {
  // The game's drawing stays readable after it is shown.
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (kind, attributes) {
    if (/webgl/.test(kind)) attributes = Object.assign({}, attributes, { preserveDrawingBuffer: true });
    return getContext.call(this, kind, attributes);
  };
  let copy;
  const drawn = () => {
    copy = copy || Object.assign(document.createElement('canvas'), { width: 800, height: 600 });
    const c = copy.getContext('2d', { willReadFrequently: true });
    c.drawImage(document.getElementById('game'), 0, 0);
    return c;
  };
  window.rallyoPicture = () => {
    const rgba = drawn().getImageData(0, 0, 800, 600).data;
    const rgb = new Uint8Array(800 * 600 * 3);
    for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) { rgb[j] = rgba[i]; rgb[j + 1] = rgba[i + 1]; rgb[j + 2] = rgba[i + 2]; }
    let text = '';
    for (let i = 0; i < rgb.length; i += 0x8000) text += String.fromCharCode.apply(null, rgb.subarray(i, i + 0x8000));
    return [btoa(text), performance.now()];
  };
  // What the intro test looks for, counted in the page so that only three
  // numbers come back: is the menu's title yellow where the intro is black,
  // and how many pixels of the logo's orange are lit in the middle. Read
  // straight from the game's drawing buffer, only the two places: a copy of
  // the whole canvas would hold the intro up.
  window.rallyoIntroLook = () => {
    const gl = Module.ctx;
    const read = (x, y, w, h) => {
      const rgba = new Uint8Array(w * h * 4);
      gl.readPixels(x, 600 - y - h, w, h, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
      return rgba;
    };
    const t = read(20, 15, 100, 25);
    let sum = 0;
    for (let i = 0; i < t.length; i += 4) sum += t[i] - t[i + 2];
    const l = read(200, 180, 401, 141);
    let logo = 0;
    for (let i = 0; i < l.length; i += 4)
      if (l[i] > 200 && l[i + 1] > 90 && l[i + 1] < 220 && l[i + 2] < 90) logo++;  // the orange title
    return [sum / 2500 > 25, logo, performance.now()];
  };
  window.addEventListener('DOMContentLoaded', () => {
    const started = Module.onRuntimeInitialized;
    Module.onRuntimeInitialized = () => { window.rallyoStarted = performance.now(); started(); };
  });
}
