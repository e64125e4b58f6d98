// Opens the documented example's html5 site from file://, as a reader opens
// it, in headless Chromium: search, deep links, the dark theme, the source
// view, the callers of a procedure, the narrow layout and axe-core's
// accessibility rules. With a third argument, a project of 100,000
// procedures documented with --html5, it times the search box.
//
//   node html5.mjs PROJECT_DIRECTORY SCREENSHOT.png [BIG_PROJECT_DIRECTORY]
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';
import { fileURLToPath, pathToFileURL } from 'node:url';

const [projectDirectory, screenshotPath, bigProjectDirectory] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
const project = path.resolve(projectDirectory);
const site = path.join(project, 'pirVex', 'html5');
const axePath = path.join(here, 'node_modules', 'axe-core', 'axe.min.js');
const assets = path.join(here, '..', '..', 'src', 'site', 'assets');

// A page of the site as a file:// URL; the fragment is added after the
// conversion, which would escape its "#".
function siteUrl(page, directory = site) {
  const [file, fragment] = page.split('#');
  return pathToFileURL(path.join(directory, file)).href + (fragment === undefined ? '' : `#${fragment}`);
}

let passed = 0;
let failed = 0;
function check(name, ok, detail) {
  if (ok) {
    passed += 1;
  } else {
    failed += 1;
    console.log(`FAILED: ${name}${detail ? ` (${detail})` : ''}`);
  }
}

// --- What the example's sources say, read without pirVex ----------------

function sourceFiles(directory) {
  const found = [];
  for (const item of fs.readdirSync(directory, { withFileTypes: true })) {
    const full = path.join(directory, item.name);
    if (item.isDirectory()) {
      if (item.name !== 'pirVex') found.push(...sourceFiles(full));
    } else if (/\.(asm|inc)$/i.test(item.name)) {
      found.push(full);
    }
  }
  return found;
}

// Lines of a source file as text; bytes above 127 (code page 437 umlauts)
// become "?" since only ASCII lines are compared with the pages.
function sourceLines(file) {
  return fs.readFileSync(file, 'latin1').replace(/[^\x00-\x7f]/g, '?').split(/\r\n|\n/);
}

// Procedures by the name their entry has (an @PUBLIC name replaces the
// private one), and the procedures whose body CALLs each of them.
function callGraph(directory) {
  const publicName = new Map();
  const calls = [];
  for (const file of sourceFiles(directory)) {
    let pendingPublic = null;
    let inside = null;
    for (const raw of sourceLines(file)) {
      const publicLine = raw.match(/^\s*;\*\s*@PUBLIC:\s*(\S+)/i);
      if (publicLine) pendingPublic = publicLine[1];
      const code = raw.replace(/;.*/, '');
      const proc = code.match(/^\s*([A-Za-z_@?$][\w@?$]*)\s+PROC\b/i);
      if (proc) {
        inside = proc[1];
        if (pendingPublic) publicName.set(proc[1], pendingPublic);
        pendingPublic = null;
        continue;
      }
      if (/^\s*[A-Za-z_@?$][\w@?$]*\s+ENDP\b/i.test(code)) inside = null;
      const call = code.match(/^\s*(?:[\w@?$]+:\s*)?CALL\s+(?:(?:NEAR|FAR)\s+PTR\s+)?([A-Za-z_@?$][\w@?$]*)/i);
      if (call && inside) calls.push([inside, call[1]]);
      // A documentation block belongs to the code line right after it.
      if (code.trim()) pendingPublic = null;
    }
  }
  const entryName = (name) => publicName.get(name) ?? name;
  const callers = new Map();
  for (const [caller, callee] of calls) {
    const key = entryName(callee);
    if (!callers.has(key)) callers.set(key, new Set());
    callers.get(key).add(entryName(caller));
  }
  return callers;
}

function lineOf(file, pattern) {
  return sourceLines(file).findIndex((line) => pattern.test(line)) + 1;
}

// --- The files pirVex wrote, read without a browser ----------------------

