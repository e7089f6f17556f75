// The web page of Dorvanix: it reads the fields, shows what the core answers and keeps the view
// in the address. Every line, count, figure, frame and file comes from the core, which runs in
// Web Workers (worker.js): one for each of the two listings, replaced when its listing is
// cancelled, and one for everything else.
'use strict';

const $ = (id) => document.getElementById(id);

// ---- Workers --------------------------------------------------------------------------------

// The core is compiled once: the first worker compiles it and hands the compiled module to the
// page, which gives it to every other worker, and each makes an instance of it. Seven workers each
// compiling it kept both cores of a small machine busy for the page's first second, and compiling
// it on the page's own thread held that thread for up to 120 ms.
let compiledBy = null;
let receiveCompiled;
const compiled = new Promise((resolve) => { receiveCompiled = resolve; });

function startWorker() {
  const worker = new Worker('worker.js');
  if (compiledBy === null) {
    compiledBy = worker;
    worker.addEventListener('message', (event) => {
      if ('module' in event.data) receiveCompiled(event.data.module);
    });
    worker.postMessage({ module: null });
  } else {
    compiled.then((module) => worker.postMessage({ module }));
  }
  return worker;
}

class CoreWorker {
  // A lister keeps a spare worker started, so that a new listing after a Cancel does not wait
  // for the module to load.
  constructor(spare = false) { this.spare = spare ? startWorker() : null; this.start(); }
  start() {
    this.worker = this.spare ?? startWorker();
    if (this.spare) this.spare = startWorker();
    this.next = 1;
    this.pending = new Map();
    this.worker.onmessage = (event) => {
      const { id, answer, chunk } = event.data;
      const job = this.pending.get(id);
      if (!job) return;
      if (chunk) { job.onChunk(chunk); return; }
      this.pending.delete(id);
      job.resolve(answer);
    };
  }
  call(op, ...args) { return this.run(op, args, null); }
  run(op, args, onChunk, transfer = []) {
    const id = this.next++;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, onChunk });
      this.worker.postMessage({ id, op, args }, transfer);
    });
  }
  // Stops whatever runs at once: the worker is thrown away and a fresh one started. An idle
  // worker stays, ready.
  stop() {
    if (this.pending.size === 0) return;
    // The worker that compiles the core posts the module before it answers anything, so it has
    // handed it on by the time it can be stopped; should it ever be stopped sooner, the workers
    // waiting for the module are told to compile the core themselves rather than wait for ever.
    if (this.worker === compiledBy) receiveCompiled(null);
    this.worker.terminate();
    for (const job of this.pending.values()) job.reject(new Error('cancelled'));
    this.start();
  }
}

const core = new CoreWorker();
// The picture has a worker of its own, which holds X and the first selection too and draws each
// frame on the canvas itself: a frame of a large X neither waits for nor holds up the rest.
const picturer = new CoreWorker();
// A whole sub-divisor list is saved by a worker of its own, which Cancel throws away.
const saver = new CoreWorker();
const fiberLister = new CoreWorker(true);
const subdivisorLister = new CoreWorker(true);

// ---- Lines kept as numbers ------------------------------------------------------------------

// The records of a listing as the core handed them over, a chunk at a time; rows are found by
// their place, and the lines are asked of the core only when they are shown or saved.
class RecordStore {
  constructor(kind, stride) { this.kind = kind; this.stride = stride; this.clear(); }
  clear() { this.chunks = []; this.rows = 0; this.bigs = new Map(); }
  add(chunk) {
    const records = chunk.records;
    const starts = [];
    if (this.stride) {
      for (let at = 0; at < records.length; at += this.stride) starts.push(at);
    } else {
      for (let at = 0; at < records.length; at += records[at + 2] + 6) starts.push(at);
    }
    for (let i = 0; i < chunk.bigs.length; i += 2) this.bigs.set(this.rows + chunk.bigs[i], chunk.bigs[i + 1]);
    this.chunks.push({ first: this.rows, records, starts });
    this.rows += starts.length;
  }
  // The list as it is now, kept apart from rows added or cleared later.
  snapshot() {
    return Object.assign(new RecordStore(this.kind, this.stride),
      { chunks: this.chunks.slice(), rows: this.rows, bigs: new Map(this.bigs) });
  }
  // The records of rows [from, to) in one array, with the big counts among them.
  slice(from, to) {
    to = Math.min(to, this.rows);
    const parts = [];
    const bigs = [];
    let length = 0;
    for (const chunk of this.chunks) {
      const last = chunk.first + chunk.starts.length;
      if (last <= from || chunk.first >= to) continue;
      const a = Math.max(from, chunk.first) - chunk.first;
      const b = Math.min(to, last) - chunk.first;
      const end = b < chunk.starts.length ? chunk.starts[b] : chunk.records.length;
      const part = chunk.records.subarray(chunk.starts[a], end);
      parts.push(part);
      length += part.length;
    }
    const records = new (this.kind === 'fibers' ? Int32Array : Uint16Array)(length);
    let at = 0;
    for (const part of parts) { records.set(part, at); at += part.length; }
    for (let row = from; row < to; ++row) {
      if (this.bigs.has(row)) bigs.push(row - from, this.bigs.get(row));
    }
    return { records, bigs };
  }
}

// ---- A list of a million lines ----------------------------------------------------------------

const ROW_HEIGHT = 22;

