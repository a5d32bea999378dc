#!/usr/bin/env python3
"""Compiles every translation unit of a build tree against libc++, the standard library of the
Mac, for syntax only: a header that libstdc++ pulls in by accident and libc++ does not (<thread>
for std::this_thread, <optional>, <algorithm>) fails here instead of on the first Mac.

Usage: libcxx_syntax.py BUILD_DIR [JOBS]     (LIBCXX_WITH_QT=1: the units that use Qt too)"""
import json
import os
import shlex
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

build = sys.argv[1]
jobs = int(sys.argv[2]) if len(sys.argv) > 2 else os.cpu_count() or 1
with open(os.path.join(build, "compile_commands.json")) as f:
    units = json.load(f)


def command(unit):
    words = shlex.split(unit["command"]) if "command" in unit else list(unit["arguments"])
    kept = ["clang++", "-stdlib=libc++", "-fsyntax-only", "-Wno-unused-command-line-argument"]
    skip = False
    for word in words[1:]:
        if skip:
            skip = False
            continue
        if word in ("-o", "-MF", "-MT", "-MQ"):
            skip = True
            continue
        # Flags of the other compiler or of the object file, not of the syntax.
        if word in ("-c", "-MD", "-MMD") or word.startswith("-fsanitize"):
            continue
        kept.append(word)
    return kept


def check(unit):
    result = subprocess.run(command(unit), cwd=unit["directory"], capture_output=True, text=True)
    return unit["file"], result.returncode, result.stderr


# Generated sources (moc, the helper's digest) are Qt's and CMake's, not ours to port; the
# layering checks are meant not to compile.
ours = [u for u in units if "/CMakeFiles/" not in u["file"] and "_autogen" not in u["file"]
        and "/tests/layering/" not in u["file"]]
# The Qt units take three times as long as all the others: only when asked for.
if not os.environ.get("LIBCXX_WITH_QT"):
    ours = [u for u in ours if "qt6" not in (u.get("command") or " ".join(u["arguments"])).lower()]
failed = 0
with ThreadPoolExecutor(max_workers=jobs) as pool:
    for path, status, errors in pool.map(check, ours):
        if status != 0:
            failed += 1
            print(f"libc++: {os.path.relpath(path)}\n{errors}", file=sys.stderr)
print(f"libc++: {len(ours) - failed} of {len(ours)} units compile")
sys.exit(1 if failed else 0)
