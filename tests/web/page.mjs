// What the browser scripts share: a static server on the loopback that puts
// the tests' instrument into the page, a browser of any of the three engines
// with the page open in it (browsers.mjs), the canvas read back, and the
// game's pieces found in a picture by their colours. What the canvas shows
// is read back in the page (a screenshot waits for the compositor, which the
// software renderer makes slow); the pictures looked at are kept in shots.
//   node SCRIPT PAGE_FOLDER [chromium|firefox|webkit]
import { createServer } from 'node:http';
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { extname, join, resolve } from 'node:path';
import { launch, cpuSeconds } from './browsers.mjs';
import { encodePng } from './png.mjs';

export const folder = resolve(process.argv[2] || 'build/web');
export const engine = process.argv[3] || 'chromium';
export const shots = join(resolve(process.env.RALLYO_SHOTS || join(folder, '..', 'web-shots')), engine);
mkdirSync(shots, { recursive: true });
export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const instrument = readFileSync(new URL('./instrument.js', import.meta.url), 'utf8');

// A static server of the page's folder, on the loopback only.
export function serve(dir, port = 0) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                  '.webmanifest': 'application/manifest+json', '.png': 'image/png' };
  return new Promise((ready) => {
    const s = createServer((req, res) => {
      const name = new URL(req.url, 'http://x').pathname.replace(/\/$/, '/index.html');
      try {
        let body = readFileSync(join(dir, name.replace(/\.\.+/g, '')));
        // Ahead of the page's own scripts, inside the page itself: it is kept
        // with the page for offline visits.
        if (name === '/index.html') body = String(body).replace('<head>', `<head>\n<script>${instrument}</script>`);
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

// A browser of the engine the script was given, with the page open in it,
// and what the scripts do with it. The page is looked at as a person sees
// it: clicks and taps land on the canvas at the place of the game's window
// pixel, whatever size the canvas is shown.
export async function open({ url, viewport = { width: 1000, height: 1200 }, args, before } = {}) {
  const d = await launch(engine, { viewport, args, before });
  const s = { engine, driver: d, page: d.page, offline: false };
  d.page?.on('requestfailed', (r) => { if (!s.offline) d.problems.push('request failed: ' + r.url()); });
  // What went wrong in the page: what the engine reported, and what the
  // page saw and did not handle.
  s.problems = async () => [...d.problems, ...await d.evaluate(() => window.rallyoProblems || [])];

  s.load = (to) => d.goto(to);
  s.evaluate = (fn, ...a) => d.evaluate(fn, ...a);
  // Asks the page fn until it answers something true, and gives that.
  s.waitFor = async (fn, seconds, what = String(fn)) => {
    for (const end = Date.now() + seconds * 1000; Date.now() < end; await sleep(50)) {
      const answer = await d.evaluate(fn).catch(() => null);
      if (answer) return answer;
    }
    throw new Error(`not within ${seconds} s: ${what}`);
  };
  s.shot = async (name) => {
    const img = picture(...await d.evaluate(() => window.rallyoPicture()));
    if (name) keep(name, img);
    return img;
  };
  s.screenshot = (name) => d.screenshot(join(shots, name + '.png'));
  // Where window pixel (x, y) of the game is on the page.
  s.at = async (x, y) => {
    const [left, top, width, height] = await d.evaluate(() => {
      const r = document.getElementById('game').getBoundingClientRect();
      return [r.left, r.top, r.width, r.height];
    });
    return { x: left + x * width / 800, y: top + y * height / 600 };
  };
  s.click = async (x, y) => { const p = await s.at(x, y); await d.click(p.x, p.y); };
  s.move = async (x, y) => { const p = await s.at(x, y); await d.move(p.x, p.y); };
  s.hold = async (key, ms) => { await d.keyDown(key); await sleep(ms); await d.keyUp(key); };
  s.pictures = () => d.evaluate(() => Module.pictures || 0);
  s.waitMenu = async (seconds) => {
    for (const end = Date.now() + seconds * 1000; Date.now() < end;) {
      const img = await s.shot();
      // After a match the line that started it stays red until the next event.
      if (titleYellow(img) && where(img, LIT, 76, 433, 184, 449).n > 40) return img;
    }
    throw new Error(`no menu within ${seconds} s`);
  };
  // What the page's watcher saw of every picture shown while during() ran
  // and until the menu was back: a few numbers a picture, and one darkened
  // picture of the court kept.
  s.watch = async (during, seconds = 30) => {
    await d.evaluate(() => window.rallyoLooks.start());
    await s.waitFor(() => window.rallyoLooks.list.length > 0, 10, 'a picture watched');
    const from = await d.evaluate(() => performance.now());
    await during();
    await s.waitFor(() => window.rallyoLooks.list.some((look) => look.yellow), seconds, 'the menu back');
    const { list, kept } = await d.evaluate(() => window.rallyoLooks.stop());
    return { from, list, kept: kept && picture(kept) };
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
  // From the end of a match on (end does what ends it) until the menu is
  // back, every picture the screen showed: how many showed the court
  // darkened, the darkest, and how long it took. The first look is the
  // court before the end; one clearly darkened picture is kept.
  s.fadeToMenu = async (end, name) => {
    const { from, list, kept } = await s.watch(end);
    const lit = list[0].bright, menu = list.findIndex((look) => look.yellow);
    const court = list.slice(0, menu);
    if (kept) keep(name, kept);
    return { lit: +lit.toFixed(3), ms: Math.round(list[menu].at - from), pictures: list.length,
             darkened: court.filter((look) => look.bright < 0.9 * lit).length,
             darkest: +Math.min(...court.map((look) => look.bright)).toFixed(3) };
  };
  s.cpu = () => cpuSeconds(d.pid);
  // The pace of a match, over seconds in which nothing is read back (a read
  // of the canvas costs the small machine several frames): frames the match
  // played, new pictures the screen showed and pictures drawn, how busy the
  // page's own thread was (Chromium tells), and the CPU time of the whole
  // browser, all its processes, a second, in all and by program.
  s.pace = async (seconds) => {
    const cdp = d.cdp();
    if (cdp) await cdp.send('Performance.enable');
    const look = async () => {
      const busy = cdp && (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
      const [at, frames, shown, drawn] = await d.evaluate(() => [performance.now(), Module.pictures, Module.screen.shown, Module.drawn]);
      return { at, frames, shown, drawn, busy, cpu: s.cpu() };
    };
    const p0 = await look();
    await sleep(seconds * 1000);
    const p1 = await look();
    const span = (p1.at - p0.at) / 1000;
    const rate = (what) => +((p1[what] - p0[what]) / span).toFixed(1);
    const byProgram = {};
    for (const [name, t] of Object.entries(p1.cpu.byName)) {
      const share = (t - (p0.cpu.byName[name] || 0)) / span;
      if (share >= 0.01) byProgram[name] = +share.toFixed(2);
    }
    return { matchFramesPerSecond: rate('frames'), picturesShownPerSecond: rate('shown'),
             picturesDrawnPerSecond: rate('drawn'),
             ...(cdp ? { mainThreadBusy: +((p1.busy - p0.busy) / span).toFixed(2) } : {}),
             browserCpuPerSecond: +((p1.cpu.total - p0.cpu.total) / span).toFixed(2), browserCpuByProgram: byProgram };
  };
  s.close = () => d.close();
  if (url) await s.load(url);
  return s;
}

// A picture read back as base64 RGB rows from the top.
export function picture(base64, at = 0) {
  const img = { width: 800, height: 600, rgb: Buffer.from(base64, 'base64'), at };
  img.px = (x, y) => { const i = 3 * (y * 800 + x); return [img.rgb[i], img.rgb[i + 1], img.rgb[i + 2]]; };
  return img;
}

export const keep = (name, img) => writeFileSync(join(shots, name + '.png'), encodePng(img.width, img.height, img.rgb));
