"""Compares two 80 x 50 character pictures written as ANSI text with the 16
colours (tmux's capture of a pane, libcaca's ANSI export): every character
and every foreground colour must be the same. Backgrounds are counted and
said, not required: wine's console writes some light-on-yellow cells to its
terminal in the terminal's default colours.
Usage: console_cells.py PANE.ans LINUX.ans"""
import re
import sys

TOKEN = re.compile(r"\x1b\[([0-9;]*)([A-Za-z])|(.)", re.S)


def cells(path):
    """Rows of (character, foreground, background), colours 0-15; the
    attributes carry on from one line to the next, as both writers assume."""
    rows, fg, bg, bold, blink = [], 7, 0, False, False
    text = open(path, encoding="utf-8", errors="replace").read().replace("\r", "")
    for line in text.split("\n")[:50]:
        row = []
        for match in TOKEN.finditer(line):
            if match.group(3) is not None:
                row.append((match.group(3), fg + 8 if bold and fg < 8 else fg,
                            bg + 8 if blink and bg < 8 else bg))
            elif match.group(2) == "m":
                for code in (int(c or 0) for c in (match.group(1) or "0").split(";")):
                    if code == 0:
                        fg, bg, bold, blink = 7, 0, False, False
                    elif code in (1, 5):
                        bold, blink = bold or code == 1, blink or code == 5
                    elif 30 <= code <= 37 or 90 <= code <= 97:
                        fg = code - 30 if code < 90 else code - 82
                    elif 40 <= code <= 47 or 100 <= code <= 107:
                        bg = code - 40 if code < 100 else code - 92
                    elif code in (39, 49):
                        fg, bg = (7, bg) if code == 39 else (fg, 0)
        rows.append(row[:80] + [(" ", 7, 0)] * (80 - len(row)))
    return rows + [[(" ", 7, 0)] * 80] * (50 - len(rows))


pane, linux = cells(sys.argv[1]), cells(sys.argv[2])
pairs = [(p, l) for prow, lrow in zip(pane, linux) for p, l in zip(prow, lrow)]
chars = sum(p[0] == l[0] for p, l in pairs)
fgs = sum(p[1] == l[1] for p, l in pairs)
bgs = sum(p[2] == l[2] for p, l in pairs)
blank = sum(p[0] == " " for p, _ in pairs)
print(f"cells alike of {len(pairs)}: characters {chars}, foregrounds {fgs}, backgrounds {bgs}; "
      f"{blank} blank in the pane")
sys.exit(0 if chars == fgs == len(pairs) and blank < len(pairs) // 2 else 1)
