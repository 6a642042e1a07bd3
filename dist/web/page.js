// The page around the game: the loading bar, the canvas fitted to the window at the game's aspect, the
// keys kept from the page, the sound note, fullscreen, recordings saved and opened, working offline.
'use strict';

var page = {
  canvas: document.getElementById('canvas'),
  stage: document.getElementById('stage'),
  loading: document.getElementById('loading'),
  fill: document.getElementById('fill'),
  message: document.getElementById('message'),
  note: document.getElementById('note'),
  recordings: document.getElementById('recordings'),
  open: document.getElementById('open'),
  file: document.getElementById('file'),
  fullscreen: document.getElementById('fullscreen'),
  started: false,
  failed: false,
};

function say(text) {
  page.message.textContent = text;
  page.loading.hidden = false;
}

// A fatal problem: the game cannot go on, and the page says why instead of showing a dead canvas.
function fail(text) {
  if (page.failed) return;
  page.failed = true;
  page.canvas.hidden = true;
  page.fill.parentNode.hidden = true;
  say(text);
}

var Module = {
  canvas: page.canvas,
  print: function (text) { console.log(text); },
  printErr: function (text) {
    // The OpenGL emulation announces itself; the game draws only what it emulates.
    if (!/^WARNING: using emscripten GL/.test(text)) console.warn(text);
  },
  // Emscripten reports the packed files' progress as "Downloading data... (done/total)".
  setStatus: function (text) {
    var m = /\((\d+(?:\.\d+)?)\/(\d+(?:\.\d+)?)\)/.exec(text);
    if (m) page.fill.style.width = (100 * Number(m[1]) / Number(m[2])) + '%';
    else if (text && !page.started) page.message.textContent = text.replace(/\.\.\.$/, '…');
  },
  onRuntimeInitialized: function () {
    page.started = true;
    page.loading.hidden = true;
    page.canvas.hidden = false;
    fit();
    page.canvas.focus();
    listRecordings();
    setInterval(listRecordings, 2000);
  },
  onAbort: function (what) {
    fail('The game stopped: ' + what + '. Reloading the page starts it again.');
  },
  // Quit in the title screen: the program has ended.
  onGameEnded: function () {
    fail('The game has ended. Reload the page to play again.');
  },
};

// Without WebGL 2 the game cannot draw: say so before loading anything.
(function () {
  var probe = document.createElement('canvas');
  if (!probe.getContext('webgl2')) {
    fail('This browser cannot show the game: it needs WebGL 2, which is off or missing here.');
    Module.preRun = [function () { throw 'no WebGL 2'; }];
  }
})();

// The canvas as large as the window allows at the game's aspect (its interface's 1024 x 600). The game
// gives its drawing that size in device pixels and scales its interface to it; it reads the pointer in
// its own pixels. The game's window sets the canvas's size when it opens, and emscripten clears the size
// shown then: it is fitted again.
var GAME_WIDTH = 1024, GAME_HEIGHT = 600;
function fit() {
  var room = page.stage.getBoundingClientRect();
  var scale = Math.min(room.width / GAME_WIDTH, room.height / GAME_HEIGHT);
  var width = Math.floor(GAME_WIDTH * scale) + 'px';
  var height = Math.floor(GAME_HEIGHT * scale) + 'px';
  if (page.canvas.style.width !== width) page.canvas.style.width = width;
  if (page.canvas.style.height !== height) page.canvas.style.height = height;
}
addEventListener('resize', fit);
new MutationObserver(fit).observe(page.canvas, { attributes: true, attributeFilter: ['width', 'height', 'style'] });
document.addEventListener('fullscreenchange', function () {
  page.fullscreen.textContent = document.fullscreenElement ? 'Leave fullscreen' : 'Fullscreen';
  fit();
});

// Keys play the game, never the page: no scrolling, no focus leaving the canvas, no find-as-you-type.
// Letters and digits keep their default, which the game's typing reads; combinations with Control, Alt
// or Meta and the function keys stay the browser's.
addEventListener('keydown', function (event) {
  if (event.ctrlKey || event.altKey || event.metaKey || /^F\d+$/.test(event.key)) return;
  if (event.target !== page.canvas && event.target !== document.body) return;
  if (event.key.length !== 1 || event.key === ' ' || event.key === '/' || event.key === "'")
    event.preventDefault();
}, true);
page.canvas.addEventListener('mousedown', function () { page.canvas.focus(); });
page.canvas.addEventListener('contextmenu', function (event) { event.preventDefault(); });
function backToGame() { if (page.started) page.canvas.focus(); }

