// What the page keeps and tells, in Debian's chromium with fresh profiles, each failure made here: a slow line, a
// download aborted, storage that never answers or refuses writes, two tabs ending together (five times, both taking
// keys), a tab brought back to the front, bad files to watch, the keyboard shared, a pause and a watch said.
// Usage: node page_cases.mjs <work folder> <dist/web> <velquadro> <replay>
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { launch, picture, serve } from "../../tools/browser/chromium.mjs";
import { check, finish, press, sleep, until } from "./checks.mjs";

const [work, dist, velquadro, replay] = process.argv.slice(2).map((arg) => path.resolve(arg));
const text = (page, id) => page.$eval(`#${id}`, (element) => element.textContent).catch(() => "");
const running = (page) => page.evaluate(() => !document.getElementById("bar").hidden);
const inMemory = (page, name) => page.evaluate((name) => { try { return Module.FS.readFile(`/data/velquadro/${name}`).length; } catch { return 0; } }, name);
// Keys pressed one after another, each followed by its wait; a game of about `ms`, ended, back on the title.
async function keys(page, steps) { for (const [key, wait, ms] of steps) { await press(page, key, ms); await sleep(wait); } }
const playAGame = (page, ms = 800) => keys(page, [["Enter", ms], ["Escape", 1500], ["Enter", 600]]);
// The files the page's storage holds: text for records and hiscore, bytes for replays.
const stored = (page) => page.evaluate(() => new Promise((done) => {
  const request = indexedDB.open("/data", 21);
  request.onsuccess = () => {
    const store = request.result.transaction(["FILE_DATA"]).objectStore("FILE_DATA"), keys = store.getAllKeys(), values = store.getAll();
    values.onsuccess = () => {
      const files = {};
      keys.result.forEach((key, n) => { const bytes = values.result[n].contents; if (bytes) files[key.slice(16)] = /replay$/.test(key) ? Array.from(bytes) : new TextDecoder().decode(bytes); });
      request.result.close();
      done(files);
    };
  };
}));
const untimed = (records) => (records || "").split("\n").filter((line) => /^0 /.test(line)).map((line) => line.split(" ").slice(1, 3).map(Number));
function verify(file) {  // the desktop's --verify: [score, seconds], or the reason it gives
  try {
    const reached = /: (\d+) points in (\d+) s/.exec(execFileSync(velquadro, ["--verify", path.basename(file)], { cwd: path.dirname(file), encoding: "utf8", stdio: "pipe" }));
    return [Number(reached[1]), Number(reached[2])];
  } catch (error) {
    return error.stderr.trim().replace(`velquadro: ${path.basename(file)} `, "");
  }
}
async function open(before, page) {  // a page running, `before` run ahead of its own script
  page = page || (await chromium.browser.newPage());
  await page.setViewport({ width: 1200, height: 900 });
  if (before) await page.evaluateOnNewDocument(before);
  await page.goto(url);
  await until(() => running(page), 15000);
  await sleep(300);  // the title drawn
  return page;
}
async function fresh() { if (chromium) await chromium.close(); chromium = await launch(); }

