#!/usr/bin/python3
"""A recording opened from disk in the page plays in the game and, played to its end, names its final
state: the same as the native --verify-replay prints for the file."""
import os
import re
import subprocess

from page_session import PageTest, SOURCE, main
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

RUN_DIR = os.environ.get("ZELVORANT_RUN_DIR", "")
RECORDINGS = ("two_players_busy.zvr", "gunner_hard.zvr")


class WatchedRecording(PageTest):
    def test_a_recording_from_disk_ends_as_the_native_verifier_says(self):
        self.start_game()
        for name in RECORDINGS:
            with self.subTest(name):
                path = os.path.join(SOURCE, "tests", "replays", name)
                self.browser.driver.find_element(By.ID, "file").send_keys(path)
                self.browser.wait_for(lambda: self.browser.area(0, 560, 1024, 40).lit(200, 0, 624, 40) > 50,
                                      "the viewer's line under the board")
                # End: as far as the recording goes; its last commands are applied at the next step.
                self.browser.key(Keys.END)
                line = self.browser.wait_for_line("%s played to its end" % name, 120)
                steps, shown = re.search(r"(\d+) steps, final state ([0-9a-f]{16})", line).groups()
                self.browser.key(Keys.ESCAPE)
                if RUN_DIR:
                    native = subprocess.run([os.path.join(RUN_DIR, "zelvorant"), "--verify-replay", path],
                                            capture_output=True, text=True)
                    self.assertEqual(native.returncode, 0, native.stderr)
                    self.assertEqual(shown, native.stdout.strip())
                print("%s: %s steps, %s" % (name, steps, shown))


if __name__ == "__main__":
    main()
