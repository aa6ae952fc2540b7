// The web build on the screens people hold: a phone in landscape played by
// touch, a tablet in portrait, full screen on a wide display, gamepads, and
// the page once more with the server gone. Real input events over CDP.
//   node devices.mjs PAGE_FOLDER
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { folder, shots, serve, open, sleep, where, pieces, picture, keep, titleYellow, pointsReach, YELLOW, REDTEXT } from './page.mjs';

let server, url;
// A browser of its own for each test, closed with it: one left playing
// in the background would take the small machine's time from the next.
async function start(t, options) {
  const s = await open({ url, ...options });
  t.after(() => s.close());
  await s.waitMenu(40);
  return s;
}

// Fingers on the screen, by number: CDP is sent the whole set at each change.
function fingers(s) {
  const down = new Map();
  const send = async (type) => s.cdp.send('Input.dispatchTouchEvent', { type, touchPoints: [...down.values()] });
  return {
    async put(id, x, y) { down.set(id, { id, ...(await s.at(x, y)) }); await send('touchStart'); },
    async move(id, x, y) { down.set(id, { id, ...(await s.at(x, y)) }); await send('touchMove'); },
    async lift(id) { down.delete(id); await send('touchEnd'); },
    async tap(x, y) { await this.put(99, x, y); await sleep(80); await this.lift(99); },
  };
}

// Where an element of the page is, in the game's window pixels.
async function spot(s, selector) {
  const [box, el] = await s.evaluate((selector) => [document.getElementById('game'), document.querySelector(selector)]
    .map((e) => { const r = e.getBoundingClientRect(); return { x: r.x, y: r.y, width: r.width, height: r.height }; }), selector);
  return [(el.x + el.width / 2 - box.x) * 800 / box.width, (el.y + el.height / 2 - box.y) * 600 / box.height];
}

const fits = (s) => s.page.evaluate(() => {
  const r = document.getElementById('game').getBoundingClientRect();
  return { sideways: document.documentElement.scrollWidth - innerWidth, left: r.left, top: r.top,
           right: innerWidth - r.right, bottom: innerHeight - r.bottom, width: r.width, height: r.height };
});
const playing = async (s) => !titleYellow(await s.shot());

before(async () => {
  server = await serve(folder);
  url = `http://127.0.0.1:${server.address().port}/`;
});

after(async () => {
  server?.close();
});

test('a phone in landscape: the whole picture on screen, and a match played by touch', async (t) => {
  const s = await start(t, { viewport: { width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true, isLandscape: true } });
  s.cdp = await s.page.createCDPSession();
  const f = fingers(s);
  const box = await fits(s);
  assert.equal(box.sideways, 0, 'the page scrolls sideways');
  assert.ok(box.top >= 0 && box.bottom >= 0 && box.left >= 0 && box.right >= 0, `the picture leaves the screen: ${JSON.stringify(box)}`);
  assert.ok(Math.abs(box.height - 390) < 1 && Math.abs(box.width - 520) < 1, `picture ${box.width} x ${box.height}`);
  await s.page.screenshot({ path: join(shots, 'phone-menu.png') });

  // 20 points to win, so that the match lasts however long a busy machine
  // takes to find a smash; then "P1 vs P2".
  for (let i = 0; i < 3; i++) await f.tap(100, 492);
  await f.tap(100, 465);
  await sleep(700);
  assert.ok(await playing(s), 'a tap on P1 vs P2 started nothing');
  await s.page.screenshot({ path: join(shots, 'phone-match.png') });
  assert.equal(await s.page.$eval('#touch', (e) => e.hidden), false, 'no touch hints in the match');

  // One finger high on the right half, one low on the left: two players.
  const before = pieces(await s.shot());
  await f.put(1, 600, 90);
  await f.put(2, 200, 560);
  await sleep(1200);
  const held = pieces(await s.shot('phone-fingers'));
  await f.lift(1);
  await f.lift(2);
  assert.ok(before.right.y - held.right.y > 60, `right paddle ${before.right.y} -> ${held.right.y}`);
  assert.ok(held.left.y - before.left.y > 60, `left paddle ${before.left.y} -> ${held.left.y}`);
  // It stops at the finger: its middle within a step or two of it.
  assert.ok(Math.abs(held.right.y - 90) < 12, `the right paddle stopped at ${held.right.y}, the finger at 90`);

  // The right smash held, a finger on the right half steering the paddle
  // to where the ball will come: a flat return.
  const [sx, sy] = await spot(s, '#smash-right');
  await f.put(3, sx, sy);
  await f.put(4, 650, 300);
  const smashed = await s.flatReturn((off, y) => f.move(4, 650, y));
  await f.lift(4);
  await f.lift(3);
  assert.ok(smashed, 'no flat return seen in a minute');

  const [ex, ey] = await spot(s, '#end');
  const fade = await s.fadeToMenu(() => f.tap(ex, ey), 'phone-fade');
  assert.ok(fade.darkened >= 1, `no fade: ${JSON.stringify(fade)}`);
  assert.equal(await s.page.$eval('#touch', (e) => e.hidden), true, 'touch hints left over the menu');
});

