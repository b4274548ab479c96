// The leaderboard in the page, when velquadro-server serves it (docs/server.md):
// "Submit last game" in the bar once a game has ended, and a "Leaderboard"
// view of the ten best of the mode the title menu shows, each with "Watch".
// A page served as a plain static folder finds no /api/ beside it, and shows
// neither. Names and reasons come from players and the server: they are only
// ever set as text, never as markup.
"use strict";
(function () {
  var LAST = "/data/velquadro/last.vqreplay";
  var NAME_KEY = "velquadro.name";
  var SENT_KEY = "velquadro.submitted"; // the time of the last game submitted from this page
  var NAME = /^[A-Za-z0-9 _.-]{1,16}$/;

  var bar = document.getElementById("bar");
  var note = document.getElementById("note");
  var canvas = document.getElementById("canvas");

  function element(tag, text, attributes) {
    var made = document.createElement(tag);
    if (text !== undefined) made.textContent = text;
    for (var key in attributes || {}) made.setAttribute(key, attributes[key]);
    return made;
  }
  function tell(text) { note.textContent = text; }
  function modeName(mode) { return mode ? "Time attack, " + mode + " s" : "Play"; }
  // The page's own storage may be refused (a private window): the name and
  // the last game sent are then kept for this visit only.
  var kept = {};
  function keep(key, value) {
    kept[key] = value;
    try { localStorage.setItem(key, value); } catch (error) { /* this visit only */ }
  }
  function recall(key) {
    try { return localStorage.getItem(key) || kept[key] || null; } catch (error) { return kept[key] || null; }
  }
  // Keys typed here are the page's, not the game's: SDL listens on the whole
  // document and would take them (and stop them from reaching the field).
  function ownKeys(field) {
    ["keydown", "keyup", "keypress"].forEach(function (type) {
      field.addEventListener(type, function (event) { event.stopPropagation(); });
    });
  }

  var submit = element("button", "Submit last game", { id: "submit", title: "Put the last game on the leaderboard", hidden: "" });
  var board = element("button", "Leaderboard", { id: "board", title: "The ten best of the mode chosen on the title menu" });
  var ask = element("span", undefined, { id: "ask", hidden: "" });
  var name = element("input", undefined, { id: "name", maxlength: "16", size: "12", placeholder: "Your name", autocomplete: "nickname" });
  var ok = element("button", "OK", { id: "name-ok" });
  ask.append(name, ok);
  ownKeys(name);

  var view = element("div", undefined, { id: "leaderboard", hidden: "" });
  var heading = element("h2");
  var table = element("table");
  var close = element("button", "Close", { id: "board-close" });
  view.append(heading, table, close);
  var style = element("style", [
    "#leaderboard { position: absolute; inset: 8% 15%; overflow: auto; background: rgba(11, 15, 36, 0.95);",
    "  border: 1px solid #6cf; padding: 1em 2em; text-align: center; }",
    "#leaderboard[hidden], #ask[hidden], #submit[hidden] { display: none; }",
    "#leaderboard table { margin: 0 auto 1em; border-collapse: collapse; }",
    "#leaderboard td, #leaderboard th { padding: 0.2em 0.8em; }",
    "#leaderboard td.number { text-align: right; font-variant-numeric: tabular-nums; }",
  ].join("\n"));

  // The time of the last game the program kept, or null before the first.
  function lastGameTime() {
    try { return Module.FS.stat(LAST).mtime.getTime(); } catch (error) { return null; }
  }
  // "Submit last game" shows while the last game kept is not the one sent.
  function offer() {
    var time = lastGameTime();
    submit.hidden = time === null || String(time) === recall(SENT_KEY);
  }

  function send() {
    var time = lastGameTime();
    var bytes;
    try { bytes = Module.FS.readFile(LAST); } catch (error) { return tell("No game to submit yet."); }
    submit.disabled = true;
    tell("Sending…");
    fetch("api/games?name=" + encodeURIComponent(recall(NAME_KEY)), {
      method: "POST", body: bytes, headers: { "Content-Type": "application/octet-stream" },
    }).then(function (answer) {
      return answer.json().then(function (game) { return { status: answer.status, game: game }; });
    }).then(function (reply) {
      if (reply.status === 201 || reply.status === 200) {
        keep(SENT_KEY, String(time));
        tell((reply.status === 200 ? "Already on the board: " : "On the board: ") + "rank " + reply.game.rank + " in " +
             modeName(reply.game.mode) + ", " + reply.game.score + " points.");
      } else {
        tell("Not taken: " + (reply.game.error || "the server said " + reply.status) + ".");
        // A game refused for what it is stays refused; a busy board may take it later.
        if (reply.status === 422 || reply.status === 413) keep(SENT_KEY, String(time));
      }
    }).catch(function (error) {
      tell("The board cannot be reached (" + error.message + ").");
    }).then(function () {
      submit.disabled = false;
      offer();
      canvas.focus();
    });
  }

  submit.addEventListener("click", function () {
    if (recall(NAME_KEY)) return send();
    ask.hidden = false;
    submit.hidden = true;
    tell("Your name on the board: letters, digits, spaces and -_. (16 at most).");
    name.focus();
  });
  function takeName() {
    var given = name.value.trim();
    if (!NAME.test(given)) return tell("A name is 1 to 16 letters, digits, spaces and -_. characters.");
    keep(NAME_KEY, given);
    ask.hidden = true;
    send();
  }
  ok.addEventListener("click", takeName);
  name.addEventListener("keydown", function (event) { if (event.key === "Enter") takeName(); });

  function watch(id) {
    tell("Fetching game " + id + "…");
    fetch("api/games/" + encodeURIComponent(id)).then(function (answer) {
      if (!answer.ok) throw new Error("the server said " + answer.status);
      return answer.arrayBuffer();
    }).then(function (data) {
      Module.FS.writeFile("/tmp/opened.vqreplay", new Uint8Array(data));
      Module.openedReplay = "/tmp/opened.vqreplay";
      view.hidden = true;
      tell("Game " + id + " plays on the title menu.");
      canvas.focus();
    }).catch(function (error) { tell("Game " + id + " cannot be had (" + error.message + ")."); });
  }

  function show() {
    var mode = Module.chosenMode || 0;
    heading.textContent = "Leaderboard: " + modeName(mode);
    table.replaceChildren(element("caption", "Loading…"));
    view.hidden = false;
    fetch("api/leaderboard?mode=" + mode + "&limit=10").then(function (answer) {
      if (!answer.ok) throw new Error("the server said " + answer.status);
      return answer.json();
    }).then(function (listed) {
      if (view.hidden) return;
      var head = element("tr");
      ["", "Name", "Score", "Seconds", "Date", ""].forEach(function (title) { head.append(element("th", title)); });
      table.replaceChildren(head);
      if (!listed.games.length) table.append(element("caption", "No games of this mode yet."));
      listed.games.forEach(function (game) {
        var row = element("tr");
        var go = element("button", "Watch", { title: "Watch game " + game.id });
        go.addEventListener("click", function () { watch(game.id); });
        row.append(element("td", String(game.rank), { class: "number" }), element("td", game.name),
                   element("td", String(game.score), { class: "number" }),
                   element("td", String(game.seconds), { class: "number" }),
                   element("td", game.date.slice(0, 10)), element("td"));
        row.lastChild.append(go);
        table.append(row);
      });
    }).catch(function (error) {
      table.replaceChildren(element("caption", "The board cannot be reached (" + error.message + ")."));
    });
  }
  board.addEventListener("click", function () { view.hidden ? show() : (view.hidden = true); canvas.focus(); });
  close.addEventListener("click", function () { view.hidden = true; canvas.focus(); });

  // Only a page that velquadro-server serves has the board beside it. Asked
  // once the title shows: the question, which a kept page's worker cannot
  // answer, held the start back by some 20 ms.
  window.addEventListener("velquadro-first-frame", lookForBoard, { once: true });
  function lookForBoard() {
    fetch("api/modes").then(function (answer) {
      return answer.ok && /json/.test(answer.headers.get("Content-Type") || "");
    }).then(function (served) {
      if (!served) return;
      document.head.append(style);
      bar.insertBefore(board, note);
      bar.insertBefore(submit, board);
      bar.insertBefore(ask, board);
      document.getElementById("screen").append(view);
      setInterval(function () { if (Module.FS) offer(); }, 1000);
      Module.onChosenMode = function () { if (!view.hidden) show(); };
    }).catch(function () { /* no board beside this page */ });
  }
})();
