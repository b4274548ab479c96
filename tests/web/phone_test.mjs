// The page on a phone and a tablet, in Debian's chromium with their
// viewports and touch, touched through the DevTools protocol as a finger
// touches: the title and a game in portrait and landscape (screenshots kept
// for looking at), the canvas and every control inside the screen with no
// scrolling and every control a thumb's size with a name; a tap on Down
// moving the menu's arrow as the key does; a game started, moved, turned,
// dropped, paused and ended by touch alone, with the screen kept awake
// while it runs, which --verify plays to the result the page told; the page
// installable, and after one visit fetching nothing and playing offline; a
// desktop without touch showing no control, the game as large as fits; a
// new build taking over on the visit after the one that found it.
// Usage: node phone_test.mjs <folder of native.png, native_down.png; shots go there> <dist/web> <velquadro>
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { launch, picture, serve } from "../../tools/browser/chromium.mjs";

const [shots, dist, velquadro] = process.argv.slice(2);
let passes = 0;
let failures = 0;
function check(what, ok) {
  if (ok) passes++;
  else failures++;
  console.log(`${ok ? "ok" : "FAILED"}: ${what}`);
}
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
async function until(condition, ms) {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(50)) if (await condition()) return true;
  return false;
}
const PHONE = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const PHONE_LANDSCAPE = { ...PHONE, width: 844, height: 390, isLandscape: true };
const TABLET = { width: 820, height: 1180, deviceScaleFactor: 2, isMobile: true, hasTouch: true };