// A line of a fiber of thousands of curves runs to many thousands of characters: a row shows its
// start, since laying out the whole of each row in view on every change stalled the page.
const SHOWN_CHARACTERS = 2000;
const shortened = (line) => (line.length > SHOWN_CHARACTERS ? `${line.slice(0, SHOWN_CHARACTERS)}…` : line);

// A listbox that makes elements only for the rows in view and asks for their lines then.
class VirtualList {
  constructor(element, fetchLines, onChoose) {
    this.element = element;
    this.fetchLines = fetchLines;
    this.onChoose = onChoose;
    this.spacer = document.createElement('div');
    this.element.append(this.spacer);
    this.cache = new Map();
    this.count = 0;
    this.selected = -1;
    this.asked = 0;
    element.addEventListener('scroll', () => this.render());
    element.addEventListener('keydown', (event) => this.key(event));
    element.addEventListener('click', (event) => {
      const row = event.target.closest('.row');
      if (row) this.select(Number(row.dataset.row));
    });
    element.addEventListener('dblclick', (event) => {
      const row = event.target.closest('.row');
      if (row) { this.select(Number(row.dataset.row)); this.onChoose(this.selected); }
    });
  }
  reset() { this.cache.clear(); this.count = 0; this.selected = -1; this.element.scrollTop = 0; this.render(); }
  // More rows found: the rows in view are redrawn only when the new ones come into view.
  setCount(count) {
    if (count === this.count) return;
    const viewEnd = Math.floor(this.element.scrollTop / ROW_HEIGHT) + Math.ceil(this.element.clientHeight / ROW_HEIGHT) + 2;
    const filled = count > this.count && this.count >= viewEnd;
    this.count = count;
    if (filled) this.spacer.style.height = `${this.count * ROW_HEIGHT}px`;
    else this.render();
  }
  select(row) {
    if (this.count === 0) return;
    this.selected = Math.max(0, Math.min(this.count - 1, row));
    const top = this.selected * ROW_HEIGHT;
    if (top < this.element.scrollTop) this.element.scrollTop = top;
    else if (top + ROW_HEIGHT > this.element.scrollTop + this.element.clientHeight) {
      this.element.scrollTop = top + ROW_HEIGHT - this.element.clientHeight;
    }
    this.render();
  }
  key(event) {
    const page = Math.max(1, Math.floor(this.element.clientHeight / ROW_HEIGHT) - 1);
    const moves = { ArrowDown: 1, ArrowUp: -1, PageDown: page, PageUp: -page };
    if (event.key in moves) this.select(Math.max(this.selected, 0) + (this.selected < 0 ? 0 : moves[event.key]));
    else if (event.key === 'Home') this.select(0);
    else if (event.key === 'End') this.select(this.count - 1);
    else if (event.key === 'Enter') this.onChoose(this.selected < 0 ? 0 : this.selected);
    else return;
    event.preventDefault();
  }
  async line(row) {
    if (!this.cache.has(row)) {
      const lines = await this.fetchLines(row, row + 1);
      this.cache.set(row, lines[0]);
    }
    return this.cache.get(row);
  }
  render() {
    this.spacer.style.height = `${this.count * ROW_HEIGHT}px`;
    const first = Math.floor(this.element.scrollTop / ROW_HEIGHT);
    const last = Math.min(this.count, first + Math.ceil(this.element.clientHeight / ROW_HEIGHT) + 2);
    for (const old of this.element.querySelectorAll('.row')) old.remove();
    let missing = false;
    for (let row = first; row < last; ++row) {
      const element = document.createElement('div');
      element.className = 'row';
      element.id = `${this.element.id}-${row}`;
      element.setAttribute('role', 'option');
      element.dataset.row = row;
      element.style.top = `${row * ROW_HEIGHT}px`;
      element.setAttribute('aria-selected', row === this.selected ? 'true' : 'false');
      element.textContent = shortened(this.cache.get(row) ?? '');
      if (!this.cache.has(row)) missing = true;
      this.element.append(element);
    }
    if (this.selected >= first && this.selected < last) {
      this.element.setAttribute('aria-activedescendant', `${this.element.id}-${this.selected}`);
    } else {
      this.element.removeAttribute('aria-activedescendant');
    }
    if (missing) this.fill(first, last);
  }
  async fill(first, last) {
    const asked = ++this.asked;
    const lines = await this.fetchLines(first, last);
    if (this.cache.size > 20000) this.cache.clear();
    lines.forEach((line, i) => this.cache.set(first + i, line));
    if (asked === this.asked) this.render();
  }
}

// ---- State ------------------------------------------------------------------------------------

const fibers = new RecordStore('fibers', 0);
let subdivisors = new RecordStore('subdivisors', 4);
const state = {
  input: null,         // the fields as the core read them
  fibersWhole: false,
  x: null,             // X in divisor notation
  xFile: '',           // the sub-divisor list file's name
  listOptions: null,   // the options of the listing shown
  subdivisorsWhole: false,
  subdivisorTotal: '',
  selected: [],        // the selected lines
  paused: false,
  zoom: 1,
};

const fiberList = new VirtualList($('fiber-list'), async (from, to) => {
  const { records, bigs } = fibers.slice(from, to);
  return core.call('fiberLines', records, bigs);
}, (row) => chooseFiber(row));

const subdivisorList = new VirtualList($('subdivisor-list'), async (from, to) => {
  const { records } = subdivisors.slice(from, to);
  return core.call('subdivisorLines', state.x, records);
}, () => selectSubdivisor());

