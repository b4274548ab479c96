// The images and the music as files of their own, fetched apart from the program (page.js, page_images.js), on a
// first visit whose line holds some of them back: the first frame comes without the music and the game's images; a
// game's image that cannot be downloaded is named with a way to try again, which plays on; music asked for before
// its file came plays once it comes. test_page.sh runs it: node start_test.mjs <dist/web>
import { launch, picture, serve } from "../../tools/browser/chromium.mjs";
import { check, finish, press, sleep, until } from "./checks.mjs";

const [dist] = process.argv.slice(2);
const { server, url } = await serve(dist);
const chromium = await launch();
try {
  const page = await chromium.browser.newPage();
  await page.setBypassServiceWorker(true);  // a first visit: every file from the host
  await page.setViewport({ width: 1200, height: 900 });
  await page.setRequestInterception(true);
  let failing = true;  // the first skin's background, until Try again
  let music = null;    // the music's request, held back until let go
  page.on("request", (request) => {
    if (failing && /\/gfx-[0-9a-f]+\/1\/bg\.png$/.test(request.url())) request.abort("failed");
    else if (!music && /\/bgm-[0-9a-f]+\.ogg$/.test(request.url())) music = request;
    else request.continue();
  });
  await page.goto(url);
  const drawn = await until(() => page.evaluate(() => performance.getEntriesByName("velquadro: first frame").length > 0), 10000);
  const before = await page.evaluate(() => {
    const at = performance.getEntriesByName("velquadro: first frame")[0].startTime;
    return performance.getEntriesByType("resource").filter((file) => file.startTime < at).map((file) => file.name.replace(/.*\//, ""));
  });
  check(`the first frame asks for neither the music nor the game's images (${before.join(", ")})`,
        drawn && before.includes("title.png") && !before.some((name) => /\.ogg$|bg\.png$|sq\d\.png$/.test(name)));

  // A game started while the first skin's background cannot be downloaded.
  await press(page, "Enter");
  const named = await until(async () => !(await page.$eval("#again", (button) => button.hidden)), 5000);
  const said = await page.$eval("#status", (element) => element.textContent);
  failing = false;
  if (named) await page.click("#again");
  const shown = await picture(page);
  const plays = await until(async () => (await page.evaluate(() => document.body.dataset.screen)) === "game" &&
                                        (await picture(page)) !== shown, 5000);
  check(`a game's image that could not be downloaded is named ("${said}"), and Try again plays on`,
        /^gfx-[0-9a-f]+\/1\/bg\.png could not be downloaded \(the connection failed\)\.$/.test(said) && plays);

  // M before the music came: silent, then playing once it comes.
  await press(page, "m");
  await sleep(500);
  const time = () => page.evaluate(() => (SDL.music.audio ? SDL.music.audio.currentTime : -1));
  const waiting = await time();
  await until(() => music, 3000);
  await music.continue();
  check(`music asked for before its file came (at ${waiting} s) plays once it comes`,
        waiting === 0 && (await until(async () => (await time()) > 0, 5000)));
} finally {
  await chromium.close();
  server.close();
}
finish();
