#!/usr/bin/env python3
"""The computer's levels against their targets. Plays each pairing in bot-arena (200 matches from seed 1
unless told), first with the gunner on red, as in single-player play against a person on blue, then on
the mirrored sides; prints the table for the README and one line per target: its name, "met" or "NOT
met" and the figures compared. Exits 1 when a target is not met.
Usage: bench/arena_targets.py BOT_ARENA [--matches N] [--seed S] [--jobs J]
Each match runs the real logic step for every step of play: 200 matches of every pairing take about
twenty minutes of processor time. Run it under nice on a shared machine."""
import argparse, subprocess, sys
from concurrent.futures import ThreadPoolExecutor

LEVELS = ("easy", "medium", "hard")


def pairings():
    """(blue, red) in the order of the table: the gunner on red, then the same on the other side."""
    on_red = [("idle", "gunner:" + l) for l in LEVELS] + [("newcomer", "gunner:" + l) for l in LEVELS]
    on_red += [("classic:hard", "gunner:hard"), ("gunner:medium", "gunner:hard"), ("gunner:easy", "gunner:medium")]
    return on_red + [(red, blue) for blue, red in on_red]


def play(arena, blue, red, matches, seed):
    out = subprocess.run([arena, "--blue", blue, "--red", red, "--matches", str(matches), "--seed", str(seed)],
                         capture_output=True, text=True, check=True).stdout.splitlines()
    length = float(out[0].split("mean length ")[1].split()[0])
    sides = []
    for row in out[2:4]:
        f = row.split()
        n = [float(x.rstrip("%")) for x in f[-12:]]
        sides.append(dict(wins=n[0], draws=n[1], losses=n[2], shots=n[3], hits=n[4], hit=n[5], reached=n[6],
                          self_hits=n[7], self=n[8], flares=n[9], caught=n[10], caught_share=n[11]))
    return dict(blue=blue, red=red, length=length, sides=sides)


def name(player):
    return player.replace(":", " ")


def table(results, matches):
    print("| blue | red | blue wins / draws / losses | blue shots, hit%, hit% of those not caught, self%, caught% "
          "| red shots, hit%, hit% not caught, self%, caught% | mean length |")
    print("|---|---|---|---|---|---|")
    for r in results:
        b, d = r["sides"]
        won = "%d / %d / %d (%.1f %%)" % (b["wins"], b["draws"], b["losses"], 100.0 * b["wins"] / matches)

        def figures(s):
            if s["shots"] == 0:
                return "no shots"
            return "%d, %.1f %%, %.1f %%, %.1f %%, %.1f %%" % (s["shots"], s["hit"], s["reached"], s["self"],
                                                             s["caught_share"])
        print("| %s | %s | %s | %s | %s | %.1f s |" % (name(r["blue"]), name(r["red"]), won, figures(b), figures(d),
                                                      r["length"]))


def targets(results, matches):
    """Each target, once for each side the gunner played it on."""
    ok = True

    def line(title, met, numbers):
        nonlocal ok
        ok = ok and met
        print("%-62s %-8s %s" % (title, "met" if met else "NOT met", numbers))

    def find(blue, red):
        return next(r for r in results if r["blue"] == blue and r["red"] == red)

    def side(r, player):
        """The figures of `player` in result r."""
        return r["sides"][1 if r["red"] == player else 0]

    def pct(n):
        return 100.0 * n / matches

    for mirrored in (False, True):
        def pair(person, gunner):
            return find(gunner, person) if mirrored else find(person, gunner)
        where = "blue" if mirrored else "red"
        for l in LEVELS:
            worst = max(side(r, "gunner:" + l)["self"] for r in results
                        if r["blue" if mirrored else "red"] == "gunner:" + l)
            line("gunner %s on %s: its own station hit, worst pairing" % (l, where), worst <= 1.0,
                 "%.1f %% of its shots (at most 1 %%)" % worst)
        s = side(pair("newcomer", "gunner:easy"), "gunner:easy")
        line("gunner easy on %s loses to the newcomer" % where, pct(s["losses"]) >= 40,
             "%.1f %% of matches (at least 40 %%)" % pct(s["losses"]))
        s = side(pair("newcomer", "gunner:medium"), "gunner:medium")
        line("gunner medium on %s beats the newcomer" % where, 70 <= pct(s["wins"]) <= 90,
             "%.1f %% of matches (70 to 90 %%)" % pct(s["wins"]))
        s = side(pair("newcomer", "gunner:hard"), "gunner:hard")
        line("gunner hard on %s beats the newcomer" % where, pct(s["wins"]) >= 95,
             "%.1f %% of matches (at least 95 %%)" % pct(s["wins"]))
        s = side(pair("idle", "gunner:hard"), "gunner:hard")
        line("gunner hard on %s hits an idle station" % where, 55 <= s["hit"] <= 75,
             "%.1f %% of its shots (55 to 75 %%)" % s["hit"])
        for lower, upper in (("classic:hard", "gunner:hard"), ("gunner:medium", "gunner:hard"),
                             ("gunner:easy", "gunner:medium")):
            s = side(pair(lower, upper), upper)
            line("%s on %s beats %s" % (name(upper), where, name(lower)), pct(s["wins"]) >= 75,
                 "%.1f %% of matches (at least 75 %%)" % pct(s["wins"]))
    return ok


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("arena")
    p.add_argument("--matches", type=int, default=200)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--jobs", type=int, default=1)
    a = p.parse_args()
    with ThreadPoolExecutor(max_workers=a.jobs) as pool:
        results = list(pool.map(lambda pair: play(a.arena, pair[0], pair[1], a.matches, a.seed), pairings()))
    print("%d matches of each pairing from seed %d\n" % (a.matches, a.seed))
    table(results, a.matches)
    print()
    return 0 if targets(results, a.matches) else 1


if __name__ == "__main__":
    sys.exit(main())