function setError(field, message) {
  const element = $(`${field}-error`);
  if (element) element.textContent = message;
  const input = $(field);
  if (input) input.setAttribute('aria-invalid', message ? 'true' : 'false');
}

function clearErrors() {
  for (const element of document.querySelectorAll('.error')) element.textContent = '';
  for (const element of document.querySelectorAll('[aria-invalid]')) element.removeAttribute('aria-invalid');
}

// Counts grouped by thousands, cheaply: toLocaleString for each update of a running count
// showed up as the largest item of a listing's profile.
const count = (n) => String(n).replace(/\B(?=(\d{3})+(?!\d))/g, ',');
const formatCount = count;

// ---- The address --------------------------------------------------------------------------------

const FIELDS = ['m', 'r', 'b', 'genus', 'a1', 'a2', 'a3', 'a4', 'ell'];
const BOXES = { 'no-duplicates': 'nd', 'at-most-two': 'c2', 'genus-option': 'go',
  'multiplicity-option': 'mo', 'ell-option': 'eo', 'except-only-ab': 'eab', 'only-abc': 'abc' };

// The address holds the view. Each step one may want to go back to (a list, a chosen X, a
// selection) is an entry of its own in the history; a change of a field or a box replaces the
// entry. While the page follows an address it was sent to, it adds no entry.
let shownHash = null;
let restoring = false;

function saveView(step = false) {
  const view = new URLSearchParams();
  for (const field of FIELDS) if ($(field).value !== '') view.set(field, $(field).value);
  for (const [box, key] of Object.entries(BOXES)) if ($(box).checked) view.set(key, '1');
  if (!$('only-abc').checked) view.set('abc', '0');
  if (state.input) view.set('listed', '1');
  if (state.x) view.set('x', state.x);
  for (const line of state.selected) view.append('y', line);
  const hash = `#${view.toString()}`;
  if (hash === location.hash) return;
  if (step && !restoring) history.pushState(null, '', hash);
  else history.replaceState(null, '', hash);
  shownHash = location.hash;
}

async function restoreView() {
  shownHash = location.hash;
  const view = new URLSearchParams(location.hash.slice(1));
  restoring = true;
  try {
    for (const field of FIELDS) $(field).value = view.get(field) ?? '';
    for (const [box, key] of Object.entries(BOXES)) {
      $(box).checked = view.has(key) ? view.get(key) === '1' : box === 'only-abc';
    }
    syncOptionFields();
    state.ellFilter = 0;
    if ($('ell-option').checked) await toggleEll();
    if (view.has('listed') || view.has('m')) {
      if (JSON.stringify(fieldsOfForm()) !== state.listedFields) startFiberList(false);
    } else if (state.input) {
      ++fiberRun;
      fiberLister.stop();
      state.input = null;
      state.listedFields = null;
      $('fibers').hidden = true;
    }
    if (!view.has('x')) {
      state.x = null;
      state.selected = [];
      for (const id of ['subdivisors', 'analysis', 'picture', 'downloads']) $(id).hidden = true;
      return;
    }
    if (view.get('x') !== state.x || JSON.stringify(listOptions()) !== JSON.stringify(state.listOptions)) {
      await openFiber(view.get('x'), false);
    }
    const first = state.selected[0];
    state.selected = view.getAll('y');
    state.selectedRow = undefined;
    renderSelected();
    if (state.selected.length === 0) {
      $('analysis').hidden = true;
      if (first !== undefined) { await core.call('clear'); await drawPicture('clear'); }
    } else if (state.selected[0] !== first) {
      await analyseFirst();
    }
  } finally {
    restoring = false;
  }
}

// An address typed, a link followed in the same tab, Back and Forward: the page shows its view.
// One view is restored at a time, the last address last.
let following = Promise.resolve();
function followAddress() {
  following = following.then(() => (location.hash !== shownHash ? restoreView() : null));
}

// ---- 1. The fields and the fiber list ----------------------------------------------------------

function syncOptionFields() {
  $('genus').disabled = !$('genus-option').checked;
  for (const id of ['a1', 'a2', 'a3', 'a4']) $(id).disabled = !$('multiplicity-option').checked;
}

function fieldsOfForm() {
  const fields = {};
  for (const field of ['m', 'r', 'b', 'genus', 'a1', 'a2', 'a3', 'a4']) fields[field] = $(field).value;
  fields.noDuplicates = $('no-duplicates').checked;
  fields.atMostTwoCrusts = $('at-most-two').checked;
  fields.genusOption = $('genus-option').checked;
  fields.multiplicityOption = $('multiplicity-option').checked;
  return fields;
}

let fiberRun = 0;

// Past a million possible lines the list is asked for first: all of it (when it fits in the
// memory a page may take), the first million, or none.
const ASK_ABOVE = 1e6;
const MEMORY_CAP = 1 << 30;

function askHowMuch(input, bound) {
  const dialog = $('how-much');
  const bytes = bound * (input.b + 6) * 4;
  $('how-much-all').disabled = bytes > MEMORY_CAP;
  $('how-much-text').textContent = `The list could hold up to ${formatCount(Math.ceil(bound))} fibers` +
    `${bytes > MEMORY_CAP ? ', more than a page may keep' : ''}. List them?`;
  return new Promise((resolve) => {
    dialog.addEventListener('close', () => resolve(dialog.returnValue || 'none'), { once: true });
    dialog.returnValue = '';
    dialog.showModal();
  });
}

