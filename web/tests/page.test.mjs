// The web page end to end in Debian's chromium, as a user works it: the figures of a selection,
// every download against the file dorvanix-cli writes, a link that restores the view, and a long
// listing that leaves the page responsive until Cancel stops it.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { get } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, test } from 'node:test';
import { launchChromium } from './browser.mjs';
import { serve } from './serve.mjs';

const cli = process.env.DORVANIX_CLI;
const scratch = mkdtempSync(join(tmpdir(), 'dorvanix-page-'));
const downloads = join(scratch, 'downloads');
const tool = (...args) => execFileSync(cli, args, { encoding: 'latin1' });
const toolFile = (...args) => {
  const file = join(scratch, 'tool-output');
  tool(...args, '--output', file);
  return readFileSync(file, 'latin1');
};

const X = '((3,2),2,2,2)';
const Y = '(2;(2),(1),(1)):: ell = 1 :: type = CAA';
let server;
let browser;
let url;

before(async () => {
  server = await serve(process.env.DORVANIX_SITE);
  url = `http://127.0.0.1:${server.address().port}/`;
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
  server?.close();
  rmSync(scratch, { recursive: true, force: true });
});

async function openPage(address = url) {
  const page = await browser.newPage();
  page.on('pageerror', (error) => { throw error; });
  const client = await page.createCDPSession();
  await client.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.goto(address);
  return page;
}

const text = (page, selector) => page.$eval(selector, (element) => element.textContent);
const waitText = (page, selector, pattern) => page.waitForFunction(
  (s, p) => new RegExp(p).test(document.querySelector(s)?.textContent ?? ''), { timeout: 60000 },
  selector, pattern.source);

// Clicks a download button and answers the bytes of the file that arrives.
async function downloaded(page, button) {
  rmSync(downloads, { recursive: true, force: true });
  await page.click(button);
  for (let i = 0; i < 200; ++i) {
    const names = existsSync(downloads) ? readdirSync(downloads) : [];
    if (names.length === 1 && !names[0].endsWith('.crdownload')) {
      return { name: names[0], bytes: readFileSync(join(downloads, names[0])) };
    }
    await new Promise((done) => setTimeout(done, 50));
  }
  throw new Error(`nothing downloaded by ${button}`);
}

// Moves the list's selection with the keyboard to the line `line`.
async function selectLine(page, list, line) {
  await page.focus(list);
  await page.keyboard.press('Home');
  for (let i = 0; i < 1000; ++i) {
    const current = await page.$eval(list, (element) =>
      document.getElementById(element.getAttribute('aria-activedescendant'))?.textContent);
    if (current === line) return;
    await page.keyboard.press('ArrowDown');
  }
  throw new Error(`${line} is not in ${list}`);
}

