#!/usr/bin/env python3
"""The macOS workflow cannot run here; this checks what can be checked: it parses as YAML,
has the shape GitHub Actions needs, and installs what scripts/setup installs on a Mac."""
import re
import sys

import yaml

source, setup = sys.argv[1], sys.argv[2]
with open(source) as f:
    workflow = yaml.safe_load(f)
failures = []
# YAML 1.1 reads the key "on" as True.
if not (workflow.get("on") or workflow.get(True)):
    failures.append("no trigger ('on')")
jobs = workflow.get("jobs") or {}
if not jobs:
    failures.append("no jobs")
for name, job in jobs.items():
    if not str(job.get("runs-on", "")).startswith("macos"):
        failures.append(f"job {name} does not run on macOS")
    steps = job.get("steps") or []
    if not steps or not all(("run" in s) != ("uses" in s) for s in steps):
        failures.append(f"job {name}: every step needs exactly one of run/uses")
    runs = " ".join(s.get("run", "") for s in steps)
    for needed in ("scripts/setup", "scripts/build", "codesign --verify", "cpack", "scripts/test"):
        if needed not in runs:
            failures.append(f"job {name} never runs {needed}")
formulae = re.search(r"formulae=\(([^)]*)\)", open(setup).read())
if not formulae:
    failures.append("scripts/setup names no Homebrew formulae")
else:
    for formula in ("qt", "asio", "nlohmann-json", "cli11", "googletest", "google-benchmark",
                    "pyyaml"):
        if formula not in formulae.group(1).split():
            failures.append(f"scripts/setup does not install {formula}")
    # QCoro is no formula: a formula of that name would fail the whole install.
    if "qcoro" in formulae.group(1).split():
        failures.append("scripts/setup asks Homebrew for qcoro, which it does not have")
    if "github.com/danvratil/qcoro/archive" not in open(setup).read():
        failures.append("scripts/setup does not build QCoro from its source release")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
