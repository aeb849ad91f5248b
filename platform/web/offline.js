// The service worker (sw.js) keeps the page's files for later visits and for playing offline.
// Registered once the page has loaded, so it never competes with the game's start.
if ('serviceWorker' in navigator && location.protocol !== 'file:') {
  window.addEventListener('load', () => {
    navigator.serviceWorker.register('sw.js').catch((e) => {
      VexaPage.say('The page cannot be kept for offline play here: ' + e.message, false);
    });
  });
}
