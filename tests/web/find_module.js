// Loads the search page's code (src/archive/search_assets/find.js) and reads
// index folders as the page does, for the Node tests.
"use strict";

const fs = require("node:fs");
const path = require("node:path");
const vm = require("node:vm");

const root = path.resolve(__dirname, "../..");
const find = require(path.join(root, "src/archive/search_assets/find.js"));

// A loader over the folder srch (an archive's srch/): runs each script with
// the three global functions and resolves to what the script handed over,
// or to null when the file is missing or hands over nothing. Records the
// names it was asked for in loader.asked.
function folder_loader(srch) {
  const asked = [];
  const load = (name) => {
    asked.push(name);
    let text;
    try {
      text = fs.readFileSync(path.join(srch, name), "latin1");
    } catch (e) {
      return Promise.resolve(null);
    }
    let data = null;
    const context = {
      vorn_ix: (d) => { data = d; },
      vorn_part: (id, k, d) => { if (name === `${id}_${k}.js`) data = d; },
      vorn_docs: (id, c, d) => { if (name === `${id}_d${c}.js`) data = d; },
    };
    vm.runInNewContext(text, context, {filename: name});
    return Promise.resolve(data);
  };
  load.asked = asked;
  return load;
}

// A loader over files held in memory: name -> script text.
function memory_loader(files) {
  const asked = [];
  const load = (name) => {
    asked.push(name);
    if (!files.has(name)) return Promise.resolve(null);
    let data = null;
    vm.runInNewContext(files.get(name), {
      vorn_ix: (d) => { data = d; },
      vorn_part: (id, k, d) => { data = d; },
      vorn_docs: (id, c, d) => { data = d; },
    });
    return Promise.resolve(data);
  };
  load.asked = asked;
  return load;
}

// All results of a query, a hundred at a time: {count, pages, rows}.
async function all_results(load, query) {
  const res = await find.search(load, query);
  if (res === null) return null;
  const rows = [];
  while (!res.done()) rows.push(...(await res.next(100)));
  return {count: res.count, pages: rows.map((r) => r.page), rows};
}

module.exports = {root, find, folder_loader, memory_loader, all_results};
