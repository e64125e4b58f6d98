// Opens the documented example's start page in headless Chromium, clicks
// entries of the navigation frame and a see-also link, and checks that the
// right-hand frame shows the right page scrolled to the right anchor.
//
//   node frames.mjs PROJECT_DIRECTORY SCREENSHOT.png
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

const [projectDirectory, screenshotPath] = process.argv.slice(2);
const root = path.resolve(projectDirectory);
const types = { '.png': 'image/png', '.gif': 'image/gif' };

// The pages are served over loopback, as a web server would serve them.
const server = http.createServer((request, response) => {
  const file = path.join(root, decodeURIComponent(new URL(request.url, 'http://x').pathname));
  if (!file.startsWith(root)) {
    response.writeHead(403).end();
    return;
  }
  fs.readFile(file, (error, data) => {
    if (error) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'text/html' });
    response.end(data);
  });
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const base = `http://127.0.0.1:${server.address().port}/pirVex/`;

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
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

// The main frame shows `pagePath` with the anchor `name` at the top of the
// frame, or scrolled as far as the page goes.
async function shows(frame, pagePath, name) {
  const expected = `${base}${pagePath}#${name}`;
  await frame.waitForURL(expected, { timeout: 5000 }).catch(() => {});
  if (frame.url() !== expected) return `url ${frame.url()}`;
  const place = await frame.evaluate((anchorName) => {
    const anchor = [...document.getElementsByTagName('a')].find((a) => a.name === anchorName);
    if (!anchor) return null;
    const scrolledToEnd = Math.ceil(window.scrollY + window.innerHeight) >= document.documentElement.scrollHeight;
    return { top: anchor.getBoundingClientRect().top, scrolledToEnd };
  }, name);
  if (!place) return 'anchor missing';
  if (Math.abs(place.top) > 2 && !place.scrolledToEnd) return `anchor at ${place.top}px`;
  return '';
}

try {
  const page = await browser.newPage({ viewport: { width: 1200, height: 640 } });
  await page.goto(`${base}index.html`);
  const navigation = page.frame({ name: 'index' });
  const main = page.frame({ name: 'main' });
  check('start page shows the main page', main.url() === `${base}main.HTM`, main.url());

  const entries = [
    ['ReadLine', 'main.HTM'],            // procedure on the main page
    ['GetKey', 'main.HTM'],              // public entry
    ['WriteLine', 'lib/io_inc.HTM'],     // configured heading, one directory down
    ['ToLower', 'lib/text/convert_inc.HTM'],
    ['LINEBUF', 'inc/defs_inc.HTM'],     // structure on an included page
    ['CASETABLE', 'lib/text/convert_inc.HTM'],
  ];
  for (const [name, pagePath] of entries) {
    await navigation.getByRole('link', { name, exact: true }).click();
    const problem = await shows(main, pagePath, name);
    check(`navigation link ${name}`, problem === '', problem);
  }

  // A see-also link on an included page two directories down leads back.
  await navigation.getByRole('link', { name: 'ToUpper', exact: true }).click();
  await shows(main, 'lib/text/convert_inc.HTM', 'ToUpper');
  await main.locator('li').getByRole('link', { name: 'WriteLine', exact: true }).first().click();
  let problem = await shows(main, 'lib/io_inc.HTM', 'WriteLine');
  check('see-also link to another page', problem === '', problem);
  await main.locator('li').getByRole('link', { name: 'LINEBUF', exact: true }).first().click();
  problem = await shows(main, 'inc/defs_inc.HTM', 'LINEBUF');
  check('see-also link to a structure', problem === '', problem);

  const image = await page.request.get(`${base}lib/../../images/head.png`);
  check('heading image is served', image.ok());

  await page.goto(`${base}index.html`);
  await page.frame({ name: 'index' }).getByRole('link', { name: 'WriteLine', exact: true }).click();
  await shows(page.frame({ name: 'main' }), 'lib/io_inc.HTM', 'WriteLine');
  await page.screenshot({ path: screenshotPath });
} finally {
  await browser.close();
  server.close();
}
console.log(`browser: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
