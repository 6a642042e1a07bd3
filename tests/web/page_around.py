#!/usr/bin/python3
"""The page around the game: its title and icon, the note about sound until the first click or key, the
fullscreen button, Quit ending the game with the page saying so, and a browser without WebGL 2 told why
there is no game instead of a dead canvas."""
import time

from page_session import Browser, PageTest, main

QUIT = (150, 375)
OPTIONS = (150, 225)


def note_shown(browser):
    return browser.script("return !document.getElementById('note').hidden;")


class PageAround(PageTest):
    def test_title_icon_sound_note_and_fullscreen(self):
        self.start_game()
        self.assertEqual(self.browser.driver.title, "Zelvorant")
        icon = self.browser.script("return document.querySelector('link[rel=icon]').href;")
        self.assertEqual(self.browser.script(
            "var r = new XMLHttpRequest(); r.open('GET', arguments[0], false); r.send();"
            "return [r.status, r.getResponseHeader('Content-Type')];", icon), [200, "image/png"])
        manifest = self.browser.script(
            "var r = new XMLHttpRequest(); r.open('GET', 'manifest.webmanifest', false); r.send();"
            "return JSON.parse(r.responseText);")
        self.assertEqual(manifest["name"], "Zelvorant")
        self.assertEqual(sorted(i["sizes"] for i in manifest["icons"]), ["192x192", "512x512"])

        # The game's audio is held until the first key, and the page says so meanwhile.
        self.assertTrue(note_shown(self.browser))
        self.browser.key("x")
        self.browser.wait_for(lambda: not note_shown(self.browser), "the sound note to go")

        shown = self.browser.script("return document.getElementById('canvas').getBoundingClientRect().width;")
        self.browser.driver.find_element("id", "fullscreen").click()
        self.browser.wait_for(lambda: self.browser.script("return document.fullscreenElement !== null;"),
                              "fullscreen")
        self.assertEqual(self.browser.script("return document.fullscreenElement.tagName;"), "HTML")
        self.assertEqual(self.browser.script("return document.activeElement.id;"), "canvas")
        time.sleep(0.5)
        # The canvas fills the screen at the game's aspect.
        width, height = self.browser.script(
            "var r = document.getElementById('canvas').getBoundingClientRect(); return [r.width, r.height];")
        self.assertAlmostEqual(width / height, 1024 / 600, delta=0.01)
        self.assertGreaterEqual(width, shown)
        self.browser.driver.find_element("id", "fullscreen").click()
        self.browser.wait_for(lambda: self.browser.script("return document.fullscreenElement === null;"),
                              "fullscreen to end")

    def test_the_game_draws_at_the_size_the_page_shows_it(self):
        self.start_game()
        self.browser.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 1500, "height": 900, "deviceScaleFactor": 1, "mobile": False})
        # The canvas shown larger, at the game's aspect, and drawn at that size, one pixel a pixel.
        size = lambda: self.browser.script(
            "var c = document.getElementById('canvas'), r = c.getBoundingClientRect();"
            "return [c.width, c.height, r.width, r.height];")
        self.browser.wait_for(lambda: size()[0] > 1024 and size()[:2] == [round(v) for v in size()[2:]],
                              "the game to draw at the size shown")
        width, height = size()[:2]
        self.assertAlmostEqual(width / height, 1024 / 600, delta=0.01)
        # Its interface scaled, the pointer mapped back: Options, where it is drawn, opens them; their
        # headings (BLUE and RED, grey, drawn from the large font's picture at this scale) stand where
        # the frame puts them.
        scale = width / 1024
        box = [int(v * scale) for v in (140, 40, 200, 30)]
        self.browser.click(*OPTIONS)
        self.browser.wait_for(lambda: self.browser.area(*box).lit(0, 0, box[2], box[3]) > 300 * scale * scale,
                              "the options' headings")

    def test_quit_ends_the_game_and_the_page_says_so(self):
        self.start_game()
        self.browser.click(*QUIT)
        message = self.browser.wait_for(lambda: self.browser.script(
            "var m = document.getElementById('loading'); return m.hidden ? null : m.textContent;"),
            "the page to say the game ended")
        self.assertIn("Reload the page to play again", message)
        self.assertTrue(self.browser.script("return document.getElementById('canvas').hidden;"))


class NoWebGL(PageTest):
    def setUp(self):
        super().setUp()
        self.browser.quit()
        self.browser = Browser(flags=["--disable-webgl"])
        self.addCleanup(self.browser.quit)

    def test_a_browser_without_webgl2_is_told_why(self):
        self.browser.open(self.server.url)
        message = self.browser.wait_for(lambda: self.browser.script(
            "return document.getElementById('message').textContent;"), "the page's message")
        self.browser.wait_for(lambda: "WebGL 2" in self.browser.script(
            "return document.getElementById('message').textContent;"), "the page to name WebGL 2")
        self.assertTrue(self.browser.script("return document.getElementById('canvas').hidden;"))
        self.assertFalse(any("Setting up display" in l for l in self.browser.console()), message)


if __name__ == "__main__":
    main()
