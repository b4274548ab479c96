// Keeps every file of the page (offline.js registers it), so that after one
// visit the game starts and plays with no network, and fetches none of them
// again while the build is the same. tools/web writes the build's name and
// its files in place of the two lines below: each build keeps its files
// under a name of its own, and a new build's worker fetches all of them
// afresh before it takes over and drops the old ones: never a mix of two
// builds.
"use strict";
var BUILD = "velquadro-development";
var FILES = ["./", "index.html"];

self.addEventListener("install", function (event) {
  event.waitUntil(caches.open(BUILD).then(function (cache) {
    // Past the browser's own cache too: a file it kept of the last build
    // must not enter this one's.
    return cache.addAll(FILES.map(function (file) { return new Request(file, { cache: "reload" }); }));
  }));
});

self.addEventListener("activate", function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf("velquadro-") === 0 && name !== BUILD;
    }).map(function (name) { return caches.delete(name); }));
  }));
});

// The page asks a waiting new build to take over when it starts (offline.js).
self.addEventListener("message", function (event) {
  if (event.data === "take over") self.skipWaiting();
});

// The build's files from its keeping; anything else from the network. The
// page asks for its own address with or without index.html and a query: a
// file is looked for by its whole address first, since a look that ignores
// the query goes through every kept file (the images are 41 of them), which
// held a second visit's start back by some 15 to 50 ms. The keeping is opened
// once for all the requests of the worker's run, not once for each.
var kept = null;
self.addEventListener("fetch", function (event) {
  if (event.request.method !== "GET") return;
  if (!kept) {
    kept = caches.open(BUILD);
    kept.catch(function () { kept = null; });  // asked again at the next request
  }
  event.respondWith(kept.then(function (cache) {
    return cache.match(event.request).then(function (found) {
      return found || cache.match(event.request, { ignoreSearch: true });
    }).then(function (found) {
      return found || fetch(event.request);
    });
  }));
});
