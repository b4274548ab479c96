// The page on a phone and a tablet in Debian's chromium, touched through the DevTools protocol as fingers touch: the
// layout of the title and a game either way up (screenshots kept to look at); a game by touch alone that --verify
// plays to the result the page told; installable, offline, a new build; a desktop without touch. test_page.sh runs it:
// node phone_test.mjs <folder of native.png and native_down.png, where shots go> <dist/web> <velquadro>
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { launch, picture, serve } from "../../tools/browser/chromium.mjs";
import { check, finish, sleep, until } from "./checks.mjs";

const [shots, dist, velquadro] = process.argv.slice(2);
const later = async (ms, what) => { await sleep(ms); return what(); };
const PHONE = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const PLAQUE = [280, 282, 520, 316];  // the title's BEST, which shows the games played here
const web = path.join(shots, "web");  // a copy of the build, which becomes a new one at the end
fs.cpSync(dist, web, { recursive: true });
const { server, url, served } = await serve(web);
const chromium = await launch();
let page, cdp;
const said = [];
async function open(viewport, offline = false) {  // a visit, the last one ended
  if (page && !page.isClosed()) await page.close();
  page = await chromium.browser.newPage();
  page.on("console", (message) => said.push(message.text()));
  // The screen's wake lock, counted as the page asks for it and lets it go.
  await page.evaluateOnNewDocument(() => Object.defineProperty(navigator, "wakeLock", { value: { request: async () => {
    window.vqAwake = (window.vqAwake || 0) + 1;
    return Object.assign(new EventTarget(), { release: async () => window.vqAwake-- });
  } } }));
  await page.setOfflineMode(offline);
  await page.setViewport(viewport);
  await page.goto(url);
  cdp = await page.createCDPSession();
}
const awake = () => page.evaluate(() => window.vqAwake || 0);
const screenIs = () => page.evaluate(() => document.body.dataset.screen);
// The pixels of the canvas that differ from a native screenshot's, outside the box [x0, y0, x1, y1].
const differing = (native, box = [0, 0, 0, 0]) => page.evaluate(async (png, box) => {
  const want = new OffscreenCanvas(800, 600).getContext("2d");
  want.drawImage(await createImageBitmap(await (await fetch(`data:image/png;base64,${png}`)).blob()), 0, 0);
  const a = want.getImageData(0, 0, 800, 600).data;
  const b = document.getElementById("canvas").getContext("2d").getImageData(0, 0, 800, 600).data;
  let count = 0;
  for (let i = 0, x = 0, y = 0; i < a.length; i += 4, x = (i / 4) % 800, y = Math.floor(i / 3200)) {
    const boxed = x >= box[0] && x < box[2] && y >= box[1] && y < box[3];
    count += !boxed && Math.max(...[0, 1, 2].map((c) => Math.abs(a[i + c] - b[i + c]))) > 12;
  }
  return count;
}, fs.readFileSync(path.join(shots, native)).toString("base64"), box);
const shows = (native, ms, box) => until(async () => (await differing(native, box)) === 0, ms);
// Fingers on the controls by their names, each started and ended on its own.
const fingers = new Map();
async function down(finger, name) {
  const at = await page.evaluate((name) => {
    const r = [...document.querySelectorAll("button")].find((b) => b.offsetParent && b.ariaLabel === name).getBoundingClientRect();
    return { x: Math.round(r.x + r.width / 2), y: Math.round(r.y + r.height / 2) };
  }, name);
  fingers.set(finger, { ...at, id: finger });
  await cdp.send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: [fingers.get(finger)] });
}
const up = (finger) => cdp.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [fingers.get(finger)] });
const tap = async (name) => { await down(1, name); await sleep(20); await up(1); };
// The canvas and every control inside the screen, no scrolling; each control 48 px or more each way and named.
async function laidOut(what, file) {
  const seen = await page.evaluate(() => {
    const box = (e) => { const r = e.getBoundingClientRect(); return [r.left, r.top, r.right, r.bottom]; };
    return { canvas: box(document.getElementById("canvas")), screen: [innerWidth, innerHeight],
             scroll: [document.scrollingElement.scrollWidth, document.scrollingElement.scrollHeight],
             controls: [...document.querySelectorAll("button")].filter((b) => b.offsetParent).map((b) => [b.ariaLabel || b.textContent, ...box(b)]) };
  });
  const [wide, high] = seen.screen, [l, t, r, b] = seen.canvas;
  const inside = ([l, t, r, b]) => l >= 0 && t >= 0 && r <= wide + 0.5 && b <= high + 0.5;
  const bad = seen.controls.filter(([name, ...box]) => !name || box[2] - box[0] < 48 || box[3] - box[1] < 48 || !inside(box));
  check(`${what}: the ${r - l}x${b - t} canvas and ${seen.controls.length} controls in the ${wide}x${high} screen, scrolled ` +
        `${seen.scroll}, each 48 px at least and named${bad.length ? `, not ${JSON.stringify(bad)}` : ""}`,
        inside(seen.canvas) && Math.max((r - l) / wide, (b - t) / high) > 0.55 && seen.scroll.join() === seen.screen.join() &&
        seen.controls.length >= 8 && !bad.length);
  await page.screenshot({ path: path.join(shots, file) });
}

