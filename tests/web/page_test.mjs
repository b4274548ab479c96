// The browser build in Debian's chromium, headless, as a player meets it: the
// page's title picture against the native program's, the canvas sharp at
// whole multiples of 800x600, Return starting a game that runs, a page that
// loses the focus pausing it, the game's replay verified by the desktop's
// --verify and downloaded, the records kept across a reload, a golden replay
// opened in the page ending on the native --replay's picture, and Quit.
// Usage: node page_test.mjs <folder of native.png and native_replay.png> <dist/web> <velquadro> <replay>
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { launch, picture, serve } from "../../tools/browser/chromium.mjs";
import { check, finish, press as pressOn, sleep, until } from "./checks.mjs";

const [shots, dist, velquadro, replay] = process.argv.slice(2);
const TOLERANCE = 12; // as tests/e2e/game_screen.py: blending rounds a little differently

const { server, url } = await serve(dist);
const chromium = await launch();
try {
  const page = await chromium.browser.newPage();
  const first = page;
  page.on("pageerror", (error) => console.log(`page error: ${error.message}`));
  await page.setViewport({ width: 1200, height: 900 });
  await page.goto(url);
  // Held for two frames; an arrow on the title acts at each 100 ms tick it is
  // held over, so it is only tapped.
  const press = (key, ms) => pressOn(page, key, ms);

  // The canvas as the page shows it, against a native screenshot: the pixels
  // of the rows from `top` down that differ by more than TOLERANCE, those of
  // them outside `box` ([x0, y0, x1, y1]), and the scale x scale squares that
  // are not of one colour.
  async function compare(native, scale, top = 0, box = [0, 0, 0, 0], page = first) {
    const at = await page.$eval("#canvas", (c) => { const r = c.getBoundingClientRect(); return [r.x, r.y, r.width, r.height]; });
    const shot = await page.screenshot({ clip: { x: at[0], y: at[1], width: at[2], height: at[3] }, encoding: "base64" });
    const want = fs.readFileSync(path.join(shots, native)).toString("base64");
    return page.evaluate(async (shot, want, scale, top, box, tolerance) => {
      const pixels = async (png) => {
        const image = new Image();
        image.src = `data:image/png;base64,${png}`;
        await image.decode();
        const canvas = new OffscreenCanvas(image.width, image.height);
        canvas.getContext("2d").drawImage(image, 0, 0);
        return canvas.getContext("2d").getImageData(0, 0, image.width, image.height);
      };
      const big = await pixels(shot), small = (await pixels(want)).data, data = big.data;
      let differing = 0, outside = 0, blurred = 0;
      for (let y = top; y < 600; y++) {
        for (let x = 0; x < 800; x++) {
          const at = (y * scale * big.width + x * scale) * 4, n = (y * 800 + x) * 4;
          let most = 0;
          for (let c = 0; c < 3; c++) most = Math.max(most, Math.abs(data[at + c] - small[n + c]));
          if (most > tolerance) {
            differing++;
            if (x < box[0] || x >= box[2] || y < box[1] || y >= box[3]) outside++;
          }
          for (let d = 0, odd = false; d < scale * scale && !odd; d++) {
            const sub = at + (Math.floor(d / scale) * big.width + (d % scale)) * 4;
            for (let c = 0; c < 3; c++) odd ||= data[sub + c] !== data[at + c];
            if (odd) blurred++;
          }
        }
      }
      return { differing, outside, blurred, width: big.width, height: big.height };
    }, shot, want, scale, top, box, TOLERANCE);
  }

  let title = {};
  await until(async () => (title = await compare("native.png", 1)).differing === 0, 5000);
  check(`the title in a 1200x900 page is the native title at 1x (${title.width}x${title.height}, ${title.differing} pixels differ)`,
        title.width === 800 && title.height === 600 && title.differing === 0);
  // A first visit, with no list kept of the first frame's images: each decoded as the program loads it, the title's
  // alone before the first frame, every other one after it.
  const decodedAll = await until(() => page.evaluate(() => performance.getEntriesByName("velquadro: every image").length > 0), 5000);
  const [images, beforeFrame] = await page.evaluate(() => {
    const decoded = performance.getEntriesByType("measure").filter((m) => /^velquadro: decoded/.test(m.name));
    const frame = performance.getEntriesByName("velquadro: first frame")[0].startTime;
    return [decoded.length, decoded.filter((m) => m.startTime + m.duration <= frame).length];
  });
  check(`a first visit decodes ${beforeFrame} images before its first frame, all ${images} by a moment after it`,
        decodedAll && images === 41 && beforeFrame >= 1 && beforeFrame <= 4);
  await page.setViewport({ width: 1700, height: 1300 });
  await sleep(200);
  const double = await compare("native.png", 2);
  check(`in a 1700x1300 page the title is 2x, each pixel a sharp 2x2 square (${double.width}x${double.height}, ` +
        `${double.differing} differ, ${double.blurred} not square)`,
        double.width === 1600 && double.height === 1200 && double.differing === 0 && double.blurred === 0);
  await page.setViewport({ width: 1200, height: 900 });

  const titlePicture = await picture(page);
  await press("Enter");
  const seen = new Set();
  for (let i = 0; i < 8; i++) {
    await sleep(250);
    seen.add(await picture(page));
  }
  check(`Return starts a game that runs (${seen.size} pictures in 2 s, the title ${seen.has(titlePicture) ? "among them" : "gone"})`,
        seen.size >= 6 && !seen.has(titlePicture));
  await page.evaluate(() => window.dispatchEvent(new Event("blur")));
  await sleep(400);
  const paused = await picture(page);
  await sleep(1500);
  check("a page that lost the focus pauses the game: the same picture for 1.5 s", (await picture(page)) === paused);
  await press("Enter");
  await sleep(500);
  check("Return goes on with the game", (await picture(page)) !== paused);
  // M: the first key press is the player's leave to play sound; F: the
  // page's full screen. Each again: off.
  const music = () => page.evaluate(() => (SDL.music.audio ? SDL.music.audio.currentTime : -1));
  await press("m");
  const started = await music();
  await sleep(600);
  check(`M plays the music (at ${started.toFixed(2)} s, then ${(await music()).toFixed(2)} s)`, (await music()) > started);
  await press("m");
  check("M again stops it", (await music()) === -1);
  const full = () => page.evaluate(() => (document.fullscreenElement ? document.fullscreenElement.id : ""));
  await press("f");
  check("F puts the game in full screen", await until(async () => (await full()) === "screen", 2000));
  await sleep(200);  // a frame sees F up: the next press is another one
  await press("f");
  check("F again leaves it", await until(async () => (await full()) === "", 2000));
  await press("Escape");
  await sleep(1500);
  await press("Enter");
  await sleep(800);

  // The game's replay, as the page keeps it: the desktop plays it to its
  // result, and the page's button downloads it byte for byte.
  const kept = Buffer.from(await page.evaluate(() => Array.from(Module.FS.readFile("/data/velquadro/last.vqreplay"))));
  const played = path.join(shots, "played.vqreplay");
  fs.writeFileSync(played, kept);
  let verified = "";
  try {
    verified = execFileSync(velquadro, ["--verify", played], { encoding: "utf8" });
  } catch (error) {
    verified = `status ${error.status}: ${error.stderr}`;
  }
  check(`the page's game verifies with the desktop's --verify (${verified.trim()})`, /as recorded$/m.test(verified));
  const downloads = path.join(shots, "downloads");
  const session = await page.createCDPSession();
  await session.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  await page.click("#last");
  const downloaded = path.join(downloads, "velquadro-last.vqreplay");
  await until(() => fs.existsSync(downloaded), 3000);
  check("Last game downloads that replay", fs.existsSync(downloaded) && fs.readFileSync(downloaded).equals(kept));

  // The records outlive the page: after a reload the title shows the best
  // on its plaque (280, 282 to 520, 316), and differs nowhere else.
  await page.reload();
  let best = {};
  await until(async () => (best = await compare("native.png", 1, 0, [280, 282, 520, 316])).differing > 0 && best.outside === 0, 5000);
  check(`after a reload the title shows the kept best (${best.differing} pixels on the plaque, ${best.outside} elsewhere)`,
        best.differing > 0 && best.outside === 0);

  // A golden replay opened with the page's file input plays on the title and
  // ends on the native --replay's last picture, below the result's plaque.
  const input = await page.$("#file");
  await input.uploadFile(replay);
  let end = {};
  const ended = await until(async () => (end = await compare("native_replay.png", 1, 124)).differing === 0, 30000);
  check(`a golden replay opened in the page ends as the native --replay does (${end.differing} pixels differ)`, ended);
  await press("Enter");
  await sleep(800);

  // Quit (Up from Play) leaves a page that says the game has ended.
  await press("ArrowUp", 40);
  await sleep(300);
  await press("Enter");
  await sleep(500);
  const bye = await page.evaluate(() => [document.getElementById("screen").getBoundingClientRect().height,
                                         document.getElementById("message").innerText]);
  check(`Quit: the page says the game has ended, with a way to start again (${JSON.stringify(bye)})`,
        bye[0] === 0 && /has ended/.test(bye[1]) && /Play again/.test(bye[1]));
  // A browser that keeps no storage for the page (a private window, a full
  // quota): one line in the console says so, and the game plays all the same.
  const bare = await chromium.browser.newPage();
  const said = [];
  bare.on("console", (message) => said.push(message.text()));
  await bare.evaluateOnNewDocument(() => Object.defineProperty(window, "indexedDB", { get: () => undefined }));
  await bare.goto(url);
  await sleep(1500);
  await bare.keyboard.down("Enter");
  await sleep(120);
  await bare.keyboard.up("Enter");
  const shown = await picture(bare);
  await sleep(500);
  const storage = said.find((line) => /^velquadro: .*storage/.test(line));
  check(`without the browser's storage the game plays (${storage})`, storage && (await picture(bare)) !== shown);
  await bare.close();

  // Images decoded late, each held back 100 ms, and a wrong list of the first frame's images kept by a visit: the
  // title waits for its own and is the native title (with the kept best), a game started at once waits for the
  // others and runs. Images that cannot be decoded: the program names the first it could not load and ends.
  const late = await chromium.browser.newPage();
  await late.setViewport({ width: 1200, height: 900 });
  const lateSaid = [];
  late.on("console", (message) => lateSaid.push(message.text()));
  await late.evaluateOnNewDocument(() => {
    localStorage.setItem("velquadro-first-images", JSON.stringify(["/gfx/5/bg.png", "/gfx/none.png", 7, "/installed"]));
    const decode = window.createImageBitmap;
    window.createImageBitmap = (...args) => new Promise((held) => setTimeout(held, 100)).then(() => decode(...args));
  });
  await late.goto(url);
  let waited = {};
  const drawn = await until(async () => (waited = await compare("native.png", 1, 0, [280, 282, 520, 316], late)).outside === 0, 10000);
  await pressOn(late, "Enter");
  const game = await until(async () => (await late.evaluate(() => document.body.dataset.screen)) === "game", 5000);
  const running = new Set();
  for (let i = 0; i < 6; i++) running.add(await sleep(250).then(() => picture(late)));
  check(`images decoded late: the native title (${waited.outside} pixels off the plaque), then a game that runs ` +
        `(${running.size} pictures in 1.5 s)${lateSaid.filter((line) => /Cannot/.test(line)).join(" ")}`,
        drawn && game && running.size >= 4 && !lateSaid.some((line) => /Cannot/.test(line)));
  await late.close();
  const broken = await chromium.browser.newPage();
  await broken.evaluateOnNewDocument(() => { window.createImageBitmap = () => Promise.reject(new Error("no decoder")); });
  await broken.goto(url);
  const stopped = () => broken.evaluate(() => document.getElementById("status").textContent);
  const ends = await until(async () => /^Velquadro stopped: Cannot load image gfx\/title.png/.test(await stopped()), 10000);
  check(`images that cannot be decoded: the page says why the program stopped ("${await stopped()}")`, ends);
  await broken.close();
} finally {
  await chromium.close();
  server.close();
}
finish();
