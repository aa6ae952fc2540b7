// Keeps the page, the game and its pictures for play without a network.
// The cache is named after what this build holds, so a new build comes in
// with a new worker at the next visit, and the old cache goes.
var CACHE = 'rallyo-@PAGE_HASH@';
var FILES = ['./', @PAGE_FILES@];

self.addEventListener('install', function (e) {
  e.waitUntil(caches.open(CACHE)
    .then(function (cache) { return cache.addAll(FILES); })
    .then(function () { return self.skipWaiting(); }));
});

self.addEventListener('activate', function (e) {
  e.waitUntil(caches.keys()
    .then(function (names) {
      return Promise.all(names.filter(function (name) { return name !== CACHE && name.indexOf('rallyo-') === 0; })
                              .map(function (name) { return caches.delete(name); }));
    })
    .then(function () { return self.clients.claim(); }));
});

// What this build holds comes from the cache; anything else from the network.
self.addEventListener('fetch', function (e) {
  if (e.request.method !== 'GET') return;
  e.respondWith(caches.open(CACHE).then(function (cache) {
    return cache.match(e.request, { ignoreSearch: true }).then(function (kept) { return kept || fetch(e.request); });
  }));
});
