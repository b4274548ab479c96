// Linked into velquadro.js before the program (--pre-js). The packed images
// and music (velquadro.data) are made ready for emscripten's SDL when the
// program asks for each (PrepareFile, images.cpp), not all before the program
// starts: decoding the 41 images on the page's thread took some 450 ms, and
// the title needs 4 of them. The program waits for an image it asks for;
// once it presented its first frame, the others are decoded one at a time in
// the background, so that a game started a moment later finds them ready.
// Images decode with createImageBitmap, off the page's thread.
//
// The images asked for before the first frame are remembered for the next
// visit (localStorage), which begins to decode them as soon as the packed
// files are unpacked, beside the program's own start: a list that a new
// build made wrong costs time, never a picture, since the program still
// waits for each image it asks for.
//
// Each step is a performance mark ("velquadro: ..."), which
// tools/measure/web_page.mjs reads.
(function () {
  var kFirstImages = "velquadro-first-images";
  var decoding = {};      // path: the promise of its decoding, once begun
  var firstImages = [];   // asked for before the first frame
  var presented = false;

  performance.mark("velquadro: program");

  // Decoded into Module.preloadedImages, where IMG_Load takes it from. One
  // that cannot be read or decoded is left out: IMG_Load then fails, and the
  // program says which file it could not load.
  function decodeImage(path) {
    if (!decoding[path]) {
      var bytes = null;
      try {
        bytes = FS.readFile(path);
      } catch (error) {
        return Promise.resolve();
      }
      var start = performance.now();
      decoding[path] = createImageBitmap(new Blob([bytes], { type: "image/png" })).then(function (bitmap) {
        Module["preloadedImages"][path] = bitmap;
        performance.measure("velquadro: decoded " + path, { start: start });
      }, function (error) {
        console.warn("velquadro: " + path + " cannot be decoded (" + error + ")");
      });
    }
    return decoding[path];
  }

  // The music as emscripten's preloading made it, an audio element of the
  // file, which the browser decodes as it plays: the program need not wait.
  function prepareMusic(path) {
    if (Module["preloadedAudios"][path]) return;
    var bytes;
    try {
      bytes = FS.readFile(path);
    } catch (error) {
      return;  // Mix_LoadMUS then says what is missing
    }
    var audio = new Audio();
    audio.src = URL.createObjectURL(new Blob([bytes], { type: "audio/ogg" }));
    Module["preloadedAudios"][path] = audio;
  }

  function imagesIn(folder) {
    return FS.readdir(folder).filter(function (name) { return name[0] !== "."; }).reduce(function (found, name) {
      var path = folder + "/" + name;
      if (FS.isDir(FS.stat(path).mode)) return found.concat(imagesIn(path));
      return /\.png$/i.test(name) ? found.concat([path]) : found;
    }, []);
  }

  function remembered() {
    try {
      var list = JSON.parse(localStorage.getItem(kFirstImages) || "[]");
      return Array.isArray(list) ? list.filter(function (path) { return /^\/gfx\/.*\.png$/.test(path); }) : [];
    } catch (error) {
      return [];  // no storage for the page, or not a list: nothing begun early
    }
  }

  function remember() {
    try {
      localStorage.setItem(kFirstImages, JSON.stringify(firstImages));
    } catch (error) {
      // No storage for the page: the next visit decodes them as asked.
    }
  }

  Module["pageFiles"] = {
    prepare: function (path) {
      path = PATH_FS.resolve(path);
      if (/\.png$/i.test(path)) {
        if (!presented && firstImages.indexOf(path) < 0) firstImages.push(path);
        return decodeImage(path);
      }
      if (/\.ogg$/i.test(path)) prepareMusic(path);
      return Promise.resolve();
    },
    // The first frame is out: after its paint, every other image, one at a
    // time (all at once took the page's thread for 80 ms and held the paint
    // back).
    presented: function () {
      performance.mark("velquadro: first frame");
      presented = true;
      remember();
      requestAnimationFrame(function () {
        setTimeout(function () {
          imagesIn("/gfx").reduce(function (done, path) {
            return done.then(function () { return decodeImage(path); });
          }, Promise.resolve()).then(function () { performance.mark("velquadro: every image"); });
        }, 0);
      });
    },
  };

  // The images the last visit's first frame needed, once the packed files
  // are in place: after every preRun (emscripten runs them in the reverse
  // order of their adding, the file packager's last).
  Module["preRun"] = Module["preRun"] || [];
  Module["preRun"].push(function () {
    // IMG_Load reads each image's pixels back from its canvas into the
    // program's memory (a lock), for programs that read them; this one never
    // does on the page, where the canvas draws every image (images.cpp).
    SDL.defaults.discardOnLock = true;
    Promise.resolve().then(function () {
      performance.mark("velquadro: unpacked");
      remembered().forEach(decodeImage);
    });
  });
})();
