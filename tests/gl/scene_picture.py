#!/usr/bin/python3
"""Renders a scene program through tamrix and compares the saved picture
with a reference image, allowing a difference of one per channel (software
renderers round differently).

The program names its start options in a comment line "// scene: OPTIONS"
(for example "frames=3,size=320x240"); the picture goes to --out, whose
extension picks BMP or PNG.  Pictures are read back with Pillow, a reader
independent of the library; a BMP file is also checked field by field.

  scene_picture.py --tamrix T --data-lib D --program P --out O --reference R
                   [--window] [--update]

--window renders into an X window under a virtual X server of its own
(xvfb-run -a) instead of offscreen.  --update writes the reference.
"""
import argparse
import os
import struct
import subprocess
import sys

from PIL import Image, ImageChops


def scene_options(program):
    with open(program, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("// scene:"):
                return line[len("// scene:"):].strip()
    return "frames=2"


def check_bmp_fields(path, size):
    """The file header and information header of a 24-bit bottom-up BMP."""
    with open(path, "rb") as f:
        data = f.read()
    width, height = size
    row = (width * 3 + 3) // 4 * 4
    magic, total, r1, r2, offset = struct.unpack_from("<2sIHHI", data, 0)
    info, w, h, planes, bits, compression, image = struct.unpack_from("<IiiHHII", data, 14)
    problems = []
    expect = [("magic", magic, b"BM"), ("file size", total, len(data)),
              ("reserved", (r1, r2), (0, 0)), ("offset", offset, 54),
              ("header size", info, 40), ("width", w, width), ("height", h, height),
              ("planes", planes, 1), ("bits", bits, 24), ("compression", compression, 0),
              ("image size", image, row * height), ("length", len(data), 54 + row * height),
              ("tail of header", data[38:54], bytes(16))]
    for name, got, want in expect:
        if got != want:
            problems.append(f"BMP {name}: {got!r}, expected {want!r}")
    pad = row - width * 3
    for y in range(height):
        start = 54 + y * row + width * 3
        if data[start:start + pad] != bytes(pad):
            problems.append(f"BMP row {y}: padding bytes are not zero")
            break
    return problems


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--tamrix", required=True)
    p.add_argument("--data-lib", required=True)
    p.add_argument("--program", required=True)
    p.add_argument("--out", required=True)
    p.add_argument("--reference", required=True)
    p.add_argument("--window", action="store_true")
    p.add_argument("--update", action="store_true")
    a = p.parse_args()

    if os.path.exists(a.out):
        os.remove(a.out)
    mode = "window" if a.window else "offscreen"
    options = f"{mode},{scene_options(a.program)},save={a.out}"
    command = [a.tamrix, "--load", a.data_lib, "--load", "OpenTmGl32W.dll:" + options, a.program]
    env = dict(os.environ)
    if a.window:
        command = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -noreset"] + command
    else:
        env.pop("DISPLAY", None)
    run = subprocess.run(command, capture_output=True, text=True, timeout=120, env=env)
    if run.returncode != 0 or not os.path.exists(a.out):
        print(f"tamrix failed ({run.returncode}):\n{run.stdout}\n{run.stderr}")
        return 1

    picture = Image.open(a.out)
    picture.load()
    problems = []
    if a.out.lower().endswith(".bmp"):
        problems += check_bmp_fields(a.out, picture.size)
    picture = picture.convert("RGB")
    if a.update:
        picture.save(a.reference)
        print(f"wrote {a.reference}")
        return 0
    reference = Image.open(a.reference).convert("RGB")
    if picture.size != reference.size:
        problems.append(f"size {picture.size}, reference {reference.size}")
    else:
        diff = ImageChops.difference(picture, reference)
        worst = max(high for _, high in diff.getextrema())
        if worst > 1:
            problems.append(f"differs from the reference by up to {worst} in a channel")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
