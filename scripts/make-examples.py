#!/usr/bin/env python3
"""Writes the example levels in examples/: the sectors and start cell below,
then `vrktool portals` adds the portals the editor would save with them and
`vrktool check` confirms each file. Usage: scripts/make-examples.py [VRKTOOL]"""
import os
import struct
import subprocess
import sys

# name: (start cell, [(left, top, right, bottom, floor, ceiling), ...])
LEVELS = {
    # A hall with a room on each side; the side rooms' doorways are narrower
    # than the walls they open onto.
    "hall": ((14, 8), [
        (6, 4, 22, 12, 128, 144),   # the hall
        (2, 6, 6, 10, 128, 136),    # west room
        (22, 7, 30, 9, 128, 134),   # east corridor
        (30, 4, 36, 12, 120, 140),  # east room
        (12, 1, 16, 4, 132, 144),   # north alcove
        (10, 12, 18, 14, 124, 144), # south steps
        (10, 14, 18, 16, 120, 144),
    ]),
    # Eight steps up from a low room to a landing.
    "stairs": ((1, 5), [(0, 2, 4, 10, 96, 176)] +
              [(4 + 2 * i, 4, 6 + 2 * i, 8, 100 + 8 * i, 176) for i in range(8)] +
              [(20, 2, 26, 10, 164, 200)]),
    # An open courtyard inside a ring of four halls, with a gate to the south.
    "courtyard": ((12, 21), [
        (8, 8, 16, 16, 128, 255),   # the courtyard, open to the sky
        (4, 4, 20, 8, 128, 144),    # north hall
        (4, 16, 20, 20, 128, 144),  # south hall
        (4, 8, 8, 16, 128, 144),    # west hall
        (16, 8, 20, 16, 128, 144),  # east hall
        (10, 20, 14, 22, 128, 140), # gate
    ]),
}


def level_bytes(start, sectors):
    data = struct.pack("<BHHHH", 2, start[0], start[1], len(sectors), 0)
    for left, top, right, bottom, floor, ceiling in sectors:
        data += struct.pack("<HHHHBB", left, top, right, bottom, floor, ceiling)
    return data


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    tool = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build/native/vrktool/vrktool")
    paths = []
    for name, (start, sectors) in LEVELS.items():
        path = os.path.join(root, "examples", name + ".vrk")
        with open(path, "wb") as f:
            f.write(level_bytes(start, sectors))
        subprocess.run([tool, "portals", path], check=True)
        paths.append(path)
    subprocess.run([tool, "check"] + paths, check=True)


if __name__ == "__main__":
    main()