function htmlFiles(directory) {
  const found = [];
  for (const item of fs.readdirSync(directory, { withFileTypes: true })) {
    const full = path.join(directory, item.name);
    if (item.isDirectory()) found.push(...htmlFiles(full));
    else if (item.name.endsWith('.html')) found.push(full);
  }
  return found.sort();
}

function readIndex(directory) {
  const context = { window: {} };
  vm.runInNewContext(fs.readFileSync(path.join(directory, 'search-index.js'), 'utf8'), context);
  return context.window.PIRVEX_INDEX;
}

function idsOf(file, cache) {
  if (!cache.has(file)) {
    const ids = new Set();
    if (fs.existsSync(file)) {
      for (const match of fs.readFileSync(file, 'utf8').matchAll(/\sid="([^"]*)"/g)) ids.add(match[1]);
    }
    cache.set(file, fs.existsSync(file) ? ids : null);
  }
  return cache.get(file);
}

function unescapeHtml(text) {
  return text.replace(/&(amp|lt|gt|quot|#39);/g, (all, name) =>
    ({ amp: '&', lt: '<', gt: '>', quot: '"', '#39': "'" })[name]);
}

// Where a link from `file` leads, or why it leads nowhere.
function brokenLink(file, href, cache) {
  if (/^[a-z]+:/i.test(href)) return '';
  const [target, fragment] = unescapeHtml(href).split('#');
  const targetFile = target ? path.resolve(path.dirname(file), decodeURIComponent(target)) : file;
  if (!targetFile.startsWith(site)) return `${href} leaves the site`;
  const ids = idsOf(targetFile, cache);
  if (!ids) return `${href}: no such file`;
  if (fragment && !ids.has(decodeURIComponent(fragment))) return `${href}: no such anchor`;
  return '';
}

function checkFiles() {
  for (const name of ['site.css', 'site.js']) {
    const written = fs.readFileSync(path.join(site, name));
    const asset = fs.readFileSync(path.join(assets, name));
    check(`${name} is written as it is in src/site/assets`, written.equals(asset),
      `${written.length} bytes written, ${asset.length} in the asset`);
    check(`${name} is ASCII with LF line ends`, !/[^\x0a\x20-\x7e]/.test(asset.toString('latin1')));
  }
  const assetBytes = fs.statSync(path.join(assets, 'site.css')).size + fs.statSync(path.join(assets, 'site.js')).size;
  check('style and script stay small', assetBytes < 40 * 1024, `${assetBytes} bytes`);

  const cache = new Map();
  const pages = htmlFiles(site);
  const broken = [];
  for (const file of pages) {
    const text = fs.readFileSync(file, 'utf8');
    for (const match of text.matchAll(/<(?:a|link|script)\s[^>]*?(?:href|src)="([^"]*)"/g)) {
      const problem = brokenLink(file, match[1], cache);
      if (problem) broken.push(`${path.relative(site, file)}: ${problem}`);
    }
  }
  check('every link, style and script of the pages is there', pages.length > 0 && broken.length === 0,
    broken.slice(0, 5).join('; '));

  let index = null;
  try {
    index = readIndex(site);
  } catch (error) {
    check('search index is a script that sets window.PIRVEX_INDEX', false, error.message);
    return;
  }
  const wrong = index.filter((row) => !Array.isArray(row) || row.length !== 5 || !/^[ps]$/.test(row[1]) ||
    brokenLink(path.join(site, 'index.html'), row[2], cache) !== '' || !row[2].endsWith(`#${row[0]}`));
  check('every search index entry leads to its entry', index.length > 0 && wrong.length === 0,
    JSON.stringify(wrong.slice(0, 3)));
}

// --- In the browser ------------------------------------------------------

// Where the element with `id` is against the viewport and the sticky header.
async function placeOf(page, id) {
  return page.evaluate((name) => {
    const element = document.getElementById(name);
    if (!element) return null;
    const header = document.querySelector('header.top').getBoundingClientRect();
    const box = element.getBoundingClientRect();
    const scrolledToEnd = Math.ceil(window.scrollY + window.innerHeight) >= document.documentElement.scrollHeight - 1;
    return { top: box.top, headerBottom: header.bottom, height: window.innerHeight, scrolledToEnd };
  }, id);
}

