// The core of Dorvanix in a Web Worker, so that the page never waits on it. The page posts
// {id, op, args}; the worker answers {id, answer} once, and while a listing runs it posts
// {id, chunk} with the records found so far. Every number and every line comes from the core.
importScripts('dorvanix.js');

const ready = createDorvanix();
let session = null;

const operations = {
  readFiberInput: (core, fields) => core.readFiberInput(fields),
  readEllFilter: (core, text) => core.readEllFilter(text),
  fiberListBound: (core, input) => core.fiberListBound(input),
  listFibers: (core, input, id) => core.listFibers(input, chunkPoster(id)),
  fiberLines: (core, records, bigs) => core.fiberLines(records, bigs),
  fiberListFileName: (core, m, r, b, genus) => core.fiberListFileName(m, r, b, genus),
  listSubdivisors: (core, x, options, id) => core.listSubdivisors(x, options, chunkPoster(id)),
  subdivisorLines: (core, x, rows) => core.subdivisorLines(x, rows),
  subdivisorCount: (core, x, options) => core.subdivisorCount(x, options),
  fiberListFilePart: (core, records, bigs) => core.fiberListFilePart(records, bigs),
  fiberListFileEnd: (core, shown, whole) => core.fiberListFileEnd(shown, whole),
  subdivisorListFileHead: (core, x, options) => core.subdivisorListFileHead(x, options),
  subdivisorListFilePart: (core, x, rows) => core.subdivisorListFilePart(x, rows),
  subdivisorListFileEnd: (core, shown, whole, total) => core.subdivisorListFileEnd(shown, whole, total),
  open: (core, x) => {
    if (session === null) session = new core.Session();
    return session.open(x);
  },
  select: (core, line) => session.select(line),
  clear: () => session.clear(),
  frame: () => framed(session.frame()),
  tick: () => framed(session.tick()),
  restart: () => { session.restart(); return framed(session.frame()); },
  quorbel: () => session.quorbel(),
  graph: (core, format) => session.graph(format),
};

// A frame with its tick count, or the core's reason why the picture is declined.
const framed = (answer) => (answer.ok ? { svg: answer.value, ticks: session.ticks() } : answer);

// Hands a chunk of a listing to the page; the records are copied out of the module's memory
// and their buffer moved, not copied again.
function chunkPoster(id) {
  return (view, bigs, fraction, found) => {
    const records = view.slice();
    postMessage({ id, chunk: { records, bigs, fraction, found } }, [records.buffer]);
  };
}

onmessage = async (event) => {
  const core = await ready;
  const { id, op, args } = event.data;
  let answer;
  try {
    answer = operations[op](core, ...args, id);
  } catch (error) {
    answer = { ok: false, message: String(error && error.message ? error.message : error) };
  }
  postMessage({ id, answer });
};