try {
  await open(PHONE);
  check("the phone's page shows the native title", await shows("native.png", 20000));
  await laidOut("portrait title", "phone-portrait-title.png");
  const manners = await page.evaluate(() => [getComputedStyle(document.body).touchAction, getComputedStyle(document.body).userSelect,
    !document.querySelector(".touch-key").dispatchEvent(new MouseEvent("contextmenu", { bubbles: true, cancelable: true }))]);
  check(`no zoom, selection or menu on a long press (${manners})`, manners.join() === "none,none,true");
  await tap("Down");
  check(`a 20 ms tap on Down moves the arrow to Time attack as the key does`, await shows("native_down.png", 2000));
  await tap("Up").then(() => shows("native.png", 2000));
  await tap("Return");
  const started = await until(async () => (await screenIs()) === "game", 3000);
  const seen = new Set();
  for (let i = 0; i < 6; i++) seen.add(await later(200, () => picture(page)));
  check(`a tap on Return starts a game that runs (${seen.size} pictures in 1.2 s), with its controls, the screen kept awake`,
        started && seen.size >= 4 && (await awake()) === 1);
  await laidOut("portrait game", "phone-portrait-game.png");
  // One thumb holds Repeat while the other holds Right; each key goes up with its finger, once the game polled.
  const held = (keys) => until(async () => (await page.evaluate(() => Object.values(SDL.keyboardMap).sort().join())) === keys, 1000);
  const both = await down(1, "Repeat (hold)").then(() => down(2, "Right")).then(() => held("17,39"));
  const one = await up(2).then(() => held("17"));
  await up(1);
  check("two fingers: Repeat and Right held together, Right let go alone, then Repeat", both && one && (await held("")));
  for (const name of ["Left", "Turn clockwise", "Turn anticlockwise", "Drop", "Right", "Drop"]) await later(250, () => tap(name));
  const paused = await tap("Pause").then(() => later(700, () => picture(page)));
  await sleep(1200);
  check("a tap on Pause pauses the game, the button then Go on, the screen let go", (await picture(page)) === paused &&
        (await page.evaluate(() => !!document.querySelector('[aria-label="Go on (Return)"]'))) && (await awake()) === 0);
  await tap("Go on (Return)").then(() => sleep(600));
  check("a tap on Go on goes on, the screen kept awake again", (await picture(page)) !== paused && (await awake()) === 1);
  // Music starts on a touch's end, as browsers allow; it acts again once a frame saw M up, as the key does.
  const music = () => page.evaluate(() => (SDL.music.audio ? SDL.music.audio.currentTime : -1));
  const playing = await tap("Music").then(() => until(async () => (await music()) > 0, 2000));
  await later(400, () => tap("Music"));
  check("a tap on Music plays the music, another stops it", playing && (await until(async () => (await music()) === -1, 2000)));
  await page.setViewport({ ...PHONE, width: 844, height: 390, isLandscape: true });
  const turned = await later(300, () => picture(page));
  check("turned to landscape, the game runs on", (await later(400, () => picture(page))) !== turned);
  await laidOut("landscape game", "phone-landscape-game.png");
  const ended = await tap("End game").then(() => until(async () => (await screenIs()) === "menu" && said.some((line) => /^Final Score/.test(line)), 3000));
  check("a tap on End ends the game: the menus' controls, the screen let go", ended && (await awake()) === 0);
  await later(600, () => tap("Return"));
  check("a tap on Return goes back to the title", await shows("native.png", 3000, PLAQUE));
  await laidOut("landscape title", "phone-landscape-title.png");

  const told = said.filter((line) => /^(Seconds Played|Final Score): /.test(line)).map((line) => line.split(": ")[1]);
  const played = path.join(shots, "touched.vqreplay");
  fs.writeFileSync(played, await page.evaluate(() => Array.from(Module.FS.readFile("/data/velquadro/last.vqreplay"))).then(Buffer.from));
  let verified;  // the output of --verify, or its complaint
  try { verified = execFileSync(velquadro, ["--verify", played], { encoding: "utf8" }); } catch (error) { verified = `${error.stderr}`; }
  check(`the touched game verifies to what the page told (${told[1]} points in ${told[0]} s: ${verified.trim()})`,
        new RegExp(`: ${told[1]} points in ${told[0]} s over \\d+ frames, as recorded$`, "m").test(verified));
  const errors = [(await cdp.send("Page.getInstallabilityErrors")).installabilityErrors, (await cdp.send("Page.getAppManifest")).errors];
  check(`chromium finds the page installable (${JSON.stringify(errors)})`, errors.flat().length === 0);
  await page.setViewport({ width: 820, height: 1180, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
  await later(300, () => laidOut("upright tablet title", "tablet-title.png"));
  await page.evaluate(() => navigator.serviceWorker.ready);

  const fetched = [];
  served.length = 0;
  await open(PHONE);
  page.on("response", (response) => /^http/.test(response.url()) && !response.fromServiceWorker() && fetched.push(response.url()));
  const again = await shows("native.png", 10000, PLAQUE);
  await sleep(1000);  // the browser's check for a new build, after the load
  const sent = served.map(([name, bytes, status]) => `${name} ${status} ${bytes} B`);
  check(`a second visit fetches nothing, the host sends no file (${fetched}; ${sent})`,
        again && !fetched.length && served.every(([, bytes]) => bytes === 0));
  await open(PHONE, true);
  const title = await shows("native.png", 10000, PLAQUE);
  // The start without the network: the first frame drawn once its own images were decoded, begun before the
  // program ran as the last visit's first frame needed them, and the others after it.
  const [frame, decoded, early] = await page.evaluate(() => {
    const [at, runtime] = ["first frame", "runtime"].map((name) => performance.getEntriesByName(`velquadro: ${name}`)[0].startTime);
    const before = performance.getEntriesByType("measure").filter((m) => /^velquadro: decoded/.test(m.name) && m.startTime + m.duration <= at);
    return [Math.round(at), before.map((m) => m.name.replace(/.*\//, "")), before.filter((m) => m.startTime < runtime).length];
  });
  check(`offline, the title's first frame ${frame} ms after navigation, with only ${decoded} of the 41 images decoded, ` +
        `${early} of them begun before the program ran`, frame < 1500 && decoded.length >= 1 && decoded.length <= 4 && early === decoded.length);
  const offline = await tap("Return").then(() => later(800, () => picture(page)));
  check("offline, the page draws the title, and a tap on Return starts a game", title && (await later(300, () => picture(page))) !== offline);
  // The music, kept by the service worker and decoded only as it plays, needs no network either.
  const offlineMusic = await tap("Music").then(() => until(async () => (await music()) > 0, 3000));
  check("offline, a tap on Music plays the music", offlineMusic);

  // A desktop without touch: no control of the phone's; the game the largest 4:3 that fits above the bar.
  for (const [width, height, want] of [[1920, 1080, 1400], [1000, 500, 625]]) {
    await open({ width, height });
    await page.waitForFunction(() => !document.getElementById("bar").hidden);
    const [controls, w, h, bar] = await page.evaluate(() => [
      [...document.querySelectorAll(".touch-key")].filter((b) => b.offsetParent).length, canvas.clientWidth,
      canvas.getBoundingClientRect().bottom, document.getElementById("bar").getBoundingClientRect().top]);
    check(`a ${width}x${height} desktop: ${controls} touch controls, the game ${w} wide above the bar (${h} <= ${bar})`,
          controls === 0 && Math.abs(w - want) < 2 && h <= bar + 0.5);
  }

  // A new build on the host, with a new program under new names: the visit that finds it plays the kept one, or
  // starts anew on the new one if it came before the program ran; the next visit runs the new program alone, and
  // the old names are kept no more.
  const change = (file, from, to) => fs.writeFileSync(path.join(web, file), fs.readFileSync(path.join(web, file), "utf8").replace(from, to));
  change("service_worker.js", /var BUILD = "([^"]*)"/, 'var BUILD = "$1-next"');
  change("index.html", "<title>", '<meta name="build" content="next"><title>');
  for (const name of fs.readdirSync(web).filter((name) => /^velquadro-[0-9a-f]+\.(js|wasm)$/.test(name))) {
    const renamed = name.replace(/-[0-9a-f]+\./, "-0000next.");
    fs.renameSync(path.join(web, name), path.join(web, renamed));
    if (name.endsWith(".js")) fs.appendFileSync(path.join(web, renamed), "\nwindow.vqNextProgram = true;\n");
    for (const file of ["index.html", "service_worker.js"]) change(file, name, renamed);
  }
  const visit = async (condition) => {
    await open(PHONE);
    await until(condition, 15000);
    return page.evaluate(async () => [document.querySelector('meta[name="build"]') ? "new" : "kept", window.vqNextProgram ? "new program" : "kept program",
      (await caches.keys()).join(" "), (await (await caches.open((await caches.keys())[0])).keys()).map((r) => r.url.replace(/.*\//, "")).filter((file) => /^velquadro-/.test(file)).join(" ")]);
  };
  const found = await visit(() => page.evaluate(async () => !!(await navigator.serviceWorker.getRegistration()).waiting));
  const next = await visit(() => page.evaluate(() => !!document.querySelector('meta[name="build"]') && !!window.Module.calledRun));
  const shown = await shows("native.png", 10000, PLAQUE);
  check(`a new build: the visit that finds it (${found}), the next on the new one alone, its title shown (${next})`,
        next[0] === "new" && next[1] === "new program" && /^\S+-next$/.test(next[2]) &&
        next[3] === "velquadro-0000next.js velquadro-0000next.wasm" && shown);
} finally {
  await chromium.close();
  server.close();
}
finish();
