// pirVex html5 pages: colour theme, the sidebar on narrow screens, and the
// search box over window.PIRVEX_INDEX. Loaded in <head> without defer, so
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
    // Until the reader picks a theme, follow the system's.
    if (window.matchMedia) {
      var query = window.matchMedia('(prefers-color-scheme: dark)');
      var follow = function () {
        var saved = loadTheme();
        if (saved !== 'dark' && saved !== 'light') {
          html.dataset.theme = systemTheme();
          showTheme(button);
        }
      };
      if (query.addEventListener) query.addEventListener('change', follow);
    }
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

  // The index, lower-cased once: names for the prefix and substring match,
  // name and documentation together for the word match.
  var entries = null;
  var lowerNames = null;
  var lowerTexts = null;

  function loadIndex() {
    if (entries) return true;
    var index = window.PIRVEX_INDEX;
    if (!index || !index.length) return false;
    entries = index;
    lowerNames = new Array(index.length);
    for (var i = 0; i < index.length; i++) lowerNames[i] = String(index[i][0]).toLowerCase();
    return true;
  }

  function textOf(i) {
    if (!lowerTexts) lowerTexts = new Array(entries.length);
    var text = lowerTexts[i];
    if (text === undefined) {
      text = lowerTexts[i] = lowerNames[i] + ' ' + String(entries[i][4] || '').toLowerCase();
    }
    return text;
  }

  // Best first: exact name, name prefix, name substring, then all words in
  // the text; within a rank by name, then by link.
  function before(rankA, a, rankB, b) {
    if (rankA !== rankB) return rankA < rankB;
    if (lowerNames[a] !== lowerNames[b]) return lowerNames[a] < lowerNames[b];
    if (entries[a][0] !== entries[b][0]) return entries[a][0] < entries[b][0];
    return entries[a][2] < entries[b][2];
  }

  // Keeps the best MAX_RESULTS in order without sorting every hit: a query
  // of one letter matches most of a big index.
  function search(query) {
    var best = [];
    var ranks = [];
    function consider(i, rank) {
      var n = best.length;
      if (n === MAX_RESULTS && !before(rank, i, ranks[n - 1], best[n - 1])) return;
      var at = n === MAX_RESULTS ? n - 1 : n;
      while (at > 0 && before(rank, i, ranks[at - 1], best[at - 1])) {
        best[at] = best[at - 1];
        ranks[at] = ranks[at - 1];
        at--;
      }
      best[at] = i;
      ranks[at] = rank;
    }
    var q = query.toLowerCase().trim();
    if (!q) return best;
    var count = entries.length;
    var i;
    for (i = 0; i < count; i++) {
      var name = lowerNames[i];
      var at = name.indexOf(q);
      if (at === 0) consider(i, name.length === q.length ? 0 : 1);
      else if (at > 0) consider(i, 2);
    }
    if (best.length === MAX_RESULTS) return best;
    var words = q.split(/\s+/);
    for (i = 0; i < count; i++) {
      if (lowerNames[i].indexOf(q) >= 0) continue;
      var text = textOf(i);
      var all = true;
      for (var w = 0; w < words.length && all; w++) all = text.indexOf(words[w]) >= 0;
      if (all) consider(i, 3);
    }
    return best;
  }

  function setUpSearch() {
    var input = document.getElementById('search');
    var list = document.getElementById('search-results');
    if (!input || !list) return;
    var root = document.body.getAttribute('data-root') || '';
    var selected = -1;

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
      if (!loadIndex()) return;
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
      if (input.value.trim() && list.hidden) show();
    });
    input.addEventListener('keydown', function (event) {
      var count = options().length;
      if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
        if (list.hidden) show();
        count = options().length;
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

    document.addEventListener('keydown', function (event) {
      if (event.key !== '/' || event.ctrlKey || event.metaKey || event.altKey) return;
      var active = document.activeElement;
      if (active && (active.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(active.tagName))) return;
      event.preventDefault();
      input.focus();
      input.select();
    });
  }

  document.addEventListener('DOMContentLoaded', function () {
    setUpTheme();
    setUpSidebar();
    setUpSearch();
  });
})();
