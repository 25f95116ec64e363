#!/usr/bin/env python3
"""Draws the title-area images of the main window into resources/image/.

    python3 tools/gen_images.py

title.png        the blue band behind the title area and the status bar
toolbutton.png   a top-bar button at rest (faint frame)
toolbutton2.png  a top-bar button under the mouse (lighter, rounded)
Plain Python, no imaging library: the PNGs are written by hand.
"""
import os
import struct
import zlib


def write_png(path, width, height, pixel):
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw.extend(pixel(x, y))

    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data
                + struct.pack(">I", zlib.crc32(tag + data) & 0xffffffff))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def lerp(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(len(a)))


def title(x, y, w=240, h=72):
    # left to right from a deep to a light sky blue, a soft sheen in the upper half
    base = lerp((22, 120, 196), (42, 162, 218), x / (w - 1))
    sheen = max(0.0, 0.10 * (1 - y / (h * 0.5)))
    r, g, b = (min(255, round(c + (255 - c) * sheen)) for c in base)
    return (r, g, b, 255)


def rounded_alpha(x, y, w, h, radius):
    # 1 inside the rounded rectangle, 0 outside, smoothed on the corner arc
    cx = min(max(x + 0.5, radius), w - radius)
    cy = min(max(y + 0.5, radius), h - radius)
    d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
    return max(0.0, min(1.0, radius - d + 0.5))


def button(fill_alpha, edge_alpha, w=78, h=56, radius=6):
    def pixel(x, y):
        inside = rounded_alpha(x, y, w, h, radius)
        inner = rounded_alpha(x - 1, y - 1, w - 2, h - 2, radius - 1) if 0 < x < w - 1 and 0 < y < h - 1 else 0
        edge = inside - inner
        a = inner * fill_alpha + edge * edge_alpha
        return (255, 255, 255, round(255 * a))
    return pixel


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "image")
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, "title.png"), 240, 72, title)
    write_png(os.path.join(out, "toolbutton.png"), 78, 56, button(0.0, 0.0))
    write_png(os.path.join(out, "toolbutton2.png"), 78, 56, button(0.22, 0.55))


if __name__ == "__main__":
    main()