async function startFiberList(step = true) {
  clearErrors();
  const input = await core.call('readFiberInput', fieldsOfForm());
  if (!input.ok) {
    setError(input.field, input.message);
    $(input.field).focus();
    return;
  }
  state.input = input;
  state.listedFields = JSON.stringify(fieldsOfForm());
  saveView(step);
  const run = ++fiberRun;
  const bound = await core.call('fiberListBound', input);
  if (bound > ASK_ABOVE) {
    const answer = await askHowMuch(input, bound);
    if (answer === 'none' || run !== fiberRun) return;
    if (answer === 'first') input.limit = ASK_ABOVE;
  }
  fiberLister.stop();
  fibers.clear();
  // The list shown from now on is this one: not whole until its listing says so.
  state.fibersWhole = false;
  fiberList.reset();
  $('fibers').hidden = false;
  $('fiber-cancel').disabled = false;
  $('fiber-progress').value = 0;
  $('fiber-status').textContent = 'Listing…';
  const started = performance.now();
  let answer;
  try {
    answer = await fiberLister.run('listFibers', [input], (chunk) => {
      if (run !== fiberRun) return;
      fibers.add(chunk);
      fiberList.setCount(fibers.rows);
      $('fiber-progress').value = chunk.fraction;
      $('fiber-status').textContent = `${formatCount(fibers.rows)} fibers so far`;
    });
  } catch (error) {
    answer = null;
  }
  if (run !== fiberRun) return;
  $('fiber-cancel').disabled = true;
  fiberList.setCount(fibers.rows);
  if (answer && !answer.ok) { setError('m', answer.message); return; }
  state.fibersWhole = Boolean(answer && answer.value);
  $('fiber-progress').value = state.fibersWhole ? 1 : $('fiber-progress').value;
  const seconds = ((performance.now() - started) / 1000).toFixed(2);
  $('fiber-status').textContent = state.fibersWhole
    ? `${formatCount(fibers.rows)} fibers (${seconds} s)`
    : input.limit ? `The first ${formatCount(fibers.rows)} fibers.`
      : `Cancelled after ${formatCount(fibers.rows)} fibers.`;
}

function cancelFibers() {
  ++fiberRun;
  fiberLister.stop();
  state.fibersWhole = false;
  $('fiber-cancel').disabled = true;
  fiberList.setCount(fibers.rows);
  $('fiber-status').textContent = `Cancelled after ${formatCount(fibers.rows)} fibers.`;
}

async function chooseFiber(row) {
  if (fibers.rows === 0) return;
  const line = await fiberList.line(row < 0 ? 0 : row);
  await openFiber(line);
}

// ---- 3. Sub-divisors --------------------------------------------------------------------------

async function openFiber(text, step = true) {
  // The errors of X and of its selection go; a field's (an ell read from a link) stays.
  $('x-error').textContent = '';
  $('select-error').textContent = '';
  const [answer] = await Promise.all([core.call('open', text), picturer.call('open', text)]);
  if (!answer.ok) { $('x-error').textContent = answer.message; $('subdivisors').hidden = false; return; }
  state.x = answer.value.notation;
  state.xFile = answer.value.listFileName;
  state.branches = answer.value.branches;
  state.selected = [];
  $('x-notation').value = state.x;
  for (const id of ['subdivisors', 'picture', 'downloads']) $(id).hidden = false;
  $('analysis').hidden = true;
  renderSelected();
  saveView(step);
  startPicture();
  startSubdivisorList();
}

function listOptions() {
  return { ell: state.ellFilter ?? 0, exceptOnlyAB: $('except-only-ab').checked, onlyABC: $('only-abc').checked };
}

let subdivisorRun = 0;

async function startSubdivisorList() {
  const run = ++subdivisorRun;
  subdivisorLister.stop();
  const options = listOptions();
  state.listOptions = options;
  subdivisors = new RecordStore('subdivisors', state.branches + 1);
  state.subdivisorsWhole = false;
  state.subdivisorTotal = '';
  subdivisorList.reset();
  $('subdivisor-cancel').disabled = false;
  $('subdivisor-progress').value = 0;
  $('subdivisor-status').textContent = 'Listing…';
  const started = performance.now();
  let answer = null;
  try {
    answer = await subdivisorLister.run('listSubdivisors', [state.x, options], (chunk) => {
      if (run !== subdivisorRun) return;
      subdivisors.add(chunk);
      subdivisorList.setCount(subdivisors.rows);
      $('subdivisor-progress').value = chunk.fraction;
      $('subdivisor-status').textContent = `${formatCount(subdivisors.rows)} lines so far`;
    });
  } catch (error) {
    answer = null;
  }
  if (run !== subdivisorRun) return;
  $('subdivisor-cancel').disabled = true;
  if (answer && !answer.ok) { $('subdivisor-status').textContent = answer.message; return; }
  state.subdivisorsWhole = Boolean(answer && answer.value);
  const seconds = ((performance.now() - started) / 1000).toFixed(2);
  $('subdivisor-progress').value = 1;
  $('subdivisor-status').textContent = `${formatCount(subdivisors.rows)} lines (${seconds} s)`;
}

