// The core of Dorvanix in a Web Worker, so that the page never waits on it. The page posts
// {id, op, args}; the worker answers {id, answer} once, and while a listing runs it posts
// {id, chunk} with the records found so far. Every number and every line comes from the core.
importScripts('dorvanix.js');

// The page sends the compiled core first. The first worker gets null instead: it compiles the core
// and hands it back to the page (null again when it cannot, and every worker then loads the core
// itself). Operations posted before the core is ready wait for it.
let receiveModule;
const ready = new Promise((resolve) => { receiveModule = resolve; }).then(async (given) => {
  let module = given;
  if (module === null) {
    try {
      module = await WebAssembly.compileStreaming(fetch('dorvanix.wasm'))
        .catch(async () => WebAssembly.compile(await (await fetch('dorvanix.wasm')).arrayBuffer()));
    } catch {
      module = null;
    }
    postMessage({ module });
  }
  if (module === null) return createDorvanix();
  return createDorvanix({
    instantiateWasm: (imports, done) => {
      WebAssembly.instantiate(module, imports).then((instance) => done(instance, module));
      return {};
    },
  });
});

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
  writeSubdivisorListFile: (core, x, options, id) =>
    core.writeSubdivisorListFile(x, options, (text, lines) => postMessage({ id, chunk: { text, lines } })),
  open: (core, x) => {
    if (session === null) session = new core.Session();
    return session.open(x);
  },
  select: (core, line) => session.select(line),
  clear: () => session.clear(),
  frame: () => framed(session.frame()),
  tick: () => framed(session.tick()),
  restart: () => { session.restart(); return framed(session.frame()); },
  // The picture's worker draws its frames itself, on the canvas the page hands it: the page's
  // own thread does nothing for a frame, however many curves X has.
  attachCanvas: (core, offscreen) => { canvas = offscreen.getContext('2d'); return true; },
  drawFrame: () => painted(session.frameDrawing()),
  drawTick: () => painted(session.tickDrawing()),
  drawRestart: () => { session.restart(); return painted(session.frameDrawing()); },
  quorbel: () => session.quorbel(),
  graph: (core, format) => session.graph(format),
};

let canvas = null;

// Paints a frame of the core's draw list (packed: see binding.cpp) as the SVG writer does, the
// segments of one colour and width in a row stroked as one path; answers the tick count, or the
// core's reason why the picture is declined.
function painted(answer) {
  if (!answer.ok) return answer;
  const { ops, labels } = answer.value;
  const colour = (rgb) => `rgb(${rgb >> 16},${(rgb >> 8) & 255},${rgb & 255})`;
  canvas.fillStyle = 'white';
  canvas.fillRect(0, 0, canvas.canvas.width, canvas.canvas.height);
  canvas.lineCap = 'round';
  canvas.font = '24px sans-serif';
  let open = false;
  let stroke = -1;
  let width = -1;
  for (let i = 0; i < ops.length;) {
    if (ops[i] === 0) {
      if (!open || ops[i + 9] !== stroke || ops[i + 10] !== width) {
        if (open) canvas.stroke();
        [stroke, width, open] = [ops[i + 9], ops[i + 10], true];
        canvas.strokeStyle = colour(stroke);
        canvas.lineWidth = width;
        canvas.beginPath();
      }
      canvas.moveTo(ops[i + 1], ops[i + 2]);
      canvas.bezierCurveTo(ops[i + 3], ops[i + 4], ops[i + 5], ops[i + 6], ops[i + 7], ops[i + 8]);
      i += 11;
    } else {
      if (open) { canvas.stroke(); open = false; }
      canvas.fillStyle = colour(ops[i + 3]);
      canvas.fillText(labels[ops[i + 4]], ops[i + 1], ops[i + 2] + 19);  // 19: the label's ascent
      i += 5;
    }
  }
  if (open) canvas.stroke();
  return { ticks: session.ticks() };
}

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
  if ('module' in event.data) { receiveModule(event.data.module); return; }
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
