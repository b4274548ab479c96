// The browser build in Debian's chromium (tools/measure/web.sh): the time
// from navigation to the first title frame on the canvas, and to the
// browser's paint after it, over fresh loads with the cache off; then the CPU
// a running game takes over the given seconds: of the page's main thread,
// where the program runs, of its renderer process (the page's drawing and
// compositing too) and of every chromium process together, as chromium
// itself counts them; then the same while the game is paused and draws
// nothing, the page's own floor.
// Usage: node web_page.mjs <dist/web> <loads> <seconds>
import { launch, picture, serve } from "../browser/chromium.mjs";

const [dist, loads, seconds] = process.argv.slice(2).map((a, i) => (i ? Number(a) : a));
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const { server, url } = await serve(dist);
const chromium = await launch();
try {
  const drawn = [], painted = [];
  for (let n = 0; n < loads; n++) {
    const page = await chromium.browser.newPage();
    await page.setCacheEnabled(false);
    await page.setViewport({ width: 1200, height: 900 });
    await page.evaluateOnNewDocument(() => {
      const draw = CanvasRenderingContext2D.prototype.drawImage;
      CanvasRenderingContext2D.prototype.drawImage = function (...args) {
        if (this.canvas.id === "canvas" && window.vqDrawn === undefined) {
          window.vqDrawn = performance.now();
          requestAnimationFrame(() => (window.vqPainted = performance.now()));
        }
        return draw.apply(this, args);
      };
    });
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

  const page = await chromium.browser.newPage();
  await page.setViewport({ width: 1200, height: 900 });
  await page.goto(url);
  await sleep(1500);
  await page.keyboard.down("Enter");
  await sleep(120);
  await page.keyboard.up("Enter");
  await sleep(500);
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
  console.log(`running game in the page${ran ? "" : " (IT DID NOT RUN)"}: ${running}`);
  // The page's floor: the same game paused draws nothing, and only looks at
  // the keys.
  await page.keyboard.down("Enter");
  await sleep(300);
  await page.keyboard.up("Enter");
  await sleep(500);
  console.log(`paused game in the page: ${await measure()}`);
} finally {
  await chromium.close();
  server.close();
}
