// Keeps the page working offline once it has been loaded: every file fetched is kept, and the
// kept copy answers when the network does not. Online, the server's copy always wins.
const CACHE = 'dorvanix';

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll([
    './', 'index.html', 'style.css', 'app.js', 'worker.js', 'dorvanix.js', 'dorvanix.wasm',
    'icon.svg', 'help.html',
  ])).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(fetch(event.request).then((response) => {
    if (response.ok) {
      const copy = response.clone();
      caches.open(CACHE).then((cache) => cache.put(event.request, copy));
    }
    return response;
  }).catch(() => caches.match(event.request, { ignoreSearch: true })));
});
