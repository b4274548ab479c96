// The page around the game (index.html): it downloads the program with its
// progress, says what fails and offers to try again, shares the keyboard
// with the browser, keeps the replays' bar and says beside the canvas what
// the program and the page's storage do (page_storage.js tells it).
"use strict";
var Module = window.Module || {};
(function () {
  var screen = document.getElementById("screen");
  var canvas = document.getElementById("canvas");
  var message = document.getElementById("message");
  var status = document.getElementById("status");
  var again = document.getElementById("again");
  var bar = document.getElementById("bar");
  var note = document.getElementById("note");
  var activity = document.getElementById("activity");
  var storageLines = { silent: document.getElementById("silent"), refused: document.getElementById("refused") };
  var file = document.getElementById("file");
  // The canvas's context, made before the program's SDL asks for it (which
  // then gets this one): desynchronized lets a new picture reach the page
  // without a pass through the page's compositing, which costs the browser
  // more than the game itself.
  canvas.getContext("2d", { desynchronized: true });

  // The canvas's size on every screen, and the touch layout: layout.js.
  function scale() { window.velquadroLayout(); }

  function say(text, button, action) {
    status.textContent = text;
    again.hidden = !button;
    again.textContent = button || "";
    again.onclick = action || null;
    message.hidden = false;
  }

  // --- Loading ------------------------------------------------------------
  // The program's two files, named by their contents (tools/web writes the
  // line below), so that a page never runs one build's script with another
  // build's WebAssembly: a page whose tab a newer build's worker took over
  // finds no such file in its keeping rather than the newer one.
  var kProgram = { script: "velquadro.js", wasm: "velquadro.wasm" };
  // A page the service worker keeps runs the script by its address, from the
  // worker's keeping, where the browser keeps the script's compiled code
  // beside it (made when the worker kept the file), and begins it at once,
  // beside the download of the WebAssembly, which the program waits for
  // (instantiateWasm below). A first visit downloads the script itself, to
  // tell its progress, and runs the bytes it read.
  var keptPage = !!(navigator.serviceWorker && navigator.serviceWorker.controller);
  // The page downloads the rest itself, to tell how far it got (bytes of the
  // total) and which file failed, and hands them to the program, which then
  // downloads nothing more.
  var downloads = (keptPage ? [kProgram.wasm] : [kProgram.script, kProgram.wasm]).map(function (name) {
    return { name: name, loaded: 0, total: 0, bytes: null };
  });
  var wasm = downloads[downloads.length - 1];
  var wasmCame;
  var wasmBytes = new Promise(function (resolve) { wasmCame = resolve; });
  function megabytes(bytes) { return (bytes / 1048576).toFixed(1); }
  function showProgress() {
    var loaded = 0, total = 0, known = true;
    downloads.forEach(function (each) {
      loaded += each.loaded;
      total += each.total;
      known = known && each.total > 0;
    });
    say(known ? "Loading… " + megabytes(loaded) + " of " + megabytes(total) + " MB"
              : "Loading… " + megabytes(loaded) + " MB");
  }
  // A file's answer, or an error that says what the host answered.
  function answered(response) {
    if (!response.ok) throw new Error("the server answered " + response.status + (response.statusText ? " " + response.statusText : ""));
    return response;
  }
  // An error that names the file and says why it did not come.
  function notDownloaded(name, error) {
    // fetch says no more than "Failed to fetch" of a lost connection.
    var why = error instanceof TypeError ? "the connection failed" : error.message || error;
    return new Error(name + " could not be downloaded (" + why + ")");
  }
  // The page's other files, whole: a promise of the answer, or of a named error.
  function fetchFile(name) {
    return fetch(name).then(answered).catch(function (error) { throw notDownloaded(name, error); });
  }
  function download(each) {
    each.loaded = 0;
    return fetch(each.name).then(answered).then(function (response) {
      // A host that compresses the file gives its compressed length, which
      // says nothing of the bytes read: the total is then unknown.
      var length = Number(response.headers.get("Content-Length"));
      each.total = response.headers.get("Content-Encoding") ? 0 : length || 0;
      var reader = response.body.getReader();
      var chunks = [];
      function next() {
        return reader.read().then(function (read) {
          if (read.done) return;
          chunks.push(read.value);
          each.loaded += read.value.length;
          showProgress();
          return next();
        });
      }
      return next().then(function () {
        if (each.total && each.loaded !== each.total) throw new Error("it came cut short");
        var bytes = new Uint8Array(each.loaded);
        var at = 0;
        chunks.forEach(function (chunk) { bytes.set(chunk, at); at += chunk.length; });
        each.bytes = bytes;
        if (each === wasm) wasmCame(bytes);
      });
    }).catch(function (error) {
      each.total = 0;
      throw notDownloaded(each.name, error);
    });
  }
  // The program's script, run from the address given; a promise that fails
  // with the file named when it did not come.
  var script = null;
  function runScript(address) {
    return new Promise(function (ran, failed) {
      script = document.createElement("script");
      script.src = address;
      script.onload = ran;
      script.onerror = function () {
        script.remove();
        script = null;
        // The element says no more than that it failed: the host says why.
        fetchFile(kProgram.script).then(function () {
          failed(notDownloaded(kProgram.script, new TypeError()));
        }, failed);
      };
      document.body.appendChild(script);
    });
  }
  function load() {
    beginFirstImages();
    showProgress();
    var missing = downloads.filter(function (each) { return !each.bytes; });
    var steps = missing.map(download);
    if (keptPage && !script) steps.push(runScript(kProgram.script));
    Promise.allSettled(steps).then(function (results) {
      var failed = results.filter(function (result) { return result.status === "rejected"; });
      if (failed.length) {
        say(failed.map(function (result) { return result.reason.message; }).join(". ") + ".", "Try again", load);
        return;
      }
      performance.mark("velquadro: downloaded");
      say("Starting…");
      if (!keptPage) runScript(URL.createObjectURL(new Blob([downloads[0].bytes], { type: "text/javascript" })));
    });
  }
  // The program compiles its WebAssembly once the page has its bytes.
  Module.instantiateWasm = function (imports, instantiated) {
    wasmBytes.then(function (bytes) {
      return WebAssembly.instantiate(bytes, imports);
    }).then(function (result) {
      instantiated(result.instance, result.module);
    }, function (error) {
      say("Velquadro stopped: " + error.message, "Play again", function () { location.reload(); });
    });
    return {};
  };

  // --- The images and the music --------------------------------------------
  // Files of their own, not packed with the program, so that the start
  // waits for what its first frame draws alone. tools/web writes the line
  // below: the images' folder and the music's file are named
  // by their contents, so that a page never shows one build's program with
  // another build's files (fetched late from a newer build's keeping, they
  // are not found, rather than other pictures).
  var kFiles = { folder: "gfx/", images: [], music: { "/bgm.ogg": "bgm.ogg" } };
  // The images the last visit's first frame drew (page_images.js keeps the
  // list), on a first visit the title's: fetched and decoded while the
  // program itself loads and starts, beside the page's own work.
  var kFirstImages = "velquadro-first-images";
  var kTitleImages = ["/gfx/title.png", "/gfx/arrow.png", "/gfx/numbers.png", "/gfx/best.png"];
  var images = {};  // path: the promise of its bitmap (null if it cannot be decoded), once begun
  function image(path) {
    if (kFiles.images.indexOf(path) < 0) return Promise.resolve(null);
    if (!images[path]) {
      var start = performance.now();
      var name = kFiles.folder + path.slice("/gfx/".length);
      images[path] = fetchFile(name).then(function (response) {
        return response.blob();
      }).catch(function (error) {
        delete images[path];  // asked again, it is fetched again
        throw error;
      }).then(function (blob) {
        // Off the page's thread; one that cannot be decoded is left out:
        // the program then says which file it could not load.
        return createImageBitmap(blob).then(function (bitmap) {
          performance.measure("velquadro: decoded " + path, { start: start });
          return bitmap;
        }, function (error) {
          console.warn("velquadro: " + path + " cannot be decoded (" + error + ")");
          return null;
        });
      });
    }
    return images[path];
  }
  // An image the program waits for: one that could not be downloaded is
  // named, with a way to try again, as the program's own files are.
  // The button keeps the focus on the canvas, where a game that waited for
  // the image goes on, not paused as by a focus lost.
  again.addEventListener("mousedown", function (event) { event.preventDefault(); });
  function neededImage(path) {
    return image(path).catch(function (error) {
      return new Promise(function (retry) {
        say(error.message + ".", "Try again", function () {
          message.hidden = true;
          retry();
        });
      }).then(function () { return neededImage(path); });
    });
  }
  function beginFirstImages() {
    var first = kTitleImages;
    try {
      var kept = JSON.parse(localStorage.getItem(kFirstImages));
      if (Array.isArray(kept)) first = kept;
    } catch (error) {
      // No storage for the page, or not a list: the title's.
    }
    first.forEach(function (path) { image(path).catch(function () {}); });
  }
  Module.fetchedFiles = { images: kFiles.images, music: kFiles.music, image: image, neededImage: neededImage, fetchFile: fetchFile };

  // --- The keyboard ---------------------------------------------------------
  // Only the game's keys, and only while the canvas has the focus, are the
  // game's: a letter with Ctrl or Alt (reload, find), the function keys but
  // F1 (F5, F11, F12), Tab (to the bar's buttons) and zoom stay the
  // browser's. Other plain keys still reach the game for "any key" but keep
  // whatever the browser does with them.
  var gameKeys = new Set(["Escape", "ControlLeft", "ControlRight", "AltLeft", "AltRight", "ArrowUp", "ArrowDown",
                          "ArrowLeft", "ArrowRight", "Space", "Enter", "NumpadEnter", "KeyM", "KeyF", "KeyR", "KeyB",
                          "F1", "KeyH"]);
  function isGameKey(event) {
    if (event.metaKey || !gameKeys.has(event.code)) return false;
    return !(/^Key/.test(event.code) && (event.ctrlKey || event.altKey));
  }
  function isPlainKey(event) {
    return !event.ctrlKey && !event.altKey && !event.metaKey && event.code !== "Tab" && !/^F\d+$/.test(event.code);
  }
  // SDL's copy of an event whose default stays the browser's.
  function untouched(event) {
    return { type: event.type, keyCode: event.keyCode, location: event.location, key: event.key, code: event.code,
             preventDefault: function () {} };
  }
  function toGame(event) {
    if (typeof SDL === "undefined" || !SDL.receiveEvent) return;
    if (isGameKey(event)) SDL.receiveEvent(event);  // and the browser does nothing with it
    else if (event.type === "keyup" || isPlainKey(event)) SDL.receiveEvent(untouched(event));
  }
  canvas.addEventListener("keydown", toGame);
  canvas.addEventListener("keyup", toGame);
  // The page's focus and visibility, as SDL would have taken them; the canvas
  // losing the focus to the bar is a focus lost too: the game pauses rather
  // than play on without its keys.
  function focusToGame(event) {
    if (typeof SDL !== "undefined" && SDL.receiveEvent) SDL.receiveEvent(event);
  }
  window.addEventListener("focus", focusToGame);
  window.addEventListener("blur", focusToGame);
  document.addEventListener("visibilitychange", focusToGame);
  canvas.addEventListener("blur", function () { focusToGame({ type: "blur", preventDefault: function () {} }); });
  // SDL cancels a press on the canvas, which would otherwise give it the focus.
  screen.addEventListener("mousedown", function () { canvas.focus(); });

  // --- What the page says -------------------------------------------------
  // The note of the replays' bar, with what makes it hold: it clears when it
  // no longer does.
  var noteHolds = null;
  function setNote(text, holds) {
    note.textContent = text;
    noteHolds = holds || null;
  }
  function checkNote() {
    if (noteHolds && !noteHolds()) setNote("");
  }
  var activities = ["", "Paused: Return goes on", "Watching a replay: Return pauses, Escape ends it",
                    "The replay is paused: Return goes on"];
  var opened = null;  // the replay file handed to the program: its name, and whether it plays
  Module.showActivity = function (what) {
    activity.textContent = activities[what] || "";
    // The replay handed over is the one watched once the program took it.
    if (what === 2 && opened && !Module.openedReplay && !opened.playing) {
      opened.playing = true;
      setNote("Watching " + opened.name + ".");
    }
    if (what === 0 && opened && opened.playing) {
      opened = null;
      setNote("");
    }
  };
  Module.tellStorage = function (what, text) {
    storageLines[what].textContent = text;
  };
  Module.storageChanged = checkNote;

  // --- The replays ----------------------------------------------------------
  // The program keeps the player's files in /data/velquadro (the page's
  // storage); a replay to watch goes to /tmp/opened.vqreplay, and the title
  // menu watches it as it watches R and B, or says why not on standard error.
  var kOpened = "/tmp/opened.vqreplay";
  // The largest replay the format allows (kMostReplayBytes in
  // src/game/replay.h): a larger file is refused before it is read.
  var kMostReplayBytes = 16 * 1048576;
  function kept(name) {
    try {
      return Module.FS.readFile("/data/velquadro/" + name + ".vqreplay");
    } catch (error) {
      return null;
    }
  }
  function downloadReplay(name) {
    var bytes = kept(name);
    if (!bytes) {
      setNote("No " + name + " game yet.", function () { return !kept(name); });
      return;
    }
    var link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
    link.download = "velquadro-" + name + ".vqreplay";
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 1000);
    setNote("");
  }
  function watch(chosen) {
    if (!chosen || !Module.FS) return;
    if (chosen.size > kMostReplayBytes) {
      setNote(chosen.name + " is too long to be a replay: not opened.");
      return;
    }
    chosen.arrayBuffer().then(function (data) {
      Module.FS.writeFile(kOpened, new Uint8Array(data));
      Module.openedReplay = kOpened;
      opened = { name: chosen.name, playing: false };
      setNote(chosen.name + " plays on the title menu.");
      canvas.focus();
    }, function (error) {
      setNote(chosen.name + " cannot be read (" + error.message + ").");
    });
  }
  // The program's own words on a replay it will not play, as --verify says
  // them: "velquadro: <path> <why>".
  function programSays(text) {
    var prefix = "velquadro: " + kOpened + " ";
    if (opened && text.indexOf(prefix) === 0) {
      setNote(opened.name + " " + text.slice(prefix.length) + ": not played.");
      opened = null;
    }
  }
  document.getElementById("last").addEventListener("click", function () { downloadReplay("last"); canvas.focus(); });
  document.getElementById("best").addEventListener("click", function () { downloadReplay("best"); canvas.focus(); });
  document.getElementById("open").addEventListener("click", function () { file.click(); });
  file.addEventListener("change", function () { watch(file.files[0]); file.value = ""; });
  document.addEventListener("dragover", function (event) {
    event.preventDefault();
    document.body.classList.add("dropping");
  });
  document.addEventListener("dragleave", function () { document.body.classList.remove("dropping"); });
  document.addEventListener("drop", function (event) {
    event.preventDefault();
    document.body.classList.remove("dropping");
    if (event.dataTransfer.files.length) watch(event.dataTransfer.files[0]);
  });

  // A tab brought back to the front reads what other tabs stored meanwhile:
  // the title's best, the next game's hiscore and the bar's buttons are then
  // current.
  var running = false;
  function broughtToFront() {
    if (running && !document.hidden && Module.storage) Module.storage.refresh().then(checkNote);
  }
  document.addEventListener("visibilitychange", broughtToFront);
  window.addEventListener("focus", broughtToFront);

  var lastSaid = "";  // the program's last line on standard error
  Object.assign(Module, {
    canvas: canvas,
    // The keyboard is the page's (above): SDL listens to none of it.
    doNotCaptureKeyboard: true,
    // Emscripten's SDL says so each time it ignores a call: no news to a player.
    print: function (text) { if (!/^SDL_\w+ called \(and ignored\)$/.test(text)) console.log(text); },
    printErr: function (text) {
      lastSaid = text;
      programSays(text);
      console.warn(text);
    },
    // The first frame drawn takes the place of the loading line.
    onRuntimeInitialized: function () {
      performance.mark("velquadro: runtime");
      running = true;
      // The program has its files: the page keeps no copies of its own.
      downloads.forEach(function (each) { each.bytes = null; });
      message.hidden = true;
      bar.hidden = false;
      scale();
      canvas.focus();
    },
    // Quit: the game has ended, and says so, rather than leave its last picture.
    onExit: function (status) {
      running = false;
      screen.hidden = true;
      bar.hidden = true;
      // A program that ended on a fault (an image it cannot load) says why, not that it ended as Quit ends it.
      say(status ? "Velquadro stopped: " + lastSaid : "Velquadro has ended.", "Play again", function () { location.reload(); });
    },
    onAbort: function (what) { say("Velquadro stopped: " + what, "Play again", function () { location.reload(); }); },
    // F: the page's own full screen, the black page around the canvas.
    toggleFullScreen: function () {
      if (document.fullscreenElement) {
        document.exitFullscreen();
      } else if (screen.requestFullscreen) {
        screen.requestFullscreen().catch(function (error) { console.warn("velquadro: no full screen (" + error + ")"); });
      }
    },
  });
  load();
})();