test('3 2 3, the fiber, a sub-divisor: its figures and every download', async () => {
  const page = await openPage();
  await page.type('#m', '3');
  await page.type('#r', '2');
  await page.type('#b', '3');
  await page.click('#list-fibers');
  await waitText(page, '#fiber-status', /^1 fibers \(/);
  await page.waitForFunction(() => document.querySelector('#fiber-list .row')?.textContent !== '');
  assert.equal(await text(page, '#fiber-list .row'), tool('fibers', '3', '2', '3').trim());
  const fiberFile = await downloaded(page, '#save-fibers');
  assert.equal(fiberFile.name, '03-2-3.doc');
  assert.equal(fiberFile.bytes.toString('latin1'), toolFile('fibers', '3', '2', '3'));

  await page.click('#choose-fiber');
  await waitText(page, '#subdivisor-status', /^\d+ lines \(/);
  await selectLine(page, '#subdivisor-list', Y);
  await page.click('#select');
  const record = JSON.parse(tool('analyze', X, Y, '--json'));
  await waitText(page, '#figures', new RegExp(`^N = ${record.chain_count} chains, gcd d = ${record.gcd}, ` +
    `genus of the joining curve h = ${record.joining_curve_genus} \\(d N . \\(a \\+ .\\(X\\) . .\\(R\\)\\) = ` +
    `${record.genus_numerator}\\);`));
  assert.equal(await page.$$eval('#analysis-tree [role=treeitem]', (items) => items.length), record.nodes.length);

  const files = [
    ['#save-subdivisors', 'X3-2-2-2.doc', toolFile('subdivisors', X)],
    ['#save-quorbel', '3222-2211.qpf', toolFile('quorbel', X, Y)],
    ['#save-json', null, tool('graph', X, Y, '--format', 'json')],
    ['#save-dot', null, tool('graph', X, Y, '--format', 'dot', '--layout', 'plain')],
    ['#save-tikz', null, tool('graph', X, Y, '--format', 'tikz', '--layout', 'plain')],
  ];
  for (const [button, name, bytes] of files) {
    const file = await downloaded(page, button);
    if (name) assert.equal(file.name, name, button);
    assert.equal(file.bytes.toString('latin1'), bytes, button);
  }

  await page.waitForFunction(() => Number(document.querySelector('#frame-view').dataset.ticks) >= 55);
  await page.click('#pause');
  const ticks = await page.$eval('#frame-view', (element) => element.dataset.ticks);
  const svg = await downloaded(page, '#save-svg');
  assert.equal(svg.bytes.toString('latin1'), tool('picture', X, Y, '--ticks', ticks));
  const png = await downloaded(page, '#save-png');
  assert.equal(png.bytes.subarray(1, 4).toString('latin1'), 'PNG');
  assert.deepEqual([png.bytes.readUInt32BE(16), png.bytes.readUInt32BE(20)], [1024, 768]);

  // The address holds the view: a second page opened on it shows the same X, Y and figures.
  await page.click('#copy-link');
  const link = page.url();
  const restored = await openPage(link);
  await waitText(restored, '#figures', /^N = /);
  assert.equal(await text(restored, '#x-notation'), await text(page, '#x-notation'));
  assert.equal(await text(restored, '#selected-list'), Y);
  assert.equal(await text(restored, '#figures'), await text(page, '#figures'));
  assert.equal(await restored.$eval('#m', (element) => element.value), '3');
  await restored.close();

  // Where the count is no genus of the joining curve, the figures give the core's reason.
  const [twoMeetingsX, twoMeetingsY] = ['((3,2),2,2,1,1)', '(2;(2),(2),(1),(1)):: ell = 1 :: type = CCBB'];
  const noGenus = JSON.parse(tool('analyze', twoMeetingsX, twoMeetingsY, '--json'));
  assert.equal(noGenus.joining_curve_genus, null);
  const view = new URLSearchParams([['x', twoMeetingsX], ['y', twoMeetingsY]]);
  const notGenusPage = await openPage(`${url}#${view}`);
  await waitText(notGenusPage, '#figures', /^N = /);
  assert.ok((await text(notGenusPage, '#figures')).includes(
    `= ${noGenus.genus_numerator}. h: ${noGenus.joining_curve_genus_note};`));
  await notGenusPage.close();
  await page.close();
});

test('bad input gets the core message beside its field; digits of any script are digits', async () => {
  for (const [m, r, b, field] of [['3x', '2', '3', 'm'], ['0', '2', '3', 'm'], ['3', '', '3', 'r'],
    ['3', '2', '-3', 'b'], ['\uFF13', '\uFF12', '\u0663']]) {
    const page = await openPage();
    for (const [id, typed] of [['#m', m], ['#r', r], ['#b', b]]) await page.type(id, typed);
    await page.click('#list-fibers');
    if (!field) {
      await waitText(page, '#fiber-status', /^1 fibers \(/);
      await page.waitForFunction(() => document.querySelector('#fiber-list .row')?.textContent !== '');
      assert.equal(await text(page, '#fiber-list .row'), tool('fibers', m, r, b).trim());
    } else {
      await waitText(page, `#${field}-error`, /./);
      assert.equal(await page.$eval(`#${field}`, (element) => element.getAttribute('aria-invalid')), 'true');
      let message = '';
      try { tool('fibers', m, r, b); } catch (error) { message = error.stderr; }
      assert.ok(message.includes(await text(page, `#${field}-error`)), `${m} ${r} ${b}: ${message}`);
    }
    await page.close();
  }
  // A bad ell in a link is refused with the core's word, and the list is made without it.
  const page = await openPage(`${url}#${new URLSearchParams([['x', X], ['eo', '1'], ['ell', '5x']])}`);
  await waitText(page, '#subdivisor-status', /^\d+ lines \(/);
  assert.match(await text(page, '#ell-error'), /ell/);
  assert.equal(await page.$eval('#ell-option', (element) => element.checked), false);
  await page.close();
});

test('a long listing leaves the page responsive, and Cancel stops it', async () => {
  const page = await openPage();
  await page.type('#m', '60');
  await page.type('#r', '2');
  await page.type('#b', '6');
  await page.click('#list-fibers');
  await waitText(page, '#fiber-status', /so far$/);
  // While the core lists, the page takes typing and the count goes on growing.
  await page.type('#m', '2');
  await page.click('#no-duplicates');
  assert.equal(await page.$eval('#m', (element) => element.value), '602');
  assert.equal(await page.$eval('#no-duplicates', (element) => element.checked), true);
  const count = () => page.$eval('#fiber-list', (element) => element.firstChild.style.height);
  const first = await count();
  await page.waitForFunction((h) => document.querySelector('#fiber-list').firstChild.style.height !== h, {}, first);
  await page.click('#fiber-cancel');
  await waitText(page, '#fiber-status', /^Cancelled after [\d,]+ fibers\.$/);
  const stopped = await count();
  await new Promise((done) => setTimeout(done, 500));
  assert.equal(await count(), stopped);
  assert.notEqual(stopped, '0px');
  await page.close();
});

test('past a million possible fibers the page asks first, and None lists nothing', async () => {
  const page = await openPage();
  await page.type('#m', '200');
  await page.type('#r', '2');
  await page.type('#b', '6');
  await page.click('#list-fibers');
  await page.waitForSelector('#how-much[open]');
  assert.match(await text(page, '#how-much-text'), /^The list could hold up to [\d,]+ fibers/);
  await page.click('#how-much-none');
  await page.waitForSelector('#how-much:not([open])');
  assert.equal(await page.$eval('#fiber-list', (element) => element.querySelectorAll('.row').length), 0);
  await page.close();
});

test('once loaded, the page works with its server gone', async () => {
  const own = await serve(process.env.DORVANIX_SITE);
  const page = await openPage(`http://127.0.0.1:${own.address().port}/#m=3&r=2&b=3`);
  await page.waitForFunction(async () => (await navigator.serviceWorker.ready).active !== null);
  await page.reload();
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
  await new Promise((done) => { own.closeAllConnections(); own.close(done); });
  await page.reload();
  await waitText(page, '#fiber-status', /^1 fibers \(/);
  await page.click('#choose-fiber');
  await waitText(page, '#subdivisor-status', /^\d+ lines \(/);
  await page.close();
});

test('the local server answers 400 to a malformed address, stays up, and keeps to its folder', async () => {
  const root = join(scratch, 'served');
  for (const [folder, file] of [['site', 'index.html'], ['site-private', 's.txt']]) {
    mkdirSync(join(root, folder), { recursive: true });
    writeFileSync(join(root, folder, file), folder);
  }
  const own = await serve(join(root, 'site'));
  const status = (path) => new Promise((done, fail) => {
    get({ host: '127.0.0.1', port: own.address().port, path }, (response) => {
      response.resume();
      done(response.statusCode);
    }).on('error', fail);
  });
  try {
    assert.deepEqual([await status('/%E0%A4%A'), await status('/..%2fsite-private/s.txt'),
      await status('/')], [400, 403, 200]);
  } finally {
    own.close();
  }
});

test('a list saved while a new one is being made asks first and is marked cut short', async () => {
  const page = await openPage(`${url}#m=3&r=2&b=3`);
  await waitText(page, '#fiber-status', /^1 fibers \(/);
  const questions = [];
  page.on('dialog', (dialog) => { questions.push(dialog.message()); dialog.accept(); });
  await page.$eval('#m', (element) => { element.value = '60'; });
  await page.$eval('#b', (element) => { element.value = '6'; });
  await page.click('#list-fibers');
  await waitText(page, '#fiber-status', /so far$/);
  const file = (await downloaded(page, '#save-fibers')).bytes.toString('latin1');
  assert.match(questions[0] ?? '', /^This list is not complete/);
  const lines = file.trim().split(/[\r\n]+/);
  assert.equal(lines.at(-1), `******List cut short after ${lines.length - 1} fibers******`);
  await page.close();
});

test('a list of more than one piece is saved piece by piece, byte for byte the tool\'s', async () => {
  const x = '((16,4),15,15,15,7,6,6)';
  const page = await openPage(`${url}#${new URLSearchParams([['x', x], ['abc', '0']])}`);
  await waitText(page, '#subdivisor-status', /^73,622 lines \(/);
  const file = await downloaded(page, '#save-subdivisors');
  assert.equal(file.bytes.toString('latin1'), toolFile('subdivisors', x, '--all-types'));
  assert.equal(await text(page, '#subdivisor-save-status'), `Saved ${file.name}: 73,622 lines.`);
  await page.close();
});

test('Delete analyses the first line left, and says why when no line is clicked', async () => {
  const second = '(2;(2),(2),(2)):: ell = 2 :: type = BBB';
  for (const [click, left] of [['#selected-1', Y], ['#selected-0', second]]) {
    const page = await openPage(`${url}#${new URLSearchParams([['x', X], ['y', Y], ['y', second]])}`);
    await waitText(page, '#figures', /^N = /);
    await page.click('#delete');
    assert.match(await text(page, '#select-error'), /^Click a line of Selected divisors first/);
    await page.evaluate(() => { document.querySelector('#figures').textContent = ''; });
    await page.click(click);
    await page.click('#delete');
    await waitText(page, '#figures', /^N = /);
    const record = JSON.parse(tool('analyze', X, left, '--json'));
    assert.match(await text(page, '#figures'), new RegExp(`^N = ${record.chain_count} chains?, gcd d = ${record.gcd},`), left);
    assert.equal(await text(page, '#selected-list'), left);
    assert.equal((await downloaded(page, '#save-quorbel')).bytes.toString('latin1'), toolFile('quorbel', X, left));
    await page.close();
  }
});

test('the page follows its address, and Back and Forward step through lists, X and selections', async () => {
  const page = await openPage(`${url}#m=7&r=2&b=3`);
  await waitText(page, '#fiber-status', /^[\d,]+ fibers \(/);
  await page.goto(`${url}#m=3&r=2&b=3`);
  await waitText(page, '#fiber-status', /^1 fibers \(/);
  assert.equal(await page.$eval('#m', (element) => element.value), '3');
  await page.click('#choose-fiber');
  await waitText(page, '#subdivisor-status', /^\d+ lines \(/);
  await selectLine(page, '#subdivisor-list', Y);
  await page.click('#select');
  await waitText(page, '#figures', /^N = /);
  const hidden = () => page.$eval('#subdivisors', (element) => element.hidden);
  await page.goBack();
  await page.waitForFunction(() => document.querySelector('#analysis').hidden);
  assert.equal(await text(page, '#x-notation'), '(3;(2,1),(2,1),(2,1))');
  await page.goBack();
  await page.waitForFunction(() => document.querySelector('#subdivisors').hidden);
  assert.doesNotMatch(page.url(), /x=/);
  await page.goForward();
  await page.goForward();
  await waitText(page, '#selected-list', /ell = 1/);
  await waitText(page, '#figures', /^N = /);
  assert.equal(await hidden(), false);
  await page.close();
});

test('a fiber of more than 100,000 curves is listed without its picture', async () => {
  const x = `((10000,11),${'9999,'.repeat(11)}11)`;
  const page = await openPage(`${url}#${new URLSearchParams([['x', x], ['eo', '1'], ['ell', '1']])}`);
  await waitText(page, '#subdivisor-status', /^[\d,]+ lines/);
  await waitText(page, '#frame-refusal', /110.?001 curves/);
  await page.close();
});

test('axe-core finds nothing serious, light and dark, wide and narrow', async () => {
  const axe = join(dirname(fileURLToPath(import.meta.url)), '../node_modules/axe-core/axe.min.js');
  const page = await openPage(`${url}#${new URLSearchParams([['m', '3'], ['r', '2'], ['b', '3'], ['listed', '1'],
    ['x', X], ['y', Y]])}`);
  await waitText(page, '#figures', /^N = /);
  await page.addScriptTag({ path: axe });
  for (const scheme of ['light', 'dark']) {
    for (const [width, height] of [[1280, 900], [390, 844]]) {
      await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
      await page.setViewport({ width, height });
      const found = await page.evaluate(async () => (await axe.run(document)).violations
        .filter((violation) => ['serious', 'critical'].includes(violation.impact))
        .map((violation) => `${violation.id}: ${violation.nodes.map((node) => node.target).join(' ')}`));
      assert.deepEqual(found, [], `${scheme} ${width}x${height}`);
    }
  }
  await page.close();
});

test('the help describes the page: every Help link finds its part, with the page\'s own keys', async () => {
  const page = await openPage();
  const links = await page.$$eval('a', (anchors) => anchors.map((a) => a.getAttribute('href'))
    .filter((href) => /help/i.test(href)));
  await page.goto(`${url}help.html`);
  const help = await text(page, 'body');
  for (const link of links) {
    assert.match(link, /^help\.html(#|$)/);
    if (link.includes('#')) assert.ok(await page.$(link.slice(link.indexOf('#'))), link);
  }
  for (const words of ['Save list', 'Delete', 'Space', 'Back and Forward', 'Drag']) assert.ok(help.includes(words), words);
  assert.doesNotMatch(help, /Ctrl \+ 0|ends Dorvanix|window/i);
  await page.close();
});

// The longest gap between animation frames and the longest task on the page's thread while
// `work` runs (for at least `millis`), and how long the first key typed into m takes to show.
async function responsiveness(page, work, millis) {
  await page.evaluate(() => {
    window.longest = 0;
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) window.longest = Math.max(window.longest, entry.duration);
    }).observe({ type: 'longtask' });
    document.querySelector('#m').addEventListener('input', (event) => requestAnimationFrame(() => {
      window.echo = performance.now() - event.timeStamp;
    }), { once: true });
  });
  const gaps = page.evaluate((millis) => new Promise((done) => {
    const times = [];
    const step = (now) => {
      times.push(now);
      if (now - times[0] < millis) requestAnimationFrame(step);
      else done(Math.max(...times.slice(1).map((time, i) => time - times[i])));
    };
    requestAnimationFrame(step);
  }), millis);
  await work();
  const gap = await gaps;
  return { gap, longTask: await page.evaluate(() => window.longest), echo: await page.evaluate(() => window.echo) };
}

test('a picture of 20,000 curves and a long listing leave the page responsive', async () => {
  const page = await openPage(`${url}#${new URLSearchParams([['x', '((10000,2),9999,9999,2)']])}`);
  await page.waitForFunction(() => Number(document.querySelector('#frame-view').dataset.ticks) >= 2, { timeout: 60000 });
  const picture = await responsiveness(page, () => page.type('#m', '6'), 3000);
  assert.ok(picture.gap <= 100 && picture.echo <= 100, `picture: ${JSON.stringify(picture)}`);
  await page.close();
  const listing = await openPage();
  for (const [id, typed] of [['#m', '60'], ['#r', '2'], ['#b', '6']]) await listing.type(id, typed);
  const whileListing = await responsiveness(listing, async () => {
    await listing.click('#list-fibers');
    await waitText(listing, '#fiber-status', /^[\d,]+ fibers \(/);
  }, 0);
  assert.ok(whileListing.longTask <= 50, `listing: ${JSON.stringify(whileListing)}`);
  await listing.close();
});

test('a listing shows its first rows within 150 ms of the click, its worker already started', async () => {
  const page = await openPage(`${url}#m=3&r=2&b=3`);
  await waitText(page, '#fiber-status', /^1 fibers \(/);
  await new Promise((done) => setTimeout(done, 1000));  // the spare worker has loaded
  for (const [id, typed] of [['#m', '40'], ['#r', '2'], ['#b', '5']]) await page.$eval(id, (element, v) => { element.value = v; }, typed);
  const millis = await page.evaluate(() => new Promise((done) => {
    const list = document.querySelector('#fiber-list');
    const start = performance.now();
    const watch = new MutationObserver(() => {
      if (list.querySelector('.row')) { watch.disconnect(); done(performance.now() - start); }
    });
    watch.observe(list, { childList: true });
    document.querySelector('#list-fibers').click();
  }));
  assert.ok(millis <= 150, `${millis} ms`);
  await page.close();
});
