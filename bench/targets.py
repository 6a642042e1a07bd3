#!/usr/bin/env python3
"""The speed targets: one line per target from the results of one run of scripts/bench (its results
folder is the argument): its name, "met" or "NOT met" and the figures compared."""
import json, os, sys
results = sys.argv[1]

def load(name):
    """Benchmarks by name: the median of the repetitions, or the single run."""
    path = os.path.join(results, name + ".json")
    if not os.path.exists(path):
        return {}
    out = {}
    with open(path) as f:
        for b in json.load(f)["benchmarks"]:
            if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
                continue
            out.setdefault(b["run_name"], b)
            if b.get("run_type") == "aggregate":
                out[b["run_name"]] = b
    return out

def ms(b, clock="real_time"):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b[clock] * scale

def find(table, prefix):
    for name, b in table.items():
        if name.startswith(prefix):
            return b
    return None

def line(name, met, numbers):
    print("%-58s %-8s %s" % (name, "met" if met else "NOT met", numbers))

print("\n== targets (this run, medians of three; every frame against a floor frame drawn just before it)")
for size in ("1024x600", "1920x1080"):
    frame = load("bench_frame-" + size)
    floor = find(frame, "BM_Floor")
    if floor is None:
        print("%s: no frame figures" % size)
        continue
    print("%s: floor (clear, one window-sized texture unblended, swap) %.2f ms" % (size, ms(floor)))
    screens = ["title screen", "options from the title", "how to play", "difficulty menu over a match",
               "match without missiles, no step between frames", "pause menu over a match",
               "options menu over a match", "match over"]
    targets = {0, 3, 4, 5, 6}
    for i, title in enumerate(screens):
        b = find(frame, "BM_Screen/screen:%d/" % i)
        if b is None:
            continue
        text = "%.2f ms = %.2f x its floor frames' %.2f ms (at most 1.3)" % (ms(b), b["vs_floor"], b["floor_ms"])
        name = "%s %s" % (size, title)
        if i in targets:
            line(name, b["vs_floor"] <= 1.3, text)
        else:
            print("%-58s %-8s %s" % (name, "(info)", text))
    played = find(frame, "BM_PlayedMatch")
    if played is not None:
        line("%s match without missiles, a step before each frame" % size, played["vs_floor"] <= 1.3,
             "%.2f ms = %.2f x its floor frames' %.2f ms (at most 1.3); %.0f%% of frames patched"
             % (ms(played), played["vs_floor"], played["floor_ms"], 100 * played["patched"]))
    pulse = find(frame, "BM_PulseFloor")
    if played is not None and pulse is not None:
        print("%-58s %-8s floor frame with the HUD's pulse drawn again %.2f x floor; the played frame is %.2f x that"
              % ("%s least a played match frame draws" % size, "(info)", pulse["vs_floor"],
                 played["vs_floor"] / pulse["vs_floor"]))
    parts = [find(frame, "BM_MatchPart/part:%d/" % i) for i in range(3)]
    if None not in parts:
        print("%-58s %-8s backdrop put back alone %.2f x floor, whole world pass %.2f x, with the HUD %.2f x"
              % ("%s where a whole match frame's time goes" % size, "(info)",
                 parts[0]["vs_floor"], parts[1]["vs_floor"], parts[2]["vs_floor"]))
    for n in (1000, 10000, 40000):
        b = find(frame, "BM_BusyMatch/sprites:%d/" % n)
        if b is None:
            continue
        bound = b["floor_ms"] + 1.1 * b["bare_ms"]
        text = ("%.2f ms against floor %.2f + 1.1 x bare batch alone %.2f = %.2f ms: %.2f x (at most 1)"
                % (ms(b), b["floor_ms"], b["bare_ms"], bound, b["vs_bound"]))
        name = "%s match with %d trail sprites" % (size, n)
        if n == 10000:
            line(name, b["vs_bound"] <= 1.0, text)
        else:
            print("%-58s %-8s %s" % (name, "(info)", text))

