#!/usr/bin/python3
"""The board in WebAssembly, run by Node, against the native programs: every committed recording verifies
with the native final hash, a damaged one is refused the same way, and the bot arena plays the same
matches from the same seed, one beyond what a 32-bit long holds included."""
import glob
import os
import shutil
import subprocess
import tempfile
import unittest

from page_session import SOURCE, WEB_BUILD, main, missing

RUN_DIR = os.environ.get("ZELVORANT_RUN_DIR", os.path.join(SOURCE, "build", "run"))
VERIFIER = os.path.join(WEB_BUILD, "node", "zelvorant-verify.js")
ARENA = os.path.join(WEB_BUILD, "node", "bot-arena.js")


def run(command):
    done = subprocess.run(command, capture_output=True, text=True, timeout=300)
    return done.returncode, done.stdout.strip()


class Verifier(unittest.TestCase):
    def setUp(self):
        for program in (VERIFIER, ARENA):
            if not os.path.isfile(program):
                missing("no %s (./scripts/build-web makes it)" % program)
        if shutil.which("node") is None:
            missing("Node")
        self.native = os.path.join(RUN_DIR, "zelvorant")
        if not os.path.isfile(self.native):
            missing("no native program at %s" % self.native)

    def both(self, path):
        return (run([self.native, "--verify-replay", path]),
                run(["node", "--no-experimental-fetch", VERIFIER, path]))

    def test_every_committed_recording_verifies_with_the_native_hash(self):
        recordings = sorted(glob.glob(os.path.join(SOURCE, "tests", "replays", "*.zvr")))
        self.assertGreater(len(recordings), 5)
        for path in recordings:
            with self.subTest(os.path.basename(path)):
                native, wasm = self.both(path)
                self.assertEqual(native[0], 0)
                self.assertRegex(native[1], r"^[0-9a-f]{16}$")
                self.assertEqual(wasm, native)

    def test_a_damaged_recording_is_refused_alike(self):
        with open(os.path.join(SOURCE, "tests", "replays", "single_medium.zvr"), "rb") as f:
            whole = f.read()
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder)
        cases = {"truncated.zvr": whole[:len(whole) // 2],
                 "flipped.zvr": whole[:40] + bytes([whole[40] ^ 0x10]) + whole[41:],
                 "empty.zvr": b""}
        for name, data in cases.items():
            path = os.path.join(folder, name)
            with open(path, "wb") as f:
                f.write(data)
            with self.subTest(name):
                native, wasm = self.both(path)
                self.assertEqual(native[0], 2)
                self.assertEqual(wasm, native)
        with self.subTest("missing"):
            native, wasm = self.both(os.path.join(folder, "none.zvr"))
            self.assertEqual((native[0], wasm[0]), (2, 2))

    def test_the_arena_plays_the_same_matches_from_the_same_seed(self):
        # Gunners on both sides aim with the board's arc tangent; the seed needs all 32 bits.
        args = ["--blue", "gunner:hard", "--red", "gunner:medium", "--matches", "3", "--seed", "4000000000"]
        native = run([os.path.join(RUN_DIR, "bot-arena")] + args)
        self.assertEqual(native[0], 0, native[1])
        self.assertIn("3 matches from seed 4000000000", native[1])
        self.assertEqual(run(["node", "--no-experimental-fetch", ARENA] + args), native)
        self.assertEqual(run(["node", "--no-experimental-fetch", ARENA, "--seed", "4294967296"])[0], 2)


if __name__ == "__main__":
    main()