// The element is the one the link scrolled to: its top just below the
// header, or lower when the page could not scroll further.
async function inView(page, id) {
  const place = await placeOf(page, id);
  if (!place) return `#${id} missing`;
  if (place.top < place.headerBottom - 1) return `top ${place.top}px under the header (ends ${place.headerBottom}px)`;
  if (place.top > place.height - 20) return `top ${place.top}px below the viewport`;
  if (!place.scrolledToEnd && place.top > place.headerBottom + 40) return `top ${place.top}px, not scrolled to`;
  return '';
}

async function waitForUrl(page, url) {
  await page.waitForURL(url, { timeout: 5000 }).catch(() => {});
  return page.url() === url ? '' : `at ${page.url()}`;
}

async function searchResults(page) {
  return page.$$eval('#search-results [role=option]', (items) => items.map((item) => {
    const link = item.closest('a') ?? item.querySelector('a');
    return {
      id: item.id,
      text: link ? link.firstChild.textContent.trim() : '',
      where: item.querySelector('.where')?.textContent ?? '',
      href: link?.getAttribute('href') ?? null,
    };
  }));
}

async function typeQuery(page, query) {
  await page.fill('#search', '');
  await page.type('#search', query);
  await page.waitForFunction(() => !document.getElementById('search-results').hidden, null, { timeout: 5000 })
    .catch(() => {});
  return searchResults(page);
}

async function searchChecks(browser) {
  const context = await browser.newContext({ viewport: { width: 1200, height: 700 }, colorScheme: 'light' });
  const page = await context.newPage();
  // Two directories down, so the results' links need the page's root.
  await page.goto(siteUrl('lib/text/convert_inc.html'));
  check('a page opens without the search index', await page.evaluate(() => !window.PIRVEX_INDEX));
  await page.keyboard.press('/');
  await page.waitForFunction(() => Array.isArray(window.PIRVEX_INDEX), null, { timeout: 5000 }).catch(() => {});
  check('the search box, once used, brings the index', await page.evaluate(() => Array.isArray(window.PIRVEX_INDEX)));
  check('"/" puts the focus in the search box', await page.evaluate(() => document.activeElement?.id === 'search'));
  check('"/" is not typed into the box', await page.inputValue('#search') === '');

  await page.keyboard.type('writel');
  await page.waitForSelector('#search-results [role=option]', { timeout: 5000 }).catch(() => {});
  let results = await searchResults(page);
  check('search for a piece of a name lists it first', results[0]?.text === 'WriteLine', JSON.stringify(results[0]));
  check('search result names the file', results[0]?.where === 'lib\\io.inc', results[0]?.where);
  check('open search results are announced',
    await page.getAttribute('#search', 'aria-expanded') === 'true' &&
    await page.isVisible('#search-results'));
  await page.keyboard.press('ArrowDown');
  check('arrow down selects the first result',
    await page.getAttribute('#search', 'aria-activedescendant') === results[0]?.id &&
    await page.getAttribute(`#${results[0]?.id}`, 'aria-selected') === 'true');
  await page.keyboard.press('Enter');
  let problem = await waitForUrl(page, siteUrl('lib/io_inc.html#WriteLine'));
  check('Enter opens the selected result', problem === '', problem);
  problem = problem || await inView(page, 'WriteLine');
  check('the entry found is scrolled into view below the header', problem === '', problem);

  // Exact name before prefix before substring, each by name; then words of
  // the documentation text.
  results = await typeQuery(page, 'line');
  const names = results.map((result) => result.text);
  check('search ranks a name prefix before a name containing the query',
    JSON.stringify(names.slice(0, 3)) === JSON.stringify(['LINEBUF', 'ReadLine', 'WriteLine']), names.join(', '));
  results = await typeQuery(page, 'writeline');
  check('search ranks the exact name first', results[0]?.text === 'WriteLine' &&
    results.every((result) => result.text !== 'WriteLine' || result === results[0]), results.map((r) => r.text).join(', '));
  results = await typeQuery(page, 'BILDSCHIRM zeichen');
  check('search finds all words of a query in the documentation',
    results.length === 1 && results[0].text === 'WriteChar', results.map((r) => r.text).join(', '));
  results = await typeQuery(page, 'gelesenen');
  check('search finds a word from late in a long documentation block',
    results.length === 1 && results[0].text === 'ReadLine', results.map((r) => r.text).join(', '));
  results = await typeQuery(page, 'qqqq');
  check('a search without hits offers nothing to open',
    results.length <= 1 && !results.some((result) => result.href) &&
    await page.getAttribute('#search', 'aria-activedescendant') === null);

  await typeQuery(page, 'tol');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowUp');
  const active = await page.getAttribute('#search', 'aria-activedescendant');
  check('arrow up moves the selection back', active === 'search-result-0', active);
  await page.keyboard.press('Escape');
  check('Escape clears and closes the search',
    await page.inputValue('#search') === '' && await page.isHidden('#search-results') &&
    await page.getAttribute('#search', 'aria-expanded') === 'false' &&
    await page.getAttribute('#search', 'aria-activedescendant') === null);

  await typeQuery(page, 'casetab');
  await page.click('#search-results a[href]');
  problem = await waitForUrl(page, siteUrl('lib/text/convert_inc.html#CASETABLE'));
  check('clicking a search result follows it', problem === '', problem);

  await typeQuery(page, 'tolow');
  await page.keyboard.press('Enter');
  problem = await waitForUrl(page, siteUrl('lib/text/convert_inc.html#ToLower'));
  check('Enter without a selection opens the first result', problem === '', problem);
  await context.close();
}

