// The browser build in Debian's chromium (tools/measure/web.sh): the time
// from navigation to the first title frame on the canvas, and to the
// browser's paint after it, over fresh loads with the cache off; then the CPU
// a running game takes over the given seconds: of the page's main thread,
// where the program runs, of its renderer process (the page's drawing and
// compositing too) and of every chromium process together, as chromium
// itself counts them, in a desktop's 1200x900 page and a phone's 390x844,
// and the same while the game is paused and draws nothing, the page's own
// floor; then a second visit, as the service worker keeps the page: the bytes the
// host sent for it, and the first title frame with the network off.
// Usage: node web_page.mjs <dist/web> <loads> <seconds>
import { launch, picture, serve } from "../browser/chromium.mjs";

const [dist, loads, seconds] = process.argv.slice(2).map((a, i) => (i ? Number(a) : a));
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const { server, url, served } = await serve(dist);
const chromium = await launch();
try {
  const drawn = [], painted = [];
  for (let n = 0; n < loads; n++) {
    const page = await chromium.browser.newPage();
    await page.setCacheEnabled(false);
    // A first visit each time: the service worker's keeping is for later.
    await (await page.createCDPSession()).send("Network.setBypassServiceWorker", { bypass: true });
    await page.setViewport({ width: 1200, height: 900 });
    await page.evaluateOnNewDocument(firstFrame);
    await page.goto(url);
    await page.waitForFunction(() => window.vqPainted !== undefined, { timeout: 10000 });
    const [d, p] = await page.evaluate(() => [window.vqDrawn, window.vqPainted]);
    drawn.push(Math.round(d));
    painted.push(Math.round(p));
    await page.close();
  }
  const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];
  console.log(`first title frame after navigation: drawn ${drawn.join(", ")} ms, painted ${painted.join(", ")} ms ` +
              `(medians ${median(drawn)} and ${median(painted)} ms)`);

  for (const [name, viewport] of [["a desktop's 1200x900 page", { width: 1200, height: 900 }],
                                  ["a phone's 390x844 page", { width: 390, height: 844, deviceScaleFactor: 3,
                                                               isMobile: true, hasTouch: true }]]) {
    await gameCpu(name, viewport);
  }

  // The second visit: every file from the service worker's keeping, the
  // host asked for the worker alone (the browser's check for a new build).
  const first = await chromium.browser.newPage();
  await first.goto(url);
  await first.evaluate(() => navigator.serviceWorker.ready);
  await first.close();
  await sleep(3000);  // the first visit's own check for a new build comes after its load
  served.length = 0;
  const second = await chromium.browser.newPage();
  await second.goto(url);
  await sleep(3000);
  await second.close();
  console.log(`a second visit of the same build: the host sent ${served.reduce((sum, [, bytes]) => sum + bytes, 0)} bytes ` +
              `(${served.map(([name, bytes]) => `${name} ${bytes} B`).join(", ") || "nothing"})`);
  const times = [], starts = [];
  for (let n = 0; n < loads; n++) {
    const page = await chromium.browser.newPage();
    await page.setOfflineMode(true);
    await page.evaluateOnNewDocument(firstFrame);
    await page.evaluateOnNewDocument(programStart);
    await page.goto(url);
    await page.waitForFunction(() => window.vqPainted !== undefined, { timeout: 10000 });
    const [painted, from, to] = await page.evaluate(() => [window.vqPainted, window.vqLoading, window.vqStarted]);
    times.push(Math.round(painted));
    starts.push(`${Math.round(from)} to ${Math.round(to)}`);
    await page.close();
  }
  console.log(`first title frame of a later visit with the network off, to its paint: ${times.join(", ")} ms ` +
              `(median ${median(times)} ms); the program's files unpacked and its images decoded from ${starts.join(", ")} ms`);
} finally {
  await chromium.close();
  server.close();
}

// The time of the first drawing on the canvas, and of the paint after it.
function firstFrame() {
  const draw = CanvasRenderingContext2D.prototype.drawImage;
  CanvasRenderingContext2D.prototype.drawImage = function (...args) {
    if (this.canvas.id === "canvas" && window.vqDrawn === undefined) {
      window.vqDrawn = performance.now();
      requestAnimationFrame(() => (window.vqPainted = performance.now()));
    }
    return draw.apply(this, args);
  };
}

// When the program began to unpack its files (its first wait for one) and
// when it started, as emscripten tells the page's Module.
function programStart() {
  let module;
  Object.defineProperty(window, "Module", { configurable: true, get: () => module, set: (value) => {
    module = value;
    module.monitorRunDependencies = (left) => { if (left > 1 && window.vqLoading === undefined) window.vqLoading = performance.now(); };
    const started = module.onRuntimeInitialized;
    module.onRuntimeInitialized = function () { window.vqStarted = performance.now(); return started && started.apply(this, arguments); };
  } });
}

// The CPU of a game running in a page of the viewport given, and paused.
async function gameCpu(name, viewport) {
  const page = await chromium.browser.newPage();
  await page.setViewport(viewport);
  await page.goto(url);
  await sleep(1500);
  const tap = async () => {
    await page.keyboard.down("Enter");
    await sleep(120);
    await page.keyboard.up("Enter");
    await sleep(500);
  };
  await tap();
  const before = await picture(page);
  const session = await chromium.browser.target().createCDPSession();
  const cpu = async () => (await session.send("SystemInfo.getProcessInfo")).processInfo;
  const metrics = await page.createCDPSession();
  await metrics.send("Performance.enable");
  const main = async () =>
    (await metrics.send("Performance.getMetrics")).metrics.find((m) => m.name === "TaskDuration").value;
  // The CPU over the given seconds, as "main thread x%, renderer y%, ...".
  const measure = async () => {
    const [start, main_start] = [await cpu(), await main()];
    await sleep(seconds * 1000);
    const [end, main_end] = [await cpu(), await main()];
    const used = (type) => end.filter((p) => !type || p.type === type).reduce((sum, p) => sum + p.cpuTime, 0) -
                           start.filter((p) => !type || p.type === type).reduce((sum, p) => sum + p.cpuTime, 0);
    const share = (s) => ((100 * s) / seconds).toFixed(1);
    return `main thread ${share(main_end - main_start)}%, renderer ${share(used("renderer"))}%, ` +
           `all of chromium ${share(used())}% of one core over ${seconds} s`;
  };
  const running = await measure();
  const ran = (await picture(page)) !== before;
  console.log(`running game in ${name}${ran ? "" : " (IT DID NOT RUN)"}: ${running}`);
  await tap();  // paused: nothing drawn, only the keys looked at
  console.log(`paused game in ${name}: ${await measure()}`);
  await page.close();
}
