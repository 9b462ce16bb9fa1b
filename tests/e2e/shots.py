#!/usr/bin/env python3
"""Reads screenshots of the main window for the end-to-end script.

    shots.py moving A.png B.png      number of views whose picture changed
    shots.py time A.png B.png        "same" or "changed": the time label
    shots.py lcd A.png B.png         "same" or "changed": the speed read-out
    shots.py cells A.png A.png       number of views in the grid
    shots.py bottom A.png            top edge of the bottom bar (y)

Pictures are read through ImageMagick (convert ... ppm:-). The bottom bar is
the dark band that holds the playback strip; the views lie above it. A view
is a cell of the grid that the page's background separates; it counts as
moving when pixels changed in it (the stripes of the demo card drift across
every picture). The
time label is the widest run of the label's teal text in the bottom bar, the
speed read-out the leftmost cluster of its yellow segments.
"""
import subprocess
import sys

TEAL = (0x2F, 0xD0, 0xC4)
YELLOW = (0xFF, 0xFF, 0x00)


def load(path):
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                          capture_output=True).stdout
    # "P6" width height maxval, each followed by one blank, then the pixels.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def pixel(img, x, y):
    w, _, raw = img
    i = (y * w + x) * 3
    return raw[i], raw[i + 1], raw[i + 2]


def bottom_bar_top(img):
    # The timeline heads the bottom bar: the lowest long row whose pixels are
    # the timeline's track frame colour (55, 66, 82) marks it; the bar starts
    # a little above. Falls back to two thirds of the height.
    w, h, _ = img
    for y in range(h - 1, h // 3, -1):
        run = 0
        for x in range(0, w, 2):
            if pixel(img, x, y) == (55, 66, 82):
                run += 1
                if run > w // 8:
                    return y - 40
            else:
                run = 0
    return h * 2 // 3


BACKGROUND = (16, 21, 29)


def bands(flags, minimum):
    """Runs of True in a list of flags, at least `minimum` long: (first, last)."""
    out, start = [], None
    for i, f in enumerate(flags + [False]):
        if f and start is None:
            start = i
        elif not f and start is not None:
            if i - start >= minimum:
                out.append((start, i - 1))
            start = None
    return out


def view_cells(img, top, step=2):
    """The cells of the view grid: the page's background runs between them.

    Columns and rows holding anything but background, over the part of the
    page above the bottom bar, form bands; the bars at the window's edges and
    the small edge buttons are left out by their place and size.
    """
    w = img[0]
    y0, y1 = 40, top - 16
    columns = [any(pixel(img, x, y) != BACKGROUND for y in range(y0, y1, step)) for x in range(w)]
    xs = [b for b in bands(columns, 60) if b[0] > 0 and b[1] < w - 1]
    inside = [x for b in xs for x in range(b[0], b[1] + 1, step)]
    rows = [any(pixel(img, x, y) != BACKGROUND for x in inside) for y in range(y0, y1)]
    ys = [(a + y0, b + y0) for a, b in bands(rows, 40) if a > 0 and b < y1 - y0 - 1]
    return [(x, y) for y in ys for x in xs]


def moving_views(a, b, top, step=2, threshold=40):
    """Views (cells of the grid of shot a) whose picture changed in shot b."""
    moving = 0
    for (x0, x1), (y0, y1) in view_cells(a, top):
        changed = False
        for y in range(y0 + 3, y1 - 2, step):
            for x in range(x0 + 3, x1 - 2, step):
                p, q = pixel(a, x, y), pixel(b, x, y)
                if max(abs(p[i] - q[i]) for i in range(3)) > threshold:
                    changed = True
                    break
            if changed:
                break
        moving += changed
    return moving


def clusters(img, colour, top, gap, tolerance=12):
    """Pixels of a colour below `top`, grouped into runs along x."""
    w, h, _ = img
    xs = {}
    for y in range(top, h):
        for x in range(w):
            p = pixel(img, x, y)
            if all(abs(p[i] - colour[i]) <= tolerance for i in range(3)):
                xs.setdefault(x, []).append(y)
    groups = []
    for x in sorted(xs):
        if groups and x - groups[-1][1] <= gap:
            groups[-1][1] = x
            groups[-1][2].extend((x, y) for y in xs[x])
        else:
            groups.append([x, x, [(x, y) for y in xs[x]]])
    return groups


def region_of(img, colour, top, gap, pick):
    groups = clusters(img, colour, top, gap)
    if not groups:
        return None
    g = pick(groups)
    ys = [y for _, y in g[2]]
    return g[0], min(ys), g[1], max(ys)


def same_region(a, b, box):
    x0, y0, x1, y1 = box
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if pixel(a, x, y) != pixel(b, x, y):
                return False
    return True


def main():
    what = sys.argv[1]
    a = load(sys.argv[2])
    if what == "bottom":
        print(bottom_bar_top(a))
        return
    b = load(sys.argv[3])
    top = bottom_bar_top(a)
    if what == "cells":
        print(len(view_cells(a, top)))
    elif what == "moving":
        print(moving_views(a, b, top))
    elif what == "time":
        widest = lambda gs: max(gs, key=lambda g: g[1] - g[0])
        box = region_of(a, TEAL, top + 40, 6, widest)
        other = region_of(b, TEAL, top + 40, 6, widest)
        if box is None or other is None:
            print("missing")
            return
        union = (min(box[0], other[0]), min(box[1], other[1]),
                 max(box[2], other[2]), max(box[3], other[3]))
        print("same" if same_region(a, b, union) else "changed")
    elif what == "lcd":
        leftmost = lambda gs: gs[0]
        box = region_of(a, YELLOW, top + 40, 12, leftmost)
        other = region_of(b, YELLOW, top + 40, 12, leftmost)
        if box is None or other is None:
            print("missing")
            return
        union = (min(box[0], other[0]), min(box[1], other[1]),
                 max(box[2], other[2]), max(box[3], other[3]))
        print("same" if same_region(a, b, union) else "changed")


if __name__ == "__main__":
    main()
