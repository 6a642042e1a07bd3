#!/usr/bin/python3
"""The Network game screen in the page: network play is not in the browser version yet, so the screen
offers Back alone and says why; where the ways to play would be, nothing answers the pointer."""
import time

from page_session import PageTest, main

NETWORK_GAME = (150, 450)
# The network panel's buttons on the desktop, as (x, y, w, h) of the frame from its top left.
BACK = (412, 418, 200, 50)
WAYS_TO_PLAY = {"Host": (412, 288, 200, 50), "Join": (412, 353, 200, 50), "Watch": (437, 244, 150, 36),
                "Host online": (682, 288, 200, 50), "Join code": (682, 353, 200, 50)}
# Where the screen says why, over the panel's buttons.
REASON = (372, 180, 280, 70)
PANEL = (362, 113, 300, 375)
# Pixels that may change in a box with nothing to light up (the planet beside the panel turns); a button
# that lights up changes thousands.
STILL = 50


def centre(box):
    x, y, w, h = box
    return x + w // 2, y + h // 2


class NetworkScreen(PageTest):
    def pointed(self, box):
        """The box before and after the pointer goes over it: a shown button lights up."""
        self.browser.point(0, 0)
        time.sleep(0.3)
        before = self.browser.area(*box)
        self.browser.point(*centre(box))
        time.sleep(0.3)
        return before.changed(self.browser.area(*box), 0, 0, box[2], box[3])

    def test_only_back_is_offered_and_the_screen_says_why(self):
        self.start_game()
        self.browser.click(*NETWORK_GAME)
        self.browser.wait_for(lambda: self.browser.area(*REASON).lit(0, 0, REASON[2], REASON[3]) > 200,
                              "the reason in the panel")
        back = self.pointed(BACK)
        print("Back under the pointer: %d pixels changed" % back)
        self.assertGreater(back, 10 * STILL, "Back lights up under the pointer")
        for name, box in WAYS_TO_PLAY.items():
            changed = self.pointed(box)
            print("%s's place under the pointer: %d pixels changed" % (name, changed))
            self.assertLess(changed, STILL, name + " is not there to point at")

        # A click where Host would be starts nothing: the panel stays as it was.
        self.browser.point(0, 0)
        time.sleep(0.3)
        panel = self.browser.area(*PANEL)
        self.browser.click(*centre(WAYS_TO_PLAY["Host"]))
        self.browser.point(0, 0)
        time.sleep(1)
        self.assertLess(panel.changed(self.browser.area(*PANEL), 0, 0, PANEL[2], PANEL[3]), STILL)

        # Back leaves for the title screen, whose menu sits elsewhere: the panel goes.
        self.browser.click(*centre(BACK))
        self.browser.point(0, 0)
        self.browser.wait_for(lambda: panel.changed(self.browser.area(*PANEL), 0, 0, PANEL[2], PANEL[3]) > 1000,
                              "the title screen")


if __name__ == "__main__":
    main()