// A copy of the build, which becomes a new build at the end.
const web = path.join(shots, "web");
fs.cpSync(dist, web, { recursive: true });
const { server, url } = await serve(web);
const chromium = await launch();
try {
  let page = await chromium.browser.newPage();
  const said = [];
  page.on("console", (message) => said.push(message.text()));
  page.on("pageerror", (error) => console.log(`page error: ${error.message}`));
  // The screen's wake lock as the page asks for it and lets it go.
  await page.evaluateOnNewDocument(() => {
    window.vqAwake = 0;
    Object.defineProperty(navigator, "wakeLock", { value: { request: async () => {
      window.vqAwake++;
      const lock = new EventTarget();
      lock.release = async () => { window.vqAwake--; lock.dispatchEvent(new Event("release")); };
      return lock;
    } } });
  });
  const awake = () => page.evaluate(() => window.vqAwake);
  await page.setViewport(PHONE);
  await page.goto(url);
  let cdp = await page.createCDPSession();

  // The canvas's own pixels against a native screenshot: how many differ,
  // outside the box [x0, y0, x1, y1] if one is given.
  const differing = (native, box = [0, 0, 0, 0]) => page.evaluate(async (png, box) => {
    const image = new Image();
    image.src = `data:image/png;base64,${png}`;
    await image.decode();
    const want = new OffscreenCanvas(800, 600).getContext("2d");
    want.drawImage(image, 0, 0);
    const a = want.getImageData(0, 0, 800, 600).data;
    const b = document.getElementById("canvas").getContext("2d").getImageData(0, 0, 800, 600).data;
    let count = 0;
    for (let i = 0; i < a.length; i += 4) {
      const x = (i / 4) % 800, y = Math.floor(i / 3200);
      if (x >= box[0] && x < box[2] && y >= box[1] && y < box[3]) continue;
      count += Math.max(Math.abs(a[i] - b[i]), Math.abs(a[i + 1] - b[i + 1]), Math.abs(a[i + 2] - b[i + 2])) > 12;
    }
    return count;
  }, fs.readFileSync(path.join(shots, native)).toString("base64"), box);
  const shows = (native, ms, box) => until(async () => (await differing(native, box)) === 0, ms);

  // Fingers on the controls, by the names they carry; each finger its own,
  // started and ended alone.
  const fingers = new Map();
  async function down(finger, name) {
    const at = await page.evaluate((name) => {
      const button = [...document.querySelectorAll("button")].find((b) => b.offsetParent && b.getAttribute("aria-label") === name);
      const r = button && button.getBoundingClientRect();
      return r && { x: Math.round(r.x + r.width / 2), y: Math.round(r.y + r.height / 2) };
    }, name);
    if (!at) throw new Error(`no control named ${name} shows`);
    fingers.set(finger, { ...at, id: finger });
    await cdp.send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: [fingers.get(finger)] });
  }
  async function up(finger) {
    await cdp.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [fingers.get(finger)] });
    fingers.delete(finger);
  }
  async function tap(name, ms = 20) {
    await down(1, name);
    await sleep(ms);
    await up(1);
  }

  // Everything the player sees and touches is inside the screen, with no
  // scrolling; every control is 48 px at least each way and has a name.
  async function laidOut(what, file) {
    const seen = await page.evaluate(() => {
      const box = (e) => { const r = e.getBoundingClientRect(); return [r.left, r.top, r.right, r.bottom]; };
      const controls = [...document.querySelectorAll("button")].filter((b) => b.offsetParent);
      return { canvas: box(document.getElementById("canvas")), wide: innerWidth, high: innerHeight,
               scroll: [document.scrollingElement.scrollWidth, document.scrollingElement.scrollHeight],
               controls: controls.map((b) => [b.getAttribute("aria-label") || b.textContent, ...box(b)]) };
    });
    const inside = ([l, t, r, b]) => l >= 0 && t >= 0 && r <= seen.wide + 0.5 && b <= seen.high + 0.5;
    const bad = seen.controls.filter(([name, l, t, r, b]) => !name || r - l < 48 || b - t < 48 || !inside([l, t, r, b]));
    const canvas = seen.canvas;
    const fills = Math.max((canvas[2] - canvas[0]) / seen.wide, (canvas[3] - canvas[1]) / seen.high);
    check(`${what}: the ${Math.round(canvas[2] - canvas[0])}x${Math.round(canvas[3] - canvas[1])} canvas and ` +
          `${seen.controls.length} controls inside the ${seen.wide}x${seen.high} screen, no scrolling ` +
          `(${seen.scroll.join("x")}), each control 48 px or more and named${bad.length ? `; not: ${JSON.stringify(bad)}` : ""}`,
          inside(canvas) && fills > 0.55 && seen.scroll[0] <= seen.wide && seen.scroll[1] <= seen.high &&
          seen.controls.length >= 8 && bad.length === 0);
    await page.screenshot({ path: path.join(shots, file) });
  }

  check("the phone's page shows the native title", await shows("native.png", 20000));
  await laidOut("portrait title", "phone-portrait-title.png");
  // No zoom by pinch or double tap, no selection, no menu on a long press.
  const manners = await page.evaluate(() => {
    const style = getComputedStyle(document.body);
    const held = new MouseEvent("contextmenu", { bubbles: true, cancelable: true });
    document.querySelector(".touch-key").dispatchEvent(held);
    return [style.touchAction, style.userSelect, held.defaultPrevented, document.querySelector('meta[name="viewport"]').content];
  });
  check(`the page neither zooms, selects nor opens a menu on a long press (${JSON.stringify(manners)})`,
        manners[0] === "none" && manners[1] === "none" && manners[2] && /user-scalable=no/.test(manners[3]));
  await tap("Down");
  check(`a tap of 20 ms on Down moves the arrow to Time attack as the key does ` +
        `(${await shows("native_down.png", 2000), await differing("native_down.png")} pixels off the native title there)`,
        (await differing("native_down.png")) === 0);
  await tap("Up");
  await shows("native.png", 2000);

  // A game by touch alone.
  const title = await picture(page);
  await tap("Return");
  const inGame = await until(async () => (await page.evaluate(() => document.body.dataset.screen)) === "game", 3000);
  const seen = new Set();
  for (let i = 0; i < 6; i++) seen.add(await picture(page, await sleep(200)));
  check(`a tap on Return starts a game that runs, with a game's controls (${seen.size} pictures in 1.2 s)`,
        inGame && seen.size >= 4 && !seen.has(title));
  check("the screen is kept awake while the game runs", (await awake()) === 1);
  await laidOut("portrait game", "phone-portrait-game.png");
  // One thumb holds Repeat while the other holds Right: both keys are down
  // for the game, and each goes up with its own finger.
  // The keys are the game's once it has polled for them: each is waited for.
  const held = () => page.evaluate(() => Object.values(SDL.keyboardMap).sort((a, b) => a - b).join(","));
  const holding = async (keys) => (await until(async () => (await held()) === keys, 1000)) && keys;
  await down(1, "Repeat (hold)");
  await sleep(50);
  await down(2, "Right");
  const both = (await holding("17,39")) || (await held());
  await sleep(100);
  await up(2);
  const repeatOnly = (await holding("17")) || (await held());
  await up(1);
  const none = (await holding("")) === "" ? "" : await held();
  check(`two fingers: Repeat and Right held together (keys ${both}), Right let go alone (${repeatOnly}), then none (${none})`,
        both === "17,39" && repeatOnly === "17" && none === "");
  for (const name of ["Left", "Turn clockwise", "Turn anticlockwise", "Drop", "Right", "Drop"]) {
    await tap(name);
    await sleep(250);
  }
  await tap("Pause");
  await sleep(700);
  const paused = await picture(page);
  await sleep(1200);
  const pauseNamed = await page.evaluate(() => !!document.querySelector('[aria-label="Go on (Return)"]'));
  check(`a tap on Pause pauses the game: the same picture for 1.2 s, the button now Go on, the screen let go`,
        (await picture(page)) === paused && pauseNamed && (await awake()) === 0);
  await tap("Go on (Return)");
  await sleep(600);
  check("a tap on Go on goes on with the game, the screen kept awake again", (await picture(page)) !== paused && (await awake()) === 1);

  // Music: the browser lets the page start it on a touch's end.
  const music = () => page.evaluate(() => (SDL.music.audio ? SDL.music.audio.currentTime : -1));
  await tap("Music");
  const started = await until(async () => (await music()) > 0, 2000);
  await sleep(400);  // M acts once a frame has seen it up again, as with the key
  await tap("Music");
  check(`a tap on Music plays the music (${started ? "playing" : "silent"}), another stops it`,
        started && (await until(async () => (await music()) === -1, 2000)));

  // Turned to landscape, the game runs on, laid out anew.
  await page.setViewport(PHONE_LANDSCAPE);
  await sleep(300);
  const turned = await picture(page);
  await sleep(400);
  check("turned to landscape, the game runs on", (await picture(page)) !== turned);
  await laidOut("landscape game", "phone-landscape-game.png");
  await tap("End game");
  const ended = await until(async () => said.some((line) => /^Final Score: /.test(line)), 3000);
  await until(async () => (await page.evaluate(() => document.body.dataset.screen)) === "menu", 2000);
  check("a tap on End ends the game: the menus' controls, the screen let go",
        ended && (await page.evaluate(() => document.body.dataset.screen)) === "menu" && (await awake()) === 0);
  await sleep(600);
  await tap("Return");
  // The title's BEST plaque (280, 282 to 520, 316) may show the game just played.
  check("a tap on Return goes back to the title", await shows("native.png", 3000, [280, 282, 520, 316]));
  await laidOut("landscape title", "phone-landscape-title.png");

  // The game played by touch, as the page kept it, plays on the desktop to
  // the result the page told.
  const told = said.filter((line) => /^(Seconds Played|Final Score): /.test(line)).map((line) => line.split(": ")[1]);
  const played = path.join(shots, "touched.vqreplay");
  fs.writeFileSync(played, Buffer.from(await page.evaluate(() => Array.from(Module.FS.readFile("/data/velquadro/last.vqreplay")))));
  let verified = "";
  try {
    verified = execFileSync(velquadro, ["--verify", played], { encoding: "utf8" });
  } catch (error) {
    verified = `status ${error.status}: ${error.stderr}`;
  }
  check(`the touched game verifies with --verify to what the page told (${told[1]} points in ${told[0]} s; ${verified.trim()})`,
        told.length === 2 && new RegExp(`: ${told[1]} points in ${told[0]} s over \\d+ frames, as recorded$`, "m").test(verified));

  // Installable, by chromium's own check.
  const installable = await cdp.send("Page.getInstallabilityErrors");
  const manifest = await cdp.send("Page.getAppManifest");
  check(`chromium finds the page installable (${JSON.stringify(installable.installabilityErrors)}, manifest errors ` +
        `${JSON.stringify(manifest.errors)})`, installable.installabilityErrors.length === 0 && manifest.errors.length === 0);

  // A tablet, upright.
  await page.setViewport(TABLET);
  await sleep(300);
  await laidOut("tablet title", "tablet-portrait-title.png");
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.close();

  // The second visit: nothing from the network; then with the network off,
  // the title 0 pixels off and a game by touch.
  const again = await chromium.browser.newPage();
  const fetched = [];
  again.on("response", (response) => {
    if (/^http/.test(response.url()) && !response.fromServiceWorker()) fetched.push(response.url());
  });
  await again.setViewport(PHONE);
  await again.goto(url);
  await sleep(1500);
  check(`a second visit fetches nothing from the network (${fetched.length ? fetched.join(", ") : "nothing"})`,
        fetched.length === 0);
  await again.close();
  page = await chromium.browser.newPage();
  await page.setOfflineMode(true);
  await page.setViewport(PHONE);
  await page.goto(url);
  cdp = await page.createCDPSession();
  check("with the network off, the page draws the native title", await shows("native.png", 10000, [280, 282, 520, 316]));
  const offline = await picture(page);
  await tap("Return");
  await sleep(800);
  const runs = await picture(page);
  await sleep(300);
  check("with the network off, a tap on Return starts a game that runs",
        runs !== offline && (await picture(page)) !== runs);
  await page.close();

  // A desktop without touch: no control of the phone's, and the game as
  // large as 4:3 fits above the bar (1400x1050 of 1920x1080), or below 800x600
  // in a low page, never cut or over the bar.
  for (const [wide, high, want] of [[1920, 1080, 1400], [1000, 500, 625]]) {
    page = await chromium.browser.newPage();
    await page.setViewport({ width: wide, height: high });
    await page.goto(url);
    await page.waitForFunction(() => !document.getElementById("bar").hidden, { timeout: 10000 });
    const seen = await page.evaluate(() => {
      const canvas = document.getElementById("canvas").getBoundingClientRect();
      return { controls: [...document.querySelectorAll(".touch-key")].filter((b) => b.offsetParent).length,
               canvas: [canvas.left, canvas.top, canvas.width, canvas.height],
               bar: document.getElementById("bar").getBoundingClientRect().top };
    });
    const [left, top, width, height] = seen.canvas;
    check(`a ${wide}x${high} desktop page: no touch control (${seen.controls}), the game ${width.toFixed(1)}x${height.toFixed(1)} ` +
          `above the bar at ${seen.bar.toFixed(1)}`,
          seen.controls === 0 && Math.abs(width - want) < 2 && left >= 0 && top >= 0 && top + height <= seen.bar + 0.5);
    await page.close();
  }

  // A new build on the host: a visit plays on the kept one while the browser
  // keeps the new one beside it; the next visit is wholly on the new one,
  // and the old one is gone.
  const change = (file, from, to) => fs.writeFileSync(path.join(web, file), fs.readFileSync(path.join(web, file), "utf8").replace(from, to));
  change("service_worker.js", /var BUILD = "([^"]*)"/, 'var BUILD = "$1-next"');
  change("index.html", "<title>", '<meta name="build" content="next">\n<title>');
  const visit = async (until_) => {
    page = await chromium.browser.newPage();
    await page.goto(url);
    await until(() => until_().catch(() => false), 15000);  // the page may start anew meanwhile
    const seen = await page.evaluate(async () => [document.querySelector('meta[name="build"]') ? "new" : "kept",
                                                  (await caches.keys()).join(" ")]);
    await page.close();
    return seen;
  };
  const found = await visit(() => page.evaluate(async () => !!(await navigator.serviceWorker.getRegistration()).waiting));
  const next = await visit(() => page.evaluate(() => !!document.querySelector('meta[name="build"]')));
  check(`a new build: the visit that finds it plays the kept one (${found.join(", ")}), the next the new one alone ` +
        `(${next.join(", ")})`, found[0] === "kept" && next[0] === "new" && /-next$/.test(next[1]) && !/ /.test(next[1]));
}
finally {
  await chromium.close();
  server.close();
}
console.log(`${passes} passed, ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
