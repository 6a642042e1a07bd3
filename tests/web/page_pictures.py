#!/usr/bin/python3
"""Pictures of the page for the README, taken by headless Chromium from the browser build: the title
screen, a match, the options and a watched recording, each of the whole page at 1280 x 720 (the canvas
fitted to it, the strip of keys and buttons under it). Writes docs/web/*.png; not a test.

Usage: tests/web/page_pictures.py (ZELVORANT_WEB_BUILD names the build, build-web/ when not set)"""
import os
import sys
import time

sys.dont_write_bytecode = True
import page_session  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

OUT = os.path.join(page_session.SOURCE, "docs", "web")


def main():
    os.makedirs(OUT, exist_ok=True)
    server = page_session.PageServer()
    browser = page_session.Browser()
    try:
        browser.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 1280, "height": 720, "deviceScaleFactor": 1, "mobile": False})
        browser.open(server.url)
        browser.wait_for_title_screen()

        def shoot(name):
            time.sleep(0.8)
            browser.driver.save_screenshot(os.path.join(OUT, name + ".png"))

        browser.point(1000, 560)
        shoot("title")
        browser.click(150, 225)  # Options
        browser.point(1000, 560)
        shoot("options")
        browser.click(475, 545)  # Cancel
        browser.click(150, 150)  # Multiplayer
        browser.key("d", 0.8)
        browser.key(Keys.NUMPAD5, 0.4)
        time.sleep(1.5)
        browser.key("q", 0.5)
        browser.key("f")
        time.sleep(0.6)
        shoot("match")
        browser.key(Keys.ESCAPE)
        browser.click(512, 412)  # Main menu
        path = os.path.join(page_session.SOURCE, "tests", "replays", "two_players_busy.zvr")
        browser.driver.find_element(By.ID, "file").send_keys(path)
        time.sleep(2)
        for _ in range(3):
            browser.key(Keys.PAGE_DOWN)
        time.sleep(3)
        shoot("watched_recording")
    finally:
        browser.quit()
        server.stop()


if __name__ == "__main__":
    main()
