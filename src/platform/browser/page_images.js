// Linked into velquadro.js before the program (--pre-js). The images and
// the music are files of their own beside the program (page.js fetches
// them: Module.fetchedFiles), made ready for emscripten's SDL when the
// program asks for each (PrepareFile, images.cpp), not all before the
// program starts: decoding the 41 images on the page's thread took some
// 450 ms, and the title needs 4 of them. The program waits for an image it
// asks for; once it presented its first frame, the others are fetched and
// decoded one at a time in the background, so that a game started a moment
// later finds them ready, and the music is fetched. Images decode with
// createImageBitmap, off the page's thread.
//
// The images asked for before the first frame are remembered for the next
// visit (localStorage), which begins to fetch and decode them (page.js) with
// the program's own files: a list that a new build made wrong costs time,
// never a picture, since the program still waits for each image it asks for.
//
// Each step is a performance mark ("velquadro: ..."), which
// tools/measure/web_page.mjs reads.
(function () {
  var kFirstImages = "velquadro-first-images";
  var decoding = {};      // path: the promise of its decoding, once the program asked for it
  var firstImages = [];   // asked for before the first frame
  var presented = false;
  var files = Module["fetchedFiles"];

  performance.mark("velquadro: program");

  // Decoded into Module.preloadedImages, where IMG_Load takes it from. One
  // that cannot be decoded is left out: IMG_Load then fails, and the program
  // says which file it could not load.
  function keep(path) {
    return function (bitmap) {
      if (bitmap) Module["preloadedImages"][path] = bitmap;
    };
  }
  function decodeImage(path) {
    if (!decoding[path]) decoding[path] = files["neededImage"](path).then(keep(path));
    return decoding[path];
  }

  // The music as emscripten's preloading made it, an audio element of the
  // file, which the browser decodes as it plays. The program never waits for
  // it: its audio element is the program's at once, and one told to play
  // before it had a source plays once it has one (a new source stops only an
  // element that had one). bgm.ogg is 477 KB, more than all that the start
  // waits for.
  var musicFetched = {};  // path: true once its file is in its audio element, or on its way
  function prepareMusic(path) {
    var name = files["music"][path];
    if (!name) return;  // Mix_LoadMUS then says what is missing
    var audio = Module["preloadedAudios"][path];
    if (!audio) audio = Module["preloadedAudios"][path] = new Audio();
    if (musicFetched[path]) return;
    musicFetched[path] = true;
    files["fetchFile"](name).then(function (response) {
      return response.blob();
    }).then(function (blob) {
      audio.src = URL.createObjectURL(new Blob([blob], { type: "audio/ogg" }));
      performance.mark("velquadro: music");
    }).catch(function (error) {
      // Silent until a later game asks again.
      musicFetched[path] = false;
      console.warn("velquadro: the music: " + error.message);
    });
  }

  function remember() {
    try {
      localStorage.setItem(kFirstImages, JSON.stringify(firstImages));
    } catch (error) {
      // No storage for the page: the next visit begins the title's.
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
    // The first frame is out: after its paint, the page's own work that waited
    // for it (an event, "velquadro-first-frame"), the music and every other
    // image, one at a time (all at once took the page's thread for 80 ms and
    // held the paint back). One that cannot be fetched now is fetched again
    // when the program asks for it.
    presented: function () {
      performance.mark("velquadro: first frame");
      presented = true;
      remember();
      requestAnimationFrame(function () {
        setTimeout(function () {
          window.dispatchEvent(new Event("velquadro-first-frame"));
          Object.keys(files["music"]).forEach(prepareMusic);
          files["images"].reduce(function (done, path) {
            return done.then(function () {
              return decoding[path] || files["image"](path).then(keep(path), function () {});
            });
          }, Promise.resolve()).then(function () { performance.mark("velquadro: every image"); });
        }, 0);
      });
    },
  };

  Module["preRun"] = Module["preRun"] || [];
  Module["preRun"].push(function () {
    // IMG_Load reads each image's pixels back from its canvas into the
    // program's memory (a lock), for programs that read them; this one never
    // does on the page, where the canvas draws every image (images.cpp).
    SDL.defaults.discardOnLock = true;
  });
})();
