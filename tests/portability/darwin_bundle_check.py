#!/usr/bin/env python3
"""Configures the Mac's own tree (the native machine, the bundle) on Linux with a toolchain that
presents Darwin without its SDK, and checks the build it generates: each program lands in
Ventoria.app where the installer looks for it, the helper's property list reaches Resources,
the helper is signed as it is linked and before its digest is compiled in, the bundle is
sealed after every program it holds, and the seal signs inside out and leaves the helper be.

Usage: darwin_bundle_check.py SOURCE_DIR SCRATCH_DIR"""
import os
import re
import shutil
import subprocess
import sys

source, scratch = sys.argv[1], sys.argv[2]
here = os.path.dirname(os.path.abspath(__file__))
darwin = os.path.join(here, "darwin")
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def configure(build, identity):
    shutil.rmtree(build, ignore_errors=True)
    result = subprocess.run(
        ["cmake", "-S", source, "-B", build, "-G", "Ninja",
         f"-DCMAKE_TOOLCHAIN_FILE={darwin}/toolchain.cmake",
         f"-DVENTORIA_CODESIGN={darwin}/codesign", f"-DVENTORIA_MACDEPLOYQT={darwin}/macdeployqt",
         f"-DVENTORIA_CODESIGN_IDENTITY={identity}"],
        capture_output=True, text=True)
    if result.returncode != 0:
        print(result.stdout[-3000:], result.stderr[-3000:])
        sys.exit(f"the Mac's tree does not configure (identity {identity!r})")
    with open(os.path.join(build, "build.ninja")) as f:
        return f.read()


def edge(ninja, output):
    """The build statement that makes `output`, with the variables indented under it."""
    match = re.search(r"^build \S*" + re.escape(output) + r"[ :][^\n]*\n((?:  [^\n]*\n)*)",
                      ninja, re.M)
    return match.group(0) if match else ""


contents = "bin/Ventoria.app/Contents"
ninja = configure(os.path.join(scratch, "adhoc"), "-")
helper = edge(ninja, f"{contents}/MacOS/VentoriaHelper")
check(helper, "the helper is not linked into Contents/MacOS")
check(re.search(r"POST_BUILD = [^\n]*codesign --force --sign - [^\n]*MacOS/VentoriaHelper", helper),
      "the helper is not signed as it is linked")
check("--options runtime" not in helper, "an ad hoc signature asks for the hardened runtime")
check(edge(ninja, f"{contents}/MacOS/ventoriactl"), "ventoriactl is not linked into Contents/MacOS")
check(edge(ninja, f"{contents}/MacOS/Ventoria"), "the application is not Ventoria.app's executable")
check(re.search(r"^build " + re.escape(f"{contents}/Resources/io.kestrand.ventoria.helper.plist") +
                r": COPY_OSX_CONTENT [^\n]*app/core/resources/io.kestrand.ventoria.helper.plist",
                ninja, re.M),
      "the helper's property list is not copied into Contents/Resources")
digest = edge(ninja, "helper_digest.cpp")
check(f"{contents}/MacOS/VentoriaHelper" in digest,
      "the helper's digest is not made from the helper in the bundle (after it is signed)")
seal = edge(ninja, "Ventoria.app.sealed")
for program in ("Ventoria", "ventoriactl", "VentoriaHelper"):
    check(f"{contents}/MacOS/{program} " in seal or f"{contents}/MacOS/{program}\n" in seal,
          f"the seal does not follow a relink of {program}")
check("SealBundle.cmake" in seal, "nothing deploys Qt and seals the bundle")
check(re.search(r"^build app/all: phony [^\n]*VentoriaBundle", ninja, re.M),
      "a plain build does not seal the bundle")

info = os.path.join(scratch, "adhoc", contents, "Info.plist")
check(os.path.exists(info) and re.search(r"<key>LSMinimumSystemVersion</key>\s*<string>13\.0</string>",
                                         open(info).read()),
      "the bundle does not ask for the macOS its Qt needs (13.0 here, above the build's 12.0)")

signed = configure(os.path.join(scratch, "identity"), "Developer ID Application: Kestrand")
check(re.search(r"codesign --force --options runtime --timestamp --sign", signed),
      "a real identity signs without the hardened runtime")

# The seal itself, on a bundle laid out as macdeployqt leaves it.
bundle = os.path.join(scratch, "Ventoria.app")
shutil.rmtree(bundle, ignore_errors=True)
for path in ("MacOS/Ventoria", "MacOS/ventoriactl", "MacOS/VentoriaHelper",
             "Frameworks/QtCore.framework/Versions/A/QtCore", "Frameworks/libzstd.1.dylib",
             "PlugIns/platforms/libqcocoa.dylib"):
    os.makedirs(os.path.dirname(os.path.join(bundle, "Contents", path)), exist_ok=True)
    open(os.path.join(bundle, "Contents", path), "w").close()


def seal(identity, options):
    """What the seal runs, in order, for one identity."""
    record = os.path.join(scratch, "record")
    open(record, "w").close()
    subprocess.run(["cmake", f"-DBUNDLE={bundle}", f"-DCODESIGN={darwin}/codesign",
                    f"-DMACDEPLOYQT={darwin}/macdeployqt", f"-DIDENTITY={identity}",
                    f"-DSIGN_OPTIONS={options}", "-P",
                    os.path.join(source, "cmake", "SealBundle.cmake")],
                   check=True, env=dict(os.environ, RECORD=record))
    return open(record).read().splitlines()


steps = seal("-", "")
signed_paths = [s.split()[-1] for s in steps if s.startswith("codesign")]
check(steps and steps[0].startswith("macdeployqt") and "MacOS/ventoriactl" in steps[0],
      "Qt is not deployed first, for the application and ventoriactl")
check(signed_paths and signed_paths[-1] == bundle, "the bundle is not sealed last")
inner = [p for p in signed_paths if "/Frameworks/" in p or "/PlugIns/" in p]
check(len(inner) == 3, f"not every library, framework and plugin is signed: {inner}")
tool = [i for i, p in enumerate(signed_paths) if p.endswith("MacOS/ventoriactl")]
check(tool and all(signed_paths.index(p) < tool[0] for p in inner),
      "ventoriactl is signed before the libraries it loads")
check(not any(p.endswith("VentoriaHelper") for p in signed_paths),
      "the seal signs the helper again, after its digest was compiled in")
check(not any("--options" in s for s in steps), "an ad hoc seal asks for the hardened runtime")
# A real identity: every signature of the seal, not only the helper's, with the hardened
# runtime and a timestamp, and the identity whole, spaces and all.
identity = "Developer ID Application: Kestrand"
signatures = [s for s in seal(identity, "--options;runtime;--timestamp") if s.startswith("codesign")]
check(signatures and all(f"--options runtime --timestamp --sign {identity} " in s
                         for s in signatures),
      f"a real identity's seal signs without the hardened runtime: {signatures[:2]}")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
