// What every page test does alike: a check counted and said, a wait, a wait
// until a condition holds, a key held for a moment, and the tally at the end.
export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

const counts = { passed: 0, failed: 0 };
export function check(what, ok) {
  counts[ok ? "passed" : "failed"]++;
  console.log(`${ok ? "ok" : "FAILED"}: ${what}`);
}

// True once the condition holds within ms; a condition that throws (asked
// while the page navigates) does not hold.
export async function until(condition, ms) {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(50)) {
    if (await Promise.resolve().then(condition).catch(() => false)) return true;
  }
  return false;
}

export async function press(page, key, ms = 120) {
  await page.keyboard.down(key);
  await sleep(ms);
  await page.keyboard.up(key);
}

// Says the tally and ends the test: status 0 only when every check held.
export function finish() {
  console.log(`${counts.passed} passed, ${counts.failed} failed`);
  process.exit(counts.failed === 0 ? 0 : 1);
}
