"""The committed artwork and music are exactly what the generator makes.

The generator runs into a temporary directory and every file must come out
byte-identical to the committed one: PNGs carry no timestamps, all randomness is
seeded, and the Vorbis encoder is deterministic for the same input and stream
serial, so any difference means the committed files are stale or the generator
has stopped being reproducible.
"""

import os
import subprocess
import sys
import tempfile
import unittest

import assetlib as A


def files_under(root, sub):
    out = set()
    for d, _, names in os.walk(os.path.join(root, sub)):
        for n in names:
            if n.startswith("."):
                continue  # placeholders such as .keep are not generated
            out.add(os.path.relpath(os.path.join(d, n), root))
    return out


class Generator(unittest.TestCase):
    def test_regenerating_gives_the_committed_files(self):
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, A.path("tools/gen/generate.py"), "--out", tmp],
                           check=True, stdout=subprocess.DEVNULL)
            made = files_under(tmp, "gfx") | files_under(tmp, "icons") | {"bgm.ogg"}
            committed = files_under(A.SOURCE_DIR, "gfx") | files_under(A.SOURCE_DIR, "icons") | {"bgm.ogg"}
            self.assertEqual(made, committed, "the generator makes a different set of files")
            self.assertTrue(set(A.LOADED_IMAGES) <= made, "the generator misses an image the game loads")
            for rel in sorted(made):
                with self.subTest(rel):
                    with open(os.path.join(tmp, rel), "rb") as a, open(A.path(rel), "rb") as b:
                        self.assertTrue(a.read() == b.read(), rel + " differs from a fresh generation")


if __name__ == "__main__":
    A.run(globals())
