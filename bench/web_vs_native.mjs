// The core in chromium beside the native tool, on the same work: `fibers 40 2 5` and a listing of
// about a million sub-divisor lines, best of 3 wall times each; then the first paint of the page
// on localhost and the module's size gzipped. Run by `bash scripts/web.sh bench`.
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
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
  const worker = new Worker('worker.js');
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
const gzipped = (name) => gzipSync(readFileSync(join(site, name)), { level: 9 }).length;
console.log(`first paint on localhost: ${firstPaint.toFixed(0)} ms`);
console.log(`module gzipped: dorvanix.wasm ${(gzipped('dorvanix.wasm') / 1024).toFixed(0)} KB, ` +
  `dorvanix.js ${(gzipped('dorvanix.js') / 1024).toFixed(0)} KB`);
await browser.close();
server.close();
