#!/usr/bin/env python3
"""Checks the compiled help file as its reader would meet it.

    check_help.py HELP.chm OUTPUT_FOLDER

Unpacks HELP.chm (7z, or extract_chmLib), checks that every entry of the
contents (.hhc) and of the index (.hhk), and every link between the pages,
names a page inside the file (and, after a "#", an anchor of that page),
then renders every page with headless chromium into OUTPUT_FOLDER/NAME.png
and fails when a picture is blank. Exits 77 (a skipped test to ctest) with
a message when a tool is missing; scripts/setup installs them all.
"""

import html.parser
import os
import shutil
import subprocess
import sys
import tempfile
import zlib

SKIP = 77
PAGE_SIZE = (900, 1200)
# A page whose picture has fewer pixels than this share off its background
# colour shows nothing a reader could use.
MIN_INK = 0.004


def find_tool(*names):
    for name in names:
        path = shutil.which(name)
        if path:
            return path
    return None


def unpack(chm, folder):
    if tool := find_tool("7z", "7za"):
        cmd = [tool, "x", "-y", "-o" + folder, chm]
    elif tool := find_tool("extract_chmLib"):
        cmd = [tool, chm, folder]
    else:
        print("check_help: SKIPPED: neither 7z (p7zip-full) nor extract_chmLib (libchm-bin) is installed;"
              " run scripts/setup")
        sys.exit(SKIP)
    done = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if done.returncode != 0:
        sys.exit("check_help: cannot unpack %s:\n%s" % (chm, done.stdout.decode(errors="replace")))


class Links(html.parser.HTMLParser):
    """The sitemap entries (param Local), the links and the anchors of a file."""

    def __init__(self):
        super().__init__()
        self.locals, self.links, self.anchors = [], [], set()

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "param" and (a.get("name") or "").lower() == "local":
            self.locals.append(a.get("value") or "")
        if tag == "a" and a.get("href"):
            self.links.append(a["href"])
        for key in ("id", "name"):
            if a.get(key) and tag != "param":
                self.anchors.add(a[key])


def parse(path):
    p = Links()
    with open(path, "rb") as f:
        p.feed(f.read().decode("cp932"))
    return p


def check_targets(folder, source, targets, anchors_of):
    problems = []
    for target in targets:
        if "://" in target or target.startswith("mailto:"):
            continue
        page, _, anchor = target.partition("#")
        page = page or source
        if not os.path.isfile(os.path.join(folder, page)):
            problems.append("%s: %s names no page of the help file" % (source, target))
        elif anchor and anchor not in anchors_of(page):
            problems.append("%s: %s: %s has no anchor %s" % (source, target, page, anchor))
    return problems


def png_pixels(path):
    """(width, height, rows of RGB(A) bytes) of an 8-bit non-interlaced PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, head = 8, b"", None
    while pos < len(data):
        length = int.from_bytes(data[pos:pos + 4], "big")
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            head = body
        elif kind == b"IDAT":
            idat += body
    width, height = int.from_bytes(head[0:4], "big"), int.from_bytes(head[4:8], "big")
    depth, colour, interlace = head[8], head[9], head[12]
    channels = {2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace != 0:
        raise ValueError("a PNG form this check does not read (depth %d, colour %d)" % (depth, colour))
    raw, stride = zlib.decompress(idat), width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(bytes(line))
        previous = line
    return width, height, channels, rows


def ink(path):
    """The share of pixels that differ from the picture's commonest colour."""
    width, height, channels, rows = png_pixels(path)
    counts = {}
    for row in rows:
        for x in range(0, width * channels, channels * 2):  # every second pixel is enough
            key = row[x:x + 3]
            counts[key] = counts.get(key, 0) + 1
    total = sum(counts.values())
    return 1 - max(counts.values()) / total


def render(chromium, page, picture, profile):
    cmd = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
           "--user-data-dir=" + profile, "--window-size=%d,%d" % PAGE_SIZE,
           "--screenshot=" + picture, "file://" + page]
    done = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    if done.returncode != 0 or not os.path.isfile(picture):
        return "chromium could not render it:\n" + done.stdout.decode(errors="replace")
    return None


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: check_help.py HELP.chm OUTPUT_FOLDER")
    chm, out = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if not os.path.isfile(chm):
        sys.exit("check_help: no help file %s" % chm)
    chromium = find_tool("chromium", "chromium-browser")
    if chromium is None:
        print("check_help: SKIPPED: chromium is not installed; run scripts/setup")
        sys.exit(SKIP)
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="check-help.") as work:
        folder = os.path.join(work, "chm")
        unpack(chm, folder)
        files = sorted(os.listdir(folder))
        pages = [f for f in files if f.lower().endswith(".html")]
        sitemaps = [f for f in files if f.lower().endswith((".hhc", ".hhk"))]
        problems = []
        if not any(f.lower().endswith(".hhc") for f in sitemaps):
            problems.append("the help file has no contents (.hhc)")
        if not any(f.lower().endswith(".hhk") for f in sitemaps):
            problems.append("the help file has no index (.hhk)")
        if not pages:
            problems.append("the help file has no pages")

        parsed = {}

        def anchors_of(page):
            if page not in parsed:
                parsed[page] = parse(os.path.join(folder, page))
            return parsed[page].anchors

        entries = 0
        for sitemap in sitemaps:
            found = parse(os.path.join(folder, sitemap)).locals
            if not found:
                problems.append("%s lists no entries" % sitemap)
            entries += len(found)
            problems += check_targets(folder, sitemap, found, anchors_of)
        for page in pages:
            anchors_of(page)
            problems += check_targets(folder, page, parsed[page].links, anchors_of)

        for page in pages:
            picture = os.path.join(out, os.path.splitext(page)[0] + ".png")
            if os.path.exists(picture):
                os.remove(picture)
            failure = render(chromium, os.path.join(folder, page), picture, os.path.join(work, "profile"))
            if failure is None:
                share = ink(picture)
                print("check_help: %-16s %5.1f %% of the picture drawn  %s" % (page, 100 * share, picture))
                if share < MIN_INK:
                    failure = "its picture is blank (%s)" % picture
            if failure:
                problems.append("%s: %s" % (page, failure))

    print("check_help: %d pages, %d contents and index entries" % (len(pages), entries))
    for p in problems:
        print("check_help: " + p, file=sys.stderr)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
