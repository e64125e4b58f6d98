// pirVex html5 pages: colour theme, the sidebar on narrow screens, and the
// search box over window.PIRVEX_INDEX (search-index.js, loaded when the box
// is first used). Loaded in <head> without defer, so
// the theme is set before the first paint; everything that needs the body
// waits for DOMContentLoaded. No network, no modules: the pages are opened
// from file:// as often as from a server.
(function () {
  'use strict';

  var THEME_KEY = 'pirvex-theme';
  var MAX_RESULTS = 20;
  var html = document.documentElement;

  // Storage throws on file:// in some browsers and in privacy modes; the
  // theme then lasts for the page only.
  function loadTheme() {
    try {
      return window.localStorage.getItem(THEME_KEY);
    } catch (e) {
      return null;
    }
  }
  function saveTheme(theme) {
    try {
      window.localStorage.setItem(THEME_KEY, theme);
    } catch (e) { /* kept for this page only */ }
  }
  function systemTheme() {
    return window.matchMedia && window.matchMedia('(prefers-color-scheme: dark)').matches ? 'dark' : 'light';
  }
  var chosen = loadTheme();
  html.dataset.theme = chosen === 'dark' || chosen === 'light' ? chosen : systemTheme();

  function showTheme(button) {
    var dark = html.dataset.theme === 'dark';
    button.setAttribute('aria-pressed', dark ? 'true' : 'false');
    button.textContent = dark ? 'Hell' : 'Dunkel';
  }

  function setUpTheme() {
    var button = document.getElementById('theme-toggle');
    if (!button) return;
    showTheme(button);
    button.addEventListener('click', function () {
      html.dataset.theme = html.dataset.theme === 'dark' ? 'light' : 'dark';
      saveTheme(html.dataset.theme);
      showTheme(button);
    });
    // A page shown again from the back button keeps the theme it had then;
    // until the reader picks a theme, pages follow the system's.
    function follow() {
      var saved = loadTheme();
      html.dataset.theme = saved === 'dark' || saved === 'light' ? saved : systemTheme();
      showTheme(button);
    }
    window.addEventListener('pageshow', follow);
    var query = window.matchMedia && window.matchMedia('(prefers-color-scheme: dark)');
    if (query && query.addEventListener) query.addEventListener('change', follow);
  }

  function setUpSidebar() {
    var toggle = document.getElementById('nav-toggle');
    var sidebar = document.getElementById('sidebar');
    if (!toggle || !sidebar) return;
    function open(state) {
      document.body.classList.toggle('nav-open', state);
      toggle.setAttribute('aria-expanded', state ? 'true' : 'false');
    }
    toggle.addEventListener('click', function () {
      open(!document.body.classList.contains('nav-open'));
    });
    // On a narrow screen the sidebar lies over the page: a link to an entry
    // on this page has to uncover it.
    sidebar.addEventListener('click', function (event) {
      if (event.target.closest && event.target.closest('a')) open(false);
    });
    document.addEventListener('keydown', function (event) {
      if (event.key === 'Escape' && document.body.classList.contains('nav-open')) {
        open(false);
        toggle.focus();
      }
    });
  }

  // The index, prepared once when the search box is first used: names
  // lower-cased, and an order by name (then link) to walk it in, so that
  // the first hits met in each rank are the best ones. Texts are searched
  // as they are, without regard to case, rather than kept twice.
  var entries = null;
  var lowerNames = null;
  var order = null;

  function compare(a, b) {
    var x = lowerNames[a];
    var y = lowerNames[b];
    if (x !== y) return x < y ? -1 : 1;
    x = entries[a][0];
    y = entries[b][0];
    if (x !== y) return x < y ? -1 : 1;
    x = entries[a][2];
    y = entries[b][2];
    return x < y ? -1 : x > y ? 1 : 0;
  }

  function loadIndex() {
    if (entries) return true;
    var index = window.PIRVEX_INDEX;
    if (!index || !index.length) return false;
    var count = index.length;
    entries = index;
    lowerNames = new Array(count);
    order = new Array(count);
    var sorted = true;
    for (var i = 0; i < count; i++) {
      lowerNames[i] = String(index[i][0]).toLowerCase();
      order[i] = i;
      if (sorted && i > 0 && compare(i - 1, i) > 0) sorted = false;
    }
    if (!sorted) order.sort(compare);
    return true;
  }

  // Exact name, then name prefix, then name substring, then every word in
  // the text; each rank in name order. A rank is full after MAX_RESULTS,
  // and the text is only searched while the names leave room.
  function search(query) {
    var q = query.toLowerCase().trim();
    if (!q) return [];
    var exact = [];
    var prefix = [];
    var inside = [];
    var count = order.length;
    var k;
    var i;
    for (k = 0; k < count; k++) {
      i = order[k];
      var at = lowerNames[i].indexOf(q);
      if (at < 0) continue;
      if (at > 0) {
        if (inside.length < MAX_RESULTS) inside.push(i);
      } else if (lowerNames[i].length === q.length) {
        exact.push(i);
      } else if (prefix.length < MAX_RESULTS) {
        prefix.push(i);
      }
    }
    var hits = exact.concat(prefix, inside).slice(0, MAX_RESULTS);
    // Each word in the name or in the documentation.
    var words = q.split(/\s+/).map(function (word) {
      return new RegExp(word.replace(/[.*+?^${}()|[\]\\]/g, '\\$&'), 'i');
    });
    for (k = 0; k < count && hits.length < MAX_RESULTS; k++) {
      i = order[k];
      if (lowerNames[i].indexOf(q) >= 0) continue;
      var text = entries[i][4] || '';
      var all = true;
      for (var w = 0; w < words.length && all; w++) all = words[w].test(text) || words[w].test(lowerNames[i]);
      if (all) hits.push(i);
    }
    return hits;
  }

  function setUpSearch() {
    var input = document.getElementById('search');
    var list = document.getElementById('search-results');
    if (!input || !list) return;
    var root = document.body.getAttribute('data-root') || '';
    var selected = -1;
    var requested = false;

    // The index of a large project is megabytes of script: a page asks for
    // it when the search box is first used, not every time it opens.
    function requestIndex() {
      if (requested || window.PIRVEX_INDEX) return;
      requested = true;
      var script = document.createElement('script');
      script.src = root + 'search-index.js';
      script.addEventListener('load', function () {
        if (input.value.trim()) show();
      });
      document.head.appendChild(script);
    }

    // Whether the index is there to search; if not, it is asked for.
    function indexReady() {
      if (loadIndex()) return true;
      requestIndex();
      return false;
    }

    // Each result is a link with the option role inside a bare list item:
    // an option may hold nothing focusable, so the link is the option.
    function options() {
      return list.querySelectorAll('a[role="option"]');
    }
    function close() {
      list.hidden = true;
      input.setAttribute('aria-expanded', 'false');
      input.removeAttribute('aria-activedescendant');
      selected = -1;
    }
    function select(n) {
      var items = options();
      if (selected >= 0 && items[selected]) items[selected].setAttribute('aria-selected', 'false');
      selected = n;
      if (n < 0) {
        input.removeAttribute('aria-activedescendant');
        return;
      }
      items[n].setAttribute('aria-selected', 'true');
      input.setAttribute('aria-activedescendant', items[n].id);
      if (items[n].scrollIntoView) items[n].scrollIntoView({ block: 'nearest' });
    }
    function show() {
      selected = -1;
      input.removeAttribute('aria-activedescendant');
      var query = input.value;
      if (!query.trim()) {
        list.textContent = '';
        close();
        return;
      }
      if (!indexReady()) return;
      var hits = search(query);
      var fragment = document.createDocumentFragment();
      for (var n = 0; n < hits.length; n++) {
        var entry = entries[hits[n]];
        var item = document.createElement('li');
        item.setAttribute('role', 'none');
        var link = document.createElement('a');
        link.setAttribute('role', 'option');
        link.setAttribute('aria-selected', 'false');
        link.id = 'search-result-' + n;
        link.href = root + entry[2];
        link.tabIndex = -1;
        link.appendChild(document.createTextNode(entry[0] + ' '));
        var where = document.createElement('span');
        where.className = 'where';
        where.textContent = entry[3];
        link.appendChild(where);
        item.appendChild(link);
        fragment.appendChild(item);
      }
      if (!hits.length) {
        var none = document.createElement('li');
        none.setAttribute('role', 'option');
        none.setAttribute('aria-disabled', 'true');
        none.setAttribute('aria-selected', 'false');
        none.className = 'none';
        none.textContent = 'Keine Treffer';
        fragment.appendChild(none);
      }
      list.textContent = '';
      list.appendChild(fragment);
      list.hidden = false;
      input.setAttribute('aria-expanded', 'true');
    }
    function open(n) {
      var link = options()[n >= 0 ? n : 0];
      if (link) window.location.href = link.href;
    }

    input.addEventListener('input', show);
    input.addEventListener('focus', function () {
      indexReady();
      if (input.value.trim() && list.hidden) show();
    });
    input.addEventListener('keydown', function (event) {
      if (event.isComposing) return;
      if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
        if (list.hidden) show();
        var count = options().length;
        if (!count) return;
        event.preventDefault();
        var step = event.key === 'ArrowDown' ? 1 : -1;
        select(selected < 0 ? (step > 0 ? 0 : count - 1) : (selected + step + count) % count);
      } else if (event.key === 'Enter') {
        if (list.hidden) show();
        if (!options().length) return;
        event.preventDefault();
        open(selected);
      } else if (event.key === 'Escape') {
        if (!input.value && list.hidden) return;
        event.preventDefault();
        event.stopPropagation();
        input.value = '';
        list.textContent = '';
        close();
      }
    });
    // A click on a result must not take the focus first: the list would
    // close under the pointer before the link is followed.
    list.addEventListener('mousedown', function (event) {
      event.preventDefault();
    });
    input.addEventListener('blur', close);
    // Typed before the page had loaded.
    if (document.activeElement === input && input.value.trim()) show();

    document.addEventListener('keydown', function (event) {
      if (event.key !== '/' || event.ctrlKey || event.metaKey || event.altKey) return;
      var active = document.activeElement;
      if (active && (active.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(active.tagName))) return;
      event.preventDefault();
      input.focus();
      input.select();
    });
  }

  // The source's line numbers: the page says how many there are, and the
  // gutter is filled here rather than carried in every page.
  function fillGutters() {
    var gutters = document.querySelectorAll('pre.gutter[data-lines]');
    for (var g = 0; g < gutters.length; g++) {
      var count = parseInt(gutters[g].getAttribute('data-lines'), 10) || 0;
      var numbers = new Array(count);
      for (var n = 0; n < count; n++) numbers[n] = n + 1;
      gutters[g].textContent = numbers.join('\n');
    }
  }

  // Only lines that something links to carry an id; a link to any other
  // line ("#L12") gets one here, wrapped around the whole line, and is
  // then followed again so that it scrolls and shows as the target.
  function targetLine() {
    var match = /^#L([1-9][0-9]*)$/.exec(window.location.hash);
    if (!match || document.getElementById('L' + match[1])) return;
    var code = document.querySelector('div.source pre.code');
    if (!code) return;
    var wanted = parseInt(match[1], 10) - 1;
    var seen = 0;
    var walker = document.createTreeWalker(code, NodeFilter.SHOW_TEXT);
    var range = document.createRange();
    var started = false;
    var node;
    while ((node = walker.nextNode())) {
      var at = -1;
      if (!started) {
        while (seen < wanted && (at = node.data.indexOf('\n', at + 1)) >= 0) seen++;
        if (seen < wanted) continue;
        range.setStart(node, at + 1);
        started = true;
      }
      var end = node.data.indexOf('\n', at + 1);
      if (end >= 0) {
        range.setEnd(node, end);
        break;
      }
      range.setEnd(node, node.data.length);
    }
    if (!started) return;
    var line = document.createElement('span');
    line.id = 'L' + match[1];
    try {
      range.surroundContents(line);
    } catch (e) {
      range.collapse(true);
      range.insertNode(line);
    }
    window.location.replace(window.location.hash);
  }

  document.addEventListener('DOMContentLoaded', function () {
    setUpTheme();
    setUpSidebar();
    setUpSearch();
    fillGutters();
    targetLine();
  });
  window.addEventListener('hashchange', targetLine);
})();
