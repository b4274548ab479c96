// The page kept for play without the network (service_worker.js, which
// tools/web builds with the build's own name): after one visit every file of
// the page comes from the browser's keeping. The browser asks the host for
// the worker alone, to learn of a new build, which it then keeps in the
// background while this visit plays on. The next visit finds it waiting, or
// just taking over, and starts anew on it before the program runs, so that
// no visit runs one build's page with another's program.
"use strict";
(function () {
  if (!("serviceWorker" in navigator)) return;
  navigator.serviceWorker.addEventListener("controllerchange", function () {
    if (!window.Module || !Module.calledRun) location.reload();
  });
  // A kept page's visit already asks for the worker anew: registering again
  // would ask a second time.
  var kept = navigator.serviceWorker.controller;
  (kept ? navigator.serviceWorker.getRegistration() : navigator.serviceWorker.register("service_worker.js")).then(function (registration) {
    if (registration && registration.waiting && kept) registration.waiting.postMessage("take over");
  }, function (error) {
    console.warn("velquadro: the page is not kept for play offline (" + error.message + ")");
  });
})();
