// Linked into velquadro.js before the program (--pre-js). The player's files
// (records, hiscore, the last and the best replay) live in /data, which the
// packed "installed" file makes the program use (XDG_DATA_HOME); /data is the
// browser's storage for this page (IndexedDB), read in before the program
// starts. Storage that cannot be had leaves the files in memory for this
// visit, with one line in the console; the game plays on.
Module["preRun"] = Module["preRun"] || [];
Module["preRun"].push(function () {
  ENV["XDG_DATA_HOME"] = "/data";
  FS.mkdir("/data");
  // Without IndexedDB, emscripten's IDBFS would end the program at its first
  // step: the files then stay in memory.
  try {
    if (typeof indexedDB === "undefined" || !indexedDB) throw new Error("this browser gives the page no IndexedDB");
    FS.mount(IDBFS, {}, "/data");
  } catch (error) {
    console.warn("velquadro: no browser storage; this visit's files are kept in memory only (" + error.message + ")");
    return;
  }
  addRunDependency("velquadro-storage");
  FS.syncfs(true, function (error) {
    if (error) console.warn("velquadro: the browser's storage cannot be read; this visit's files are kept in memory only (" + error + ")");
    removeRunDependency("velquadro-storage");
  });
});

// The page's storage and the files in memory meet one step at a time, each
// after the one before: a write asked for while one runs follows it, and so
// does a read. A step that fails (a full quota, no storage) says so in the
// console; the files stay in memory and the next write tries again.
(function () {
  var last = Promise.resolve();
  function step(populate) {
    last = last.then(function () {
      return new Promise(function (done) {
        FS.syncfs(populate, function (error) {
          if (error) {
            console.warn("velquadro: the browser's storage did not " + (populate ? "give" : "take") +
                         " the player's files (" + error + ")");
          }
          done();
        });
      });
    });
    return last;
  }
  // After each file stored: written through to the browser's storage.
  Module["syncStorage"] = function () { return step(false); };
  // Before the files are read anew: what another tab of the game stored.
  Module["refreshStorage"] = function () { return step(true); };
})();
