// Times the search page as a user drives it: headless Chromium opens
// FOLDER/search.html from disk, the query is typed into the box (an input
// event, as keys give), and Enter is pressed PAUSE milliseconds after the
// last key, or once the typing's own search has drawn its results ("done").
// Prints, for each round, how long Enter's search took until its hundred
// were drawn (the page's own data-ms, as bench/search_page.sh reads it) and
// until the first rows, and how long the typing's search had taken by then.
//
//   node bench/search_typing.js FOLDER QUERY [PAUSE...]   (default: 0 300 done)
//
// The browser is driven over the DevTools protocol (tests/web/devtools.js).
"use strict";

const path = require("node:path");
const {pathToFileURL} = require("node:url");
const {open_browser, navigate, evaluate} = require("../tests/web/devtools.js");

const [folder, query, ...pauses] = process.argv.slice(2);
if (!folder || !query) {
  console.error("usage: node bench/search_typing.js FOLDER QUERY [PAUSE_MS|done ...]");
  process.exit(2);
}

// Runs in the page: types the query, waits, presses Enter, and resolves to
// the times once Enter's search is done.
function drive(query, pause) {
  return `new Promise(function (resolve) {
    var box = document.getElementById("srch_q"), list = document.getElementById("srch_list");
    var typed = performance.now();
    function state() { return list.getAttribute("data-state"); }
    function when(test, then) { if (test()) then(); else setTimeout(function () { when(test, then); }, 2); }
    box.value = ${JSON.stringify(query)};
    box.dispatchEvent(new InputEvent("input", {bubbles: true}));
    var wait = ${pause === "done" ? `function (then) { when(function () { return state() === "done"; }, then); }`
                                  : `function (then) { setTimeout(then, ${Number(pause)}); }`};
    wait(function () {
      var typing = state() === "done" ? Number(list.getAttribute("data-ms")) : null;
      var enter = performance.now();
      list.setAttribute("data-state", "");
      document.getElementById("srch_form").requestSubmit();
      when(function () { return state() === "done" || state() === "error"; }, function () {
        var marks = list.getAttribute("data-marks") || "";
        var first = /first:(\\d+)/.exec(marks);
        resolve({state: state(), enter_ms: Number(list.getAttribute("data-ms")),
                 enter_wall_ms: Math.round(performance.now() - enter), first_ms: first ? Number(first[1]) : null,
                 typing_done_ms: typing, pause_ms: Math.round(enter - typed),
                 rows: list.children.length});
      });
    });
  })`;
}

// One round in a browser of its own, so that no file is loaded already.
async function round(pause) {
  const b = await open_browser();
  try {
    await navigate(b, pathToFileURL(path.join(folder, "search.html")).href + "?bench=1");
    return await evaluate(b, drive(query, pause));
  } finally {
    await b.close();
  }
}

async function main() {
  for (const pause of pauses.length ? pauses : ["0", "300", "done"]) {
    console.log(JSON.stringify({pause, ...await round(pause)}));
  }
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