// The lines of a page's source as shown: code and line numbers apart.
async function shownSource(page) {
  return page.evaluate(() => {
    const code = document.querySelector('div.source pre.code');
    const gutter = document.querySelector('div.source pre.gutter');
    return code && gutter ? { code: code.textContent, numbers: gutter.textContent } : null;
  });
}

async function linkChecks(browser) {
  const context = await browser.newContext({ viewport: { width: 1200, height: 400 }, colorScheme: 'light' });
  const page = await context.newPage();
  await page.goto(siteUrl('lib/text/convert_inc.html#ToLower'));
  let problem = await inView(page, 'ToLower');
  check('a deep link shows its entry below the header', problem === '', problem);

  // The CALL in ReadLine's body leads to the procedure it calls.
  await page.goto(siteUrl('main.html'));
  const call = page.locator('div.source a.ref', { hasText: /^WriteLine$/ }).first();
  check('the source links a CALL to its procedure', await call.count() === 1);
  if (await call.count() === 1) {
    await call.click();
    problem = await waitForUrl(page, siteUrl('lib/io_inc.html#WriteLine'));
    problem = problem || await inView(page, 'WriteLine');
    check('the CALL link opens the procedure in view', problem === '', problem);
  }

  // An entry's line link leads to the line where the entry stands.
  const ioLines = sourceLines(path.join(project, 'lib', 'io.inc'));
  const line = lineOf(path.join(project, 'lib', 'io.inc'), /^\s*WriteLine\s+PROC\b/i);
  await page.goto(siteUrl('lib/io_inc.html#WriteLine'));
  await page.locator('#WriteLine p.source a').click();
  problem = await waitForUrl(page, siteUrl(`lib/io_inc.html#L${line}`));
  problem = problem || await inView(page, `L${line}`);
  const lineText = await page.evaluate((id) => document.getElementById(id)?.textContent, `L${line}`);
  check('the line link of an entry opens its line in view', problem === '' && lineText === ioLines[line - 1],
    problem || lineText);

  // The source as it is: every ASCII line, in order, each beside its number.
  for (const [file, view] of [['main.asm', 'main.html'], ['lib/io.inc', 'lib/io_inc.html']]) {
    const expected = sourceLines(path.join(project, file));
    while (expected.length && expected[expected.length - 1] === '') expected.pop();
    await page.goto(siteUrl(view));
    const shown = await shownSource(page);
    const code = shown ? shown.code.replace(/\n$/, '').split('\n') : [];
    const wrong = code.findIndex((text, n) => !expected[n].includes('?') && text.trimEnd() !== expected[n].trimEnd());
    check(`the source of ${file} shows every line`, code.length === expected.length && wrong < 0,
      wrong >= 0 ? `line ${wrong + 1}: ${JSON.stringify(code[wrong])}` : `${code.length} of ${expected.length} lines`);
    const numbers = expected.map((text, n) => String(n + 1)).join('\n');
    check(`the source of ${file} is numbered line by line`, shown?.numbers.trimEnd() === numbers,
      JSON.stringify(shown?.numbers.slice(0, 20)));
  }
  // Each number stands level with its line, down to the last one.
  const levels = await page.evaluate(() => {
    const top = (pre, n) => {
      const walker = document.createTreeWalker(pre, NodeFilter.SHOW_TEXT);
      let seen = 0;
      for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        for (let at = 0; at <= node.data.length; at++) {
          if (seen === n && at < node.data.length && node.data[at] !== '\n') {
            const range = document.createRange();
            range.setStart(node, at);
            range.setEnd(node, at + 1);
            return range.getBoundingClientRect().top;
          }
          if (node.data[at] === '\n') seen++;
        }
      }
      return null;
    };
    const code = document.querySelector('div.source pre.code');
    const gutter = document.querySelector('div.source pre.gutter');
    const last = code.textContent.replace(/\n$/, '').split('\n').length - 1;
    return [0, last].map((n) => [top(gutter, n), top(code, n)]);
  });
  check('line numbers stand level with their lines',
    levels.every(([number, text]) => number !== null && text !== null && Math.abs(number - text) < 1),
    JSON.stringify(levels));
  const copied = await page.evaluate(() => {
    const selection = window.getSelection();
    selection.selectAllChildren(document.querySelector('div.source'));
    return selection.toString();
  });
  check('line numbers are left out of a copy of the source', copied.startsWith(ioLines.slice(0, 3).join('\n')),
    JSON.stringify(copied.slice(0, 60)));

  // A link to a line that nothing else links to still finds it.
  const mainLines = sourceLines(path.join(project, 'main.asm'));
  const callLine = lineOf(path.join(project, 'main.asm'), /^\s*call\s+WriteLine\b/i);
  await page.goto(siteUrl(`main.html#L${callLine}`));
  problem = await inView(page, `L${callLine}`);
  const target = await page.evaluate(() => document.querySelector(':target')?.textContent);
  check('a link to any line of the source shows and marks that line',
    problem === '' && target === mainLines[callLine - 1], problem || JSON.stringify(target));
  // And so does a line picked later on the same page.
  const retLine = callLine + 1;
  await page.evaluate((hash) => { window.location.hash = hash; }, `#L${retLine}`);
  await page.waitForFunction((id) => document.getElementById(id), `L${retLine}`, { timeout: 2000 }).catch(() => {});
  problem = await inView(page, `L${retLine}`);
  const picked = await page.evaluate(() => document.querySelector(':target')?.textContent);
  check('a line picked on the page shows and is marked', problem === '' && picked === mainLines[retLine - 1],
    problem || JSON.stringify(picked));
  await context.close();
}

