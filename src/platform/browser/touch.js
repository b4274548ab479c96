// The touch controls (index.html, laid out by touch.css and layout.js): on a
// device with touch, buttons for every key a screen needs, where the thumbs
// rest. A touch on one is a key press for the game: the key goes down when
// the touch starts and up when it ends or is cancelled, through the same
// door as the keyboard's keys (emscripten's SDL), so that a game played by
// touch is recorded and verifies like any other. Each finger is its own: a
// thumb may hold Repeat while the other moves.
//
// The program tells which screen it shows (Module.showActivity, from
// src/platform/browser/events.cpp): the menus' controls, or a game's. A
// phone's screen is kept awake while a game runs, and let go in a pause, at
// the end and while the page is hidden.
"use strict";
(function () {
  var Activity = { Other: 0, Paused: 1, Watching: 2, WatchPaused: 3, Playing: 4 };

  // The keys, as a keyboard gives them to SDL: the DOM's key code, and the
  // left side for Ctrl.
  var keys = {
    up: { keyCode: 38, code: "ArrowUp", key: "ArrowUp" },
    down: { keyCode: 40, code: "ArrowDown", key: "ArrowDown" },
    left: { keyCode: 37, code: "ArrowLeft", key: "ArrowLeft" },
    right: { keyCode: 39, code: "ArrowRight", key: "ArrowRight" },
    enter: { keyCode: 13, code: "Enter", key: "Enter" },
    space: { keyCode: 32, code: "Space", key: " " },
    escape: { keyCode: 27, code: "Escape", key: "Escape" },
    ctrl: { keyCode: 17, code: "ControlLeft", key: "Control", location: 1 },
    m: { keyCode: 77, code: "KeyM", key: "m" },
    r: { keyCode: 82, code: "KeyR", key: "r" },
    b: { keyCode: 66, code: "KeyB", key: "b" },
    h: { keyCode: 72, code: "KeyH", key: "h" },
  };

  // Return, M and Escape act when a frame sees them held, and Return pauses
  // only on every third frame: a touch on them holds its key this long at
  // least, as a short press of a key does. The moves and turns act on a
  // press of any length, and repeat while held with Repeat, so theirs are
  // never lengthened.
  var kShortestHeldMs = 150;

  // Each screen's controls: the side, the key, the place in the side's grid
  // of three by three (touch.css), what the button shows and its accessible
  // name. "release" keys go down when the touch ends: a browser lets a page
  // start sound only then.
  var controls = {
    menu: [
      ["left", "up", "up", "▲", "Up"],
      ["left", "left", "left", "◀", "Left"],
      ["left", "right", "right", "▶", "Right"],
      ["left", "down", "down", "▼", "Down"],
      ["right", "h", "help", "Help", "Help"],
      ["right", "r", "last", "Last", "Watch the last game"],
      ["right", "b", "best", "Best", "Watch the best game"],
      ["right", "enter", "enter", "Return ⏎", "Return", "held"],
    ],
    game: [
      ["left", "ctrl", "repeat", "Repeat", "Repeat (hold)"],
      ["left", "left", "left", "◀", "Left"],
      ["left", "right", "right", "▶", "Right"],
      ["right", "enter", "pause", "Pause", "Pause", "held"],
      ["right", "m", "music", "Music", "Music", "release"],
      ["right", "escape", "end", "End", "End game", "held"],
      ["right", "down", "anticlockwise", "↺", "Turn anticlockwise"],
      ["right", "space", "drop", "Drop", "Drop"],
      ["right", "up", "clockwise", "↻", "Turn clockwise"],
    ],
  };

  var sides = {};
  ["left", "right"].forEach(function (side) {
    var group = document.createElement("div");
    group.id = "touch-" + side;
    group.className = "touch-controls";
    group.setAttribute("role", "group");
    group.setAttribute("aria-label", "Game controls, " + side);
    sides[side] = group;
  });
  var buttons = [];
  var pauseButton = null;
  Object.keys(controls).forEach(function (screenName) {
    controls[screenName].forEach(function (each) {
      var button = document.createElement("button");
      button.type = "button";
      button.className = "touch-key " + screenName;
      button.style.gridArea = each[2];
      button.textContent = each[3];
      button.setAttribute("aria-label", each[4]);
      button.tabIndex = -1;
      button.dataset.key = each[1];
      button.dataset.kind = each[5] || "press";
      if (each[2] === "pause") pauseButton = button;
      sides[each[0]].appendChild(button);
      buttons.push(button);
    });
  });
  var bar = document.getElementById("bar");
  document.body.insertBefore(sides.left, bar);
  document.body.insertBefore(sides.right, bar);

  // To the program, as the keyboard's keys go; nothing before it runs.
  function send(type, name) {
    if (typeof SDL === "undefined" || !SDL.receiveEvent) return;
    var key = keys[name];
    SDL.receiveEvent({ type: type, keyCode: key.keyCode, code: key.code, key: key.key, location: key.location || 0,
                       preventDefault: function () {} });
  }

  // The touches on the controls, by pointer: the button each began on. A key
  // goes down with the first touch on it and up with the last one's end.
  var touches = new Map();
  var downAt = {};
  function touching(name) {
    var count = 0;
    touches.forEach(function (button) { count += button.dataset.key === name; });
    return count;
  }
  function press(name) {
    if (touching(name) > 1) return;
    downAt[name] = performance.now();
    send("keydown", name);
  }
  function lift(name, kind) {
    if (touching(name) > 0) return;
    var left = kind === "press" ? 0 : kShortestHeldMs - (performance.now() - downAt[name]);
    if (left <= 0) send("keyup", name);
    else setTimeout(function () { if (touching(name) === 0) send("keyup", name); }, left);
  }
  buttons.forEach(function (button) {
    button.addEventListener("pointerdown", function (event) {
      // No focus taken from the canvas, no mouse events after it, no menu.
      event.preventDefault();
      touches.set(event.pointerId, button);
      button.classList.add("down");
      if (button.dataset.kind !== "release") press(button.dataset.key);
    });
  });
  // The end of a touch wherever it ends: a finger that slid off its button,
  // or whose button the screen's change hid, still lets go of its key.
  function end(event) {
    var button = touches.get(event.pointerId);
    if (!button) return;
    touches.delete(event.pointerId);
    var name = button.dataset.key;
    if (![...touches.values()].includes(button)) button.classList.remove("down");
    if (button.dataset.kind === "release") {
      if (event.type !== "pointerup" || touching(name) > 0) return;
      press(name);
    }
    lift(name, button.dataset.kind);
  }
  document.addEventListener("pointerup", end);
  document.addEventListener("pointercancel", end);
  // A long press anywhere on a touch screen's page opens no menu; a desktop's
  // right button keeps its own.
  document.addEventListener("contextmenu", function (event) {
    if (document.body.classList.contains("touch")) event.preventDefault();
  });

  // --- The screen shown, and a phone's screen kept awake --------------------
  var activity = Activity.Other;
  var lock = null;
  var asking = false;
  function running() {
    return (activity === Activity.Playing || activity === Activity.Watching) && !document.hidden;
  }
  function keepAwake() {
    if (!navigator.wakeLock) return;
    if (running() && !lock && !asking) {
      asking = true;
      navigator.wakeLock.request("screen").then(function (granted) {
        asking = false;
        lock = granted;
        granted.addEventListener("release", function () { if (lock === granted) lock = null; });
        keepAwake();  // the game may have paused meanwhile
      }, function (error) {
        asking = false;
        console.warn("velquadro: the screen may dim during a game (" + error.message + ")");
      });
    } else if (!running() && lock) {
      var held = lock;
      lock = null;
      held.release();
    }
  }
  document.addEventListener("visibilitychange", keepAwake);

  function show(what) {
    activity = what;
    var inGame = what !== Activity.Other;
    document.body.dataset.screen = inGame ? "game" : "menu";
    var paused = what === Activity.Paused || what === Activity.WatchPaused;
    pauseButton.textContent = paused ? "Go on" : "Pause";
    pauseButton.setAttribute("aria-label", paused ? "Go on (Return)" : "Pause");
    keepAwake();
  }
  var before = Module.showActivity;
  Module.showActivity = function (what) {
    if (before) before(what);
    show(what);
  };
  show(Activity.Other);
})();
