"""Records the golden replays of tests/replays/ by playing the real program.

The replays hold the input of games played in the real program; ctest plays
them again with `velquadro --verify`, so a change that alters how the game
plays fails them. When a change is meant to alter the game, record them anew
(after `tools/install-deps --test` and a build in build/):

    tools/replay/record-golden                 # all three, into tests/replays/
    tools/replay/record-golden new_skin        # or some of them

The wrapper starts a virtual X server and runs this bot, which starts the
program in a scratch folder, reads its screenshots (`import -window`), presses
keys with xdotool and keeps the last.vqreplay the game leaves. Where each
piece goes is the demo autopilot's choice, asked of `velquadro-bench place`.
The game is seeded from the clock, so new_skin is played again until a game
reaches a Score of 100 (the switch to skin 2 and Level 2).

    record_golden.py --program build/velquadro --bench build/velquadro-bench --out DIR [--tries N] [NAME...]
"""
import argparse
import io
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import numpy as np
from PIL import Image

GAMES = ("untimed_moves", "time_attack", "new_skin")

# The screen as the game draws it.
COLUMNS, ROWS = 16, 10
CELL = 30
BOARD_X, BOARD_Y = 156, 156
ABOVE = 2  # rows above the Board where a new piece appears
SKINS = 5
MARKER_Y = 135
HUD_X = 640
SCORE_Y = 305
GLYPH, ADVANCE = 20, 15
TOLERANCE = 12  # SDL's blending and ours round a little differently
GOAL_SCORE = 100
UNTIMED_SCORE = 30


def load(path):
    return np.asarray(Image.open(path).convert("RGBA")).astype(np.int16)


def rotate_clockwise(c):
    return [c[2], c[0], c[3], c[1]]


