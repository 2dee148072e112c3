#!/usr/bin/env python3
"""Converts models to glTF with torvel-cli and runs the glTF validator on all.

    validate_exports.py TORVEL_CLI SAMPLES_FOLDER OUTPUT_FOLDER

Every sample (SAMPLES_FOLDER/*.ykt), the cube beside its BMP texture and
every OBJ, PLY, STL and glTF model of assimp-testmodels that torvel-cli
reads are each written as .glb, as .gltf and as .gltf --external-images; scripts/validate-gltf.mjs then checks
every export in one node process and fails on any error or warning. Exits
77 (a skipped test to ctest) when node or the validator is missing;
scripts/setup installs both.
"""

import os
import shutil
import struct
import subprocess
import sys

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SCRIPT = os.path.join(ROOT, "scripts", "validate-gltf.mjs")
VALIDATOR = os.path.join(ROOT, "build", "tools", "node_modules", "gltf-validator")
MODELS = "/usr/share/assimp/models"
EXTENSIONS = (".obj", ".ply", ".stl", ".gltf", ".glb")
# Fewer accepted foreign models than this means the list was not found.
MIN_FOREIGN = 40


def textured_cube(samples, folder):
    """samples/cube.ykt beside the cube.bmp it names: a 2 x 2 24-bit BMP."""
    rows = b"\xff\x00\x00\xff\xff\xff\x00\x00" + b"\x00\x00\xff\x00\xff\x00\x00\x00"
    bmp = struct.pack("<2sIHHIIiiHHIIiiII", b"BM", 54 + len(rows), 0, 0, 54,
                      40, 2, 2, 1, 24, 0, len(rows), 2835, 2835, 0, 0) + rows
    os.makedirs(folder, exist_ok=True)
    shutil.copy(os.path.join(samples, "cube.ykt"), folder)
    with open(os.path.join(folder, "cube.bmp"), "wb") as f:
        f.write(bmp)
    return [os.path.join(folder, "cube.ykt")]


def main():
    cli, samples, out = sys.argv[1:4]
    node = shutil.which("node")
    if not node or not os.path.isdir(VALIDATOR):
        print("validate_exports: node or gltf-validator is missing (scripts/setup installs both)")
        return SKIP
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    own = sorted(os.path.join(samples, n) for n in os.listdir(samples) if n.endswith(".ykt"))
    own += textured_cube(samples, os.path.join(out, "inputs"))
    foreign = []
    for kind in ("OBJ", "PLY", "STL", "glTF2"):
        for folder, _, names in os.walk(os.path.join(MODELS, kind)):
            foreign += [os.path.join(folder, n) for n in names if n.lower().endswith(EXTENSIONS)]
    exports, refused = [], 0
    for k, model in enumerate(own + sorted(foreign)):
        base = "%03d-%s" % (k, os.path.splitext(os.path.basename(model))[0])
        for name, extra in ((base + ".glb", []), (base + ".gltf", []),
                            (os.path.join("external", base, base + ".gltf"), ["--external-images"])):
            target = os.path.join(out, name)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            done = subprocess.run([cli, "convert", model, target] + extra, capture_output=True)
            if done.returncode == 0:
                exports.append(target)
            elif model in own:
                print("validate_exports: %s was refused:\n%s" % (model, done.stderr.decode(errors="replace")))
                return 1
            else:
                refused += 1
    accepted = len(foreign) - refused // 3
    print("validate_exports: %d exports of %d models; %d foreign models refused by torvel-cli"
          % (len(exports), len(own) + accepted, refused // 3))
    if accepted < MIN_FOREIGN:
        print("validate_exports: only %d foreign models read (assimp-testmodels missing?)" % accepted)
        return 1
    return subprocess.run([node, SCRIPT, "--validator", VALIDATOR] + exports).returncode


if __name__ == "__main__":
    sys.exit(main())