test('a tablet in portrait: the picture as wide as the screen, and the menu answers taps; no width scrolls sideways', async (t) => {
  const s = await start(t, { viewport: { width: 768, height: 1024, deviceScaleFactor: 2, isMobile: true, hasTouch: true } });
  s.cdp = await s.page.createCDPSession();
  const box = await fits(s);
  assert.equal(box.sideways, 0, 'the page scrolls sideways');
  assert.equal(box.width, 768);
  await s.page.screenshot({ path: join(shots, 'tablet.png') });
  const five = pointsReach(await s.shot());
  await fingers(s).tap(100, 492);  // "Punkty:"
  await sleep(300);
  assert.ok(pointsReach(await s.shot()) > five + 6, 'a tap on Punkty did not raise the points');

  // Nothing scrolls sideways at any width, standing or lying, and the
  // picture is always whole and 4:3.
  for (const [width, height] of [[320, 568], [568, 320], [390, 844], [1024, 768], [1366, 1024], [1920, 1080], [2560, 1440], [1440, 2560]]) {
    await s.page.setViewport({ width, height, isMobile: true, hasTouch: true });
    await sleep(100);
    const b = await fits(s);
    assert.equal(b.sideways, 0, `${width} x ${height}: the page scrolls sideways`);
    assert.ok(b.left >= 0 && b.right >= 0 && b.top >= 0 && b.bottom > -1 && Math.abs(b.width * 3 - b.height * 4) < 4, `${width} x ${height}: ${JSON.stringify(b)}`);
    assert.ok(b.width >= Math.min(width, height * 4 / 3) - 1, `${width} x ${height}: the picture is only ${b.width} wide`);
  }
});

test('full screen fills a 1280 x 720 screen with the picture, 4:3 in the middle, and the mouse lands right', async (t) => {
  const s = await start(t, { viewport: { width: 1280, height: 720 } });
  await s.page.click('#fullscreen');
  await s.page.waitForFunction(() => document.fullscreenElement, { timeout: 5000 });
  await sleep(300);
  const r = await s.evaluate(() => { const b = document.getElementById('game').getBoundingClientRect(); return [b.left, b.top, b.width, b.height]; });
  assert.deepEqual(r, [160, 0, 960, 720]);
  await s.page.screenshot({ path: join(shots, 'fullscreen.png') });
  await s.move(120, 441);
  await sleep(200);
  assert.ok(where(await s.shot(), (r, g, b) => r > 150 && g < 60, 76, 433, 184, 449).n > 40, 'P1 vs CPU is not red under the pointer');
  await s.click(100, 441);
  await sleep(700);
  assert.ok(await playing(s), 'a click on P1 vs CPU started nothing');
  console.log('measured in full screen: ' + JSON.stringify(await s.pace(6)));

  // Out of full screen as the browser's own way out (its Escape, which CDP's
  // keys do not reach) leaves it; the pointer still lands where it is drawn.
  await s.page.evaluate(() => document.exitFullscreen());
  await s.page.waitForFunction(() => !document.fullscreenElement, { timeout: 5000 });
  await s.hold('Escape', 250);
  await s.waitMenu(30);
  const five = pointsReach(await s.shot());
  await s.click(100, 492);
  await sleep(300);
  assert.ok(pointsReach(await s.shot()) > five + 6, 'after full screen a click on Punkty did not raise the points');
});

