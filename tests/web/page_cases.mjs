// What the page keeps and tells, in Debian's chromium with fresh profiles, each
// case made as a player meets it: the loading's progress and a failed download
// tried again; storage that never answers and storage that refuses writes; two
// tabs that end their games together (five times, both taking keys); a tab
// brought back to the front; files given to "Watch a file…" that are no
// replay, or too large to be one; a note that no longer holds; the keyboard
// shared with the browser; a pause and a watch said beside the canvas.
// Usage: node page_cases.mjs <work folder> <dist/web> <velquadro> <replay>
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { launch, picture, serve } from "../../tools/browser/chromium.mjs";

const [work, dist, velquadro, replay] = process.argv.slice(2).map((arg) => path.resolve(arg));
let passes = 0;
let failures = 0;
function check(what, ok) {
  if (ok) passes++;
  else failures++;
  console.log(`${ok ? "ok" : "FAILED"}: ${what}`);
}
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
async function until(condition, ms) {
  // A condition asked while the page navigates is not yet met.
  for (const end = Date.now() + ms; Date.now() < end; await sleep(50)) if (await condition().catch(() => false)) return true;
  return false;
}
const text = (page, id) => page.$eval(`#${id}`, (element) => element.textContent);
const running = (page) => page.evaluate(() => !document.getElementById("bar").hidden);
const press = async (page, key, ms = 120) => {
  await page.keyboard.down(key);
  await sleep(ms);
  await page.keyboard.up(key);
};

// The files the page's storage holds, by name: { "records.txt": "…" }, the
// replays as byte arrays.
function stored(page) {
  return page.evaluate(() => new Promise((done, failed) => {
    const request = indexedDB.open("/data", 21);
    request.onerror = () => failed(request.error);
    request.onsuccess = () => {
      const store = request.result.transaction(["FILE_DATA"]).objectStore("FILE_DATA");
      const keys = store.getAllKeys(), values = store.getAll();
      values.onsuccess = () => {
        const files = {};
        keys.result.forEach((key, n) => {
          const contents = values.result[n].contents;
          if (contents) files[key.replace("/data/velquadro/", "")] = /\.txt$|\.dat$/.test(key) ? new TextDecoder().decode(contents) : Array.from(contents);
        });
        request.result.close();
        done(files);
      };
    };
  }));
}
// The untimed results of a records file, best first: [score, seconds].
const untimed = (records) => (records || "").split("\n").filter((line) => /^0 /.test(line)).map((line) => line.split(" ").slice(1, 3).map(Number));
// What the desktop's --verify says a replay reaches: [score, seconds], or the line.
function verified(bytes, name) {
  const file = path.join(work, name);
  fs.writeFileSync(file, Buffer.from(bytes));
  try {
    const said = execFileSync(velquadro, ["--verify", file], { encoding: "utf8" });
    const reached = /: (\d+) points in (\d+) s/.exec(said);
    return reached ? [Number(reached[1]), Number(reached[2])] : said;
  } catch (error) {
    return `status ${error.status}: ${error.stderr}`;
  }
}

// A page of the game, loaded and running, with `before` run in it ahead of
// the page's own script.
async function open(browser, before, page) {
  page = page || (await browser.newPage());
  page.on("pageerror", (error) => console.log(`page error: ${error.message}`));
  await page.setViewport({ width: 1200, height: 900 });
  if (before) await page.evaluateOnNewDocument(before);
  await page.goto(url);
  await until(() => running(page), 15000);
  await sleep(300);  // the title drawn
  return page;
}
// An untimed game of about `ms`, ended with Escape, and back on the title.
async function playAGame(page, ms) {
  await press(page, "Enter");
  await sleep(ms);
  await press(page, "Escape");
  await sleep(1500);
  await press(page, "Enter");
  await sleep(600);
}

