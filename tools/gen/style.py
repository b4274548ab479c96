"""The house style: the colours every screen of the game shares."""

INK = (244, 246, 255)          # text and digits
INK_SHADOW = (6, 8, 20)        # outline and shadow under light ink
ACCENT = (110, 222, 255)       # the sweep line, highlights, the menu arrow
ACCENT_WARM = (255, 206, 110)  # second accent: titles' gradient end, sparks
PANEL = (10, 14, 32)           # panels behind HUD text
PANEL_EDGE = (120, 150, 220)   # thin rim around panels and the board frame
NIGHT_TOP = (22, 26, 64)       # title background gradient
NIGHT_BOTTOM = (6, 8, 22)
