// The page kept for play without the network (service_worker.js, which
// tools/web builds with the build's own name): after one visit every file of
// the page comes from the browser's keeping. A new build, once the browser
// has found and kept it in the background, takes over on the next visit:
// the page then starts anew on it, before the game has begun, so that no
// visit runs one build's page with another's program.
"use strict";
(function () {
  if (!("serviceWorker" in navigator)) return;
  var starting = true;
  // Long enough for a kept build to take over while the title is still the
  // first picture; after that a newer build waits for the next visit.
  setTimeout(function () { starting = false; }, 3000);
  navigator.serviceWorker.register("service_worker.js").then(function (registration) {
    if (registration.waiting && navigator.serviceWorker.controller) {
      navigator.serviceWorker.addEventListener("controllerchange", function () {
        if (starting) location.reload();
      });
      registration.waiting.postMessage("take over");
    }
  }, function (error) {
    console.warn("velquadro: the page will not play without the network (" + error.message + ")");
  });
})();