async function cancelSubdivisors() {
  ++subdivisorRun;
  subdivisorLister.stop();
  state.subdivisorsWhole = false;
  $('subdivisor-cancel').disabled = true;
  subdivisorList.setCount(subdivisors.rows);
  const total = await core.call('subdivisorCount', state.x, state.listOptions);
  state.subdivisorTotal = total.ok ? total.value : '';
  $('subdivisor-status').textContent =
    `Cancelled after ${formatCount(subdivisors.rows)} of ${total.ok ? total.value : '?'} lines.`;
}

// "only for ell =": switched on with the number typed, off again when the number changes.
async function toggleEll() {
  setError('ell', '');
  if (!$('ell-option').checked) { state.ellFilter = 0; saveView(); return; }
  const answer = await core.call('readEllFilter', $('ell').value);
  state.ellFilter = answer.ok ? answer.value : 0;
  $('ell-option').checked = state.ellFilter !== 0;
  if (!answer.ok) setError('ell', answer.message);
  saveView();
}

function renderSelected() {
  const list = $('selected-list');
  list.replaceChildren();
  state.selected.forEach((line, i) => {
    const item = document.createElement('li');
    item.id = `selected-${i}`;
    item.setAttribute('role', 'option');
    item.setAttribute('aria-selected', i === state.selectedRow ? 'true' : 'false');
    item.textContent = line;
    item.addEventListener('click', () => { state.selectedRow = i; renderSelected(); });
    list.append(item);
  });
  if (state.selectedRow !== undefined && state.selectedRow < state.selected.length) {
    list.setAttribute('aria-activedescendant', `selected-${state.selectedRow}`);
  } else {
    list.removeAttribute('aria-activedescendant');
  }
}

function selectedKey(event) {
  const count = state.selected.length;
  const row = state.selectedRow ?? -1;
  if (event.key === 'ArrowDown' && count > 0) state.selectedRow = Math.min(count - 1, row + 1);
  else if (event.key === 'ArrowUp' && count > 0) state.selectedRow = Math.max(0, row - 1);
  else if (event.key === 'Delete') { deleteSelected(); event.preventDefault(); return; }
  else return;
  event.preventDefault();
  renderSelected();
}

async function selectSubdivisor() {
  if (subdivisorList.selected < 0) return;
  const line = await subdivisorList.line(subdivisorList.selected);
  const previous = state.selected.slice();
  state.selected.push(line);
  renderSelected();
  saveView(true);
  await analyseFirst(previous);
}

// Delete drops the clicked line of "Selected divisors"; the first line left is analysed again
// (the analysis and the picture follow the first line), or X is shown alone when none is left.
async function deleteSelected() {
  if (state.selectedRow === undefined || state.selectedRow >= state.selected.length) {
    $('select-error').textContent = state.selected.length === 0 ? 'No divisor is selected: nothing to delete.'
      : 'Click a line of Selected divisors first: Delete removes that line.';
    return;
  }
  const previous = state.selected.slice();
  state.selected.splice(state.selectedRow, 1);
  state.selectedRow = undefined;
  renderSelected();
  saveView(true);
  if (state.selected.length > 0) { await analyseFirst(previous); return; }
  $('select-error').textContent = '';
  $('analysis').hidden = true;
  await core.call('clear');
  await drawPicture('clear');
}

// ---- 4. The analysis ----------------------------------------------------------------------------

async function analyseFirst(previous = null) {
  $('select-error').textContent = '';
  $('figures').textContent = 'Analysing…';
  $('analysis').hidden = false;
  $('analysis-cancel').hidden = false;
  state.analysisUndo = previous;
  let answer;
  try {
    answer = await core.call('select', state.selected[0]);
  } catch (error) {
    return;  // cancelled: cancelAnalysis puts the selection back
  } finally {
    $('analysis-cancel').hidden = true;
  }
  if (!answer.ok) {
    $('select-error').textContent = answer.message;
    $('analysis').hidden = true;
    return;
  }
  showAnalysis(JSON.parse(answer.value));
  await drawPicture('select', state.selected[0]);
}

// Cancel leaves the selection as it was before: the core's worker is thrown away, and a fresh
// one takes X and the earlier first selection again.
async function cancelAnalysis() {
  const previous = state.analysisUndo ?? [];
  core.stop();
  state.selected = previous.slice();
  renderSelected();
  saveView();
  $('analysis').hidden = true;
  await core.call('open', state.x);
  await picturer.call('open', state.x);
  if (state.selected.length > 0) await analyseFirst(state.selected.slice());
  else await drawPicture();
}

const shown = (value) => (value === null ? 'none' : String(value));

// N, d and h as the desktop program words them: where d N - (a + chi(X) - chi(R)) is no genus,
// the core's note says why instead of a number.
function figuresText(record) {
  if (record.proportional_branch) {
    return 'Y is proportional to X on a branch: the analysis ends there, without chain diagram ' +
      '(N, d and h are undefined)';
  }
  const numerator = `d N \u2212 (a + \u03c7(X) \u2212 \u03c7(R)) = ${shown(record.genus_numerator)}`;
  const h = record.joining_curve_genus === null
    ? `${numerator}. h: ${record.joining_curve_genus_note}`
    : `genus of the joining curve h = ${record.joining_curve_genus} (${numerator})`;
  return `N = ${record.chain_count} chain${record.chain_count === 1 ? '' : 's'}, gcd d = ${record.gcd}, ${h}`;
}