async function callerChecks(browser) {
  const callers = callGraph(project);
  const expected = callers.get('WriteLine');
  check('the example has callers of WriteLine to look for', expected !== undefined && expected.size >= 2,
    expected ? [...expected].join(', ') : 'none');
  const context = await browser.newContext();
  const page = await context.newPage();
  const pages = htmlFiles(site).filter((file) => path.relative(site, file) !== 'index.html');
  const wrong = [];
  let writeLineSeen = false;
  for (const file of pages) {
    await page.goto(pathToFileURL(file).href);
    const entries = await page.$$eval('section.entry.procedure', (sections) => sections.map((section) => {
      const heading = [...section.querySelectorAll('h3')].find((h3) => h3.textContent === 'Aufgerufen von');
      const list = section.querySelector('ul.callers');
      return {
        id: section.id,
        heading: Boolean(heading),
        callers: list ? [...list.querySelectorAll('a')].map((a) => ({ text: a.textContent, href: a.href })) : null,
      };
    }));
    for (const entry of entries) {
      const want = [...(callers.get(entry.id) ?? [])].sort();
      const got = entry.callers ? entry.callers.map((caller) => caller.text).sort() : [];
      if (entry.id === 'WriteLine') writeLineSeen = true;
      if (JSON.stringify(want) !== JSON.stringify(got) || entry.heading !== (want.length > 0)) {
        wrong.push(`${entry.id}: ${got.join(', ') || 'none'} instead of ${want.join(', ') || 'none'}`);
      }
      for (const caller of entry.callers ?? []) {
        if (!caller.href.endsWith(`#${caller.text}`) ||
            !idsOf(fileURLToPath(caller.href.split('#')[0]), new Map())?.has(caller.text)) {
          wrong.push(`${entry.id}: link ${caller.href}`);
        }
      }
    }
  }
  check('"Aufgerufen von" lists exactly the callers in the sources', writeLineSeen && wrong.length === 0,
    writeLineSeen ? wrong.join('; ') : 'no WriteLine entry');
  await context.close();
}

