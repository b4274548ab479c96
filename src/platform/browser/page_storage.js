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
  try {
    FS.mount(IDBFS, {}, "/data");
  } catch (error) {
    console.warn("velquadro: no browser storage; this visit's files are kept in memory only (" + error + ")");
    return;
  }
  addRunDependency("velquadro-storage");
  FS.syncfs(true, function (error) {
    if (error) console.warn("velquadro: the browser's storage cannot be read; this visit's files are kept in memory only (" + error + ")");
    removeRunDependency("velquadro-storage");
  });
});

// Writes the player's files through to the browser's storage, one write at a
// time: a write asked for while one runs follows it. A failed write (a full
// quota) says so in the console; the files stay in memory and the next write
// tries again.
(function () {
  var running = false;
  var again = false;
  Module["syncStorage"] = function () {
    if (running) {
      again = true;
      return;
    }
    running = true;
    FS.syncfs(false, function (error) {
      running = false;
      if (error) console.warn("velquadro: the browser's storage did not take the player's files (" + error + ")");
      if (again) {
        again = false;
        Module["syncStorage"]();
      }
    });
  };
})();