class ScreenReader:
    """Reads a game's screenshot against the artwork it is drawn from."""

    def __init__(self, gfx):
        # Every skin's cells: after a skin switch the same codes look different.
        self.codes = []
        cells = []
        for skin in range(1, SKINS + 1):
            for code in range(1, 5):
                cells.append(load(f"{gfx}/{skin}/sq{code}.png"))
                self.codes.append(code)
        cells = np.stack(cells)
        self.cell_rgb = cells[..., :3]
        self.cell_opaque = cells[..., 3] == 255
        tempo = load(f"{gfx}/tempo.png")
        self.tempo_alpha = tempo[..., 3]
        ys, xs = np.nonzero(tempo[..., 3] == 255)  # the marker's solid head
        self.head = (ys, xs, tempo[ys, xs, :3])
        strip = load(f"{gfx}/numbers.png")
        self.glyphs = [strip[:, GLYPH * d:GLYPH * d + GLYPH] for d in range(10)]
        self.arrow = load(f"{gfx}/arrow.png")

    def marker_x(self, shot):
        """Left edge of the Timeline marker, or None where there is none."""
        ys, xs, rgb = self.head
        offsets = np.arange(0, shot.shape[1] - self.tempo_alpha.shape[1])
        seen = shot[MARKER_Y + ys[None, :], xs[None, :] + offsets[:, None], :3]
        matched = (np.abs(seen - rgb[None]).max(axis=2) <= TOLERANCE).mean(axis=1)
        best = int(matched.argmax())
        return int(offsets[best]) if matched[best] >= 0.9 else None

    def cells(self, shot):
        """Codes of the two rows above the Board and the Board's ten: 0 for
        an empty cell (or one that shows none of the cell images)."""
        top = BOARD_Y - ABOVE * CELL
        rows = ROWS + ABOVE
        area = shot[top:top + rows * CELL, BOARD_X:BOARD_X + COLUMNS * CELL, :3]
        area = area.reshape(rows, CELL, COLUMNS, CELL, 3).transpose(0, 2, 1, 3, 4)
        # The marker is drawn over the cells: its pixels are left out.
        clear = np.ones(shot.shape[:2], bool)
        mx = self.marker_x(shot)
        if mx is not None:
            h, w = self.tempo_alpha.shape
            clear[MARKER_Y:MARKER_Y + h, mx:mx + w] = self.tempo_alpha[:shot.shape[0] - MARKER_Y] <= 10
        clear = clear[top:top + rows * CELL, BOARD_X:BOARD_X + COLUMNS * CELL]
        clear = clear.reshape(rows, CELL, COLUMNS, CELL).transpose(0, 2, 1, 3)
        # Every other pixel each way tells the images apart, four times as fast.
        area, clear = area[..., ::2, ::2, :], clear[..., ::2, ::2]
        rgb, opaque = self.cell_rgb[:, ::2, ::2], self.cell_opaque[:, ::2, ::2]
        codes = np.zeros((rows, COLUMNS), int)
        for r in range(rows):
            near = np.abs(area[r][None] - rgb[:, None]).max(axis=-1) <= TOLERANCE
            counted = opaque[:, None] & clear[r][None]
            share = (near & counted).sum(axis=(2, 3)) / np.maximum(counted.sum(axis=(2, 3)), 1)
            best = share.argmax(axis=0)
            for c in range(COLUMNS):
                if share[best[c], c] >= 0.8 and counted[best[c], c].sum() >= 25:
                    codes[r, c] = self.codes[best[c]]
        return codes

    def number(self, shot, y):
        """The HUD number whose top is at y, or None where none shows."""
        digits = ""
        for place in range(10):
            x = HUD_X + ADVANCE * place
            seen = shot[y:y + self.glyphs[0].shape[0], x:x + GLYPH, :3]
            shown = [d for d, glyph in enumerate(self.glyphs) if self.shows(seen, glyph)]
            if not shown:
                break
            digits += str(shown[0])
        return int(digits) if digits else None

    @staticmethod
    def shows(seen, image):
        """Whether the image's opaque pixels are what was seen."""
        solid = image[..., 3] == 255
        return seen.shape[:2] == solid.shape and bool(
            (np.abs(seen - image[..., :3]).max(axis=2)[solid] <= TOLERANCE).all())

    def arrow_row(self, shot):
        """The title menu item the arrow points at, or None."""
        shown = [item for item in range(4) if self.shows(shot[430 + 40 * item:460 + 40 * item, 130:160], self.arrow)]
        return shown[0] if len(shown) == 1 else None


def new_piece(codes):
    """The piece that has not yet come down onto the Board: (left column, top
    row, colours) with its top row above the Board, or None."""
    above, first = codes[0], codes[1]
    colour = lambda code: code in (1, 2)
    for c in range(COLUMNS - 1):
        if all(colour(above[c + k]) and colour(first[c + k]) for k in (0, 1)):
            return c, -2, [int(above[c]), int(above[c + 1]), int(first[c]), int(first[c + 1])]
    for c in range(COLUMNS - 1):
        row0 = codes[ABOVE]
        if all(above[c + k] == 0 and colour(first[c + k]) and colour(row0[c + k]) for k in (0, 1)):
            return c, -1, [int(first[c]), int(first[c + 1]), int(row0[c]), int(row0[c + 1])]
    return None


def turns_between(colours, seen):
    """The clockwise quarter turns that bring colours to seen, or None."""
    for turns in range(4):
        if colours == seen:
            return turns
        colours = rotate_clockwise(colours)
    return None


def find_piece(codes, board_before, colours):
    """Where a piece of these colours, turned any number of times, is now:
    (left column, top row, colours as it shows them) on cells that were empty
    before, the highest first, or None."""
    for top in range(-ABOVE, 4):
        for c in range(COLUMNS - 1):
            spots = [(top, c), (top, c + 1), (top + 1, c), (top + 1, c + 1)]
            if any(r >= 0 and board_before[r][k] != 0 for r, k in spots):
                continue
            seen = [int(codes[r + ABOVE][k]) for r, k in spots]
            if turns_between(colours, seen) is not None:
                return c, top, seen
    return None


