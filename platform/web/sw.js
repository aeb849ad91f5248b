// The page's service worker: the build's files, cached on the first visit, so later visits
// download nothing and a reload with the network off still plays. The build writes its hash
// and its file list in below.
const BUILD = '@BUILD@';
const FILES = ['@FILES@'];
const CACHE = 'vexa-' + BUILD;

// All of a build's files or none: a cache is complete before this worker takes over. It takes
// over only when no page of the old build is open (no skipWaiting), so a game running on the
// old files finishes on them, and the next load uses the new ones.
self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) =>
    cache.addAll(FILES.map((name) => new Request(name, { cache: 'no-cache' })))));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(
    names.filter((name) => name.startsWith('vexa-') && name !== CACHE).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  const url = new URL(event.request.url);
  if (url.origin !== self.location.origin) return;
  // The page itself, whatever its address in the folder ("./" or "index.html"), is kept as "./".
  const request = event.request.mode === 'navigate' ? new URL('./', self.registration.scope).href : event.request;
  event.respondWith(caches.open(CACHE).then((cache) => cache.match(request, { ignoreSearch: true }))
    .then((hit) => hit || fetch(event.request)));
});
