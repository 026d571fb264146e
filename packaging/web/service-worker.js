// Keeps the page and all it loads, so that it opens and runs without a network once it has been
// opened with one. `make web` writes the build's files and a hash of them in place of the two
// names below; a new build is thus a new worker, with a cache of its own.
const CACHE = 'electron-wave-' + BUILD_HASH;
const FILES = BUILD_FILES;

self.addEventListener('install', (event) => {
  // Fetched past the browser's HTTP cache, so that the new cache holds this build's files.
  event.waitUntil(caches.open(CACHE)
      .then((cache) => cache.addAll(FILES.map((file) => new Request(file, {cache: 'reload'}))))
      .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
      .then((names) => Promise.all(names
          .filter((name) => name.startsWith('electron-wave-') && name !== CACHE)
          .map((name) => caches.delete(name))))
      .then(() => self.clients.claim()));
});

// The network first, so that a visit with a network gets what the server has now; the cache
// when there is none. What came from the network is kept for the next visit without one.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) {
    return;
  }
  event.respondWith(fetch(request)
      .then((response) => {
        if (response.ok) {
          const copy = response.clone();
          event.waitUntil(caches.open(CACHE).then((cache) => cache.put(request, copy)));
        }
        return response;
      })
      .catch(() => caches.open(CACHE)
          .then((cache) => cache.match(request, {ignoreSearch: true}))
          .then((cached) => cached || Response.error())));
});