// The browser lets a page make sound only after a click or a key (not Escape): the page says so while the
// game's audio output is held, and asks for it again at each such event until it plays (the audio
// library asks only at the first, which may be the Escape that skips the splash).
(function () {
  var Native = window.AudioContext || window.webkitAudioContext;
  if (!Native) return;
  var held = [];
  function tell() {
    page.note.hidden = !held.some(function (c) { return c.state === 'suspended'; });
  }
  function Watched(options) {
    var context = new Native(options);
    held.push(context);
    context.addEventListener('statechange', tell);
    tell();
    return context;
  }
  Watched.prototype = Native.prototype;
  window.AudioContext = Watched;
  if (window.webkitAudioContext) window.webkitAudioContext = Watched;
  ['keydown', 'mousedown', 'touchend'].forEach(function (kind) {
    addEventListener(kind, function () {
      held.forEach(function (c) { if (c.state === 'suspended') c.resume(); });
    }, true);
  });
})();

// The whole page goes fullscreen, its strip and this button with it. Escape stays the game's (it pauses):
// where the browser can lock the key, leaving fullscreen is this button or holding Escape down.
page.fullscreen.addEventListener('click', function () {
  if (document.fullscreenElement) {
    document.exitFullscreen();
  } else if (document.documentElement.requestFullscreen) {
    document.documentElement.requestFullscreen().then(function () {
      if (navigator.keyboard && navigator.keyboard.lock) return navigator.keyboard.lock(['Escape']);
    }).catch(function (error) { console.warn('Fullscreen refused: ' + error); });
  }
  backToGame();
});

// Recordings: the game writes them under replays/ in its storage; any of them can be saved to disk.
function recordingFolder() {
  return Module.saveFolder + '/replays';
}

function recordingNames() {
  try {
    return Module.FS.readdir(recordingFolder()).filter(function (name) {
      return /\.zvr$/.test(name);
    }).sort().reverse();
  } catch (e) {
    return [];
  }
}

function listRecordings() {
  var names = recordingNames();
  var shown = Array.prototype.slice.call(page.recordings.options, 1).map(function (o) { return o.value; });
  page.recordings.hidden = names.length === 0;
  if (names.join() === shown.join()) return;
  page.recordings.textContent = '';
  var title = new Option('Save a recording…', '');
  title.disabled = true;
  title.selected = true;
  page.recordings.add(title);
  names.forEach(function (name, i) {
    page.recordings.add(new Option((i === 0 ? 'Latest: ' : '') + name, name));
  });
}

page.recordings.addEventListener('mousedown', listRecordings);
page.recordings.addEventListener('change', function () {
  var name = page.recordings.value;
  page.recordings.selectedIndex = 0;
  backToGame();
  if (!name) return;
  var bytes = Module.FS.readFile(recordingFolder() + '/' + name);
  var link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(function () { URL.revokeObjectURL(link.href); }, 10000);
});

// A recording from disk is written into the page's memory (not its storage) and handed to the game,
// which shows it at its next turn; Escape goes back to the title screen.
page.open.addEventListener('click', function () { page.file.click(); });
page.file.addEventListener('change', function () {
  var chosen = page.file.files[0];
  page.file.value = '';
  if (!chosen || !page.started) return;
  chosen.arrayBuffer().then(function (buffer) {
    var folder = '/tmp/opened';
    Module.FS.mkdirTree(folder);
    var path = folder + '/' + chosen.name.replace(/[^A-Za-z0-9._-]/g, '_');
    Module.FS.writeFile(path, new Uint8Array(buffer));
    Module.ccall('zelvorant_open_file', null, ['string'], [path]);
    backToGame();
  });
});

// Offline: a service worker keeps this version's files; a new version replaces them all at once.
if ('serviceWorker' in navigator) {
  addEventListener('load', function () {
    navigator.serviceWorker.register('sw.js').catch(function (error) {
      console.warn('Playing offline is not available: ' + error);
    });
  });
}