test('gamepads: the first plays the right paddle and smashes, the second the left paddle', async (t) => {
  const s = await start(t, {
    viewport: { width: 1000, height: 800 },
    // Two pads of the standard mapping, scripted from the test.
    before: (page) => page.evaluateOnNewDocument(() => {
      const pad = (index) => ({ id: `Test pad ${index + 1}`, index, connected: true, mapping: 'standard', timestamp: 0,
                                axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })) });
      window.testPads = [pad(0), pad(1)];
      navigator.getGamepads = () => window.testPads;
      window.pressPad = (n, button, down) => Object.assign(window.testPads[n].buttons[button], { pressed: down, value: down ? 1 : 0 });
    }),
  });
  const press = (n, button, down) => s.page.evaluate((n, b, d) => window.pressPad(n, b, d), n, button, down);
  const hold = async (n, button, ms) => { await press(n, button, true); await sleep(ms); await press(n, button, false); };
  await s.page.evaluate(() => window.dispatchEvent(Object.assign(new Event('gamepadconnected'), { gamepad: window.testPads[0] })));
  assert.match(await s.page.$eval('#pads', (e) => e.textContent), /Gamepad 1 connected .*right paddle/);

  // 20 points to win, and the pointer off every line again.
  for (let i = 0; i < 3; i++) await s.click(100, 492);
  await s.move(400, 300);
  // The menu by pad: the d-pad down twice on pad 1 points at "P1 vs P2", red, and A picks it. The
  // page looks at its pads once a picture: each press and release lasts two.
  const pictures = () => s.page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
  const tap = async (n, button) => { await press(n, button, true); await pictures(); await press(n, button, false); await pictures(); };
  await tap(0, 13);
  await tap(0, 13);
  let red = 0;
  for (let tries = 0; tries < 50 && red <= 40; tries++, await sleep(100)) red = where(await s.shot('pad-menu'), REDTEXT, 76, 458, 170, 472).n;
  assert.ok(red > 40, 'the d-pad did not point at P1 vs P2');
  await tap(0, 0);
  await sleep(700);
  const a = pieces(await s.shot());
  await hold(0, 12, 600);  // pad 1, d-pad up
  await hold(1, 13, 600);  // pad 2, d-pad down
  const b = pieces(await s.shot());
  assert.ok(a.right.y - b.right.y > 30, `d-pad up: right paddle ${a.right.y} -> ${b.right.y}`);
  assert.ok(b.left.y - a.left.y > 30, `d-pad down on pad 2: left paddle ${a.left.y} -> ${b.left.y}`);

  await press(0, 0, true);  // the bottom face button held
  const smashed = await s.flatReturn((off) => hold(0, off > 0 ? 12 : 13, Math.min(400, Math.abs(off) * 4)));
  await press(0, 0, false);
  assert.ok(smashed, 'no flat return seen in a minute');
  await s.fadeToMenu(() => hold(0, 9, 250), 'pad-fade');  // Start
});

test('a browser without WebGL: the page says why the game cannot start, in words, and nothing breaks', async (t) => {
  const s = await open({ url, viewport: { width: 1000, height: 800 }, args: ['--disable-webgl', '--disable-3d-apis'] });
  t.after(() => s.close());
  const why = 'This browser gives the page no WebGL, which the game needs to draw.';
  const said = await s.waitFor(() => {
    const state = document.getElementById('state').textContent, notice = document.querySelector('#picture .notice');
    return /WebGL/.test(state) && [state, notice && notice.textContent, notice && notice.getBoundingClientRect().height > 0];
  }, 20, 'the page tells of WebGL');
  assert.deepEqual(said, [why, why, true]);
  await s.screenshot('no-webgl');
  assert.equal(await s.evaluate(() => typeof Module.pictures), 'undefined', 'the game started without WebGL');
  assert.deepEqual(await s.problems(), []);
});

