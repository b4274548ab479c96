// Linked into velquadro.js before the program (--pre-js). The player's files
// (records, hiscore, the last and the best replay) live in memory in /data,
// which the packed "installed" file makes the program use (XDG_DATA_HOME),
// and each is kept in the browser's storage for this page (IndexedDB).
//
// What the page keeps, as the desktop keeps its folder:
// - A save holds a lock between the page's tabs (the Web Locks API, as
//   flock between copies on the desktop) while it reads the stored files
//   anew, applies its rule and writes each file it changes, one at a time.
// - Reading anew only adds and replaces: a file the storage lacks stays in
//   memory, and so does one whose newest bytes the storage has not taken.
// - A write the storage refuses (a full quota, a private window) keeps the
//   file in memory, is said once on the page, and is tried again at the next
//   save; the line goes once every file is stored.
// - Storage that does not answer within kWaitMs is gone on without, in
//   memory, with a line on the page; it is asked again at the next save.
// The database is the one emscripten's IDBFS made for earlier versions of
// the page ("/data", its store FILE_DATA keyed by path), so that files kept
// by them are read, and a page of theirs reads ours.
(function () {
  var kDatabase = "/data";
  var kVersion = 21;
  var kStore = "FILE_DATA";
  var kFolder = "/data/velquadro/";
  var kLockName = "velquadro-saves";
  // Long enough for a busy disk, short enough that a game's end is not held
  // up for long by storage that never answers.
  var kWaitMs = 3000;
  // A file's mode as IDBFS stores it: a plain file, read and write for all.
  var kFileMode = 33206;

  var database = null;       // the open IDBDatabase, once it answered
  var opening = null;        // the open request's promise while it has not
  var unsaved = {};          // path: true for each file whose newest bytes are in memory only
  var releaseLock = null;    // lets the tabs' lock go, while this tab holds it
  // Until then the storage, which did not answer a while ago, is not waited
  // for: the files stay in memory, unsaved, and a later save asks again.
  var quietUntil = 0;
  var kQuietMs = 30000;

  function tell(what, text) {
    if (Module["tellStorage"]) Module["tellStorage"](what, text);
    else if (text) console.warn("velquadro: " + text);
  }

  function silent(error) { return /did not answer/.test(String(error)); }

  // A promise that settles as the request does, or fails after kWaitMs (at
  // once while the storage is quiet).
  function within(promise, what) {
    var timer;
    var late = new Promise(function (resolve, reject) {
      timer = setTimeout(function () {
        quietUntil = Date.now() + kQuietMs;
        reject(new Error(what + " did not answer within " + kWaitMs / 1000 + " s"));
      }, Date.now() < quietUntil ? 0 : kWaitMs);
    });
    return Promise.race([promise, late]).finally(function () { clearTimeout(timer); });
  }

  function open() {
    if (database) return Promise.resolve(database);
    if (!opening) {
      opening = new Promise(function (resolve, reject) {
        if (typeof indexedDB === "undefined" || !indexedDB) throw new Error("this browser gives the page no IndexedDB");
        var request = indexedDB.open(kDatabase, kVersion);
        request.onupgradeneeded = function () {
          var store = request.result.objectStoreNames.contains(kStore)
                        ? request.transaction.objectStore(kStore) : request.result.createObjectStore(kStore);
          if (!store.indexNames.contains("timestamp")) store.createIndex("timestamp", "timestamp", { unique: false });
        };
        request.onsuccess = function () {
          database = request.result;
          // Another tab of a newer page may need the database closed.
          database.onversionchange = function () { database.close(); database = null; opening = null; };
          resolve(database);
        };
        request.onerror = function () { reject(request.error); };
        request.onblocked = function () { reject(new Error("another tab keeps the storage closed")); };
      });
      opening.catch(function () { opening = null; });
    }
    return within(opening, "the browser's storage");
  }

  function transactionDone(transaction) {
    return new Promise(function (resolve, reject) {
      transaction.oncomplete = function () { resolve(); };
      transaction.onerror = function () { reject(transaction.error); };
      transaction.onabort = function () { reject(transaction.error || new Error("the write was aborted")); };
    });
  }

  // Every stored file of the game: { path: bytes }.
  function readStored() {
    return open().then(function (db) {
      var transaction = db.transaction([kStore], "readonly");
      var store = transaction.objectStore(kStore);
      var range = IDBKeyRange.bound(kFolder, kFolder + "\uffff");
      var keys = store.getAllKeys(range);
      var values = store.getAll(range);
      return within(transactionDone(transaction), "the browser's storage").then(function () {
        var files = {};
        keys.result.forEach(function (key, n) {
          var value = values.result[n];
          if (value && value.contents && FS.isFile(value.mode)) files[key] = value.contents;
        });
        return files;
      });
    });
  }

  function same(a, b) {
    if (a.length !== b.length) return false;
    for (var i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
    return true;
  }

  function inMemory(path) {
    try {
      return FS.readFile(path);
    } catch (error) {
      return null;
    }
  }

  // Brings in what the storage has: only adds and replaces, and never a file
  // whose newest bytes the storage has not taken. True when a file changed.
  function bringIn(files) {
    var changed = false;
    Object.keys(files).forEach(function (path) {
      if (unsaved[path]) return;
      var old = inMemory(path);
      if (old && same(old, files[path])) return;
      FS.mkdirTree(kFolder);
      FS.writeFile(path, files[path]);
      changed = true;
    });
    return changed;
  }

  function write(path) {
    var bytes = inMemory(path);
    if (!bytes) return Promise.resolve();
    return open().then(function (db) {
      var transaction = db.transaction([kStore], "readwrite");
      transaction.objectStore(kStore).put({ timestamp: new Date(), mode: kFileMode, contents: bytes }, path);
      return within(transactionDone(transaction), "the browser's storage");
    });
  }

  // Says on the page what holds now: files in memory only, or nothing.
  function tellUnsaved(why) {
    var left = Object.keys(unsaved).map(function (path) { return path.slice(kFolder.length); });
    if (left.length === 0) tell("refused", "");
    else tell("refused", "The browser's storage did not take " + (left.length === 1 ? left[0] : left.length + " files") +
                         " (" + why + "): kept for this visit, tried again at the next save.");
  }

  // Writes one file through; a refusal keeps it in memory, to be tried again.
  function store(path) {
    return write(path).then(function () {
      if (unsaved[path]) {
        delete unsaved[path];
        tellUnsaved("");
      }
    }, function (error) {
      unsaved[path] = true;
      console.warn("velquadro: the browser's storage did not take " + path + " (" + error + ")");
      tellUnsaved(error && error.name === "QuotaExceededError" ? "it is full"
                  : silent(error) ? "it did not answer" : (error && error.message) || error);
    });
  }

  // Takes the lock between the page's tabs, at most kWaitMs: a tab that
  // holds it longer is not waited for, as the desktop's saves do not wait
  // for a copy stopped while it held its folder's lock. A page the browser
  // gives no Web Locks (plain HTTP from another machine) saves without.
  // Resolves to what lets it go again.
  function lock() {
    if (!navigator.locks) return Promise.resolve(function () {});
    return new Promise(function (taken) {
      var controller = new AbortController();
      var timer = setTimeout(function () { controller.abort(); }, kWaitMs);
      navigator.locks.request(kLockName, { signal: controller.signal }, function () {
        clearTimeout(timer);
        return new Promise(function (release) { taken(release); });
      }).catch(function (error) {
        console.warn("velquadro: another tab held the game's lock for " + kWaitMs / 1000 + " s; saving without it (" +
                     error + ")");
        taken(function () {});
      });
    });
  }

  // The files the storage refused before, tried again one at a time.
  function retryUnsaved() {
    return Object.keys(unsaved).reduce(function (done, path) {
      return done.then(function () { return store(path); });
    }, Promise.resolve());
  }

  // Where a tab's read meets another's save: after the lock, never meanwhile.
  function refresh() {
    return readStored().then(function (files) {
      if (bringIn(files)) Module["filesChanged"] = true;
      if (Module["storageChanged"]) Module["storageChanged"]();
      tell("silent", "");
    }, function (error) {
      if (silent(error)) {
        tell("silent", "The browser's storage does not answer: this visit's files are kept in memory.");
      } else {
        console.warn("velquadro: the browser's storage cannot be read (" + error + ")");
      }
    });
  }

  // The program waits on these: they end, whatever the storage does.
  function warn(error) { console.warn("velquadro: the page's storage step failed (" + error + ")"); }

  Module["storage"] = {
    // A save begins: the lock, then what the storage holds brought in.
    lockAndRead: function () {
      return lock().then(function (release) {
        releaseLock = release;
        return refresh();
      }).catch(warn);
    },
    store: function (path) {
      return store(path).then(function () { if (Module["storageChanged"]) Module["storageChanged"](); }).catch(warn);
    },
    // The save is over: the files an earlier save left in memory only are
    // tried again before the lock goes, the program not waiting for them.
    unlock: function () {
      var release = releaseLock || function () {};
      releaseLock = null;
      retryUnsaved().finally(release);
    },
    // A tab brought to the front: what the others stored since, under the
    // lock so that no save is caught halfway.
    refresh: function () {
      return lock().then(function (release) { return refresh().finally(release); }).catch(warn);
    },
  };

  // The stored files are read as the script runs, while the WebAssembly
  // compiles, not after it: the program waits for them before it starts.
  // A failure is answered in preRun; until then it is no unhandled one.
  var firstRead = readStored();
  firstRead.catch(function () {});
  Module["preRun"] = Module["preRun"] || [];
  Module["preRun"].push(function () {
    ENV["XDG_DATA_HOME"] = "/data";
    FS.mkdirTree(kFolder);
    addRunDependency("velquadro-storage");
    firstRead.then(bringIn, function (error) {
      var text = silent(error)
                   ? "The browser's storage does not answer: this visit's files are kept in memory."
                   : "The browser gives this page no storage (" + (error && error.message || error) +
                       "): this visit's files are kept in memory.";
      tell("silent", text);
      console.warn("velquadro: " + text);
    }).finally(function () { removeRunDependency("velquadro-storage"); });
  });
})();
