#!/usr/bin/python3
"""A pad through the browser's Gamepad API in its standard layout drives the game as the desktop's pads do:
the d-pad walks the title's buttons, the south button presses one and, in the match, charges and fires.
Headless Chromium has no pad: the page is shown one (navigator.getGamepads) that the test moves."""
import time

from page_session import PageTest, main

# A standard-layout pad, as a browser reports one: 17 buttons, 4 axes.
PAD = """
(function () {
  var pad = { id: 'Test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard',
              timestamp: 0, axes: [0, 0, 0, 0], buttons: [] };
  for (var i = 0; i < 17; ++i) pad.buttons.push({ pressed: false, touched: false, value: 0 });
  window.testPad = pad;
  window.pressPad = function (button, down) {
    pad.buttons[button] = { pressed: down, touched: down, value: down ? 1 : 0 };
    pad.timestamp += 1;
  };
  navigator.getGamepads = function () { return [pad, null, null, null]; };
})();
"""
SOUTH, DPAD_DOWN = 0, 13
BLUE_TENS = (110, 60, 10, 16)


class Gamepad(PageTest):
    def press(self, button, hold=0.4):
        # Held across several frames, as a thumb does: the game reads the pads once a frame.
        self.browser.script("pressPad(arguments[0], true);", button)
        time.sleep(hold)
        self.browser.script("pressPad(arguments[0], false);", button)
        time.sleep(0.4)

    def test_the_pad_walks_the_menus_and_fires(self):
        self.browser.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PAD})
        self.start_game()
        self.browser.point(1000, 580)
        # First the top button, then the next: Multiplayer; south presses it.
        self.press(DPAD_DOWN)
        self.press(DPAD_DOWN)
        self.press(SOUTH)
        self.browser.wait_for(lambda: self.browser.area(0, 0, 200, 90).lit(*BLUE_TENS) > 10, "the match")
        # South charges while held and fires when let go; three shots outrun the refills.
        for _ in range(3):
            self.press(SOUTH, 0.3)
        self.browser.wait_for(lambda: self.browser.area(0, 0, 200, 90).lit(*BLUE_TENS) == 0,
                              "blue's MINES count to drop below 10", 10)


if __name__ == "__main__":
    main()
