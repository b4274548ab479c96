// Linked into velquadro-node.js before the program (--pre-js). Under node the
// program's own file is node itself, whose folder holds nothing of ours: the
// program is told it cannot find its file, as where /proc cannot be read, so
// that it stays in the folder it was started in and reads the paths given to
// it from there, as the desktop's program does.
Module["preRun"] = Module["preRun"] || [];
Module["preRun"].push(function () {
  var readlink = FS.readlink;
  FS.readlink = function (path) {
    if (path === "/proc/self/exe") throw new FS.ErrnoError(44 /* ENOENT in emscripten's numbering */);
    return readlink.apply(this, arguments);
  };
});