test('a page nobody sees waits: the intro, a match and its fade stand still behind another tab and go on as they were', async (t) => {
  // The other tab first: opening it hides the first one for a while.
  const s = await open({ viewport: { width: 1000, height: 800 } });
  t.after(() => s.close());
  const other = await s.page.browser().newPage();
  await s.page.bringToFront();
  await s.load(url);
  // How long the page was hidden since the last look, by its own clock, and
  // the pictures the game made meanwhile.
  const spell = async () => {
    const seen = await s.evaluate(() => window.rallyoVisibility.splice(0));
    let ms = 0, pictures = 0;
    for (let i = 0; i + 1 < seen.length; i++)
      if (seen[i].state === 'hidden' && seen[i + 1].state === 'visible') {
        ms += seen[i + 1].at - seen[i].at;
        pictures += seen[i + 1].pictures - seen[i].pictures;
      }
    assert.ok(ms > 0, `never hidden: ${JSON.stringify(seen)}`);
    return { ms, pictures };
  };
  const hide = async (ms) => { await other.bringToFront(); await sleep(ms); await s.page.bringToFront(); };

  // The intro, hidden half way: it takes as long as ever, the spell aside.
  await s.waitFor(() => window.Module && Module.pictures > 0, 30, 'the first picture');
  await sleep(1200);
  await hide(3000);
  await s.waitFor(() => window.rallyoLooks.menuSeen, 30, 'the menu after the intro');
  const [looks, first] = await s.evaluate(() => [window.rallyoLooks.list, Module.firstPictureAt]);
  const introMs = looks.find((look) => look.yellow).at - first - (await spell()).ms;
  assert.ok(introMs > 2800 && introMs < 20000, `the intro took ${introMs} ms besides the hidden spell`);

  // A match against the computer to 20, hidden for 6 s right after a point,
  // with Up held from before: the labels and scores above the court change
  // only with a point.
  for (let i = 0; i < 3; i++) await s.click(100, 492);
  await s.click(100, 441);
  await sleep(600);
  const band = (img) => img.rgb.subarray(0, 800 * 60 * 3);
  let last = band(await s.shot());
  for (const end = Date.now() + 30000; Date.now() < end;) {
    const now = band(await s.shot());
    if (!now.equals(last)) break;
    last = now;
  }
  await s.driver.keyDown('ArrowUp');
  await other.bringToFront();
  await sleep(500);
  const cpu0 = s.cpu().total;
  await sleep(5000);
  const cpu = (s.cpu().total - cpu0) / 5;
  await s.page.bringToFront();
  // The picture shown as the page was hidden, and the first made after.
  await s.waitFor(() => window.rallyoVisibility.back(), 30, 'a picture after the hidden spell');
  const [before, after] = (await s.evaluate(() => window.rallyoVisibility.pictures())).map((p) => picture(p));
  keep('hidden-before', before);
  keep('hidden-after', after);
  const { pictures } = await spell();
  console.log('measured while hidden: ' + JSON.stringify({ picturesMade: pictures, browserCpuPerSecond: +cpu.toFixed(3) }));
  assert.ok(pictures <= 3, `${pictures} pictures made while hidden`);
  assert.ok(cpu < 0.05, `the browser took ${cpu} of a core while the page was hidden`);
  assert.ok(band(before).equals(band(after)), 'the scores changed behind the other tab');
  const [b, a] = [pieces(before), pieces(after)];
  assert.ok(Math.abs(a.ball.x - b.ball.x) < 80 && Math.abs(a.ball.y - b.ball.y) < 80,
            `the ball went from ${b.ball.x},${b.ball.y} to ${a.ball.x},${a.ball.y}`);
  // Up counts as let go (once the frame that was under way has read it):
  // the right paddle stands.
  await sleep(300);
  const settled = pieces(await s.shot());
  await sleep(500);
  const still = pieces(await s.shot());
  assert.ok(Math.abs(still.right.y - settled.right.y) < 2, `the right paddle went on from ${settled.right.y} to ${still.right.y}`);
  // So does a key pressed in the very moment the window loses focus, before
  // the game has read the press: Down and the blur in one go.
  await s.evaluate(() => {
    const press = new KeyboardEvent('keydown', { key: 'ArrowDown', code: 'ArrowDown', bubbles: true });
    Object.defineProperty(press, 'keyCode', { value: 40 });
    document.dispatchEvent(press);
    window.dispatchEvent(new FocusEvent('blur'));
  });
  await sleep(300);
  const pressed = pieces(await s.shot());
  await sleep(500);
  const left = pieces(await s.shot());
  assert.ok(Math.abs(left.right.y - pressed.right.y) < 2, `after the blur the right paddle went on from ${pressed.right.y} to ${left.right.y}`);
  await s.driver.keyUp('ArrowUp');
  const pace = await s.pace(2);
  assert.ok(pace.matchFramesPerSecond >= 25 && pace.matchFramesPerSecond <= 91.5, `then ${JSON.stringify(pace)}`);

  // Escape, and the fade hidden half way: as long as ever, the spell aside.
  const { from, list } = await s.watch(async () => { await s.hold('Escape', 250); await sleep(500); await hide(3000); });
  const fadeMs = list.find((look) => look.yellow).at - from - (await spell()).ms;
  assert.ok(fadeMs >= 1800 && fadeMs < 20000, `the fade took ${fadeMs} ms besides the hidden spell`);
});

test('offline: after one visit the page starts and plays with the server gone; it can be installed', async (t) => {
  const s = await start(t, { viewport: { width: 1000, height: 800 } });
  const cdp = await s.page.createCDPSession();
  const manifest = await cdp.send('Page.getAppManifest');
  assert.deepEqual(manifest.errors, []);
  assert.deepEqual(JSON.parse(manifest.data).icons.map((icon) => icon.sizes), ['192x192', '512x512']);
  await s.page.waitForFunction(() => navigator.serviceWorker.controller, { timeout: 30000 });
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  assert.deepEqual(installabilityErrors, []);

  s.offline = true;
  server.closeAllConnections();
  await new Promise((done) => server.close(done));
  server = null;
  await s.load(url);
  const img = await s.waitMenu(40);
  assert.ok(where(img, YELLOW, 20, 15, 120, 40).n > 30, 'no menu offline');
  await s.page.screenshot({ path: join(shots, 'offline.png') });
  await s.click(100, 441);
  await sleep(700);
  assert.ok(await playing(s), 'no match offline');
});
