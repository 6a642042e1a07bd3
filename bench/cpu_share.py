#!/usr/bin/env python3
"""The share of a core the real program takes, over 20 s, on the title screen, a paused match and a match in
play, for each frame-rate choice; with the frames a second Mesa counted (its HUD, hidden, dumping to a
file). Run under an X server (scripts/bench uses Xvfb). Arguments: the run folder (the program, gfx/,
sfx/) and the results folder, where cpu_share.json goes."""
import json, os, subprocess, sys, tempfile, time

run_dir, results = sys.argv[1], sys.argv[2]
SECONDS = float(os.environ.get("ZELVORANT_CPU_SECONDS", "20"))
CHOICES = [None, "vsync", "60", "120", "144"]  # None: no settings file, the game as specified
SCREENS = ["title screen", "paused match", "match in play"]
HZ = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    # Every thread of the process, llvmpipe's rasterisers included.
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / HZ


def xdotool(*args):
    return subprocess.run(["xdotool"] + list(args), capture_output=True, text=True, timeout=30).stdout.strip()


def wait(what, limit=60):
    end = time.time() + limit
    while time.time() < end:
        if what():
            return True
        time.sleep(0.05)
    return False


def measure(choice, screen):
    folder = tempfile.mkdtemp(prefix="zelvorant_cpu_")
    for name in ("zelvorant", "gfx", "sfx"):
        os.symlink(os.path.abspath(os.path.join(run_dir, name)), os.path.join(folder, name))
    if choice is not None:
        with open(os.path.join(folder, "settings"), "w") as f:
            f.write("frame_rate = %s\n" % choice)
    hud = os.path.join(folder, "hud")
    os.mkdir(hud)
    env = dict(os.environ, ALSOFT_DRIVERS="null", GALLIUM_HUD="fps", GALLIUM_HUD_VISIBLE="false",
               GALLIUM_HUD_DUMP_DIR=hud, GALLIUM_HUD_PERIOD="1")
    out = open(os.path.join(folder, "out.txt"), "w")
    game = subprocess.Popen(["./zelvorant"], cwd=folder, env=env, stdout=out, stderr=subprocess.DEVNULL)
    try:
        window = ""
        if not wait(lambda: xdotool("search", "--name", "^Zelvorant$") != ""):
            return None
        window = xdotool("search", "--name", "^Zelvorant$").split()[0]
        loaded = lambda: "Loading textures" in open(os.path.join(folder, "out.txt")).read()
        xdotool("keydown", "Escape")
        ok = wait(loaded)
        xdotool("keyup", "Escape")
        if not ok:
            return None
        time.sleep(0.5)
        if screen != "title screen":
            # "Multiplayer", 450 pixels up the 600-pixel window.
            xdotool("mousemove", "--window", window, "150", "150", "click", "1")
            time.sleep(0.5)
        if screen == "paused match":
            xdotool("key", "Escape")
        xdotool("mousemove", "--window", window, "900", "590")  # off every button
        time.sleep(2)
        fps_file = os.path.join(hud, "fps")
        counted = lambda: len(open(fps_file).read().split()) if os.path.exists(fps_file) else 0
        first, start, wall = counted(), cpu_seconds(game.pid), time.time()
        time.sleep(SECONDS)
        used, wall = cpu_seconds(game.pid) - start, time.time() - wall
        values = [float(v) for v in open(fps_file).read().split()[first:]] if os.path.exists(fps_file) else []
        return {"share": used / wall, "fps": sum(values) / len(values) if values else None}
    finally:
        game.kill()
        game.wait()
        out.close()
        subprocess.run(["rm", "-rf", folder])


figures = []
for choice in CHOICES:
    for screen in SCREENS:
        m = measure(choice, screen)
        name = "unlimited (no settings file)" if choice is None else choice
        figures.append({"choice": name, "screen": screen, **(m or {"share": None, "fps": None})})
        if m is None:
            print("%-30s %-14s not measured" % (name, screen))
        else:
            print("%-30s %-14s %5.1f %% of a core, %6.1f frames a second"
                  % (name, screen, 100 * m["share"], m["fps"] or 0), flush=True)
with open(os.path.join(results, "cpu_share.json"), "w") as f:
    json.dump(figures, f, indent=1)