async function themeChecks(browser) {
  const background = (page) => page.evaluate(() => getComputedStyle(document.body).backgroundColor);
  const isDark = (color) => {
    const [r, g, b] = color.match(/\d+(\.\d+)?/g).map(Number);
    return 0.2126 * r + 0.7152 * g + 0.0722 * b < 128;
  };
  const button = (page) => page.evaluate(() => {
    const toggle = document.getElementById('theme-toggle');
    return `${document.documentElement.dataset.theme} ${toggle.getAttribute('aria-pressed')} ${toggle.textContent}`;
  });

  const context = await browser.newContext({ viewport: { width: 1200, height: 700 }, colorScheme: 'light' });
  const page = await context.newPage();
  await page.goto(siteUrl('main.html'));
  check('light system theme gives light pages', await button(page) === 'light false Dunkel' &&
    !isDark(await background(page)), await button(page));
  await page.click('#theme-toggle');
  check('the toggle switches to dark', await button(page) === 'dark true Hell' && isDark(await background(page)),
    await button(page));
  await page.locator('#sidebar').getByRole('link', { name: 'lib\\io.inc', exact: true }).click();
  await waitForUrl(page, siteUrl('lib/io_inc.html'));
  check('the next page is dark too', await button(page) === 'dark true Hell' && isDark(await background(page)),
    `${page.url()}: ${await button(page)}`);
  // Paper gets black on white and no page furniture, whatever the theme.
  await page.emulateMedia({ media: 'print' });
  check('printed, a dark page is black on white without header and sidebar', await page.evaluate(() => {
    const style = (selector) => getComputedStyle(document.querySelector(selector));
    return style('body').color === 'rgb(0, 0, 0)' && style('body').backgroundColor === 'rgb(255, 255, 255)' &&
      style('.entry .kind').color === 'rgb(0, 0, 0)' &&
      ['header.top', '#sidebar'].every((selector) => style(selector).display === 'none');
  }));
  await page.emulateMedia({ media: 'screen' });
  await page.click('#theme-toggle');
  await page.goto(siteUrl('index.html'));
  check('toggled back, the next page is light', await button(page) === 'light false Dunkel' &&
    !isDark(await background(page)), await button(page));
  await context.close();

  const darkSystem = await browser.newContext({ colorScheme: 'dark' });
  const darkPage = await darkSystem.newPage();
  await darkPage.goto(siteUrl('index.html'));
  check('dark system theme gives dark pages', await button(darkPage) === 'dark true Hell' &&
    isDark(await background(darkPage)), await button(darkPage));
  // Without the script the style sheet alone follows the system.
  const noScript = await browser.newContext({ colorScheme: 'dark', javaScriptEnabled: false });
  const plain = await noScript.newPage();
  await plain.goto(siteUrl('index.html'));
  check('without script the system\'s dark theme still applies', isDark(await background(plain)));
  await noScript.close();
  await darkSystem.close();
}