class Game:
    """The real program in its scratch folder, driven through the X server."""

    def __init__(self, program, folder, reader):
        self.folder = folder
        self.reader = reader
        self.out = open(os.path.join(folder, "out.txt"), "w+")
        self.process = subprocess.Popen([program], cwd=folder, stdout=self.out, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        self.window = None
        for _ in range(100):
            found = subprocess.run(["xdotool", "search", "--name", "^Velquadro$"], capture_output=True, text=True)
            if found.stdout.split():
                self.window = found.stdout.split()[0]
                break
            time.sleep(0.1)
        if self.window is None:
            self.stop()
            raise RuntimeError("the program's window did not appear")
        subprocess.run(["xdotool", "windowfocus", "--sync", self.window], capture_output=True)

    def stop(self):
        # SDL turns SIGTERM into a quit event: SIGKILL ends it where it is.
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGKILL)
        self.process.wait()
        self.out.close()

    def output(self):
        self.out.flush()
        with open(self.out.name) as f:
            return f.read()

    def shot(self):
        grab = subprocess.run(["import", "-window", self.window, "png:-"], capture_output=True)
        if grab.returncode != 0 or not grab.stdout:
            return None
        return np.asarray(Image.open(io.BytesIO(grab.stdout)).convert("RGB")).astype(np.int16)

    def keys(self, *steps):
        """xdotool's keydown, keyup and sleep steps, in one run for exact gaps."""
        subprocess.run(["xdotool"] + [str(s) for s in steps], check=True)

    def hold(self, key, seconds):
        self.keys("keydown", key, "sleep", seconds, "keyup", key)

    def tap(self, key, times=1):
        # A key-down disarms the move latch and its key-up re-arms it: each
        # tap needs its own two frames (about 30 ms each).
        steps = []
        for _ in range(times):
            steps += ["keydown", key, "sleep", 0.035, "keyup", key, "sleep", 0.07]
        if steps:
            self.keys(*steps)

    def ended(self):
        return "Final Score:" in self.output()

    def wait_ended(self, seconds):
        end = time.time() + seconds
        while time.time() < end and not self.ended():
            time.sleep(0.1)
        return self.ended()

    def menu_to(self, item):
        for _ in range(20):
            shot = self.shot()
            at = self.reader.arrow_row(shot) if shot is not None else None
            if at == item:
                return
            self.hold("Down", 0.06)
            time.sleep(0.2)
        raise RuntimeError(f"the menu arrow did not reach item {item}")


class Bot:
    """Plays pieces where the demo's autopilot would put them."""

    def __init__(self, game, bench):
        self.game = game
        self.bench = bench
        self.score = 0  # as the HUD showed it last

    def place(self, board, colours, column, top):
        question = " ".join(str(int(v)) for v in list(board.flatten()) + colours + [column, top])
        answer = subprocess.run([self.bench, "place"], input=question, capture_output=True, text=True, check=True)
        left, turns, _ = answer.stdout.split()
        return int(left), int(turns)

    def wait_piece(self, seconds):
        """The next screenshot with a piece above the Board: (codes, piece)."""
        end = time.time() + seconds
        while time.time() < end and not self.game.ended():
            shot = self.game.shot()
            if shot is None:
                continue
            self.score = self.game.reader.number(shot, SCORE_Y) or self.score
            codes = self.game.reader.cells(shot)
            piece = new_piece(codes)
            if piece:
                return codes, piece
        return None

    def turn(self, turns):
        if turns == 3:
            self.game.tap("Down")
        else:
            self.game.tap("Up", turns)

    def slide(self, by):
        self.game.tap("Left" if by < 0 else "Right", abs(by))

    def drop(self, colours, board):
        """Space once the piece has come down into row 0, where the drop acts."""
        for _ in range(20):
            shot = self.game.shot()
            if shot is None:
                continue
            at = find_piece(self.game.reader.cells(shot), board, colours)
            if at is None or at[1] > -2:
                break
            time.sleep(0.03)
        self.game.hold("space", 0.2)

    def play_piece(self, codes, piece):
        column, top, colours = piece
        board = codes[ABOVE:].copy()
        if top == -1:
            board[0, column:column + 2] = 0  # the piece's own bottom row
        target, turns = self.place(board, colours, column, top)
        wanted = colours
        for _ in range(turns):
            wanted = rotate_clockwise(wanted)
        self.turn(turns)
        self.slide(target - column)
        # A tap the game missed is tapped again.
        for _ in range(2):
            shot = self.game.shot()
            at = find_piece(self.game.reader.cells(shot), board, colours) if shot is not None else None
            if at is None or (at[0] == target and at[2] == wanted):
                break
            if at[2] != wanted:
                self.turn(turns_between(at[2], wanted))
            self.slide(target - at[0])
        self.drop(colours, board)

    def play_until(self, done, seconds):
        end = time.time() + seconds
        while time.time() < end and not self.game.ended() and not done():
            found = self.wait_piece(3)
            if found:
                self.play_piece(*found)


