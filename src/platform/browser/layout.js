// The canvas's size on every screen (index.html), and the touch layout's
// shape: a page on a device with touch lays out its controls (touch.js)
// below the canvas in portrait and on both sides of it in landscape, and
// the canvas takes all the room they leave.
//
// The size: a whole multiple of 800x600, counted in the display's own
// pixels so that every picture pixel is a square of whole display pixels,
// where it is the game's own size at least and fills two thirds of the
// largest 4:3 size that fits; otherwise that largest size (a 1920x1080 page
// shows the game at 1400x1050, not 800x600, and a phone or a low page at
// what fits, never cut). Full screen fills the screen's height.
"use strict";
(function () {
  var root = document.documentElement;
  var body = document.body;
  var screen = document.getElementById("screen");
  var canvas = document.getElementById("canvas");

  // The controls' room, in CSS pixels, as touch.css lays them out at their
  // least: three rows or columns of buttons of 48 with gaps of 6, a padding
  // of 4 and the page's gap of 8; portrait takes them and the bar's row of
  // 48 below the canvas, landscape takes them on each side of it.
  var kControls = 3 * 48 + 2 * 6 + 2 * 4 + 8;
  var kBar = 48 + 4 + 8;

  function hasTouch() {
    return navigator.maxTouchPoints > 0 || window.matchMedia("(any-pointer: coarse)").matches;
  }
  function inset(name) {
    return parseFloat(getComputedStyle(body).getPropertyValue(name)) || 0;
  }

  // The room for the canvas: the full screen's, the desktop page's above the
  // bar, or the touch layout's, within the notched screen's safe areas.
  function room(touch, portrait) {
    if (document.fullscreenElement || !touch) return [screen.clientWidth, screen.clientHeight];
    var wide = window.innerWidth - inset("padding-left") - inset("padding-right");
    var high = window.innerHeight - inset("padding-top") - inset("padding-bottom");
    if (portrait) return [wide, high - kControls - kBar];
    return [wide - 2 * kControls, high];
  }

  function scale() {
    var touch = hasTouch();
    var portrait = window.innerHeight >= window.innerWidth;
    body.classList.toggle("touch", touch);
    body.classList.toggle("portrait", touch && portrait);
    body.classList.toggle("landscape", touch && !portrait);
    var space = room(touch, portrait);
    var ratio = window.devicePixelRatio || 1;
    var fit = Math.max(0, Math.min(space[0] / 800, space[1] / 600));
    var whole = Math.floor(fit * ratio) / ratio;
    var sharp = !document.fullscreenElement && whole >= 1 && whole >= fit * 2 / 3;
    var size = sharp ? whole : fit;
    canvas.classList.toggle("whole", sharp);
    canvas.style.setProperty("--width", 800 * size + "px");
    canvas.style.setProperty("--height", 600 * size + "px");
    root.style.setProperty("--canvas-width", 800 * size + "px");
    root.style.setProperty("--canvas-height", 600 * size + "px");
  }
  window.addEventListener("resize", scale);
  window.addEventListener("orientationchange", scale);
  document.addEventListener("fullscreenchange", scale);
  // Scaled again when the program has started (the bar shows then) and
  // whenever the page asks.
  window.velquadroLayout = scale;
  scale();
})();