// What axe-core finds wrong on the page as it is now.
async function axeViolations(page) {
  await page.addScriptTag({ path: axePath });
  return page.evaluate(async () => {
    const outcome = await window.axe.run(document);
    return outcome.violations.map((violation) =>
      `${violation.id}: ${violation.nodes.slice(0, 3).map((node) => node.target.join(' ')).join(', ')}`);
  });
}

async function axeChecks(browser) {
  // A line of the source as the target, with a link in it.
  const callLine = lineOf(path.join(project, 'main.asm'), /^\s*call\s+WriteLine\b/i);
  const pages = ['index.html', 'lib/io_inc.html#WriteLine', `main.html#L${callLine}`];
  const context = await browser.newContext({ viewport: { width: 1200, height: 700 }, colorScheme: 'light' });
  const page = await context.newPage();
  const violations = () => axeViolations(page);
  for (const theme of ['light', 'dark']) {
    for (const address of pages) {
      await page.goto(siteUrl(address));
      if (await page.evaluate(() => document.documentElement.dataset.theme) !== theme) {
        await page.click('#theme-toggle');
      }
      const found = await violations();
      check(`axe finds nothing on ${address} in the ${theme} theme`, found.length === 0, found.join('; '));
    }
    // The open result list, with a selection, on a page in this theme.
    await page.goto(siteUrl('lib/io_inc.html'));
    await typeQuery(page, 'write');
    await page.keyboard.press('ArrowDown');
    const found = await violations();
    check(`axe finds nothing on the open search results in the ${theme} theme`, found.length === 0, found.join('; '));
  }
  await context.close();
}

async function narrowChecks(browser) {
  const visible = (page, selector) => page.isVisible(selector);
  const wide = await browser.newContext({ viewport: { width: 1200, height: 700 } });
  const widePage = await wide.newPage();
  await widePage.goto(siteUrl('lib/io_inc.html'));
  check('wide screen: sidebar shown, no menu button',
    await visible(widePage, '#sidebar') && !await visible(widePage, '#nav-toggle'));
  await wide.close();

  const context = await browser.newContext({ viewport: { width: 400, height: 700 }, isMobile: true, hasTouch: true });
  const page = await context.newPage();
  await page.goto(siteUrl('lib/io_inc.html'));
  check('narrow screen: sidebar hidden behind the menu button',
    !await visible(page, '#sidebar') && await visible(page, '#nav-toggle') &&
    await page.getAttribute('#nav-toggle', 'aria-expanded') === 'false');
  const width = await page.evaluate(() => document.documentElement.scrollWidth);
  check('narrow screen: the page does not scroll sideways', width <= 400, `${width}px wide`);
  check('narrow screen: search and theme button fit the header',
    await page.evaluate(() => ['#search', '#theme-toggle', '#nav-toggle'].every((selector) => {
      const box = document.querySelector(selector).getBoundingClientRect();
      return box.width > 30 && box.left >= 0 && box.right <= window.innerWidth;
    })));
  await page.click('#nav-toggle');
  check('narrow screen: the menu button opens the sidebar',
    await visible(page, '#sidebar') && await page.getAttribute('#nav-toggle', 'aria-expanded') === 'true' &&
    await page.evaluate(() => document.body.classList.contains('nav-open')));
  await page.locator('#sidebar .entries').getByRole('link', { name: 'WriteChar', exact: true }).click();
  const problem = await waitForUrl(page, siteUrl('lib/io_inc.html#WriteChar'));
  check('narrow screen: an entry picked in the sidebar is uncovered',
    problem === '' && !await visible(page, '#sidebar') &&
    await page.getAttribute('#nav-toggle', 'aria-expanded') === 'false', problem);
  await page.click('#nav-toggle');
  await page.click('#nav-toggle');
  check('narrow screen: the menu button closes the sidebar again', !await visible(page, '#sidebar'));
  // Source lines wider than the screen scroll; a file without links in
  // its code must still be scrollable from the keyboard.
  await page.goto(siteUrl('inc/defs_inc.html#quelltext'));
  const found = await axeViolations(page);
  check('narrow screen: axe finds nothing on a source view', found.length === 0, found.join('; '));
  await context.close();
}