logic = load("bench_logic_step")
steps = sorted((b for n, b in logic.items() if n.startswith("BM_LogicStep")), key=lambda b: b["particles"])
walks = sorted((b for n, b in logic.items() if n.startswith("BM_ListWalk")), key=lambda b: b["particles"])
if len(walks) >= 2:
    a, b = walks[0]["per_particle"] * 1e9, walks[-1]["per_particle"] * 1e9
    print("%-58s %-8s %.1f ns vs %.1f ns = %.2f x; %.3f ms CPU at %d"
          % ("logic step's floor: one bare walk over the list, %d vs %d" % (walks[-1]["particles"],
             walks[0]["particles"]), "(info)", b, a, b / a, ms(walks[-1], "cpu_time"), walks[-1]["particles"]))
if len(steps) >= 2:
    small, large = steps[0], steps[-1]
    a, b = small["per_particle"] * 1e9, large["per_particle"] * 1e9
    line("logic step per particle at %d vs %d particles" % (large["particles"], small["particles"]),
         b <= 1.5 * a, "%.1f ns vs %.1f ns = %.2f x (at most 1.5; CPU time)" % (b, a, b / a))
    cpu, wall = ms(large, "cpu_time"), ms(large)
    line("logic step at %d particles" % large["particles"], cpu <= 0.5,
         "%.3f ms CPU (%.3f ms wall) = %.1f%% of the 10 ms step (at most 5%%)" % (cpu, wall, cpu * 10))
replay = find(load("bench_frame-1024x600"), "BM_Replay")
name = "1024x600 replay of a busy match, 99th-percentile frame"
if replay is None:
    line(name, False, "not measured")
else:
    line(name, replay["vs_floor"] <= 1.3,
         "%.2f ms (median %.2f) over %d frames = %.2f x the mean floor frame's %.2f ms (at most 1.3; "
         "logic steps included)" % (replay["p99_ms"], replay["median_ms"], replay["frames"], replay["vs_floor"],
                                    replay["floor_ms"]))
    print("%-58s %-8s each frame against its floor frame + its logic steps + 1.1 x its sprites as one bare "
          "batch: 99th percentile %.2f x, median %.2f x"
          % ("1024x600 replay: its floor", "(info)", replay["bound_p99"], replay["bound_median"]))
opponent = load("bench_opponent")
for level, title in ((4, "easy"), (2, "medium"), (1, "hard")):
    b = find(opponent, "BM_GunnerThinks/level:%d/" % level)
    if b is None:
        continue
    line("gunner %s thinking per step at the busiest recorded board" % title,
         b["mean_ms"] <= 1.0 and b["worst_ms"] <= 4.0,
         "mean %.3f ms, worst %.2f ms CPU (at most 1 and 4) from %d particles"
         % (b["mean_ms"], b["worst_ms"], b["particles"]))

rollback = load("bench_rollback")
save, back = find(rollback, "BM_SaveBoard"), find(rollback, "BM_RestoreAndRunAgain")
if save is not None and back is not None:
    # Judged by processor time, as the gunner is: on a shared machine the wall clock counts others' turns.
    line("network rollback: saving the busiest recorded board", ms(save, "cpu_time") <= 0.05,
         "%.1f us CPU (%.1f us wall) for %d particles (at most 50 us)"
         % (ms(save, "cpu_time") * 1e3, ms(save) * 1e3, save["particles"]))
    line("network rollback: back 12 steps and run them again", ms(back, "cpu_time") <= 2.0,
         "%.2f ms CPU (%.2f ms wall), saves included (at most 2 ms)" % (ms(back, "cpu_time"), ms(back)))

seek = find(load("bench_replay_seek"), "BM_SeekBack")
if seek is not None:
    # From the keyframe before it: the same steps whatever the match's length.
    line("replay: a jump back in a watched match of any length", ms(seek) <= 1000,
         "%.1f ms (%.1f ms CPU) for the %d steps from the keyframe before it, the most a jump runs (at most "
         "1000 ms); keyframes of %.0f kB each, %.1f MB for a ten-minute match"
         % (ms(seek), seek["cpu_ms"], seek["steps_run"], seek["keyframe_kb"],
            seek["keyframe_kb"] * (60000 / (seek["steps_run"] + 1) + 1) / 1024))

