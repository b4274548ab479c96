// The browser build in Debian's chromium, headless, driven by puppeteer-core
// (no browser of its own): the page's title picture against the native
// program's, the canvas sharp at whole multiples of 800x600, Return starting
// a game that runs, and a page that loses the focus pausing it.
// Usage: node page_test.mjs <native-title.png> <dist/web>
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";

const [nativePng, dist] = process.argv.slice(2);
const TOLERANCE = 12; // as tests/e2e/game_screen.py: blending rounds a little differently
let passes = 0;
let failures = 0;
function check(what, ok) {
  if (ok) passes++;
  else failures++;
  console.log(`${ok ? "ok" : "FAILED"}: ${what}`);
}
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// dist/web served on loopback as a static host would, .wasm as application/wasm.
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".png": "image/png" };
const server = http.createServer((request, response) => {
  const name = new URL(request.url, "http://host").pathname.replace(/^\/$/, "/index.html");
  fs.readFile(path.join(dist, path.normalize(name)), (error, data) => {
    if (error) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { "Content-Type": types[path.extname(name)] || "application/octet-stream" });
    response.end(data);
  });
});
await new Promise((listening) => server.listen(0, "127.0.0.1", listening));
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "vq_chromium_"));
const browser = await puppeteer.launch({
  executablePath: "/usr/bin/chromium",
  headless: true,
  userDataDir: profile,
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync"],
});
try {
  const page = await browser.newPage();
  page.on("pageerror", (error) => console.log(`page error: ${error.message}`));
  await page.setViewport({ width: 1200, height: 900 });
  // When the first picture reached the canvas, and the browser's next paint.
  await page.evaluateOnNewDocument(() => {
    const draw = CanvasRenderingContext2D.prototype.drawImage;
    CanvasRenderingContext2D.prototype.drawImage = function (...args) {
      if (this.canvas.id === "canvas" && window.vqFirstDraw === undefined) {
        window.vqFirstDraw = performance.now();
        requestAnimationFrame(() => (window.vqFirstPaint = performance.now()));
      }
      return draw.apply(this, args);
    };
  });
  await page.goto(`http://127.0.0.1:${server.address().port}/`);

  // The pixels of a PNG, read by the browser itself.
  const native = `data:image/png;base64,${fs.readFileSync(nativePng).toString("base64")}`;
  await page.evaluate(async (url) => {
    const image = new Image();
    image.src = url;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext("2d");
    context.drawImage(image, 0, 0);
    window.vqNative = context.getImageData(0, 0, image.width, image.height);
  }, native);
  // What the page shows of the canvas, as a screenshot: pixels differing from
  // the native title by more than TOLERANCE, or whether each scale x scale
  // square is of one colour.
  async function shown() {
    const box = await page.$eval("#canvas", (c) => { const r = c.getBoundingClientRect(); return [r.x, r.y, r.width, r.height]; });
    const shot = await page.screenshot({ clip: { x: box[0], y: box[1], width: box[2], height: box[3] }, encoding: "base64" });
    return { box, shot };
  }
  async function compare({ shot }, scale) {
    return page.evaluate(async (url, scale, tolerance) => {
      const image = new Image();
      image.src = url;
      await image.decode();
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext("2d");
      context.drawImage(image, 0, 0);
      const big = context.getImageData(0, 0, image.width, image.height).data;
      const want = window.vqNative.data;
      let differing = 0, blurred = 0;
      for (let y = 0; y < 600; y++) {
        for (let x = 0; x < 800; x++) {
          const at = (y * scale * image.width + x * scale) * 4, n = (y * 800 + x) * 4;
          let most = 0;
          for (let c = 0; c < 3; c++) most = Math.max(most, Math.abs(big[at + c] - want[n + c]));
          if (most > tolerance) differing++;
          for (let dy = 0; dy < scale; dy++)
            for (let dx = 0; dx < scale; dx++)
              for (let c = 0; c < 3; c++) if (big[at + (dy * image.width + dx) * 4 + c] !== big[at + c]) { blurred++; dy = dx = scale; break; }
        }
      }
      return { differing, blurred, width: image.width, height: image.height };
    }, `data:image/png;base64,${shot}`, scale, TOLERANCE);
  }
  let title = { differing: -1 };
  for (let tries = 0; tries < 50; tries++) {
    title = await compare(await shown(), 1);
    if (title.width === 800 && title.differing === 0) break;
    await sleep(100);
  }
  check(`the title in a 1200x900 page is the native title at 1x (${title.width}x${title.height}, ${title.differing} pixels differ)`,
        title.width === 800 && title.height === 600 && title.differing === 0);
  const times = await page.evaluate(() => [window.vqFirstDraw, window.vqFirstPaint]);
  console.log(`first title frame: drawn ${Math.round(times[0])} ms, painted ${Math.round(times[1])} ms after navigation`);

  await page.setViewport({ width: 1700, height: 1300 });
  await sleep(200);
  const double = await compare(await shown(), 2);
  check(`in a 1700x1300 page the title is 2x, each pixel a sharp 2x2 square (${double.width}x${double.height}, ` +
        `${double.differing} differ, ${double.blurred} not square)`,
        double.width === 1600 && double.height === 1200 && double.differing === 0 && double.blurred === 0);
  await page.setViewport({ width: 1200, height: 900 });

  // A fingerprint of the canvas as the game last drew it.
  const picture = () => page.evaluate(() => {
    const data = document.getElementById("canvas").getContext("2d").getImageData(0, 0, 800, 600).data;
    let hash = 0;
    for (let i = 0; i < data.length; i += 4) hash = (Math.imul(hash, 31) + data[i] + (data[i + 1] << 8) + (data[i + 2] << 16)) | 0;
    return hash;
  });
  const press = async (key) => { await page.keyboard.down(key); await sleep(120); await page.keyboard.up(key); };
  const titlePicture = await picture();
  await press("Enter");
  const seen = new Set();
  for (let i = 0; i < 8; i++) {
    await sleep(250);
    seen.add(await picture());
  }
  check(`Return starts a game that runs (${seen.size} pictures in 2 s, the title ${seen.has(titlePicture) ? "among them" : "gone"})`,
        seen.size >= 6 && !seen.has(titlePicture));

  await page.evaluate(() => window.dispatchEvent(new Event("blur")));
  await sleep(400);
  const paused = await picture();
  await sleep(1500);
  check("a page that lost the focus pauses the game: the same picture for 1.5 s", (await picture()) === paused);
  await press("Enter");
  await sleep(500);
  check("Return goes on with the game", (await picture()) !== paused);

  // Escape ends the game, Return leaves its end, and Quit (Up from Play)
  // leaves a page that says the game has ended, not its last picture.
  await press("Escape");
  await sleep(2500);
  await press("Enter");
  await sleep(500);
  await press("ArrowUp");
  await sleep(300);
  await press("Enter");
  await sleep(500);
  const ended = await page.evaluate(() => [document.getElementById("screen").getBoundingClientRect().height,
                                           document.getElementById("message").innerText]);
  check(`Escape, Return, Quit: the page says the game has ended (${JSON.stringify(ended)})`,
        ended[0] === 0 && /has ended/.test(ended[1]) && /Play again/.test(ended[1]));
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
console.log(`${passes} passed, ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
