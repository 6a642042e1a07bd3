#!/usr/bin/python3
"""The page loads from the local server, starts within its time and shows the title screen as the desktop
draws it: the browser's frame against the native screenshot in docs/screenshots/title.png."""
import os
import time

from page_session import PageTest, Picture, SOURCE, main

# WebGL in software (SwiftShader) rounds, filters and blends a little differently from the desktop's
# llvmpipe: a pixel counts as different beyond this in a channel, and at most this share of them may be.
CHANNEL_TOLERANCE = 8
MOST_DIFFERENT = 0.001
# The frame counter, bottom left, counts the browser's frames.
FRAME_COUNTER = (10, 570, 120, 30)


class TitleScreen(PageTest):
    def test_the_title_screen_is_the_desktops(self):
        started = time.monotonic()
        self.start_game()
        print("title screen %.1f s after the page was asked for" % (time.monotonic() - started))
        # Away from the buttons, so that none is lit by the pointer.
        time.sleep(1)
        shown = self.browser.frame()
        native = Picture.read(os.path.join(SOURCE, "docs", "screenshots", "title.png"))
        fx, fy, fw, fh = FRAME_COUNTER
        different = 0
        worst = 0
        for y in range(native.height):
            for x in range(native.width):
                if fx <= x < fx + fw and fy <= y < fy + fh:
                    continue
                d = max(abs(a - b) for a, b in zip(shown.pixel(x, y), native.pixel(x, y)))
                worst = max(worst, d)
                if d > CHANNEL_TOLERANCE:
                    different += 1
        share = different / float(native.width * native.height)
        print("%d pixels (%.3f %%) differ by more than %d in a channel; the largest difference %d"
              % (different, 100 * share, CHANNEL_TOLERANCE, worst))
        if share > MOST_DIFFERENT:
            shown.write(os.path.join(self.browser.profile, "..", "title_in_browser.png"))
        self.assertLessEqual(share, MOST_DIFFERENT)


if __name__ == "__main__":
    main()
