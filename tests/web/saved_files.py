#!/usr/bin/python3
"""The player's files in the page's storage: options saved, the page loaded again, the options still
there; after a first visit the page starts again with the local server stopped; and a new version of the
page replaces every file the service worker keeps at once."""
import os
import re
import shutil
import subprocess
import tempfile
import time

from page_session import PAGE_DIR, PageServer, PageTest, Picture, SOURCE, main

OPTIONS = (150, 225)
BLUE_TURN_CLOCKWISE = (175, 85)  # the options' first key button
BUTTON_AREA = (125, 70, 100, 30)
SAVE = (450, 545)
AWAY = (1000, 580)


class SavedFiles(PageTest):
    def storage_written(self):
        self.browser.wait_for(lambda: self.browser.script("return Module.storageIdle;"),
                              "the page's storage to be written")

    def test_options_saved_survive_the_page_loaded_again(self):
        self.start_game()
        self.browser.click(*OPTIONS)
        time.sleep(0.5)
        self.browser.click(*BLUE_TURN_CLOCKWISE)
        self.browser.key("z")
        self.browser.point(*AWAY)
        time.sleep(0.5)
        chosen = self.browser.area(*BUTTON_AREA)
        self.browser.click(*SAVE)
        self.browser.wait_for(lambda: self.browser.script(
            "try { return Module.FS.readFile('conf', { encoding: 'utf8' }); } catch (e) { return null; }"),
            "conf to be written")
        time.sleep(0.5)
        self.storage_written()

        self.browser.driver.refresh()
        self.browser.lines.clear()
        self.browser.wait_for_title_screen()
        conf = self.browser.script("return Module.FS.readFile('conf', { encoding: 'utf8' });").split("\n")
        self.assertEqual(conf[0].split()[0], "90")  # Z, in the key numbering conf keeps
        self.browser.click(*OPTIONS)
        self.browser.point(*AWAY)
        time.sleep(0.5)
        shown = self.browser.area(*BUTTON_AREA)
        self.assertEqual(shown.changed(chosen, 0, 0, BUTTON_AREA[2], BUTTON_AREA[3], tolerance=8), 0)

    def test_the_page_starts_again_with_the_server_stopped(self):
        self.start_game()
        # The service worker has kept every file of this version once it controls the page.
        self.browser.wait_for(lambda: self.browser.script(
            "return navigator.serviceWorker.controller !== null;"), "the service worker to take the page")
        kept = self.browser.driver.execute_async_script(
            "var done = arguments[arguments.length - 1];"
            "caches.keys().then(function (names) { return caches.open(names[0]); })"
            ".then(function (c) { return c.keys(); })"
            ".then(function (k) { done(k.map(function (r) { return r.url.replace(/.*\\//, ''); })); });")
        for file in ("", "index.html", "zelvorant.js", "zelvorant.wasm", "zelvorant.data", "page.js"):
            self.assertIn(file, kept)
        self.server.stop()
        self.browser.driver.refresh()
        self.browser.lines.clear()
        self.browser.wait_for_title_screen()
        # The title screen, its first button as the desktop draws it.
        native = Picture.read(os.path.join(SOURCE, "docs", "screenshots", "title.png"))
        self.assertEqual(self.browser.frame().changed(native, 50, 50, 200, 50, tolerance=8), 0)

    def kept(self):
        """The service worker's caches, and the files of the first."""
        return self.browser.driver.execute_async_script(
            "var done = arguments[arguments.length - 1];"
            "caches.keys().then(function (names) {"
            "  return caches.open(names[0]).then(function (c) { return c.keys(); })"
            "    .then(function (k) { done([names, k.length]); }); });")

    def test_a_new_version_replaces_the_kept_files_whole(self):
        # A copy of the page, served, so that it can be given a new version.
        folder = os.path.join(tempfile.mkdtemp(), "run")
        self.addCleanup(shutil.rmtree, os.path.dirname(folder))
        shutil.copytree(PAGE_DIR, folder)
        self.server.stop()
        self.server = PageServer(folder)
        self.addCleanup(self.server.stop)
        self.start_game()
        self.browser.wait_for(lambda: self.browser.script("return navigator.serviceWorker.controller !== null;"),
                              "the service worker to take the page")
        first, files = self.kept()
        self.assertEqual(len(first), 1)

        # The next version: its script changed, its worker written again for it as the build writes it.
        with open(os.path.join(folder, "page.js"), "a") as f:
            f.write("\nwindow.nextVersion = true;\n")
        with open(os.path.join(folder, "sw.js")) as f:
            listed = re.findall(r"'([^']+)'", re.search(r"FILES = \[(.*)\]", f.read()).group(1))
        subprocess.run(["cmake", "-DDIR=" + folder, "-DTEMPLATE=" + os.path.join(SOURCE, "dist", "web", "sw.js.in"),
                        "-DFILES=" + ";".join(f for f in listed if f != "./"), "-P",
                        os.path.join(SOURCE, "dist", "web", "stamp_worker.cmake")], check=True)
        self.browser.driver.refresh()
        # The new worker keeps the new version whole, then the old one's files go.
        self.browser.wait_for(lambda: (lambda k: k[0] != first and len(k[0]) == 1 and k[1] == files)(self.kept()),
                              "the new version's files to replace the old")
        self.browser.driver.refresh()
        self.browser.wait_for(lambda: self.browser.script("return window.nextVersion === true;"),
                              "the page of the new version")


if __name__ == "__main__":
    main()
