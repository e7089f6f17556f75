// The web build's core under node against dorvanix-cli built natively: the same lines, counts,
// analyses, frames and file bytes. DORVANIX_SITE names the built site, DORVANIX_CLI the tool.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';

const site = process.env.DORVANIX_SITE;
const cli = process.env.DORVANIX_CLI;
const core = await createRequire(import.meta.url)(join(site, 'dorvanix.js'))();
const scratch = mkdtempSync(join(tmpdir(), 'dorvanix-web-'));

const tool = (...args) => execFileSync(cli, args,
  { encoding: 'latin1', maxBuffer: 1 << 30, stdio: ['ignore', 'pipe', 'pipe'] });
const toolFile = (...args) => {
  const file = join(scratch, 'out');
  tool(...args, '--output', file);
  return readFileSync(file, 'latin1');
};

// The records a listing hands over, joined as the page keeps them.
function listed(run) {
  const parts = [];
  const bigs = [];
  let rows = 0;
  const answer = run((view, chunkBigs, fraction, found) => {
    for (let i = 0; i < chunkBigs.length; i += 2) bigs.push(rows + chunkBigs[i], chunkBigs[i + 1]);
    parts.push(view.slice());
    rows = found;
  });
  assert.equal(answer.ok, true, answer.message);
  const records = new (parts[0].constructor)(parts.reduce((sum, part) => sum + part.length, 0));
  parts.reduce((at, part) => { records.set(part, at); return at + part.length; }, 0);
  return { records, bigs, whole: answer.value };
}

const fiberCases = [
  { label: 'fibers 3 2 3', fields: { m: '3', r: '2', b: '3' }, args: ['fibers', '3', '2', '3'] },
  { label: 'digits of any script', fields: { m: '\uFF15', r: '\u0662', b: '3' }, args: ['fibers', '\uFF15', '\u0662', '3'] },
  { label: 'fibers 12 3 6', fields: { m: '12', r: '3', b: '6' }, args: ['fibers', '12', '3', '6'] },
  { label: 'options', fields: { m: '9', r: '2', b: '4', noDuplicates: true, genusOption: true, genus: '3' },
    args: ['fibers', '9', '2', '4', '--no-duplicates', '--genus', '3'] },
  { label: 'multiplicities, at most two crusts', fields: { m: '7', r: '2', b: '3', multiplicityOption: true,
    a1: '6', a2: '', a3: '', a4: '', atMostTwoCrusts: true },
  args: ['fibers', '7', '2', '3', '--multiplicities', '6', '--at-most-two-crusts'] },
  { label: 'counts past 2^63', fields: { m: '3', r: '40', b: '80' }, args: ['fibers', '3', '40', '80'] },
  { label: 'census of genus 2', fields: { genusOption: true, genus: '2' }, args: ['census', '--genus', '2'] },
  // A whole genus under an option: the census's lines with asterisks (at most two crusts).
  { label: 'census of genus 6, at most two crusts', fields: { genusOption: true, genus: '6', atMostTwoCrusts: true },
    args: ['census', '--genus', '6'], kept: (line) => line.includes('*') },
];

test('fiber lists and their files', () => {
  for (const row of fiberCases) {
    const input = core.readFiberInput(row.fields);
    assert.equal(input.ok, true, `${row.label}: ${input.message}`);
    const { records, bigs, whole } = listed((onChunk) => core.listFibers(input, onChunk));
    assert.equal(whole, true, row.label);
    if (row.label === 'counts past 2^63') assert.ok(bigs.length > 0, 'counts held as digits');
    const expected = row.kept
      ? tool(...row.args).split('\n').filter(row.kept).map((line) => `${line}\n`).join('')
      : tool(...row.args);
    if (row.kept) assert.notEqual(expected, '', row.label);
    assert.equal(core.fiberLines(records, bigs).map((line) => `${line}\n`).join(''), expected, row.label);
    if (row.args[0] === 'fibers') {
      assert.equal(core.fiberListFile(records, bigs, true), toolFile(...row.args), row.label);
    }
  }
});

