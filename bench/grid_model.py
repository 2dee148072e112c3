#!/usr/bin/env python3
"""Writes a model of one parts: a flat grid of N x N quads in the YKT text form.

    bench/grid_model.py OUTPUT.ykt [N]        (default N = 1000: a million quads)

For timing the editor on a large model (scripts/time-editor); the layout of
every tag but the mesh's is that of samples/cube.ykt. torvel-cli convert
turns it into the binary form.
"""

import os
import sys


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: grid_model.py OUTPUT.ykt [N]")
    n = int(sys.argv[2]) if len(sys.argv) == 3 else 1000
    if n < 1 or n > 4000:
        sys.exit("grid_model.py: N from 1 to 4000")
    side = n + 1
    vertices, faces = side * side, n * n
    size = 10.0
    step = size / n
    with open(os.path.join(os.path.dirname(__file__), "..", "samples", "cube.ykt"), "rb") as f:
        lines = f.read().decode("ascii").splitlines()

    def value(tag, text):
        i = lines.index("<%s>" % tag)
        lines[i + 1] = text

    half = size / 2
    corner_min, corner_max = "%f %f 0.000000" % (-half, -half), "%f %f 0.000000" % (half, half)
    value("total_vertex_count", str(vertices))
    value("total_face_count", str(faces))
    for tag in ("total_corner_min", "corner_min"):
        value(tag, corner_min)
    for tag in ("total_corner_max", "corner_max"):
        value(tag, corner_max)
    value("parts_name", "grid")
    value("vertex_count", str(vertices))
    value("face_count", str(faces))

    start, end = lines.index("<vertices>"), lines.index("</vertices>")
    head, middle, tail = lines[:start + 1], lines[end:lines.index("<faces>") + 1], lines[lines.index("</faces>"):]
    with open(sys.argv[1], "w", newline="\r\n", encoding="ascii") as out:
        out.write("\n".join(head) + "\n")
        for y in range(side):
            py = -half + y * step
            rows = []
            for x in range(side):
                rows.append("%f %f 0.000000 0.000000 0.000000 1.000000 %f %f\n" % (-half + x * step, py, x / n, y / n))
            out.write("".join(rows))
        out.write("\n".join(middle) + "\n")
        for y in range(n):
            out.write("".join("%d %d %d %d\n" % (y * side + x, y * side + x + 1, (y + 1) * side + x + 1,
                                                 (y + 1) * side + x) for x in range(n)))
        out.write("\n".join(tail) + "\n")


if __name__ == "__main__":
    main()
