/* Stirpex site search: finds the people of this site by any part of their name. It needs no
   server: the index is read as script files that lie beside this page (search-data.js, the
   directory, and the data files it names), which browsers load from any folder. */
(function () {
  "use strict";
  var SPELLED = {"\u00f8": "o", "\u00e6": "ae", "\u0153": "oe", "\u00df": "ss", "\u0111": "d",
                 "\u00f0": "d", "\u00fe": "th", "\u0142": "l", "\u0131": "i", "\u03c2": "\u03c3"};
  var limit = 300, prefixLimit = 16, nodes = null, waiting = [], files = {}, generation = 0;
  var timed = false, started = 0, resultsBox, statusBox;

  // Lower case, no marks on letters, a few letters written out, no apostrophes: as the
  // program folds the names it files.
  function fold(text) {
    return text.toLowerCase().normalize("NFD").replace(/\p{M}/gu, "")
      .replace(/['`\u00b4\u02bc\u2019]/g, "")
      .replace(/[\u00f8\u00e6\u0153\u00df\u0111\u00f0\u00fe\u0142\u0131\u03c2]/g,
               function (c) { return SPELLED[c]; });
  }
  function words(text) {
    return fold(text).split(/[^\p{L}\p{N}]+/u).filter(function (w) { return w !== ""; });
  }

  function dataFile(prefix, suffix) {
    var bytes = new TextEncoder().encode(prefix), name = "search-data-";
    for (var i = 0; i < bytes.length; i++) {
      var b = bytes[i];
      name += (b >= 0x61 && b <= 0x7a) || (b >= 0x30 && b <= 0x39) ? String.fromCharCode(b)
          : "_" + (b < 16 ? "0" : "") + b.toString(16);
    }
    return name + suffix + ".js";
  }

  function deliver(name, entries) {
    var file = files[name];
    if (!file || file.entries) return;
    file.entries = entries;
    var callbacks = file.callbacks;
    file.callbacks = [];
    callbacks.forEach(function (callback) { callback(entries); });
  }
  function load(name, callback) {
    var file = files[name];
    if (file) {
      if (file.entries) callback(file.entries); else file.callbacks.push(callback);
      return;
    }
    files[name] = {entries: null, callbacks: [callback]};
    var script = document.createElement("script");
    script.src = name;
    script.onerror = function () { deliver(name, []); };
    script.onload = function () { deliver(name, []); };  // a file that named itself otherwise
    document.head.appendChild(script);
  }

  window.stirpexSearch = {
    directory: function (settings, list) {
      limit = settings.limit;
      prefixLimit = settings.prefixLimit;
      nodes = {};
      list.forEach(function (n) { nodes[n[0]] = {prefix: n[0], inner: n[1] === 1, count: n[2], chunks: n[3]}; });
      var run = waiting;
      waiting = [];
      run.forEach(function (callback) { callback(); });
    },
    data: function (name, entries) { deliver(name, entries); }
  };

  // Where a query word's people are filed: the node of the index whose prefix the word begins
  // with, or the inner node the word ends at; null when no name has a word so begun.
  function locate(word) {
    var letters = Array.from(word), prefix = "";
    for (var i = 0; ; i++) {
      var node = nodes[prefix];
      if (!node) return null;
      if (!node.inner) return {word: word, node: node, whole: false};
      if (i === letters.length || i === prefixLimit) {
        return {word: word, node: node, whole: i === letters.length};
      }
      prefix += letters[i];
    }
  }

  // The files to read for a word, and how many of them come first in name order.
  function sources(place, single) {
    var node = place.node;
    if (!node.inner) return {files: [dataFile(node.prefix, "")], ordered: 0};
    if (place.whole && single) return {files: [dataFile(node.prefix, ".top")], ordered: 0};
    var list = [];
    for (var k = 0; k < node.chunks; k++) list.push(dataFile(node.prefix, "." + k));
    var ordered = list.length;
    if (place.whole) {
      Object.keys(nodes).sort().forEach(function (p) {
        if (p.length <= node.prefix.length || p.indexOf(node.prefix) !== 0) return;
        var n = nodes[p];
        if (!n.inner) {
          list.push(dataFile(p, ""));
        } else {
          for (var c = 0; c < n.chunks; c++) list.push(dataFile(p, "." + c));
        }
      });
    }
    return {files: list, ordered: ordered};
  }

  // An entry [name, surname, birth year, death year, page] as a result of the query words, or
  // null; its quality counts the query words that only begin a word of the name.
  function match(entry, query) {
    if (!entry.words) {
      entry.words = words(entry[0]);
      entry.key = words(entry[1]).join(" ") + "\u0001" + entry.words.join(" ");
    }
    var quality = 0;
    for (var i = 0; i < query.length; i++) {
      var q = query[i], exact = false, begun = false;
      for (var j = 0; j < entry.words.length && !exact; j++) {
        var w = entry.words[j];
        if (w === q) exact = true; else if (!begun && w.lastIndexOf(q, 0) === 0) begun = true;
      }
      if (!exact && !begun) return null;
      if (!exact) quality++;
    }
    return {entry: entry, quality: quality};
  }
  function better(a, b) {
    if (a.quality !== b.quality) return a.quality - b.quality;
    if (a.entry.key !== b.entry.key) return a.entry.key < b.entry.key ? -1 : 1;
    return a.entry[4] < b.entry[4] ? -1 : a.entry[4] > b.entry[4] ? 1 : 0;
  }

  function show(found, state, many) {
    found.sort(better);
    var list = document.createElement("ol");
    found.slice(0, limit).forEach(function (result) {
      var e = result.entry, item = document.createElement("li");
      var name = document.createElement(e[4] ? "a" : "span");
      name.className = "name";
      name.textContent = e[0];
      if (e[4]) name.href = e[4] + ".htm";
      item.appendChild(name);
      if (e[2] || e[3]) {
        var years = document.createElement("span");
        years.className = "years";
        years.textContent = e[2] + "\u2013" + e[3];
        item.appendChild(document.createTextNode(" "));
        item.appendChild(years);
      }
      list.appendChild(item);
    });
    resultsBox.textContent = "";
    resultsBox.appendChild(list);
    var text;
    if (state === "empty") text = "Type a name, or a part of one.";
    else if (found.length === 0) text = state === "done" ? "No one found." : "Searching\u2026";
    else if (found.length > limit || many) text = "More than " + limit + " people found; the best " + limit + " are shown.";
    else if (found.length === 1) text = "1 person found.";
    else text = found.length + " people found.";
    if (statusBox) statusBox.textContent = text;
    resultsBox.setAttribute("data-state", state);
    if (!timed && (found.length > 0 || state !== "searching")) {
      timed = true;
      // When the first results stood on the page: since the page was asked for, and since
      // this script began the search (the browser's own start left out).
      var now = performance.now();
      resultsBox.setAttribute("data-ms", String(Math.round(now)));
      resultsBox.setAttribute("data-search-ms", String(Math.round(now - started)));
    }
  }

  function search(text) {
    var run = ++generation, query = [];
    words(text).forEach(function (w) { if (query.indexOf(w) < 0) query.push(w); });
    if (query.length === 0) { show([], "empty", false); return; }
    show([], "searching", false);
    var start = function () {
      if (run !== generation) return;
      var places = query.map(locate);
      if (places.some(function (p) { return p === null; })) { show([], "done", false); return; }
      // The rarest word leads: its files hold every person the query can find.
      var lead = places.reduce(function (a, b) {
        return b.node.count < a.node.count || (b.node.count === a.node.count && b.word.length > a.word.length) ? b : a;
      });
      var plan = sources(lead, query.length === 1);
      var many = !lead.node.inner ? false : lead.whole && query.length === 1 && lead.node.count > limit;
      var found = [], seen = {}, exact = 0, next = 0;
      var step = function () {
        if (run !== generation) return;
        if (next === plan.files.length || (next <= plan.ordered && next > 0 && exact >= limit)) {
          show(found, "done", many || next < plan.files.length);
          return;
        }
        load(plan.files[next++], function (entries) {
          if (run !== generation) return;
          entries.forEach(function (entry) {
            var result = match(entry, query);
            if (!result) return;
            var id = entry[0] + "\u0001" + entry[2] + "\u0001" + entry[3] + "\u0001" + entry[4];
            if (seen[id]) return;
            seen[id] = true;
            found.push(result);
            if (result.quality === 0) exact++;
          });
          if (next < plan.files.length) show(found, "searching", many);
          step();
        });
      };
      step();
    };
    if (nodes) start(); else waiting.push(start);
  }

  function queryOf(address) {
    var match = /[?&]q=([^&#]*)/.exec(address);
    if (!match) return "";
    try { return decodeURIComponent(match[1].replace(/\+/g, " ")); } catch (e) { return ""; }
  }

  function begin() {
    started = performance.now();
    resultsBox = document.getElementById("search-results");
    statusBox = document.getElementById("search-status");
    if (!resultsBox) {
      resultsBox = document.createElement("div");
      resultsBox.id = "search-results";
      document.body.appendChild(resultsBox);
    }
    var boxes = Array.prototype.slice.call(document.querySelectorAll("input[name=q]"));
    var query = queryOf(window.location.search);
    var timer = 0;
    boxes.forEach(function (box) {
      box.value = query;
      box.addEventListener("input", function () {
        boxes.forEach(function (other) { if (other !== box) other.value = box.value; });
        clearTimeout(timer);
        timer = setTimeout(function () { search(box.value); }, 120);
      });
      if (box.form) {
        box.form.addEventListener("submit", function (event) {
          event.preventDefault();
          clearTimeout(timer);
          search(box.value);
          try {
            window.history.replaceState(null, "", "?q=" + encodeURIComponent(box.value));
          } catch (e) { /* some browsers keep file:// addresses as they are */ }
        });
      }
    });
    var directory = document.createElement("script");
    directory.src = "search-data.js";
    document.head.appendChild(directory);
    search(query);
    if (boxes.length && !query) boxes[0].focus();
  }

  if (document.readyState === "loading") {
    document.addEventListener("DOMContentLoaded", begin);
  } else {
    begin();
  }
})();