test('bad fields get the message the tool gives', () => {
  for (const [field, text] of [['m', 'x3'], ['r', ''], ['r', '1'], ['b', '-3'], ['b', '10001'], ['genus', '0x10']]) {
    const fields = { m: '3', r: '2', b: '3', genusOption: true, genus: '1', [field]: text };
    const input = core.readFiberInput(fields);
    assert.equal(input.ok, false, `${field} = ${text}`);
    assert.equal(input.field, field);
    const args = field === 'genus' ? ['census', '--genus', text] : ['fibers', fields.m, fields.r, fields.b];
    let message = '';
    try { tool(...args); } catch (error) { message = error.stderr; }
    assert.ok(message.includes(input.message.replace(/^[^:]*: /, '')), `${field}: ${message} / ${input.message}`);
  }
});

const subdivisorCases = [
  { x: '((3,2),2,2,2)', options: { ell: 0, exceptOnlyAB: false, onlyABC: true }, args: [] },
  { x: '((3,2),2,2,2)', options: { ell: 2, exceptOnlyAB: false, onlyABC: true }, args: ['--ell', '2'] },
  { x: '((5,2),4,3,3)', options: { ell: -1, exceptOnlyAB: true, onlyABC: false },
    args: ['--ell', '-1', '--except-only-ab', '--all-types'] },
  { x: '((9,2),3,2,1,1,1,1,1,1,1,1,1,1,1,1,1)', options: { ell: 0, exceptOnlyAB: false, onlyABC: false },
    args: ['--all-types'] },
];

test('sub-divisor lists, counts and files', () => {
  for (const row of subdivisorCases) {
    const label = `${row.x} ${row.args.join(' ')}`;
    const { records, whole } = listed((onChunk) => core.listSubdivisors(row.x, row.options, onChunk));
    assert.equal(whole, true, label);
    const lines = core.subdivisorLines(row.x, records);
    assert.equal(lines.map((line) => `${line}\n`).join(''), tool('subdivisors', row.x, ...row.args), label);
    assert.equal(core.subdivisorCount(row.x, row.options).value, tool('subdivisors', row.x, ...row.args, '--count').trim());
    assert.equal(core.subdivisorListFile(row.x, row.options, records, true, ''),
      toolFile('subdivisors', row.x, ...row.args), label);
  }
});

test('analysis, files of X with Y, and the picture frame by frame', () => {
  const session = new core.Session();
  for (const [x, y] of [['((3,2),2,2,2)', '(2;(2),(1),(1)):: ell = 1 :: type = CAA'],
    ['((5,2),4,3,3)', '(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB']]) {
    assert.equal(session.open(x).ok, true);
    assert.equal(session.frame().value, tool('picture', x), `${x} before Y`);
    const analysis = session.select(y);
    assert.equal(analysis.ok, true, analysis.message);
    assert.deepEqual(JSON.parse(analysis.value), JSON.parse(tool('analyze', x, y, '--json')), x);
    assert.equal(session.quorbel().value.text, toolFile('quorbel', x, y), x);
    // DOT and TikZ carry a layout: the page's is the plain one, which the tool writes with
    // --layout plain in every build.
    for (const format of ['json', 'dot', 'tikz']) {
      assert.equal(session.graph(format).value, tool('graph', x, y, '--format', format, '--layout', 'plain'),
        `${x} ${format}`);
    }
    assert.equal(session.frame().value, tool('picture', x, y), `${x} at tick 0`);
    for (let t = 1; t <= 80; ++t) {
      const frame = session.tick().value;
      if (t % 20 === 0 || t === 51) assert.equal(frame, tool('picture', x, y, '--ticks', String(t)), `${x} tick ${t}`);
    }
    session.restart();
    assert.equal(session.tick().value, tool('picture', x, y, '--ticks', '1'), `${x} started again`);
  }
  assert.equal(session.select('(2;(2),(1))').ok, false);
  // X alone is drawn, but the chain diagram of this Y is past the picture bound: the tool and the
  // page both decline its frames.
  const [x, y] = ['((330,2),329,329,2)', '(329;(329),(329),(1)):: ell = 1 :: type = CCA'];
  assert.equal(session.open(x).ok, true);
  assert.equal(session.select(y).ok, true);
  assert.throws(() => tool('picture', x, y));
  assert.equal(session.tick().ok, false);
  assert.equal(session.frame().ok, false);
});
