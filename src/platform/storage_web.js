// The player's files in a browser: "conf", "settings" and replays/ live in the page's own storage
// (IndexedDB, through emscripten's IDBFS) in the folder the program runs in. They are read in before the
// program starts, and written back after each file the program replaces or removes (all of its writes
// end with a rename) and when the page is left. Nothing here reaches beyond the page's own storage.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  var folder = '/home/web_user/zelvorant';
  FS.mkdirTree(folder);
  FS.mount(IDBFS, {}, folder);
  FS.chdir(folder);
  Module['saveFolder'] = folder;

  // One write-back at a time; a change made during one is written by the next.
  var writing = false;
  var again = false;
  Module['storageIdle'] = true;
  function writeBack() {
    if (writing) {
      again = true;
      return;
    }
    writing = true;
    Module['storageIdle'] = false;
    FS.syncfs(false, function (error) {
      if (error) console.error('The saved files could not be written to the browser\'s storage: ' + error);
      writing = false;
      if (again) {
        again = false;
        writeBack();
      } else {
        Module['storageIdle'] = true;
      }
    });
  }
  Module['writeBackStorage'] = writeBack;
  ['rename', 'unlink', 'rmdir'].forEach(function (name) {
    var change = FS[name];
    FS[name] = function () {
      var result = change.apply(FS, arguments);
      writeBack();
      return result;
    };
  });
  addEventListener('pagehide', writeBack);

  addRunDependency('storage');
  FS.syncfs(true, function (error) {
    // The game starts with its defaults then, as with no files at all.
    if (error) console.error('The saved files could not be read from the browser\'s storage: ' + error);
    removeRunDependency('storage');
  });
});