const { server, url } = await serve(dist);
let chromium = await launch();
try {
  // Loading on a slow line: bytes of the total, growing.
  {
    const page = await chromium.browser.newPage();
    const network = await page.createCDPSession();
    await network.send("Network.enable");
    await network.send("Network.emulateNetworkConditions", { offline: false, latency: 20, downloadThroughput: 600 * 1024, uploadThroughput: 600 * 1024 });
    const said = new Set();
    page.goto(url);
    await until(async () => {
      said.add(await text(page, "status").catch(() => ""));
      return running(page).catch(() => false);
    }, 20000);
    const total = ["velquadro.js", "velquadro.wasm", "velquadro.data"].reduce((sum, name) => sum + fs.statSync(path.join(dist, name)).size, 0);
    const figures = [...said].map((line) => /^Loading… (\d+\.\d) of (\d+\.\d) MB$/.exec(line)).filter(Boolean);
    check(`loading says how many of the ${(total / 1048576).toFixed(1)} MB came (${figures.length} figures, ${[...said].slice(0, 3).join(" | ")}…)`,
          figures.length >= 3 && figures.every((figure) => figure[2] === (total / 1048576).toFixed(1)) &&
          Number(figures[0][1]) < Number(figures[figures.length - 1][1]));
    await page.close();
  }

  // A download that fails names its file and is tried again.
  for (const name of ["velquadro.js", "velquadro.wasm", "velquadro.data"]) {
    const page = await chromium.browser.newPage();
    await page.setRequestInterception(true);
    let aborted = 0;
    page.on("request", (request) => (request.url().endsWith(name) && !aborted++ ? request.abort("failed") : request.continue()));
    page.goto(url);
    const offered = await until(async () => !(await page.$eval("#again", (button) => button.hidden)), 10000);
    const said = await text(page, "status");
    const button = await text(page, "again");
    await page.click("#again");
    check(`a failed ${name} is named with a way to try again ("${said}", "${button}"), and trying again plays`,
          offered && said.includes(name) && button === "Try again" && (await until(() => running(page), 15000)));
    await page.close();
  }

  // Storage whose open never answers: the game starts, plays, keeps its
  // files in memory and says so.
  {
    const page = await open(chromium.browser, () => { IDBFactory.prototype.open = () => ({}); });
    const line = await text(page, "silent");
    await playAGame(page, 800);
    const kept = await page.evaluate(() => Module.FS.readdir("/data/velquadro"));
    check(`storage that never answers: the game plays on in memory and the page says so ("${line}"; ${kept.join(" ")})`,
          /does not answer/.test(line) && kept.includes("records.txt") && kept.includes("last.vqreplay") &&
          (await running(page)));
    await page.close();
  }

  // Storage that refuses writes: nothing lost from memory, said once, and
  // stored at the first save it takes.
  {
    const page = await open(chromium.browser, () => {
      window.refuse = true;
      const put = IDBObjectStore.prototype.put;
      IDBObjectStore.prototype.put = function (...args) {
        if (window.refuse) throw new DOMException("The quota has been exceeded.", "QuotaExceededError");
        return put.apply(this, args);
      };
    });
    await playAGame(page, 800);
    const line = await text(page, "refused");
    const memory = await page.evaluate(() => [new TextDecoder().decode(Module.FS.readFile("/data/velquadro/records.txt")), Module.FS.readdir("/data/velquadro")]);
    check(`refused writes keep the game's files in memory and say so on the page ("${line}")`,
          /did not take/.test(line) && untimed(memory[0]).length === 1 && memory[1].includes("best.vqreplay") &&
          Object.keys(await stored(page)).length === 0);
    await page.evaluate(() => { window.refuse = false; });
    await playAGame(page, 800);
    const files = await stored(page);
    check(`once the storage takes writes again, both games are stored and the line goes (${Object.keys(files).join(" ")})`,
          untimed(files["records.txt"]).length === 2 && files["hiscore.dat"] !== undefined && files["best.vqreplay"] && files["last.vqreplay"] &&
          (await text(page, "refused")) === "");
    await page.close();
  }

  // Two tabs, each in a window of its own and taking keys, end their games
  // within a few ms of each other: both results kept, the hiscore theirs and
  // the best replay the game the records list first. Five times.
  let kept = 0, matching = 0;
  for (let run = 0; run < 5; run++) {
    await chromium.close();
    chromium = await launch();
    const first = await open(chromium.browser);
    const session = await chromium.browser.target().createCDPSession();
    const { targetId } = await session.send("Target.createTarget", { url: "about:blank", newWindow: true });
    const second = await open(chromium.browser, null, await (await chromium.browser.waitForTarget((t) => t._targetId === targetId)).page());
    await press(first, "Enter");
    await sleep(1200);
    await press(second, "Enter");
    await sleep(1300);
    await Promise.all([first.keyboard.down("Escape"), second.keyboard.down("Escape")]);
    await sleep(120);
    await Promise.all([first.keyboard.up("Escape"), second.keyboard.up("Escape")]);
    await sleep(2500);
    const files = await stored(first);
    const results = untimed(files["records.txt"]);
    kept += results.length;
    const best = files["best.vqreplay"] ? verified(files["best.vqreplay"], `best${run}.vqreplay`) : "none";
    if (results.length && String(best) === String(results[0]) && Number(files["hiscore.dat"]) === results[0][0]) matching++;
    console.log(`  run ${run + 1}: records ${JSON.stringify(results)}, hiscore ${files["hiscore.dat"]}, best replay ${JSON.stringify(best)}`);
  }
  check(`two tabs ending together keep ${kept} of 10 results, with the matching hiscore and best replay ${matching} of 5 times`,
        kept === 10 && matching === 5);

  // A tab brought back to the front shows what another tab kept meanwhile:
  // the title's BEST and the Best game button.
  {
    await chromium.close();
    chromium = await launch();
    const behind = await open(chromium.browser);
    const player = await open(chromium.browser);
    const stale = await picture(behind);
    await playAGame(player, 800);
    const before = await behind.evaluate(() => { try { return Module.FS.readFile("/data/velquadro/best.vqreplay").length; } catch { return 0; } });
    await behind.bringToFront();
    await behind.evaluate(() => window.dispatchEvent(new Event("focus")));
    const redrawn = await until(async () => (await picture(behind)) !== stale, 3000);
    const after = await behind.evaluate(() => { try { return Module.FS.readFile("/data/velquadro/best.vqreplay").length; } catch { return 0; } });
    check(`a tab brought to the front shows the other tab's best (title redrawn: ${redrawn}, best replay ${before} -> ${after} bytes)`,
          redrawn && before === 0 && after > 0);
  }

  // "Watch a file…": files that are no replay are refused with the words of
  // --verify, one past the format's largest size before it is read; a
  // replay is said to play, beside the canvas too, and its note goes with it.
  {
    await chromium.close();
    chromium = await launch();
    const page = await open(chromium.browser, () => {
      window.readWhole = 0;
      const read = Blob.prototype.arrayBuffer;
      Blob.prototype.arrayBuffer = function () { window.readWhole++; return read.call(this); };
    });
    const note = () => text(page, "note");
    const input = await page.$("#file");
    fs.writeFileSync(path.join(work, "empty.vqreplay"), "");
    fs.writeFileSync(path.join(work, "notes.vqreplay"), "a shopping list, not a replay\n");
    fs.writeFileSync(path.join(work, "cut.vqreplay"), fs.readFileSync(replay).subarray(0, 30));
    for (const name of ["empty.vqreplay", "notes.vqreplay", "cut.vqreplay"]) {
      let words = "";
      try {
        execFileSync(velquadro, ["--verify", name], { cwd: work, encoding: "utf8", stdio: "pipe" });
      } catch (error) {
        words = error.stderr.trim().replace(`velquadro: ${name} `, "");
      }
      await input.uploadFile(path.join(work, name));
      await until(async () => (await note()).includes("not played"), 3000);
      const said = await note();
      check(`"Watch a file…" refuses ${name} with --verify's words ("${said}")`, words !== "" && said === `${name} ${words}: not played.`);
    }
    const readBefore = await page.evaluate(() => window.readWhole);
    const large = path.join(work, "large.vqreplay");
    fs.writeFileSync(large, "");
    fs.truncateSync(large, 16 * 1048576 + 1);
    await input.uploadFile(large);
    await until(async () => /too long/.test(await note()), 3000);
    const read = (await page.evaluate(() => window.readWhole)) - readBefore;
    check(`a file past the largest replay is refused unread ("${await note()}", read ${read} times)`,
          (await note()) === "large.vqreplay is too long to be a replay: not opened." && read === 0);
    await input.uploadFile(replay);
    const name = path.basename(replay);
    const watching = await until(async () => (await note()) === `Watching ${name}.`, 3000);
    const beside = await text(page, "activity");
    await press(page, "Enter");
    await until(async () => /paused/.test(await text(page, "activity")), 2000);
    const paused = await text(page, "activity");
    await press(page, "Enter");
    await sleep(500);
    await press(page, "Escape");  // the watch ends on its end screen
    await sleep(800);
    await press(page, "Enter");
    await until(async () => (await note()) === "", 3000);
    check(`a replay given plays, said in the bar and beside the canvas ("${beside}", then "${paused}"), and the note goes with it`,
          watching && /Watching a replay/.test(beside) && /paused/.test(paused) && (await note()) === "" && (await text(page, "activity")) === "");
    await page.close();
  }

  // A note that no longer holds goes: "No best game yet." once a game is the best.
  {
    const page = await open(chromium.browser);
    await page.evaluate(() => indexedDB.deleteDatabase("/data"));
    await page.reload();
    await until(() => running(page), 15000);
    await sleep(300);
    await page.click("#best");
    const none = await text(page, "note");
    await playAGame(page, 800);
    check(`"${none}" goes once a game is the best ("${await text(page, "note")}")`, none === "No best game yet." && (await text(page, "note")) === "");
    await page.close();
  }

  // The keyboard: the game takes its keys while the canvas has the focus and
  // leaves the browser's shortcuts alone; Tab goes to the bar, where the
  // game's keys are the page's; a pause is said beside the canvas.
  {
    const page = await open(chromium.browser);
    const title = await picture(page);
    await press(page, "Tab");
    const focused = await page.evaluate(() => document.activeElement.id);
    await press(page, "ArrowDown", 40);
    await sleep(300);
    const unmoved = (await picture(page)) === title;
    await page.keyboard.down("Shift");
    await press(page, "Tab");
    await page.keyboard.up("Shift");
    await press(page, "ArrowDown", 40);
    await sleep(300);
    check(`Tab leaves the canvas for the bar (${focused}), where the game takes no key, and Shift+Tab comes back`,
          focused === "last" && unmoved && (await picture(page)) !== title);
    // Each key is let go again, for the title to stay as it is.
    const taken = (key) => page.evaluate((key) => {
      const canvas = document.getElementById("canvas");
      const kept = canvas.dispatchEvent(new KeyboardEvent("keydown", { bubbles: true, cancelable: true, ...key }));
      canvas.dispatchEvent(new KeyboardEvent("keyup", { bubbles: true, cancelable: true, ...key }));
      return !kept;
    }, key);
    const browsers = [{ code: "KeyR", key: "r", keyCode: 82, ctrlKey: true }, { code: "F5", key: "F5", keyCode: 116 },
                      { code: "Equal", key: "+", keyCode: 187, ctrlKey: true }, { code: "F11", key: "F11", keyCode: 122 },
                      { code: "F12", key: "F12", keyCode: 123 }, { code: "KeyI", key: "I", keyCode: 73, ctrlKey: true, shiftKey: true },
                      { code: "Tab", key: "Tab", keyCode: 9 }];
    const games = [{ code: "ArrowLeft", key: "ArrowLeft", keyCode: 37 }, { code: "Space", key: " ", keyCode: 32 },
                   { code: "ArrowRight", key: "ArrowRight", keyCode: 39, ctrlKey: true }, { code: "KeyM", key: "m", keyCode: 77 }];
    const left = [];
    for (const key of browsers) if (await taken(key)) left.push(key.code);
    for (const key of games) if (!(await taken(key))) left.push(key.code);
    check(`the browser's shortcuts stay its own and the game's keys are the game's (${left.length ? left.join(" ") + " wrong" : "all right"})`, left.length === 0);
    await press(page, "ArrowUp", 40);
    await sleep(300);
    await press(page, "Enter");
    await sleep(600);
    await page.evaluate(() => window.dispatchEvent(new Event("blur")));
    const pauseSaid = await until(async () => /Paused/.test(await text(page, "activity")), 2000);
    await press(page, "Enter");
    check(`a paused game is said beside the canvas, and no longer once it goes on`,
          pauseSaid && (await until(async () => (await text(page, "activity")) === "", 2000)));
    await page.close();
  }
} finally {
  await chromium.close();
  server.close();
}
console.log(`${passes} passed, ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