# The real program's share of a core over 20 s, against what drawing its frames costs: the frames a
# second Mesa counted times the frame's time in BM_Screen / BM_PlayedMatch (1024 x 600, its default window).
cpu_path = os.path.join(results, "cpu_share.json")
if os.path.exists(cpu_path):
    frame = load("bench_frame-1024x600")
    costs = {"title screen": find(frame, "BM_Screen/screen:0/"), "paused match": find(frame, "BM_Screen/screen:5/"),
             "match in play": find(frame, "BM_PlayedMatch")}
    print("\n== share of a core over 20 s (whole process, llvmpipe's threads included)")
    for f in json.load(open(cpu_path)):
        name = "%s, %s" % (f["screen"], f["choice"])
        if f["share"] is None:
            line(name, False, "not measured")
            continue
        cost = costs.get(f["screen"])
        drawing = ""
        if cost is not None and f["fps"]:
            drawing = "; %.0f frames a second x %.2f ms = %.0f%% of a core drawing them" % (
                f["fps"], ms(cost), f["fps"] * ms(cost) / 10)
        text = "%.1f%% of a core%s" % (100 * f["share"], drawing)
        if f["screen"] == "title screen" and f["choice"] == "60":
            line(name, f["share"] < 0.2, text + " (under 20%)")
        else:
            print("%-58s %-8s %s" % (name, "(info)", text))

# The rendezvous server: the real program with 10,000 hosts and 200 relayed matches on 127.0.0.1.
rdv = load("bench_rendezvous_server")
relayed, direct = find(rdv, "BM_RelayedMatches"), find(rdv, "BM_DirectMatches")
if relayed is not None and direct is not None:
    print("\n== rendezvous server, 10,000 hosts and 200 matches relayed at 100 datagrams/s a side")
    print("%-58s %-8s %.1f%% of a core; resident %.0f kB (%.0f kB before any host, peak %.0f kB)"
          % ("server: share of a core and memory", "(info)", relayed["server_cpu_percent"],
             relayed["server_rss_kB"], relayed["server_rss_empty_kB"], relayed["server_peak_rss_kB"]))
    print("%-58s %-8s median %.0f us, 99th percentile %.0f us (direct: %.0f us, %.0f us); %.1f%% arrived"
          % ("server: delay of a relayed datagram", "(info)", relayed["delay_median_us"], relayed["delay_p99_us"],
             direct["delay_median_us"], direct["delay_p99_us"], relayed["arrived_percent"]))
websocket = find(rdv, "BM_WebSocketRelayedMatches")
if websocket is not None:
    print("\n== rendezvous server, WebSocket port: 200 matches UDP-UDP and 200 UDP-browser relayed, 1,000 "
          "connections held")
    print("%-58s %-8s %.1f%% of a core; resident %.0f kB (%.0f kB empty, %.0f kB relayed, peak %.0f kB), "
          "%.2f kB a connection held"
          % ("server: share of a core and memory", "(info)", websocket["server_cpu_percent"],
             websocket["server_rss_kB"], websocket["server_rss_empty_kB"], websocket["server_rss_relayed_kB"],
             websocket["server_peak_rss_kB"], websocket["server_rss_per_held_websocket_kB"]))
    print("%-58s %-8s UDP to UDP median %.0f us, p99 %.0f us; UDP to WebSocket %.0f us, %.0f us; "
          "WebSocket to UDP %.0f us, %.0f us; arrived %.1f%%, %.1f%%, %.1f%%"
          % ("server: delay through the relay by path", "(info)", websocket["udp_median_us"],
             websocket["udp_p99_us"], websocket["to_websocket_median_us"], websocket["to_websocket_p99_us"],
             websocket["from_websocket_median_us"], websocket["from_websocket_p99_us"],
             websocket["udp_arrived_percent"], websocket["to_websocket_arrived_percent"],
             websocket["from_websocket_arrived_percent"]))
    added = websocket["websocket_added_median_us"]
    line("server: delay a WebSocket side adds, median, same run", added <= 1000,
         "%.0f us (at most 1000 us; 99th percentile %.0f us)" % (added, websocket["websocket_added_p99_us"]))
