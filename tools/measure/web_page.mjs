// The browser build in Debian's chromium (tools/measure/web.sh): the time
// from navigation to the first title frame on the canvas, and to the
// browser's paint after it, over fresh loads with the cache off; then the CPU
// a running game takes over the given seconds: of the page's main thread,
// where the program runs, of its renderer process (the page's drawing and
// compositing too) and of every chromium process together, as chromium
// itself counts them, in a desktop's 1200x900 page and a phone's 390x844,
// and the same while the game is paused and draws nothing, the page's own
// floor; then a second visit, as the service worker keeps the page: what the
// host sent for it, and the first title frame with the network off, each step
// of the navigation through the service worker (its Navigation Timing) and of
// the program's start (the page's performance marks) and, beside it, the
// browser's own floors: a page of a few lines that draws once on a canvas,
// served by the host, and the same page kept by a worker of two lines and
// visited offline as the game's page is.
// Other builds' folders after the seconds have their offline start measured
// too, each visit in turn with the first build's, to set two builds side by
// side on a machine whose load changes.
// Usage: node web_page.mjs <dist/web> <loads> <seconds> [<other dist/web>...]
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { launch, picture, serve } from "../browser/chromium.mjs";

const [dist, loads, seconds] = process.argv.slice(2).map((a, i) => (i ? Number(a) : a));
const others = process.argv.slice(5);
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

  // The second visit: every file from the service worker's keeping; the host
  // asked only whether the worker changed (the browser's check for a new
  // build), which a host with validators answers 304, without the file.
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
              `(${served.map(([name, bytes, status]) => `${name} ${status}, ${bytes} B`).join("; ") || "nothing"})`);

  // Offline, each visit finding the worker stopped, as a visit some time
  // after the last does; beside each, the floor's page, and the same page
  // kept by a worker of two lines and visited as the game's page is: the
  // floor of any page the browser starts offline from a worker's keeping.
  const floorPage = "<!doctype html><canvas id=canvas width=800 height=600></canvas>" +
                    "<script>canvas.getContext('2d').drawImage(new OffscreenCanvas(8, 8), 0, 0)</script>";
  const floor = fs.mkdtempSync(path.join(os.tmpdir(), "vq_floor_"));
  fs.writeFileSync(path.join(floor, "index.html"), floorPage);
  const floorSite = await serve(floor);
  const keptFloor = fs.mkdtempSync(path.join(os.tmpdir(), "vq_kept_floor_"));
  fs.writeFileSync(path.join(keptFloor, "index.html"), floorPage + "<script>navigator.serviceWorker.register('service_worker.js')</script>");
  fs.writeFileSync(path.join(keptFloor, "service_worker.js"),
                   "addEventListener('install', (e) => e.waitUntil(caches.open('floor').then((c) => c.add('./'))));\n" +
                   "addEventListener('fetch', (e) => e.respondWith(caches.match(e.request).then((r) => r || fetch(e.request))));\n");
  const keptFloorSite = await serve(keptFloor);
  const builds = [{ dist, url, steps: {} }];
  const floors = [], keptFloors = [];
  try {
    const keeping = await chromium.browser.newPage();
    await keeping.goto(keptFloorSite.url);
    await keeping.evaluate(() => navigator.serviceWorker.ready);
    await keeping.close();
    for (const other of others) {
      const site = await serve(other);
      const visit = await chromium.browser.newPage();
      await visit.goto(site.url);
      await visit.evaluate(() => navigator.serviceWorker.ready);
      await visit.close();
      builds.push({ dist: other, url: site.url, server: site.server, steps: {} });
    }
    // A page visited once it painted: offline, its worker stopped, or
    // served by the host.
    const visit = async (url, offline = true) => {
      const page = await chromium.browser.newPage();
      if (offline) {
        const workers = await page.createCDPSession();
        await workers.send("ServiceWorker.enable");
        await workers.send("ServiceWorker.stopAllWorkers");
        await page.setOfflineMode(true);
      }
      await page.evaluateOnNewDocument(firstFrame);
      await page.goto(url);
      await page.waitForFunction(() => window.vqPainted !== undefined, { timeout: 10000 });
      return page;
    };
    for (let n = 0; n < loads; n++) for (const { url, steps } of builds) {
      const page = await visit(url);
      // The navigation's own steps first: the worker started for the visit,
      // the page's request handed to it once it runs, its answer.
      const marks = await page.evaluate(() => {
        const navigation = performance.getEntriesByType("navigation")[0];
        return Object.fromEntries([["worker", navigation.workerStart], ["asked", navigation.fetchStart],
                                   ["answered", navigation.responseStart]].concat(performance.getEntriesByType("mark")
          .filter((mark) => /^velquadro: (downloaded|program|runtime|first frame)$/.test(mark.name))
          .map((mark) => [mark.name.slice(11), mark.startTime]), [["painted", window.vqPainted]]));
      });
      for (const [step, at] of Object.entries(marks)) (steps[step] = steps[step] || []).push(Math.round(at));
      await page.close();
      if (url !== builds[0].url) continue;
      for (const [site, offline, painted] of [[floorSite, false, floors], [keptFloorSite, true, keptFloors]]) {
        const shown = await visit(site.url, offline);
        painted.push(Math.round(await shown.evaluate(() => window.vqPainted)));
        await shown.close();
      }
    }
  } finally {
    for (const build of builds) if (build.server) build.server.close();
    for (const site of [floorSite, keptFloorSite]) site.server.close();
    for (const folder of [floor, keptFloor]) fs.rmSync(folder, { recursive: true, force: true });
  }
  const stepsOf = ({ steps }) => Object.entries(steps).map(([step, at]) => `${step} ${median(at)}`).join(", ");
  for (const build of builds.slice(1)) {
    console.log(`${build.dist}, in turn: offline, first title frame painted at ${build.steps.painted.join(", ")} ms; ` +
                `medians: ${stepsOf(build)} ms`);
  }
  console.log(`the steps of a later visit's start with the network off, medians: ${stepsOf(builds[0])} ms after ` +
              `navigation; the browser's floor (a page that draws once on a canvas) painted at ${floors.join(", ")} ms ` +
              `(median ${median(floors)}); kept by a worker and visited offline, as the game's page is, at ` +
              `${keptFloors.join(", ")} ms (median ${median(keptFloors)})`);
  console.log(`first title frame of a later visit with the network off, to its paint: ${builds[0].steps.painted.join(", ")} ms ` +
              `(median ${median(builds[0].steps.painted)} ms)`);
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
