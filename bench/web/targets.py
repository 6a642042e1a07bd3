#!/usr/bin/python3
"""The browser version's targets, measured in one run on this machine and printed one line each: its name,
"met" or "NOT met" and the figures compared.

- download: every file of the page gzip-compressed (as a server sends them), at most 4 MB;
- start: from asking for the page to the title screen in headless Chromium on 127.0.0.1, at most 3 s
  (and, beside it, to the game's first frame; the splash between them lasts 3 s by design);
- logic step: the step at the busiest committed board in WebAssembly under Node within 1.5 x the native
  program's, both timed the same way, three runs each taken in turns; judged on the best step of each
  (on a shared machine the least disturbed), the medians beside;
- frames: in headless Chromium a played match frame within 1.5 x the floor frame drawn by the same page.

Usage: bench/web/targets.py WEB_BUILD NATIVE_BENCH_BUILD (build-web and the Release benchmark build)."""
import gzip
import os
import re
import statistics
import subprocess
import sys
import time

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "web"))
import page_session  # noqa: E402

web, native = sys.argv[1], sys.argv[2]


def line(name, met, figures):
    print("%-50s %-8s %s" % (name, "met" if met else "NOT met", figures))


def download():
    folder = os.path.join(web, "run")
    total = 0
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            total += len(gzip.compress(f.read(), 9))
    line("download, the whole page gzip-compressed", total <= 4e6, "%.2f MB (at most 4)" % (total / 1e6))


def console_time(browser, text):
    """When the page first wrote a line holding `text`, in seconds after its navigation began."""
    start = browser.script("return performance.timeOrigin;")
    for entry in browser.driver.get_log("browser"):
        if text in entry["message"]:
            return (entry["timestamp"] - start) / 1000
    return None


def start():
    server = page_session.PageServer(os.path.join(web, "run"))
    firsts, titles = [], []
    try:
        for _ in range(3):
            browser = page_session.Browser()
            try:
                browser.open(server.url)
                origin = browser.script("return performance.timeOrigin;")
                seen = {}
                end = time.monotonic() + 60
                while "Loading textures" not in seen and time.monotonic() < end:
                    for entry in browser.driver.get_log("browser"):
                        for text in ("Setting up display", "Loading textures"):
                            if text in entry["message"] and text not in seen:
                                seen[text] = (entry["timestamp"] - origin) / 1000
                    time.sleep(0.05)
                firsts.append(seen.get("Setting up display", float("inf")))
                titles.append(seen.get("Loading textures", float("inf")))
            finally:
                browser.quit()
    finally:
        server.stop()
    title = statistics.median(titles)
    line("start, page asked for to the title screen", title <= 3,
         "%.2f s (at most 3; median of %s), the first frame at %.2f s, the splash's 3 s between"
         % (title, ", ".join("%.2f" % t for t in titles), statistics.median(firsts)))


def step_times():
    def run(command):
        out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
        found = re.search(r"median ([0-9.]+) us a step, best ([0-9.]+) us", out)
        return float(found.group(1)), float(found.group(2))
    natives, wasms = [], []
    for _ in range(3):
        natives.append(run([os.path.join(native, "bench", "logic_step_timing")]))
        wasms.append(run(["node", "--no-experimental-fetch", os.path.join(web, "node", "logic-step-timing.js")]))
    best_n, best_w = min(b for _, b in natives), min(b for _, b in wasms)
    median_n = statistics.median(m for m, _ in natives)
    median_w = statistics.median(m for m, _ in wasms)
    line("logic step at the busiest board, WebAssembly / native", best_w <= 1.5 * best_n,
         "best %.1f us / %.1f us = %.2f x (at most 1.5); medians %.1f / %.1f us = %.2f x"
         % (best_w, best_n, best_w / best_n, median_w, median_n, median_w / median_n))


def frames():
    server = page_session.PageServer(os.path.join(web, "bench"), index="frame_page.html")
    browser = page_session.Browser()
    try:
        browser.open(server.url + "frame_page.html")
        result = browser.wait_for_line("frames:", 300)
    finally:
        browser.quit()
        server.stop()
    ratio = float(re.search(r"([0-9.]+) x their floor", result).group(1))
    line("a match frame in Chromium against its floor frame", ratio <= 1.5,
         "%s (at most 1.5)" % result[result.index("floor"):])


if __name__ == "__main__":
    print("\n== browser targets (this run)")
    download()
    start()
    step_times()
    frames()
