// Runs inside the player's module before main: puts the game files the page
// downloaded into the player's directory, brings back the files the player
// wrote in earlier visits, and keeps every file it writes in the browser's
// storage (IndexedDB), flushed after each write.
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  // Chromium lists empty gamepad slots as null, which SDL would count as
  // joysticks: an empty slot is shown to it as no slot.
  if (typeof navigator !== 'undefined' && navigator.getGamepads) {
    SDL.getGamepads = function () {
      return Array.prototype.map.call(navigator.getGamepads(), function (pad) { return pad || undefined; });
    };
  }

  var gameDir = '/game';
  // Mirrors the written files; the only persisted folder. Its name is the
  // storage's name, so games served from one site under different paths keep
  // their saves apart.
  var place = typeof location !== 'undefined' ? location.pathname.replace(/index\.html$/, '') : '/';
  var keptDir = '/kept' + place.replace(/[^A-Za-z0-9]+/g, '_');
  FS.mkdir(gameDir);
  FS.mkdir(keptDir);
  (Module.gameFiles || []).forEach(function (file) {
    FS.writeFile(gameDir + '/' + file.name, file.bytes);
  });
  Module.gameFiles = null;
  FS.mount(IDBFS, {}, keptDir);

  var flushing = false, flushAgain = false;
  Module.flushCount = 0;
  function flush() {
    if (flushing) { flushAgain = true; return; }
    flushing = true;
    FS.syncfs(false, function (error) {
      flushing = false;
      if (error) err('Saved files could not be stored: ' + error);
      else Module.flushCount++;
      if (flushAgain) { flushAgain = false; flush(); }
    });
  }

  // Names of the game folder's own files, without folders: the player writes
  // only there.
  function nameInGame(path) {
    if (typeof path !== 'string' || path.indexOf(gameDir + '/') !== 0) return null;
    var name = path.substring(gameDir.length + 1);
    return name && name.indexOf('/') < 0 ? name : null;
  }
  function keep(name) {
    FS.writeFile(keptDir + '/' + name, FS.readFile(gameDir + '/' + name));
    flush();
  }
  function forget(name) {
    try { FS.unlink(keptDir + '/' + name); } catch (e) { return; }
    flush();
  }

  // Installed once the folder is filled, so only the player's writes count.
  function watchWrites() {
    var close = FS.close, rename = FS.rename, unlink = FS.unlink;
    FS.close = function (stream) {
      var name = (stream.flags & 3) !== 0 ? nameInGame(stream.path) : null;  // opened to write
      var result = close.apply(this, arguments);
      if (name) keep(name);
      return result;
    };
    FS.rename = function (from, to) {
      var result = rename.apply(this, arguments);
      var oldName = nameInGame(absolute(from)), newName = nameInGame(absolute(to));
      if (oldName) forget(oldName);
      if (newName) keep(newName);
      return result;
    };
    FS.unlink = function (path) {
      var result = unlink.apply(this, arguments);
      var name = nameInGame(absolute(path));
      if (name) forget(name);
      return result;
    };
  }
  function absolute(path) {
    return path.charAt(0) === '/' ? path : FS.cwd().replace(/\/$/, '') + '/' + path;
  }

  addRunDependency('tavino-kept-files');
  FS.syncfs(true, function (error) {
    if (error) err('Saved files could not be read: ' + error);
    FS.readdir(keptDir).forEach(function (name) {
      if (name === '.' || name === '..') return;
      FS.writeFile(gameDir + '/' + name, FS.readFile(keptDir + '/' + name));
    });
    FS.chdir(gameDir);
    watchWrites();
    removeRunDependency('tavino-kept-files');
  });
});

// Browsers start sound only after a gesture: resume it on every press.
(function () {
  function resume() {
    if (typeof SDL !== 'undefined' && SDL.audioContext && SDL.audioContext.state === 'suspended')
      SDL.audioContext.resume();
  }
  if (typeof addEventListener === 'function') {
    addEventListener('keydown', resume, true);
    addEventListener('mousedown', resume, true);
    addEventListener('touchstart', resume, true);
  }
})();