def replay_facts(path):
    """The header and what the recorded frames hold, from the file format of
    src/game/replay.cpp: the keys seen, pauses, and the keys of the last frame."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"VQREPLAY", f"{path} is not a replay"
    field = lambda at: int.from_bytes(data[at:at + 4], "little")
    facts = {"time_limit": field(10), "frames": field(27), "score": field(31), "seconds": field(35),
             "keys_seen": 0, "paused": 0, "last_keys": 0}
    at, keys = 43, 0

    def varint():
        nonlocal at
        value, shift = 0, 0
        while True:
            byte = data[at]
            at += 1
            value |= (byte & 0x7F) << shift
            shift += 7
            if not byte & 0x80:
                return value

    for _ in range(facts["frames"]):
        flags = data[at]
        at += 1
        varint()
        if flags & 0x08:
            keys = int.from_bytes(data[at:at + 2], "little")
            at += 2
        if flags & 0x10:
            varint()
        if flags & 0x20:
            facts["paused"] += 1
            at += 1
        facts["keys_seen"] |= keys
    facts["last_keys"] = keys
    return facts


KEY_BITS = {"Up": 1, "Down": 2, "Left": 4, "Right": 8, "Space": 16, "Escape": 32, "Ctrl or Alt": 64}


def play_untimed_moves(game, bot):
    game.menu_to(0)
    game.hold("Return", 0.1)
    steps = [
        lambda: (game.tap("Left", 3), game.tap("Up")),
        lambda: (game.tap("Right", 2), game.tap("Down")),
        # Ctrl held re-arms the move latch every frame: Left held repeats.
        lambda: game.keys("keydown", "ctrl", "keydown", "Left", "sleep", 0.2, "keyup", "Left", "keyup", "ctrl"),
        lambda: (game.keys("keydown", "alt", "keydown", "Right", "sleep", 0.15, "keyup", "Right", "keyup", "alt"),
                 game.tap("Up", 2)),
    ]
    for step in steps:
        if not bot.wait_piece(5):
            return False
        step()
        time.sleep(0.35)
        game.hold("space", 0.2)
    game.hold("Return", 0.3)  # a pause looks at Return on every third frame
    time.sleep(1)
    game.hold("Return", 0.3)
    # Points enough that a change to the rules shows in the Score, the one
    # thing of the board that the replay keeps.
    bot.play_until(lambda: bot.score >= UNTIMED_SCORE, 60)
    if game.ended():
        return False
    game.hold("Escape", 0.15)
    return True


def play_time_attack(game, bot):
    game.menu_to(1)
    for _ in range(4):  # 30 s down to the least, 10 s, where more presses leave it
        game.hold("Left", 0.12)
        time.sleep(0.1)
    time.sleep(0.3)
    game.hold("Return", 0.1)
    bot.play_until(lambda: False, 20)
    return True


def play_new_skin(game, bot):
    game.menu_to(0)
    game.hold("Return", 0.1)
    bot.play_until(lambda: bot.score >= GOAL_SCORE, 240)
    if bot.score < GOAL_SCORE or game.ended():
        return False
    time.sleep(1)
    game.hold("Escape", 0.15)
    return True


def check(name, facts):
    """What each golden game must hold; the reason it does not, or None."""
    wanted = {"untimed_moves": ["Up", "Down", "Left", "Right", "Space", "Ctrl or Alt", "Escape"],
              "time_attack": ["Left", "Right", "Space"],
              "new_skin": ["Space", "Escape"]}[name]
    missing = [k for k in wanted if not facts["keys_seen"] & KEY_BITS[k]]
    if missing:
        return "no " + ", ".join(missing)
    if name == "untimed_moves" and facts["paused"] != 1:
        return f"{facts['paused']} pauses"
    if (name == "time_attack") != (facts["time_limit"] != 0):
        return f"time limit {facts['time_limit']}"
    if name == "time_attack" and (facts["seconds"] < facts["time_limit"] or facts["last_keys"] & KEY_BITS["Escape"]):
        return "it did not end at its time limit"
    if name != "time_attack" and not facts["last_keys"] & KEY_BITS["Escape"]:
        return "it did not end with Escape"
    if name == "new_skin" and facts["score"] < GOAL_SCORE:
        return f"Score {facts['score']}"
    return None


def record(name, args, reader):
    play = {"untimed_moves": play_untimed_moves, "time_attack": play_time_attack, "new_skin": play_new_skin}[name]
    for attempt in range(1, args.tries + 1):
        folder = tempfile.mkdtemp(prefix=f"vq_golden_{name}_")
        try:
            # The program keeps its replay beside itself: a copy of it in a
            # scratch folder, with the artwork and music it finds beside it.
            shutil.copy(args.program, os.path.join(folder, "velquadro"))
            for name_beside in ("gfx", "bgm.ogg"):
                os.symlink(os.path.join(os.path.dirname(args.program), name_beside), os.path.join(folder, name_beside))
            game = Game(os.path.join(folder, "velquadro"), folder, reader)
            try:
                played = play(game, Bot(game, args.bench)) and game.wait_ended(30)
            finally:
                game.stop()
            replay = os.path.join(folder, "last.vqreplay")
            if not played or not os.path.exists(replay):
                print(f"{name}: attempt {attempt}: the game did not finish as planned", flush=True)
                continue
            facts = replay_facts(replay)
            problem = check(name, facts)
            if problem:
                print(f"{name}: attempt {attempt}: {problem}; again", flush=True)
                continue
            verify = subprocess.run([args.program, "--verify", replay], capture_output=True, text=True)
            if verify.returncode != 0:
                sys.exit(f"{name}: the recorded game does not play again: {verify.stderr.strip()}")
            out = os.path.join(args.out, name + ".vqreplay")
            shutil.copy(replay, out)
            print(f"{name}: {out}, {os.path.getsize(out)} bytes, {facts['frames']} frames, "
                  f"Score {facts['score']}, {facts['seconds']} s", flush=True)
            return True
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    return False


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--bench", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--tries", type=int, default=10)
    parser.add_argument("names", nargs="*", metavar="NAME", help=" or ".join(GAMES) + " (default: all)")
    args = parser.parse_args(argv)
    unknown = [name for name in args.names if name not in GAMES]
    if unknown:
        parser.error("no such golden game: " + ", ".join(unknown))
    for path in ("program", "bench", "out"):
        setattr(args, path, os.path.abspath(getattr(args, path)))
    reader = ScreenReader(os.path.join(os.path.dirname(args.program), "gfx"))
    failed = [name for name in (args.names or GAMES) if not record(name, args, reader)]
    if failed:
        sys.exit("not recorded: " + ", ".join(failed))


if __name__ == "__main__":
    main(sys.argv[1:])
