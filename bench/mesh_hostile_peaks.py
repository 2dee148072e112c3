#!/usr/bin/env python3
"""Peak memory of torvel-cli on hostile mesh files.

Writes each file into a temporary folder (the huge ones sparse, so they take
no disk), runs `torvel-cli info` on it under /usr/bin/time and prints one
row per case: the file's size, the peak resident size, the exit status and
the first line of the reason. A sound read of the million-quad grid as .glb
is the last row, for the peak of a large file that is read.

    bench/mesh_hostile_peaks.py [build/native/torvel-cli]
"""
import base64
import os
import struct
import subprocess
import sys
import tempfile

CLI = sys.argv[1] if len(sys.argv) > 1 else "build/native/torvel-cli"
TRIANGLE = struct.pack("<9f", 0, 0, 0, 1, 0, 0, 0, 1, 0)


def gltf(buffer='{"uri":"t.bin","byteLength":36}', more=""):
    return ('{"asset":{"version":"2.0"},"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],'
            '"buffers":[' + buffer + '],"bufferViews":[{"buffer":0,"byteLength":36}],'
            '"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}]' + more + "}")


def glb(json_text, bin_length_add=0):
    j = json_text.encode()
    j += b" " * (-len(j) % 4)
    total = 12 + 8 + len(j) + 8 + 36
    return (struct.pack("<3I", 0x46546C67, 2, total) + struct.pack("<2I", len(j), 0x4E4F534A) + j +
            struct.pack("<2I", 36 + bin_length_add, 0x004E4942) + TRIANGLE)


def node_levels(levels, listed):
    nodes = "".join('{"children":[%s]},' % ",".join([str(k)] * listed) for k in range(1, levels))
    return gltf(more=',"scenes":[{"nodes":[0]}],"nodes":[' + nodes + '{"mesh":0}]')


def cases(folder):
    def put(name, data, size=None):
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode())
        if size:
            os.truncate(path, size)
        return path

    put("t.bin", TRIANGLE)
    yield "GLB buffer of byteLength 0", put("zero.glb", glb(gltf('{"byteLength":0}')))
    yield "node chain of 30,000 levels", put("chain.gltf", node_levels(30000, 1))
    yield "extras nested 10^6 deep", put("deep.gltf", gltf(more=',"extras":' + "[" * 10**6 + "]" * 10**6))
    yield "DAG of 60 levels", put("dag.gltf", node_levels(60, 2))
    yield "BIN chunk 8 bytes past the end", put("past.glb", glb(gltf('{"byteLength":36}'), 8))
    yield "10^6 glTF nodes (12 MB)", put("nodes.gltf", gltf(more=',"nodes":[' + ",".join(['{"name":"node"}'] * 10**6) + "]"))
    yield "3,000 buffers naming one file", put("many.gltf", gltf(",".join(['{"uri":"t.bin","byteLength":36}'] * 3000)))
    put("huge.bin", TRIANGLE, 20 << 30)
    yield "byteLength 36 in a 20 GB file", put("huge.gltf", gltf('{"uri":"huge.bin","byteLength":36}'))
    yield "4.8 GB .gltf", put("big.gltf", gltf(), 4800 << 20)
    obj_bad = "v 0 0 0\nv 1 0 0\nv nan 1 0\nf 1 2 3\n"
    yield "OBJ with nan", put("nan.obj", obj_bad)
    put("many.mtl", "".join("newmtl m%d\nKd 1 1 1\n" % k for k in range(10**6)))
    yield "MTL of 10^6 materials (23 MB)", put("mtl.obj", "mtllib many.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl m1\nf 1 2 3\n")


def run(path):
    out = subprocess.run(["/usr/bin/time", "-f", "PEAK %M", CLI, "info", path], capture_output=True, text=True)
    peak = next(int(l.split()[1]) for l in out.stderr.splitlines() if l.startswith("PEAK"))
    reason = next((l.strip() for l in out.stderr.splitlines()[1:] if l.strip() and not l.startswith(("PEAK", "Command"))), "")
    return peak, out.returncode, reason


def main():
    with tempfile.TemporaryDirectory() as folder:
        print("%-34s %10s %9s %4s  %s" % ("case", "file MB", "peak MB", "exit", "reason"))
        rows = list(cases(folder))
        grid = os.path.join(folder, "grid.glb")
        ykt = os.path.join(folder, "grid.ykt")
        subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "grid_model.py"), ykt, "1000"],
                       check=True, capture_output=True)
        subprocess.run([CLI, "convert", ykt, grid], check=True, capture_output=True)
        rows.append(("million-quad grid .glb (read)", grid))
        for name, path in rows:
            peak, status, reason = run(path)
            print("%-34s %10.1f %9.1f %4d  %s" % (name, os.path.getsize(path) / 1e6, peak / 1024, status, reason[:70]))


if __name__ == "__main__":
    main()
