#!/usr/bin/python3
"""Matches in the browser, started by real clicks and played with real keys: two players on one keyboard,
missiles fired by both and the MINES counts dropping on the HUD; one against the gunner, which fires on
its own. The keys play the game, never the page. Each match is left for the title screen, its recording
saved as a download and verified by the native program."""
import os
import subprocess
import time

from page_session import PageTest, main
from selenium.webdriver.common.keys import Keys

RUN_DIR = os.environ.get("ZELVORANT_RUN_DIR", "")

# Where the title and the menus have their buttons, in the game's frame from the top left.
MULTIPLAYER = (150, 150)
SINGLEPLAYER = (150, 75)
OPPONENT = (512, 425)   # under the levels: Classic or Gunner
MEDIUM = (512, 300)
MAIN_MENU = (512, 412)  # the pause menu's last button
# The tens digit of each station's MINES count ("10" has one, "9" has none): the blue panel's grey
# letters, the red panel's green ones.
BLUE_TENS = dict(x=110, y=60, w=10, h=16, channels=(0, 1, 2))
RED_TENS = dict(x=940, y=35, w=10, h=16, channels=(1,))


def tens_shown(picture, digit):
    return picture.lit(digit["x"], digit["y"], digit["w"], digit["h"], digit["channels"]) > 10


class Matches(PageTest):
    def hud(self):
        return self.browser.area(0, 0, 1024, 90)

    def fire(self, key, shots):
        for _ in range(shots):
            self.browser.key(key, 0.15)

    def leave_and_verify(self):
        """Escape, Main menu: the match is written under replays/, saved from the page and verified."""
        self.browser.key(Keys.ESCAPE)
        time.sleep(0.5)
        self.browser.click(*MAIN_MENU)
        recordings = self.browser.wait_for(lambda: self.browser.script(
            "var s = document.getElementById('recordings');"
            "return s.hidden ? null : Array.prototype.map.call(s.options, function (o) { return o.value; });"),
            "the page to list the recording")
        name = recordings[1]
        self.assertRegex(name, r"^match-\d{8}-\d{6}-\d{3}\.zvr$")
        self.browser.script("var s = document.getElementById('recordings'); s.value = arguments[0];"
                            "s.dispatchEvent(new Event('change'));", name)
        saved = os.path.join(self.browser.downloads, name)
        self.browser.wait_for(lambda: os.path.isfile(saved) and os.path.getsize(saved) > 0, "the download")
        if not RUN_DIR:
            return
        verified = subprocess.run([os.path.join(RUN_DIR, "zelvorant"), "--verify-replay", saved],
                                  capture_output=True, text=True)
        self.assertEqual(verified.returncode, 0, verified.stdout + verified.stderr)

    def test_two_players_fire_and_their_missile_counts_drop(self):
        self.start_game()
        self.browser.click(*MULTIPLAYER)
        start = self.browser.wait_for(lambda: (lambda h: h if tens_shown(h, BLUE_TENS) else None)(self.hud()),
                                      "the match's HUD")
        self.assertTrue(tens_shown(start, RED_TENS))
        # The wheel zooms the board, not the page.
        from selenium.webdriver.common.action_chains import ActionChains
        from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
        board = self.browser.area(312, 200, 400, 200)
        ActionChains(self.browser.driver).scroll_from_origin(
            ScrollOrigin.from_element(self.browser.canvas()), 0, -300).perform()
        self.browser.wait_for(lambda: self.browser.area(312, 200, 400, 200).changed(board, 0, 0, 400, 200) > 5000,
                              "the wheel to zoom the board", 10)
        # The page stays where it is whatever is pressed, and the keys stay with the game.
        for key in (Keys.SPACE, Keys.ARROW_DOWN, Keys.PAGE_DOWN, Keys.END, Keys.TAB, Keys.BACKSPACE):
            self.browser.key(key)
        self.assertEqual(self.browser.script("return [window.scrollX, window.scrollY];"), [0, 0])
        self.assertEqual(self.browser.script("return document.activeElement.id;"), "canvas")
        # A missile comes back every three seconds: three shots keep blue below ten.
        self.fire("d", 3)
        fired = self.browser.wait_for(lambda: (lambda h: h if not tens_shown(h, BLUE_TENS) else None)(self.hud()),
                                      "blue's MINES count to drop below 10", 10)
        self.assertTrue(tens_shown(fired, RED_TENS), "red's count dropped with no red shot")
        self.fire(Keys.NUMPAD5, 3)
        self.browser.wait_for(lambda: not tens_shown(self.hud(), RED_TENS), "red's MINES count to drop below 10", 10)
        self.leave_and_verify()

    def test_the_gunner_plays_red(self):
        self.start_game()
        self.browser.click(*SINGLEPLAYER)
        time.sleep(0.5)
        self.browser.click(*OPPONENT)
        time.sleep(0.5)
        self.browser.click(*MEDIUM)
        self.browser.point(1000, 580)
        self.browser.wait_for(lambda: tens_shown(self.hud(), BLUE_TENS), "the match's HUD")
        # Nobody touches a key: the gunner aims, charges and fires by itself.
        self.browser.wait_for(lambda: not tens_shown(self.hud(), RED_TENS), "the gunner to fire", 60)
        self.leave_and_verify()


if __name__ == "__main__":
    main()
