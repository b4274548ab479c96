// The browser build as a player meets it, for the tests (tests/web/) and the
// measurements (tools/measure/web.sh): dist/web served on loopback as any
// static host serves it, and Debian's chromium, headless, driven by
// puppeteer-core, which downloads no browser of its own: the driver comes
// as the lockfile has it, with `npm ci --prefix tools/browser`.
import crypto from "node:crypto";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";

const TYPES = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".png": "image/png",
                ".css": "text/css", ".webmanifest": "application/manifest+json" };

// Serves the folder on a free port of 127.0.0.1; returns the server, its
// address and the list of what it sent ([path, bytes, status], for
// measuring). Every file is read anew, as a host would after a new build.
export async function serve(folder) {
  const served = [];
  const server = http.createServer((request, response) => {
    const name = new URL(request.url, "http://host").pathname.replace(/^\/$/, "/index.html");
    fs.readFile(path.join(folder, path.normalize(name)), (error, data) => {
      if (error) {
        response.writeHead(404);
        response.end();
        return;
      }
      // A validator, as every common static host gives one: a request that
      // names the version it has is answered 304, without the file.
      const tag = `"${crypto.createHash("sha1").update(data).digest("hex")}"`;
      if (request.headers["if-none-match"] === tag) {
        response.writeHead(304, { ETag: tag });
        response.end();
        served.push([name, 0, 304]);
        return;
      }
      response.writeHead(200, { "Content-Type": TYPES[path.extname(name)] || "application/octet-stream",
                                "Content-Length": data.length, ETag: tag });
      response.end(data);
      served.push([name, data.length, 200]);
    });
  });
  await new Promise((listening) => server.listen(0, "127.0.0.1", listening));
  return { server, url: `http://127.0.0.1:${server.address().port}/`, served };
}

// Debian's chromium with a profile of its own, which close() removes. Without
// the background-networking flags it would try to reach the network.
export async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "vq_chromium_"));
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync"],
  });
  return {
    browser,
    async close() {
      await browser.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A fingerprint of the canvas as the game last drew it.
export function picture(page) {
  return page.evaluate(() => {
    const data = document.getElementById("canvas").getContext("2d").getImageData(0, 0, 800, 600).data;
    let hash = 0;
    for (let i = 0; i < data.length; i += 4) hash = (Math.imul(hash, 31) + data[i] + (data[i + 1] << 8) + (data[i + 2] << 16)) | 0;
    return hash;
  });
}