const { server, url } = await serve(dist);
// The program's files, named by their contents (tools/web).
const programFiles = fs.readdirSync(dist).filter((name) => /^velquadro-[0-9a-f]+\.(js|wasm)$/.test(name));
let chromium;
try {
  await fresh();
  let page = await chromium.browser.newPage();
  // Slow enough that the start's 0.3 MB take some 2 s: at 600 KB/s a full run once saw two figures only.
  const network = await page.createCDPSession();
  await network.send("Network.emulateNetworkConditions", { offline: false, latency: 20, downloadThroughput: 150 * 1024, uploadThroughput: 150 * 1024 });
  const said = new Set();
  page.goto(url);
  await until(async () => said.add(await text(page, "status")) && running(page), 20000);
  const total = (programFiles.reduce((sum, name) => sum + fs.statSync(path.join(dist, name)).size, 0) / 1048576).toFixed(1);
  const figures = [...said].map((line) => /^Loading… (\d+\.\d) of (\d+\.\d) MB$/.exec(line)).filter((figure) => figure && figure[2] === total);
  check(`on a slow line loading says how many of the ${total} MB came (${[...said].slice(0, 3).join(" | ")}…)`,
        figures.length >= 3 && Number(figures[0][1]) < Number(figures[figures.length - 1][1]));
  for (const name of programFiles) {
    page = await chromium.browser.newPage();
    await page.setBypassServiceWorker(true);  // a first visit: the service worker keeps nothing yet
    await page.setRequestInterception(true);
    let aborted = 0;
    page.on("request", (request) => (request.url().endsWith(name) && !aborted++ ? request.abort("failed") : request.continue()));
    page.goto(url);
    const offered = await until(async () => !(await page.$eval("#again", (button) => button.hidden)), 10000);
    const [status, button] = [await text(page, "status"), await text(page, "again")];
    if (offered) await page.click("#again");
    check(`a failed ${name} is named with a way to try again ("${status}", "${button}"), which plays`,
          status.includes(name) && button === "Try again" && (await until(() => running(page), 15000)));
  }
  // A kept page, which runs the script by its address and waits for the WebAssembly, whose worker lost one of the
  // program's files while the host lacks it too: the file named, and Try again, once the host has it, plays.
  const host = path.join(work, "kept");
  fs.cpSync(dist, host, { recursive: true });
  const site = await serve(host);
  for (const name of programFiles) {
    page = await chromium.browser.newPage();
    await page.goto(site.url);
    await until(() => running(page), 15000);
    await page.evaluate(async (name) => {
      await navigator.serviceWorker.ready;  // kept whole, before one file goes
      for (const key of await caches.keys()) await (await caches.open(key)).delete(name);
    }, name);
    fs.renameSync(path.join(host, name), path.join(host, `${name}.away`));
    page.reload();
    const offered = await until(async () => !(await page.$eval("#again", (button) => button.hidden)), 10000);
    const [status, kept] = [await text(page, "status"), await page.evaluate(() => !!navigator.serviceWorker.controller)];
    fs.renameSync(path.join(host, `${name}.away`), path.join(host, name));
    if (offered) await page.click("#again");
    check(`a kept page whose ${name} is lost names it ("${status}"), and Try again plays once the host has it`,
          kept && status === `${name} could not be downloaded (the server answered 404 Not Found).` && (await until(() => running(page), 15000)));
    await page.close();
  }
  site.server.close();

  page = await open(() => { IDBFactory.prototype.open = () => ({}); });
  const silent = await text(page, "silent");
  await playAGame(page);
  check(`storage that never answers: the game plays on, its files in memory, and the page says so ("${silent}")`,
        /does not answer/.test(silent) && (await inMemory(page, "records.txt")) > 0 && (await inMemory(page, "best.vqreplay")) > 0);

  // Refused writes, in a profile with no best yet: the bar's note on it goes once there is one.
  page = await open(() => {
    window.refuse = true;
    const put = IDBObjectStore.prototype.put;
    IDBObjectStore.prototype.put = function (...args) {
      if (window.refuse) throw new DOMException("The quota has been exceeded.", "QuotaExceededError");
      return put.apply(this, args);
    };
  });
  await page.click("#best");
  const none = await text(page, "note");
  await playAGame(page);
  const refused = await text(page, "refused");
  check(`refused writes keep the game in memory and say so ("${refused}"); "${none}" goes ("${await text(page, "note")}")`,
        /did not take/.test(refused) && (await inMemory(page, "best.vqreplay")) > 0 && Object.keys(await stored(page)).length === 0 &&
        none === "No best game yet." && (await text(page, "note")) === "");
  await page.evaluate(() => { window.refuse = false; });
  await playAGame(page);
  const files = await stored(page);
  check(`once the storage takes writes, both games are stored and the line goes (${Object.keys(files).join(" ")})`,
        untimed(files["records.txt"]).length === 2 && files["best.vqreplay"] && files["last.vqreplay"] && (await text(page, "refused")) === "");

  // Two tabs, each in a window of its own and taking keys, end their games within a few ms of each other.
  let kept = 0, matching = 0;
  for (let run = 0; run < 5; run++) {
    await fresh();
    const first = await open();
    const { targetId } = await (await chromium.browser.target().createCDPSession()).send("Target.createTarget", { url: "about:blank", newWindow: true });
    const second = await open(null, await (await chromium.browser.waitForTarget((t) => t._targetId === targetId)).page());
    await keys(first, [["Enter", 1200]]);
    await keys(second, [["Enter", 1300]]);
    await Promise.all([first.keyboard.down("Escape"), second.keyboard.down("Escape")]);
    await sleep(120);
    await Promise.all([first.keyboard.up("Escape"), second.keyboard.up("Escape")]);
    await sleep(2500);
    const files = await stored(first), results = untimed(files["records.txt"]);
    fs.writeFileSync(path.join(work, "best.vqreplay"), Buffer.from(files["best.vqreplay"] || []));
    const best = verify(path.join(work, "best.vqreplay"));
    kept += results.length;
    matching += results.length > 0 && String(best) === String(results[0]) && Number(files["hiscore.dat"]) === results[0][0];
    console.log(`  run ${run + 1}: records ${JSON.stringify(results)}, hiscore ${Number(files["hiscore.dat"])}, best replay ${JSON.stringify(best)}`);
  }
  check(`two tabs ending together keep ${kept} of 10 results, the hiscore and best replay theirs ${matching} of 5 times`, kept === 10 && matching === 5);

  // A tab brought back to the front shows what another kept meanwhile: the title's BEST, the Best game button.
  await fresh();
  const behind = await open(), player = await open();
  const stale = await picture(behind);
  await playAGame(player);
  const before = await inMemory(behind, "best.vqreplay");
  await behind.bringToFront();
  await behind.evaluate(() => window.dispatchEvent(new Event("focus")));
  const redrawn = await until(async () => (await picture(behind)) !== stale, 3000);
  check(`a tab brought to the front shows the other's best (redrawn: ${redrawn}, best replay ${before} -> ${await inMemory(behind, "best.vqreplay")} bytes)`,
        redrawn && before === 0 && (await inMemory(behind, "best.vqreplay")) > 0);

  // "Watch a file…": no replay is refused with --verify's words, a file past the largest replay before it is read.
  page = await open(() => {
    window.readWhole = 0;
    const read = Blob.prototype.arrayBuffer;
    Blob.prototype.arrayBuffer = function () { window.readWhole++; return read.call(this); };
  });
  const note = () => text(page, "note"), input = await page.$("#file");
  const bad = { "empty.vqreplay": "", "notes.vqreplay": "a shopping list\n", "cut.vqreplay": fs.readFileSync(replay).subarray(0, 30) };
  for (const [name, contents] of Object.entries(bad)) {
    fs.writeFileSync(path.join(work, name), contents);
    await input.uploadFile(path.join(work, name));
    await until(async () => (await note()).includes(name), 3000);
    check(`"Watch a file…" refuses ${name} as --verify does ("${await note()}")`, (await note()) === `${name} ${verify(path.join(work, name))}: not played.`);
  }
  const large = path.join(work, "large.vqreplay"), readBefore = await page.evaluate(() => window.readWhole);
  fs.writeFileSync(large, "");
  fs.truncateSync(large, 16 * 1048576 + 1);
  await input.uploadFile(large);
  await until(async () => /large/.test(await note()), 3000);
  check(`a file past the largest replay is refused unread ("${await note()}")`,
        (await note()) === "large.vqreplay is too long to be a replay: not opened." && (await page.evaluate(() => window.readWhole)) === readBefore);
  // A replay that plays is said in the bar and beside the canvas, paused too, and both go with the watch.
  await input.uploadFile(replay);
  const watching = await until(async () => (await note()) === `Watching ${path.basename(replay)}.`, 3000);
  const beside = await text(page, "activity");
  await keys(page, [["Enter", 700]]);
  const paused = await text(page, "activity");
  await keys(page, [["Enter", 500], ["Escape", 800], ["Enter", 0]]);
  check(`a replay given plays, said in the bar and beside the canvas ("${beside}", "${paused}"), and the notes go with it`,
        watching && /Watching a replay/.test(beside) && /paused/.test(paused) && (await until(async () => (await note()) + (await text(page, "activity")) === "", 3000)));

  // The keyboard: Tab goes to the bar, where the game takes no key; the browser's shortcuts stay its own.
  const title = await picture(page);
  await keys(page, [["Tab", 0]]);
  const focused = await page.evaluate(() => document.activeElement.id);
  await keys(page, [["ArrowDown", 300, 40]]);
  const unmoved = (await picture(page)) === title;
  await page.keyboard.down("Shift");
  await keys(page, [["Tab", 0]]);
  await page.keyboard.up("Shift");
  await keys(page, [["ArrowDown", 300, 40]]);
  check(`Tab leaves the canvas for the bar (${focused}), where the game takes no key, and Shift+Tab comes back`,
        focused === "last" && unmoved && (await picture(page)) !== title);
  const taken = (key) => page.evaluate(([code, keyCode, ctrlKey]) => {  // pressed and let go on the canvas
    const canvas = document.getElementById("canvas");
    const kept = canvas.dispatchEvent(new KeyboardEvent("keydown", { bubbles: true, cancelable: true, code, keyCode, ctrlKey }));
    canvas.dispatchEvent(new KeyboardEvent("keyup", { bubbles: true, cancelable: true, code, keyCode, ctrlKey }));
    return !kept;
  }, key);
  const browsers = [["KeyR", 82, true], ["F5", 116], ["Equal", 187, true], ["F11", 122], ["F12", 123], ["KeyI", 73, true], ["Tab", 9]];
  const games = [["ArrowLeft", 37], ["Space", 32], ["ArrowRight", 39, true], ["KeyM", 77]];
  const wrong = [];
  for (const key of browsers) if (await taken(key)) wrong.push(key[0]);
  for (const key of games) if (!(await taken(key))) wrong.push(key[0]);
  check(`the browser's shortcuts stay its own and the game's keys the game's (wrong: ${wrong.join(" ") || "none"})`, wrong.length === 0);
  await keys(page, [["ArrowUp", 300, 40], ["Enter", 600]]);
  await page.evaluate(() => window.dispatchEvent(new Event("blur")));
  const pauseSaid = await until(async () => /Paused/.test(await text(page, "activity")), 2000);
  await press(page, "Enter");
  check("a paused game is said beside the canvas until it goes on", pauseSaid && (await until(async () => (await text(page, "activity")) === "", 2000)));
} finally {
  await chromium.close();
  server.close();
}
finish();
