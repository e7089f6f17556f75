// Serves a folder of static files on 127.0.0.1, as any static host would: the web page needs
// nothing more. `node serve.mjs FOLDER [PORT]`, or serve() from a test (port 0: any free one).
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, isAbsolute, join, relative, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.svg': 'image/svg+xml',
  '.json': 'application/json',
};

export function serve(folder, port = 0) {
  const root = resolve(folder);
  const server = createServer(async (request, response) => {
    let path;
    try {
      path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    } catch {
      response.writeHead(400).end('bad request');  // a malformed address, not the server's end
      return;
    }
    if (path.endsWith('/')) path += 'index.html';
    // Inside the folder means a path below it once resolved, not a name that begins like it
    // (site-private/ begins like site/).
    const file = resolve(join(root, path));
    const inside = relative(root, file);
    if (inside.startsWith('..') || isAbsolute(inside)) { response.writeHead(403).end(); return; }
    try {
      const body = await readFile(file);
      response.writeHead(200, { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream' });
      response.end(body);
    } catch {
      response.writeHead(404).end('not found');
    }
  });
  return new Promise((done) => server.listen(port, '127.0.0.1', () => done(server)));
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const server = await serve(process.argv[2] ?? '.', Number(process.argv[3] ?? 8000));
  console.log(`Dorvanix on http://127.0.0.1:${server.address().port}/ (Ctrl-C ends it)`);
}
