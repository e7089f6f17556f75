// The core in chromium beside the native tool, on the same work: `fibers 40 2 5` and a listing of
// about a million sub-divisor lines, best of 3 wall times each; the same and `fibers 60 2 6` on
// the page as a user sees it, click to last row; a save of 902 MB beside the tool's; then the
// first paint of the page on localhost and the module's size gzipped. Run by `bash scripts/web.sh bench`.
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { launchChromium } from '../web/tests/browser.mjs';
import { serve } from '../web/tests/serve.mjs';

const site = process.env.DORVANIX_SITE;
const cli = process.env.DORVANIX_CLI;
const X = '((28,4),27,27,27,13,9,9)';
const work = [
  { label: 'fibers 40 2 5', args: ['fibers', '40', '2', '5'],
    op: 'listFibers', input: { m: '40', r: '2', b: '5' } },
  { label: `subdivisors ${X} --all-types`, args: ['subdivisors', X, '--all-types'],
    op: 'listSubdivisors', x: X },
];

function nativeMillis(args) {
  let best = Infinity;
  for (let i = 0; i < 3; ++i) {
    const start = process.hrtime.bigint();
    execFileSync(cli, args, { stdio: ['ignore', 'ignore', 'inherit'] });
    best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e6);
  }
  return best;
}

const server = await serve(site);
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await launchChromium();
const page = await browser.newPage();
await page.goto(url, { waitUntil: 'load' });
const firstPaint = await page.evaluate(() => new Promise((done) => {
  new PerformanceObserver((entries) => {
    const paint = entries.getEntriesByName('first-contentful-paint')[0];
    if (paint) done(paint.startTime);
  }).observe({ type: 'paint', buffered: true });
}));

// Times one listing in a worker of the page: from the request to the last chunk's arrival.
const browserMillis = (item) => page.evaluate(async (item) => {
  const worker = startWorker();  // as the page starts its workers, with the module it compiled
  const call = (op, args) => new Promise((done) => {
    let rows = 0;
    worker.onmessage = (event) => {
      if (event.data.chunk) rows = event.data.chunk.found; else done({ answer: event.data.answer, rows });
    };
    worker.postMessage({ id: 1, op, args });
  });
  await call('readFiberInput', [{}]);  // the module is compiled and ready
  let best = Infinity;
  let rows = 0;
  for (let i = 0; i < 3; ++i) {
    const start = performance.now();
    if (item.op === 'listFibers') {
      const input = (await call('readFiberInput', [item.input])).answer;
      rows = (await call('listFibers', [input])).rows;
    } else {
      rows = (await call('listSubdivisors', [item.x, { ell: 0, exceptOnlyAB: false, onlyABC: false }])).rows;
    }
    best = Math.min(best, performance.now() - start);
  }
  worker.terminate();
  return { best, rows };
}, item);

console.log('| work | lines | native | chromium | ratio |');
console.log('|---|---|---|---|---|');
for (const item of work) {
  const native = nativeMillis(item.args);
  const web = await browserMillis(item);
  console.log(`| ${item.label} | ${web.rows} | ${native.toFixed(0)} ms | ${web.best.toFixed(0)} ms | ` +
    `${(web.best / native).toFixed(2)} |`);
}
// As a user sees it: from the click that starts a listing on the page to its last row counted
// ("N fibers (t s)"), the listing's worker already started.
async function pageMillis(item) {
  const shown = await browser.newPage();
  const fields = item.input ?? {};
  await shown.goto(item.x ? `${url}#${new URLSearchParams([['x', item.x], ['abc', '0']])}` : url);
  const status = item.x ? '#subdivisor-status' : '#fiber-status';
  const done = item.x ? '^[\\d,]+ lines \\(' : '^[\\d,]+ fibers \\(';
  if (item.x) await shown.waitForFunction((s, p) => new RegExp(p).test(document.querySelector(s).textContent), { timeout: 0 }, status, done);
  for (const [field, value] of Object.entries(fields)) await shown.$eval(`#${field}`, (element, v) => { element.value = v; }, value);
  let best = Infinity;
  for (let i = 0; i < 3; ++i) {
    best = Math.min(best, await shown.evaluate((button, s, p) => new Promise((resolve) => {
      const start = performance.now();
      document.querySelector(s).textContent = '';
      const watch = new MutationObserver(() => {
        if (new RegExp(p).test(document.querySelector(s).textContent)) { watch.disconnect(); resolve(performance.now() - start); }
      });
      watch.observe(document.querySelector(s), { childList: true, characterData: true, subtree: true });
      document.querySelector(button).click();
    }), item.x ? '#relist' : '#list-fibers', status, done));
  }
  await shown.close();
  return best;
}

console.log('');
console.log('| as a user sees it, click to last row | native | page | ratio |');
console.log('|---|---|---|---|');
for (const item of [...work, { label: 'fibers 60 2 6', args: ['fibers', '60', '2', '6'], input: { m: '60', r: '2', b: '6' } }]) {
  const native = nativeMillis(item.args);
  const millis = await pageMillis(item);
  console.log(`| ${item.label} | ${native.toFixed(0)} ms | ${millis.toFixed(0)} ms | ${(millis / native).toFixed(2)} |`);
}
// The largest save: a list of 5,788,794 lines, 902 MB, saved by the page beside the tool writing
// it, and compared byte for byte.
{
  const big = '((24,6),23,23,23,23,23,13,9,7)';
  const folder = mkdtempSync(join(tmpdir(), 'dorvanix-save-'));
  const shown = await browser.newPage();
  const client = await shown.createCDPSession();
  await client.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: join(folder, 'page') });
  await shown.goto(`${url}#${new URLSearchParams([['x', big], ['abc', '0']])}`);
  await shown.waitForFunction(() => /^[\d,]+ lines \(/.test(document.querySelector('#subdivisor-status').textContent), { timeout: 0 });
  const start = Date.now();
  await shown.click('#save-subdivisors');
  let file = null;
  while (!file) {
    await new Promise((done) => setTimeout(done, 200));
    const names = existsSync(join(folder, 'page')) ? readdirSync(join(folder, 'page')) : [];
    if (names.length === 1 && !names[0].endsWith('.crdownload')) file = join(folder, 'page', names[0]);
  }
  const pageSeconds = (Date.now() - start) / 1000;
  const toolStart = Date.now();
  execFileSync(cli, ['subdivisors', big, '--all-types', '--output', join(folder, 'tool.doc')]);
  const toolSeconds = (Date.now() - toolStart) / 1000;
  let same = true;
  try { execFileSync('cmp', ['-s', file, join(folder, 'tool.doc')]); } catch { same = false; }
  console.log(`\nsave of ${big} --all-types (${statSync(file).size} bytes): page ${pageSeconds.toFixed(1)} s, ` +
    `tool ${toolSeconds.toFixed(1)} s, ${same ? 'byte for byte the same' : 'DIFFERENT'}`);
  await shown.close();
  rmSync(folder, { recursive: true, force: true });
}
const gzipped = (name) => gzipSync(readFileSync(join(site, name)), { level: 9 }).length;
console.log(`first paint on localhost: ${firstPaint.toFixed(0)} ms`);
console.log(`module gzipped: dorvanix.wasm ${(gzipped('dorvanix.wasm') / 1024).toFixed(0)} KB, ` +
  `dorvanix.js ${(gzipped('dorvanix.js') / 1024).toFixed(0)} KB`);
await browser.close();
server.close();
