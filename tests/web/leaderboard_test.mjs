// The page's leaderboard in Debian's chromium, headless, as a player meets it:
// served as a plain static folder it shows no board; served by
// velquadro-server it offers "Submit last game" after a game, asks the name
// once, tells the rank, lists the mode the title menu shows, and "Watch"
// plays a listed game on the page.
// Usage: node leaderboard_test.mjs <velquadro-server> <dist/web> <work folder>
// or, with a server already serving the page on a board of no games (the
// installed one, tests/e2e/test_install.sh), its address in place of the program:
//        node leaderboard_test.mjs http://127.0.0.1:8080/ <dist/web> <work folder>
import { spawn } from "node:child_process";
import path from "node:path";
import { launch, picture, serve } from "../../tools/browser/chromium.mjs";
import { check, finish, sleep, until } from "./checks.mjs";

const [serverProgram, dist, work] = process.argv.slice(2);

// The board's server on a free port, with the page beside its API.
const running = serverProgram.startsWith("http://");
const server = running ? null : spawn(serverProgram, ["--data", path.join(work, "board"), "--listen", "127.0.0.1:0",
                                                      "--web", dist], { stdio: ["ignore", "pipe", "inherit"] });
const board = running ? serverProgram : await new Promise((found, failed) => {
  server.stdout.on("data", (line) => {
    const port = /127\.0\.0\.1:(\d+)\//.exec(line.toString());
    if (port) found(`http://127.0.0.1:${port[1]}/`);
  });
  server.on("exit", () => failed(new Error("velquadro-server ended")));
});
const statics = await serve(dist);
const chromium = await launch();
try {
  const page = await chromium.browser.newPage();
  page.on("pageerror", (error) => console.log(`page error: ${error.message}`));
  await page.setViewport({ width: 1000, height: 760 });
  const press = async (key, ms = 120) => { await page.keyboard.down(key); await sleep(ms); await page.keyboard.up(key); };
  const shown = (selector) => page.evaluate((s) => { const e = document.querySelector(s); return !!e && !e.hidden; }, selector);
  const text = (selector) => page.$eval(selector, (e) => e.textContent);
  const onTitle = () => page.evaluate(() => window.Module && Module.chosenMode !== undefined);

  await page.goto(statics.url);
  await until(onTitle, 10000);
  await sleep(1000);
  check("served as a static folder, the page offers no board",
        (await page.$("#board")) === null && (await page.$("#submit")) === null);

  await page.goto(board);
  check("served by velquadro-server, the bar offers the leaderboard", await until(() => shown("#board"), 10000));
  await until(onTitle, 10000);
  check("no game to submit before a game", !(await shown("#submit")));

  // A game: Return starts Play, Escape ends it, Return leaves its end screen.
  await page.focus("#canvas");
  await press("Enter");
  await sleep(2500);
  await press("Escape");
  await sleep(1500);
  await press("Enter");
  check("after a game the bar offers Submit last game", await until(() => shown("#submit"), 3000));
  await page.click("#submit");
  check("the first submission asks the name", await shown("#ask"));
  await page.type("#name", "Ann <b>");
  await page.keyboard.press("Enter");
  check(`a name with markup is refused in the page (${await text("#note")})`, /A name is/.test(await text("#note")));
  await page.$eval("#name", (field) => { field.value = ""; });
  await page.type("#name", "Ann B");
  await page.keyboard.press("Enter");
  await until(async () => /rank/.test(await text("#note")), 5000);
  const told = await text("#note");
  check(`the answer tells the rank (${told})`, /^On the board: rank 1 in Play, \d+ points\.$/.test(told));
  check("the game sent is offered no more", await until(async () => !(await shown("#submit")), 2000));
  const stored = await (await fetch(`${board}api/leaderboard?mode=0`)).json();
  check(`the server lists it under the name (${JSON.stringify(stored.games.map((g) => g.name))})`,
        stored.games.length === 1 && stored.games[0].name === "Ann B");
  const name = await page.evaluate(() => localStorage.getItem("velquadro.name"));
  check(`the name is kept in the page's storage (${name})`, name === "Ann B");
  await page.screenshot({ path: path.join(work, "submitted.png") });

  // The board of the mode the title menu shows: Play, then Time attack.
  // A full run on a loaded machine once found no list within 3 s: the wait is long, the check is of the list.
  await page.click("#board");
  await until(async () => (await page.$$("#leaderboard tr")).length > 1, 10000);
  const rows = await page.$$eval("#leaderboard tr", (all) => all.map((row) => row.innerText.replace(/\s+/g, " ").trim()));
  check(`the Leaderboard lists Play's best (${JSON.stringify(rows)})`,
        (await text("#leaderboard h2")) === "Leaderboard: Play" && rows.length === 2 && /^1 Ann B \d+ \d+ \d{4}-\d\d-\d\d Watch$/.test(rows[1]));
  await page.screenshot({ path: path.join(work, "leaderboard.png") });
  await page.focus("#canvas");
  await press("ArrowDown", 40);
  const timed = await until(async () => /Time attack, 30 s/.test(await text("#leaderboard h2")) &&
                                        /No games/.test(await text("#leaderboard")), 3000);
  check(`choosing Time attack on the title lists its board (${await text("#leaderboard h2")})`, timed);
  await press("ArrowUp", 40);
  await until(async () => (await page.$$("#leaderboard tr")).length > 1, 3000);

  // Watch: the listed game plays on the page, in place of the title.
  const title = await picture(page);
  await page.click("#leaderboard button[title^='Watch']");
  check("Watch closes the view", await until(async () => !(await shown("#leaderboard")), 2000));
  await until(async () => (await picture(page)) !== title, 2000);
  const seen = new Set();
  for (let k = 0; k < 10; k++, await sleep(150)) seen.add(await picture(page));
  check(`Watch plays the game (${seen.size} pictures in 1.5 s, the title ${seen.has(title) ? "among them" : "gone"})`,
        seen.size >= 4 && !seen.has(title));
  await page.screenshot({ path: path.join(work, "watching.png") });
} finally {
  await chromium.close();
  statics.server.close();
  if (server) server.kill("SIGKILL");
}
finish();