function showAnalysis(record) {
  $('figures').textContent = `${figuresText(record)}; kc = ${record.core_branches}, ` +
    `stubs ${record.stub_count}, inserted nodes a = ${record.inserted_count}, ` +
    `\u03c7(X) = ${record.support_euler_x}, \u03c7(R) = ${record.support_euler_r}`;
  const tree = $('analysis-tree');
  tree.replaceChildren();
  const items = new Map();
  for (const node of record.nodes) {
    const item = document.createElement('li');
    item.setAttribute('role', 'treeitem');
    // A curve of R with its self-intersection and the curves of R it meets, as the tool prints it;
    // a node of the drawing that is no curve of R says so.
    const meets = node.neighbours_in_r.map((id) => record.nodes[id].serial).join(', ');
    item.textContent = !node.in_r
      ? `${node.serial}: ${node.genus_chain ? 'genus chain' : 'multiplicity 0'}, no curve of R`
      : `${node.serial}: multiplicity ${node.multiplicity}, self-intersection ` +
        `${node.self_intersection ?? 'no whole number'}, ` +
        (meets ? `meets ${meets}` : 'meets no curve of R') +
        (node.parent === null ? ' (the core)' : '') +
        (node.joining_curve_points > 0 ? ' (J, the joining curve)' : '');
    items.set(node.id, item);
    const parent = node.parent === null ? null : items.get(node.parent);
    if (parent) {
      let group = parent.querySelector(':scope > ul');
      if (!group) { group = document.createElement('ul'); group.setAttribute('role', 'group'); parent.append(group); }
      group.append(item);
    } else {
      tree.append(item);
    }
  }
  const chains = $('chains');
  chains.replaceChildren();
  for (const chain of record.chains) {
    const item = document.createElement('li');
    item.textContent = chain.length === 0 ? '(empty)'
      : chain.map((node) => `${node.multiplicity}${node.flagged ? '*' : ''}`).join(' ');
    chains.append(item);
  }
}

// ---- 5. The picture ---------------------------------------------------------------------------

let clock = null;

function showFrame(frame) {
  // A picture the core declines: its reason in place of the frame, and no more ticks.
  state.pictureRefused = Boolean(frame && frame.ok === false);
  $('frame-refusal').textContent = state.pictureRefused ? frame.message : '';
  $('frame-canvas').hidden = state.pictureRefused;
  if (state.pictureRefused) { $('tick-status').textContent = ''; return; }
  if (!frame || typeof frame.ticks !== 'number') return;  // no fiber in a fresh worker yet
  $('tick-status').textContent = `tick ${frame.ticks}${state.paused ? ' (paused)' : ''}`;
  $('frame-view').dataset.ticks = frame.ticks;
}

// Tells the picture's worker of a change of the selection (op: 'select' with its line, 'clear'),
// then has it draw the frame.
async function drawPicture(op = null, ...args) {
  if (op) await picturer.call(op, ...args);
  showFrame(await picturer.call('drawFrame'));
}

let canvasHanded = false;

async function startPicture() {
  if (!canvasHanded) {
    canvasHanded = true;
    const offscreen = $('frame-canvas').transferControlToOffscreen();
    await picturer.run('attachCanvas', [offscreen], null, [offscreen]);
  }
  await drawPicture();
  if (clock === null) {
    // A tick is asked for only once the last one is drawn: a slow frame makes the next one wait,
    // never a queue of them.
    clock = setInterval(async () => {
      if (state.paused || state.pictureRefused || $('picture').hidden || state.ticking) return;
      state.ticking = true;
      try { showFrame(await picturer.call('drawTick')); } finally { state.ticking = false; }
    }, 100);
  }
}

function togglePause() {
  state.paused = !state.paused;
  $('pause').textContent = state.paused ? 'Resume' : 'Pause';
  $('pause').setAttribute('aria-pressed', String(state.paused));
  $('tick-status').textContent = `tick ${$('frame-view').dataset.ticks}${state.paused ? ' (paused)' : ''}`;
}

function setZoom(zoom) {
  state.zoom = Math.min(8, Math.max(0.25, zoom));
  $('frame').style.transform = `scale(${state.zoom})`;
}

// ---- 6. Files ------------------------------------------------------------------------------------

