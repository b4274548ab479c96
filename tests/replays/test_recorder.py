"""Checks the tools that record the golden replays: the bot's reading of the
screen, composed from the artwork as the game draws it; the placement mode of
velquadro-bench; and that the committed replays hold what they were recorded
for, read as the program reads them.

Usage: test_recorder.py BUILD_DIR SOURCE_DIR
"""
import re
import subprocess
import sys
import unittest

import numpy as np
from PIL import Image

BUILD, SOURCE = sys.argv[1], sys.argv[2]
sys.path.insert(0, f"{SOURCE}/tools/replay")
import record_golden as rg  # noqa: E402

GFX = f"{SOURCE}/gfx"


def compose(skin, board, piece, marker_x, score):
    """A game screen in the order the game draws it, PIL blending for SDL's."""
    image = lambda name: Image.open(f"{GFX}/{name}").convert("RGBA")
    shot = image(f"{skin}/bg.png")
    shot.alpha_composite(image("grid.png"), (150, 150))
    shot.alpha_composite(image("hud.png"), (0, 150))
    cells = {code: image(f"{skin}/sq{code}.png") for code in range(1, 5)}
    at = lambda row, column: (156 + 30 * column, 156 + 30 * row)
    for (row, column), code in np.ndenumerate(board):
        if code:
            shot.alpha_composite(cells[code], at(row, column))
    if piece:
        column, top, colours = piece
        for k, colour in enumerate(colours):
            shot.alpha_composite(cells[colour], at(top + k // 2, column + k % 2))
    shot.alpha_composite(image("tempo.png"), (marker_x, 135))
    strip = image("numbers.png")
    for place, digit in enumerate(str(score)):
        shot.alpha_composite(strip.crop((20 * int(digit), 0, 20 * int(digit) + 20, 20)), (640 + 15 * place, 305))
    return np.asarray(shot.convert("RGB")).astype(np.int16)


def place(text):
    return subprocess.run([f"{BUILD}/velquadro-bench", "place"], input=text, capture_output=True, text=True)


def board_text(cells):
    board = np.zeros((10, 16), int)
    for (row, column), code in cells.items():
        board[row, column] = code
    return " ".join(map(str, board.flatten()))


class Recorder(unittest.TestCase):
    reader = rg.ScreenReader(GFX)

    def test_reads_the_screen(self):
        rng = np.random.default_rng(7)
        stack = np.zeros((10, 16), int)
        stack[6:] = rng.integers(1, 5, size=(4, 16))  # every code, marked ones too
        cases = [  # skin, board, piece, marker x (over a cell or between two), score
            (1, np.zeros((10, 16), int), (8, -2, [1, 1, 1, 2]), 376, 0),
            (2, stack, (3, -1, [2, 1, 1, 2]), 136 + 30 * 4 + 15, 150),
            (5, stack, (14, -2, [2, 2, 2, 1]), 136, 1234567),
            (3, stack, None, 586, 99),
        ]
        for skin, board, piece, marker_x, score in cases:
            with self.subTest(skin=skin, piece=piece):
                shot = compose(skin, board, piece, marker_x, score)
                expected = np.zeros((12, 16), int)
                expected[2:] = board
                if piece:
                    column, top, colours = piece
                    for k, colour in enumerate(colours):
                        expected[top + 2 + k // 2, column + k % 2] = colour
                self.assertEqual(self.reader.marker_x(shot), marker_x)
                codes = self.reader.cells(shot)
                np.testing.assert_array_equal(codes, expected)
                self.assertEqual(rg.new_piece(codes), piece)
                self.assertEqual(self.reader.number(shot, rg.SCORE_Y), score)

    def test_finds_a_turned_piece_on_the_board(self):
        colours = [1, 2, 2, 2]
        turned = rg.rotate_clockwise(rg.rotate_clockwise(colours))
        empty = np.zeros((10, 16), int)
        codes = self.reader.cells(compose(4, empty, (5, 1, turned), 136, 3))
        self.assertEqual(rg.find_piece(codes, empty, colours), (5, 1, turned))
        self.assertEqual(rg.turns_between(colours, turned), 2)

    def test_place(self):
        square = {(9, 0): 1, (9, 1): 1, (9, 2): 2, (9, 3): 2}
        # Columns 3 and 4 shut in between walls, high up on the other colour:
        # nothing scores, and only there can the piece go.
        walled = {(r, c): 2 for r in range(10) for c in (2, 5)} | {(r, c): 2 for r in range(4, 10) for c in (3, 4)}
        # A wall in column 2: from spawn the piece reaches the square at
        # columns 6 and 7, from column 0 below the top it does not.
        fenced = {(r, 2): 2 for r in range(10)} | {(9, 6): 1, (9, 7): 1}
        cases = [  # board, piece and position, answer
            (board_text({}) + " 1 1 2 2", "8 0 fallback"),
            (board_text(square) + " 2 2 1 1", "2 2 search"),
            (board_text(walled) + " 1 1 1 1 3 0", "3 0 fallback"),
            (board_text(fenced) + " 1 1 1 1", "6 0 search"),
            (board_text(fenced) + " 1 1 1 1 0 5", "0 0 search"),
        ]
        for question, answer in cases:
            with self.subTest(answer=answer):
                run = place(question)
                self.assertEqual((run.returncode, run.stdout.strip()), (0, answer), run.stderr)

    def test_place_refuses_bad_input(self):
        zeros = board_text({})
        cases = [" ".join(["0"] * 159), zeros.replace("0", "5", 1), zeros.replace("0", "-1", 1), zeros + " 1 1 2 0",
                 zeros + " 1 1 2 2 x", zeros + " 1 1 2 2 3", zeros + " 1 1 2 2 15 0", zeros + " 1 1 2 2 3 9",
                 zeros + " 1 1 2 2 3 4 5", zeros + " 1 1 2 00000000000000000000002"]
        for question in cases:
            with self.subTest(tail=question[-30:]):
                run = place(question)
                self.assertEqual((run.returncode, run.stdout), (2, ""))

    def test_golden_replays_hold_their_games(self):
        for name in rg.GAMES:
            with self.subTest(name=name):
                path = f"{SOURCE}/tests/replays/{name}.vqreplay"
                facts = rg.replay_facts(path)
                self.assertIsNone(rg.check(name, facts))
                verify = subprocess.run([f"{BUILD}/velquadro", "--verify", path], capture_output=True, text=True)
                played = re.search(r"(\d+) points in (\d+) s over (\d+) frames", verify.stdout)
                self.assertEqual(played.groups(), (str(facts["score"]), str(facts["seconds"]), str(facts["frames"])))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