// Milliseconds from a key going down to its results in the list and laid
// out, measured in the page; the first keystroke also lower-cases the index.
async function searchTiming(browser, directory) {
  const bigSite = path.join(path.resolve(directory), 'pirVex', 'html5');
  const context = await browser.newContext({ viewport: { width: 1200, height: 700 } });
  const page = await context.newPage();
  // The start page lists every entry, grouped by first character; groups
  // out of view are not laid out, so it opens in about a second (ten when
  // it was one long list).
  const opening = Date.now();
  await page.goto(siteUrl('index.html', bigSite), { timeout: 120000 });
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
  const opened = Date.now() - opening;
  console.log(`start page: ${opened} ms to its first frame at 100,000 procedures`);
  check('big project: the start page shows within 4 s', opened < 4000, `${opened} ms`);
  await page.goto(siteUrl('main.html', bigSite), { timeout: 120000 });
  await page.focus('#search');
  await page.waitForFunction(() => Array.isArray(window.PIRVEX_INDEX), null, { timeout: 120000, polling: 100 });
  const size = await page.evaluate(() => window.PIRVEX_INDEX.filter((row) => row[1] === 'p').length);
  check('big project: the index holds every procedure', size >= 100000, `${size} procedures`);
  const probe = await page.evaluate(() => {
    const rows = window.PIRVEX_INDEX.filter((row) => row[1] === 'p' && /^Proc\d{5}$/.test(row[0]));
    return rows[Math.floor(rows.length / 2)][0];
  });
  await page.evaluate(() => {
    const list = document.getElementById('search-results');
    window.searchTimes = [];
    let down = 0;
    document.addEventListener('keydown', () => { down = performance.now(); }, true);
    new MutationObserver(() => {
      void list.offsetHeight;
      if (down) window.searchTimes.push(performance.now() - down);
      down = 0;
    }).observe(list, { childList: true });
  });
  await page.focus('#search');
  // A name, then words that only the documentation has.
  for (const query of [probe.toLowerCase(), 'puffer zeile']) {
    await page.fill('#search', '');
    for (const key of query) {
      await page.keyboard.press(key === ' ' ? 'Space' : key);
    }
    await page.waitForFunction((count) => window.searchTimes.length >= count, query.length, { timeout: 10000 })
      .catch(() => {});
    if (query === probe.toLowerCase()) {
      const results = await searchResults(page);
      check('big project: the full name is found first', results[0]?.text === probe, `${results[0]?.text} for ${probe}`);
    }
    await page.evaluate(() => window.searchTimes.push('query end'));
  }
  const times = (await page.evaluate(() => window.searchTimes)).filter((time) => typeof time === 'number');
  const sorted = [...times].sort((a, b) => a - b);
  const median = sorted.length ? sorted[Math.floor(sorted.length / 2)] : Infinity;
  console.log(`search: ${median.toFixed(1)} ms per keystroke at 100,000 procedures ` +
    `(median of ${times.length}, first ${times[0]?.toFixed(1)} ms, slowest ${sorted[sorted.length - 1]?.toFixed(1)} ms)`);
  check('big project: a keystroke in the search box answers in under 50 ms', times.length >= 10 && median < 50,
    `${median.toFixed(1)} ms over ${times.length} keystrokes`);
  await context.close();
}

checkFiles();
const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
try {
  await searchChecks(browser);
  await linkChecks(browser);
  await callerChecks(browser);
  await themeChecks(browser);
  await axeChecks(browser);
  await narrowChecks(browser);
  if (bigProjectDirectory) await searchTiming(browser, bigProjectDirectory);

  const context = await browser.newContext({ viewport: { width: 1200, height: 700 }, colorScheme: 'light' });
  const page = await context.newPage();
  await page.goto(siteUrl('lib/io_inc.html#WriteLine'));
  await page.screenshot({ path: screenshotPath });
  await context.close();
} finally {
  await browser.close();
}
console.log(`browser: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
