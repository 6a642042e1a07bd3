"""The browser version in a real browser for the tests: the page served from 127.0.0.1 by scripts/serve-web,
headless Chromium driven through chromedriver (Selenium), and what a player sees and does there.

The web build's folder comes from ZELVORANT_WEB_BUILD (build-web/ beside the sources when not set). A test
that cannot start Chromium or find the build skips (exit status 77), or fails under CI=true."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
WEB_BUILD = os.environ.get("ZELVORANT_WEB_BUILD", os.path.join(SOURCE, "build-web"))
PAGE_DIR = os.path.join(WEB_BUILD, "run")
SKIPPED = 77

# The game's frame, in its own pixels from the top left.
GAME_W, GAME_H = 1024, 600
# The page fits the canvas to its room: this viewport shows it at exactly one pixel a pixel, with the
# strip of keys and buttons under it.
VIEWPORT_W, VIEWPORT_H = 1024, 700


def missing(what):
    """Skips the calling test, or fails it under CI=true, where every test must run."""
    if os.environ.get("CI") == "true":
        raise AssertionError("%s: CI=true requires every test to run" % what)
    raise unittest.SkipTest(what)


class PageServer:
    """scripts/serve-web on a free port of 127.0.0.1."""

    def __init__(self, folder=PAGE_DIR, index="index.html"):
        if not os.path.isfile(os.path.join(folder, index)):
            missing("no browser build in %s (./scripts/build-web makes it)" % folder)
        self.process = subprocess.Popen([sys.executable, os.path.join(SOURCE, "scripts", "serve-web"), folder,
                                         "--port", "0"], stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if "http://" not in line:
            self.stop()
            raise AssertionError("serve-web did not say where it listens: %r" % line)
        self.url = line[line.index("http://"):].strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)
        self.process.stdout.close()


class Browser:
    """Headless Chromium with a profile of its own (its storage, service worker and downloads), removed
    when it quits."""

    def __init__(self, profile=None, flags=()):
        try:
            from selenium import webdriver
            from selenium.webdriver.chrome.service import Service
        except ImportError:
            missing("Selenium (python3-selenium)")
        for program in ("/usr/bin/chromium", "/usr/bin/chromedriver"):
            if not os.path.exists(program):
                missing(program)
        self.own_profile = profile is None
        self.profile = profile or tempfile.mkdtemp(prefix="zelvorant-browser-")
        self.downloads = os.path.join(self.profile, "downloads")
        os.makedirs(self.downloads, exist_ok=True)
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        # WebGL in software: ANGLE over SwiftShader (--use-gl=swiftshader would leave WebGL off). Nothing
        # reaches beyond 127.0.0.1.
        for flag in ("--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                     "--user-data-dir=" + self.profile, "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--no-first-run",
                     "--disable-default-apps", "--window-size=%d,%d" % (VIEWPORT_W + 40, VIEWPORT_H + 120)):
            options.add_argument(flag)
        if os.geteuid() == 0:
            options.add_argument("--no-sandbox")
        for flag in flags:
            options.add_argument(flag)
        options.add_experimental_option("prefs", {"download.default_directory": self.downloads,
                                                  "download.prompt_for_download": False})
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        try:
            self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        except Exception as e:  # the browser itself did not start: no test can run
            if self.own_profile:
                shutil.rmtree(self.profile, ignore_errors=True)
            missing("headless Chromium (%s)" % str(e).splitlines()[0])
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": VIEWPORT_W, "height": VIEWPORT_H, "deviceScaleFactor": 1, "mobile": False})
        self.lines = []

    def quit(self):
        try:
            self.driver.quit()
        finally:
            if self.own_profile:
                shutil.rmtree(self.profile, ignore_errors=True)

    # The page and the game's output.
    def open(self, url):
        self.driver.get(url)

    def console(self):
        """Every line the page wrote to its console so far (the game's standard output and error)."""
        for entry in self.driver.get_log("browser"):
            message = entry["message"]
            # "url line:column "text"": the text as the game printed it, its escapes undone.
            quoted = message.find(' "')
            if quoted >= 0 and message.endswith('"'):
                try:
                    message = json.loads(message[quoted + 1:])
                except ValueError:
                    pass
            self.lines.append(message)
        return self.lines

    def wait_for(self, test, what, seconds=60):
        """Polls `test` until it is true; fails naming `what` after `seconds`."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            value = test()
            if value:
                return value
            time.sleep(0.2)
        raise AssertionError("waited %d s for %s; the page said:\n%s" % (seconds, what, "\n".join(self.console())))

    def wait_for_line(self, text, seconds=60):
        return self.wait_for(lambda: next((l for l in self.console() if text in l), None),
                             "the line %r" % text, seconds)

    def script(self, code, *args):
        return self.driver.execute_script(code, *args)

    def wait_for_title_screen(self, seconds=60):
        """Start-up done, the splash skipped: the title screen's menus take the pointer."""
        self.wait_for_line("Loading textures...", seconds)
        self.key("\ue00c")  # Escape, should the splash still be showing
        time.sleep(0.5)

    # What a player does.
    def canvas(self):
        from selenium.webdriver.common.by import By
        return self.driver.find_element(By.ID, "canvas")

    def click(self, x, y):
        """A left click at (x, y) of the game's frame, from its top left."""
        from selenium.webdriver.common.action_chains import ActionChains
        c = self.canvas()
        shown = self.script("var r = arguments[0].getBoundingClientRect(); return [r.width, r.height];", c)
        scale_x, scale_y = shown[0] / GAME_W, shown[1] / GAME_H
        ActionChains(self.driver).move_to_element_with_offset(
            c, int((x - GAME_W / 2) * scale_x), int((y - GAME_H / 2) * scale_y)).click().perform()

    def key(self, key, hold=0.0):
        """Presses and lets go of a key (a character, or one of Selenium's Keys), holding it `hold` seconds."""
        from selenium.webdriver.common.action_chains import ActionChains
        ActionChains(self.driver).key_down(key).pause(hold).key_up(key).perform()

    def point(self, x, y):
        """Moves the pointer to (x, y) of the game's frame."""
        from selenium.webdriver.common.action_chains import ActionChains
        c = self.canvas()
        ActionChains(self.driver).move_to_element_with_offset(c, int(x - GAME_W / 2), int(y - GAME_H / 2)).perform()

    # What a player sees.
    def area(self, x, y, w, h):
        """A part of the canvas as shown (at one pixel a pixel), quicker to take than the whole frame."""
        import base64
        left, top = self.script("var r = arguments[0].getBoundingClientRect(); return [r.left, r.top];",
                                self.canvas())
        shot = self.driver.execute_cdp_cmd("Page.captureScreenshot", {
            "format": "png", "clip": {"x": left + x, "y": top + y, "width": w, "height": h, "scale": 1}})
        rgb = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=base64.b64decode(shot["data"]),
                             capture_output=True, check=True).stdout
        return Picture(rgb, w, h)

    def frame(self):
        """The canvas as shown, RGB rows from the top: a picture of GAME_W x GAME_H pixels."""
        png = self.canvas().screenshot_as_png
        rgb = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=png, capture_output=True,
                             check=True).stdout
        return Picture(rgb, GAME_W, GAME_H)