function download(name, data, type = 'application/octet-stream') {
  const blob = data instanceof Blob ? data : new Blob([data], { type });
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

// A list file is written by the core SAVE_ROWS rows at a time, and the pieces are gathered in a
// Blob, which the browser may keep on disk: never one string, so a list of millions of lines is
// saved as any other, with its progress and a Cancel. Past SAVE_CAP bytes the page says so before
// it starts, and names the tool's command that writes the file.
const SAVE_ROWS = 65536;
const SAVE_CAP = 2 ** 31;
let saveJob = null;

async function saveInPieces(what, name, store, file, command) {
  const status = $(`${what}-save-status`);
  if (saveJob) { status.textContent = 'Another list is being saved: wait for it, or cancel it.'; return; }
  const shown = store.rows;
  const job = saveJob = { cancelled: false };
  const progress = $(`${what}-save-progress`);
  const done = (message) => { $(`${what}-saving`).hidden = true; status.textContent = message; saveJob = null; };
  try {
    const sample = await file.part(0, Math.min(shown, 256));
    const estimate = shown === 0 ? 0 : sample.length / Math.min(shown, 256) * shown;
    if (estimate > SAVE_CAP) {
      done(`This file would take about ${(estimate / 2 ** 30).toFixed(1)} GB, more than the page ` +
        `can save. The tool writes it: ${command}`);
      return;
    }
    progress.value = 0;
    $(`${what}-saving`).hidden = false;
    if (file.whole) {
      // A whole list is listed afresh by a worker of its own, which writes the file's lines as
      // the listing makes them: many times faster than rebuilding each line from its row.
      const parts = [];
      job.stop = () => saver.stop();
      const whole = await saver.run(...file.whole, (piece) => {
        parts.push(piece.text);
        progress.value = piece.lines / Math.max(shown, 1);
        status.textContent = `Saving the list… ${count(piece.lines)} of ${count(shown)} lines written`;
      });
      if (whole !== true) throw new Error(whole?.message ?? 'the listing stopped');
      download(name, new Blob(parts, { type: 'application/octet-stream' }));
      done(`Saved ${name}: ${count(shown)} lines.`);
      return;
    }
    const parts = [await file.head()];
    for (let from = 0; from < shown; from += SAVE_ROWS) {
      if (job.cancelled) { done('Save cancelled: no file written.'); return; }
      parts.push(await file.part(from, Math.min(shown, from + SAVE_ROWS)));
      const written = Math.min(shown, from + SAVE_ROWS);
      progress.value = written / shown;
      status.textContent = `Saving the list… ${count(written)} of ${count(shown)} lines written`;
    }
    if (job.cancelled) { done('Save cancelled: no file written.'); return; }
    parts.push(await file.end(shown));
    download(name, new Blob(parts, { type: 'application/octet-stream' }));
    done(`Saved ${name}: ${count(shown)} lines.`);
  } catch (error) {
    done(job.cancelled ? 'Save cancelled: no file written.' : `The list could not be saved: ${error.message}`);
  }
}

function cancelSave() {
  if (!saveJob) return;
  saveJob.cancelled = true;
  saveJob.stop?.();
}

const quoted = (text) => `'${text.replace(/'/g, "'\\''")}'`;

async function saveFiberList() {
  if (!state.fibersWhole && !confirm(`This list is not complete: it holds ${count(fibers.rows)} fibers.\nSave it marked as cut short?`)) return;
  const input = state.input;
  const whole = state.fibersWhole;
  const store = fibers.snapshot();
  const name = await core.call('fiberListFileName', input.m, input.r, input.b, input.whole ? input.genus : 0);
  const options = [input.noDuplicates ? ' --no-duplicates' : '', input.genus > 0 ? ` --genus ${input.genus}` : '',
    input.atMostTwoCrusts ? ' --at-most-two-crusts' : '',
    input.multiplicityOption ? ` --multiplicities ${input.required.join(',')}` : ''].join('');
  const command = input.whole ? `dorvanix-cli census --genus ${input.genus} --output ${name}`
    : `dorvanix-cli fibers ${input.m} ${input.r} ${input.b}${options} --output ${name}`;
  await saveInPieces('fiber', name, store, {
    head: async () => '',
    part: (from, to) => { const { records, bigs } = store.slice(from, to); return core.call('fiberListFilePart', records, bigs); },
    end: (shown) => core.call('fiberListFileEnd', shown, whole),
  }, command);
}

async function saveSubdivisorList() {
  if (!state.subdivisorsWhole && !confirm(`This list is not complete: it holds ${count(subdivisors.rows)} lines.\nSave it marked as cut short?`)) return;
  const { x, listOptions: options, subdivisorsWhole: whole, subdivisorTotal: total } = state;
  const store = subdivisors.snapshot();
  const flags = [options.ell ? ` --ell ${options.ell}` : '', options.exceptOnlyAB ? ' --except-only-ab' : '',
    options.onlyABC ? '' : ' --all-types'].join('');
  await saveInPieces('subdivisor', state.xFile, store, {
    head: () => core.call('subdivisorListFileHead', x, options),
    part: (from, to) => core.call('subdivisorListFilePart', x, store.slice(from, to).records),
    end: (shown) => core.call('subdivisorListFileEnd', shown, whole, total),
    whole: whole ? ['writeSubdivisorListFile', [x, options]] : null,
  }, `dorvanix-cli subdivisors ${quoted(x)}${flags} --output ${state.xFile}`);
}

async function saveQuorbel() {
  const answer = await core.call('quorbel');
  if (!answer.ok) { $('select-error').textContent = answer.message; return; }
  download(answer.value.name, answer.value.text);
}

function frameName(extension) {
  return `${state.x.replace(/[^0-9]+/g, '-').replace(/^-|-$/g, '')}-tick${$('frame-view').dataset.ticks}.${extension}`;
}

// The frame shown, as the SVG the tool writes for it.
async function svgOfFrame() {
  const frame = await picturer.call('frame');
  return frame.svg ?? '';
}

function savePng() {
  const image = new Image();
  image.onload = () => {
    const canvas = document.createElement('canvas');
    canvas.width = image.naturalWidth || 1024;
    canvas.height = image.naturalHeight || 768;
    canvas.getContext('2d').drawImage(image, 0, 0);
    canvas.toBlob((blob) => download(frameName('png'), blob), 'image/png');
  };
  svgOfFrame().then((svg) => { image.src = `data:image/svg+xml;charset=utf-8,${encodeURIComponent(svg)}`; });
}

async function saveGraph(format, extension) {
  const answer = await core.call('graph', format);
  if (answer.ok) download(`${frameName(extension).replace(/-tick\d+/, '-graph')}`, answer.value);
}

// ---- Wiring ---------------------------------------------------------------------------------------

function wire() {
  $('fiber-form').addEventListener('submit', (event) => { event.preventDefault(); startFiberList(); });
  $('genus-option').addEventListener('change', () => { syncOptionFields(); saveView(); });
  $('multiplicity-option').addEventListener('change', () => { syncOptionFields(); saveView(); });
  for (const box of ['no-duplicates', 'at-most-two', 'except-only-ab', 'only-abc']) {
    $(box).addEventListener('change', saveView);
  }
  $('fiber-cancel').addEventListener('click', cancelFibers);
  $('choose-fiber').addEventListener('click', () => chooseFiber(fiberList.selected));
  $('save-fibers').addEventListener('click', saveFiberList);
  $('fiber-save-cancel').addEventListener('click', cancelSave);
  $('subdivisor-save-cancel').addEventListener('click', cancelSave);
  $('ell-option').addEventListener('change', toggleEll);
  $('ell').addEventListener('input', () => { $('ell-option').checked = false; state.ellFilter = 0; saveView(); });
  $('relist').addEventListener('click', startSubdivisorList);
  $('subdivisor-cancel').addEventListener('click', cancelSubdivisors);
  $('select').addEventListener('click', selectSubdivisor);
  $('delete').addEventListener('click', deleteSelected);
  $('selected-list').addEventListener('keydown', selectedKey);
  $('analysis-cancel').addEventListener('click', cancelAnalysis);
  $('save-subdivisors').addEventListener('click', saveSubdivisorList);
  $('save-quorbel').addEventListener('click', saveQuorbel);
  $('pause').addEventListener('click', togglePause);
  $('restart').addEventListener('click', async () => showFrame(await picturer.call('drawRestart')));
  // Dragging pans a picture larger than its frame; a click without a drag starts it again.
  let drag = null;
  $('frame-view').addEventListener('pointerdown', (event) => {
    drag = { x: event.clientX, y: event.clientY, moved: false };
  });
  $('frame-view').addEventListener('pointermove', (event) => {
    if (!drag || event.buttons !== 1) return;
    const [dx, dy] = [event.clientX - drag.x, event.clientY - drag.y];
    if (!drag.moved && Math.hypot(dx, dy) < 4) return;
    drag = { x: event.clientX, y: event.clientY, moved: true };
    $('frame-view').scrollBy(-dx, -dy);
  });
  $('frame-view').addEventListener('click', async () => {
    const dragged = drag?.moved;
    drag = null;
    if (!dragged) showFrame(await picturer.call('drawRestart'));
  });
  $('frame-view').addEventListener('contextmenu', (event) => { event.preventDefault(); togglePause(); });
  $('frame-view').addEventListener('wheel', (event) => {
    if (!event.ctrlKey) return;
    event.preventDefault();
    setZoom(state.zoom * (event.deltaY < 0 ? 1.25 : 0.8));
  }, { passive: false });
  $('frame-view').addEventListener('keydown', (event) => {
    if (event.key === '+' || event.key === '=') setZoom(state.zoom * 1.25);
    else if (event.key === '-') setZoom(state.zoom * 0.8);
    else if (event.key === '0') setZoom(1);
    else if (event.key === ' ') togglePause();
    else if (event.key === 'Enter') picturer.call('drawRestart').then(showFrame);
    else return;
    event.preventDefault();
  });
  $('zoom-in').addEventListener('click', () => setZoom(state.zoom * 1.25));
  $('zoom-out').addEventListener('click', () => setZoom(state.zoom * 0.8));
  $('zoom-fit').addEventListener('click', () => setZoom(1));
  $('save-svg').addEventListener('click', async () => download(frameName('svg'), await svgOfFrame(), 'image/svg+xml'));
  $('save-png').addEventListener('click', savePng);
  $('save-json').addEventListener('click', () => saveGraph('json', 'json'));
  $('save-dot').addEventListener('click', () => saveGraph('dot', 'dot'));
  $('save-tikz').addEventListener('click', () => saveGraph('tikz', 'tex'));
  $('copy-link').addEventListener('click', async () => {
    saveView();
    try {
      await navigator.clipboard.writeText(location.href);
      $('copy-status').textContent = 'Link copied.';
    } catch (error) {
      $('copy-status').textContent = location.href;
    }
  });
}

// The page's first line in a monospaced font makes the browser look the font up, and the page's
// thread waits for the answer: 2 to 10 ms when the browser is idle, 50 to 120 ms while a listing's
// worker keeps the processor busy, the longest stall of a first listing. The lists' and figures'
// fonts are looked up once the page is idle after loading.
function lookUpMonospacedFonts() {
  const probe = document.createElement('div');
  probe.setAttribute('aria-hidden', 'true');
  probe.style.cssText = 'position: absolute; top: 0; visibility: hidden; pointer-events: none';
  probe.innerHTML = '<div class="list">0</div><output>0</output>';
  document.body.append(probe);
  void probe.offsetWidth;
  probe.remove();
}

wire();
(window.requestIdleCallback ?? setTimeout)(lookUpMonospacedFonts);
addEventListener('hashchange', followAddress);
addEventListener('popstate', followAddress);
following = restoreView();
if ('serviceWorker' in navigator && location.protocol !== 'file:') {
  navigator.serviceWorker.register('sw.js').catch(() => {});
}