class Picture:
    def __init__(self, rgb, width, height):
        if len(rgb) != width * height * 3:
            raise AssertionError("a picture of %d bytes is not %d x %d" % (len(rgb), width, height))
        self.rgb, self.width, self.height = rgb, width, height

    @staticmethod
    def read(path):
        out = subprocess.run(["convert", path, "-format", "%w %h", "info:"], capture_output=True, text=True,
                             check=True).stdout.split()
        rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
        return Picture(rgb, int(out[0]), int(out[1]))

    def write(self, path):
        subprocess.run(["convert", "-size", "%dx%d" % (self.width, self.height), "-depth", "8", "rgb:-", path],
                       input=self.rgb, check=True)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def region(self, x, y, w, h):
        return [self.pixel(i, j) for j in range(y, y + h) for i in range(x, x + w)]

    def changed(self, other, x, y, w, h, tolerance=24):
        """How many pixels of the region differ from `other`'s by more than `tolerance` in a channel."""
        return sum(1 for a, b in zip(self.region(x, y, w, h), other.region(x, y, w, h))
                   if max(abs(p - q) for p, q in zip(a, b)) > tolerance)

    def lit(self, x, y, w, h, channels=(0, 1, 2), level=150):
        """Pixels of the region brighter than `level` in each of `channels`: the HUD's letters on its
        panels, grey on the blue one (every channel), green on the red one (channel 1)."""
        return sum(1 for p in self.region(x, y, w, h) if min(p[c] for c in channels) > level)


class PageTest(unittest.TestCase):
    """A served page and a browser for each test."""

    def setUp(self):
        self.server = PageServer()
        self.addCleanup(self.server.stop)
        self.browser = Browser()
        self.addCleanup(self.browser.quit)

    def start_game(self):
        self.browser.open(self.server.url)
        self.browser.wait_for_title_screen()


def main():
    """Runs the module's tests; all of them skipped gives the status CTest counts as a skip."""
    result = unittest.main(exit=False, verbosity=2).result
    if not result.wasSuccessful():
        sys.exit(1)
    if result.testsRun > 0 and len(result.skipped) == result.testsRun:
        sys.exit(SKIPPED)
