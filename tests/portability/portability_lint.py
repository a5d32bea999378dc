#!/usr/bin/env python3
"""Finds, in the source tree, the constructs that build and run here but break on a Mac, where
nothing of this tree can be compiled or run by this suite:

- Linux-only calls and flags in C++ outside the linux/ siblings (everything else is built for
  the Mac too: the virtual Mac's own code runs there in the test tree);
- a display check by environment outside the virtual interface siblings (a Mac sets none);
- <valgrind/...> without a guard (Homebrew has no valgrind);
- in the scripts a Mac runs (bash 3.2, BSD tools): mapfile and other bash 4 features, an
  array that may be empty expanded under set -u with no test of its size, GNU-only options;
- tool paths that differ between the systems (/bin/chown is /usr/sbin/chown on a Mac) unless
  both are named or the file is a linux/ sibling.

Usage: portability_lint.py SOURCE_DIR     (exit 1 and a line per finding)
       portability_lint.py --self-test    (each rule finds its planted fault)"""
import os
import re
import sys
import tempfile

CPP = (".cpp", ".h", ".mm")
LINUX_ONLY = [
    (re.compile(r"\bSO_PEERCRED\b"), "SO_PEERCRED (the Mac has getpeereid / LOCAL_PEERCRED)"),
    (re.compile(r"\bpipe2\s*\("), "pipe2() (the Mac has pipe() and fcntl)"),
    (re.compile(r"\baccept4\s*\("), "accept4() (the Mac has accept() and fcntl)"),
    (re.compile(r"\bMSG_NOSIGNAL\b"), "MSG_NOSIGNAL (the Mac has SO_NOSIGPIPE)"),
    (re.compile(r"\bSOCK_(CLOEXEC|NONBLOCK)\b"), "SOCK_CLOEXEC/SOCK_NONBLOCK in socket()"),
    (re.compile(r"\bposix_fallocate\s*\("), "posix_fallocate() (not on the Mac)"),
    (re.compile(r"\b(epoll_\w+|inotify_\w+|eventfd|signalfd|timerfd_\w+)\s*\("),
     "a Linux-only descriptor API"),
    (re.compile(r"\bprctl\s*\("), "prctl() (Linux only)"),
    (re.compile(r"\bgettid\s*\("), "gettid() (Linux only)"),
    (re.compile(r"\"/proc/"), "/proc (the Mac has none)"),
    (re.compile(r"\bpthread_setname_np\s*\([^,()]*(\([^()]*\))?[^,()]*,"),
     "two-argument pthread_setname_np (the Mac's takes only the name)"),
]
DISPLAY_CHECK = re.compile(r"getenv\(\s*\"(DISPLAY|WAYLAND_DISPLAY)\"")
VALGRIND = re.compile(r"#\s*include\s*<valgrind/")
GNU_ELVIS = re.compile(r"\?:")
BASH4 = [
    (re.compile(r"\b(mapfile|readarray)\b"), "mapfile/readarray (bash 4; the Mac has 3.2)"),
    (re.compile(r"\bdeclare\s+-A\b"), "associative arrays (bash 4)"),
    (re.compile(r"\$\{\w+(,,|\^\^)\}"), "case conversion in expansions (bash 4)"),
    (re.compile(r"\bsed\s+-i\s+['\"s]"), "sed -i without a suffix (BSD sed takes one)"),
    (re.compile(r"\breadlink\s+-f\b"), "readlink -f (not on older macOS)"),
    (re.compile(r"\b(stat\s+-c|date\s+-d|grep\s+-P|xargs\s+-r)\b"), "a GNU-only option"),
    (re.compile(r"\b(nproc|sha256sum)\b"), "a GNU coreutils program the Mac lacks"),
]
EMPTY_ARRAY = re.compile(r"\b(\w+)=\(\s*\)")
EXPANSION = r"\"\$\{%s\[@\]\}\""
CHOWN = re.compile(r"/bin/chown\b")
ROOT = "."


def sibling_of(path, name):
    return f"/{name}/" in path.replace(os.sep, "/")


# Guarded in the source, or by the CMakeLists beside it building the file only where the
# header is.
def valgrind_guarded(path, text):
    if "__has_include" in text:
        return True
    cmake = os.path.join(ROOT, os.path.dirname(path), "CMakeLists.txt")
    return os.path.exists(cmake) and "check_include_file_cxx(valgrind/" in open(cmake).read()


def lint_cpp(path, text, findings):
    linux = sibling_of(path, "linux")
    for number, line in enumerate(text.splitlines(), 1):
        where = f"{path}:{number}"
        if line.lstrip().startswith("//"):
            continue  # a comment may name what it avoids
        if not linux:
            for pattern, what in LINUX_ONLY:
                if pattern.search(line):
                    findings.append(f"{where}: {what} outside a linux/ sibling")
        if DISPLAY_CHECK.search(line) and not (sibling_of(path, "virtual") or linux):
            findings.append(f"{where}: a display check by environment (a Mac sets none)")
        if VALGRIND.search(line) and not valgrind_guarded(path, text):
            findings.append(f"{where}: <valgrind/...> unguarded (Homebrew has no valgrind)")
        if path.endswith(".mm") and GNU_ELVIS.search(line):
            findings.append(f"{where}: GNU ?: (fails -Wpedantic -Werror)")
        if CHOWN.search(line) and "/usr/sbin/chown" not in line and not linux:
            findings.append(f"{where}: /bin/chown (on a Mac: /usr/sbin/chown)")


def lint_script(path, text, findings):
    lines = text.splitlines()
    for number, line in enumerate(lines, 1):
        code = line.split(" #", 1)[0] if not line.lstrip().startswith("#") else ""
        where = f"{path}:{number}"
        for pattern, what in BASH4:
            if pattern.search(code):
                findings.append(f"{where}: {what}")
        if CHOWN.search(code) and "/usr/sbin/chown" not in code:
            findings.append(f"{where}: /bin/chown (on a Mac: /usr/sbin/chown)")
    # An array that starts empty may be expanded only once its size has been tested (on that
    # line or before it): bash 3.2 calls an empty array unbound under set -u.
    if "set -u" not in text and "set -euo" not in text:
        return
    for name in set(EMPTY_ARRAY.findall(text)):
        expansion = re.compile(EXPANSION % re.escape(name))
        guard = "${#%s[@]}" % name
        for number, line in enumerate(lines, 1):
            if expansion.search(line) and guard not in "\n".join(lines[:number]):
                findings.append(f"{path}:{number}: \"${{{name}[@]}}\" may be empty here "
                                f"(test ${{#{name}[@]}} first; bash 3.2 calls it unbound)")


def is_shell(path, text):
    return text.startswith("#!/usr/bin/env bash") or text.startswith("#!/bin/bash") or \
        path.endswith(".sh")


def lint(root):
    global ROOT
    ROOT = root
    findings = []
    skip = {".git", ".deps", ".cache"}
    for directory, folders, files in os.walk(root):
        folders[:] = [f for f in folders if f not in skip and not f.startswith("build")]
        for name in files:
            path = os.path.join(directory, name)
            relative = os.path.relpath(path, root)
            # The measurement scripts and their tools are Linux's (strace, /proc, valgrind).
            if relative.startswith("bench" + os.sep) and not name.endswith(CPP):
                continue
            try:
                text = open(path, encoding="utf-8").read()
            except (UnicodeDecodeError, OSError):
                continue
            if name.endswith(CPP):
                lint_cpp(relative, text, findings)
            elif is_shell(relative, text):
                lint_script(relative, text, findings)
    return findings


PLANTED = {
    "hardware/src/peer.cpp": "int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);\n",
    "platform/linux/src/peer.cpp": "getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &c, &n);\n",
    "helper/daemon/name.cpp": "pthread_setname_np(pthread_self(), name.c_str());\n",
    "app/ui/main.cpp": "bool d = std::getenv(\"DISPLAY\");\n",
    "app/ui/virtual/screen.cpp": "bool d = std::getenv(\"DISPLAY\");\n",
    "bench/driver.cpp": "#include <valgrind/callgrind.h>\n",
    "app/core/macos/item.mm": "return s ?: \"x\";\n",
    "app/core/virtual/installer.cpp": "run(\"/bin/chown\");\nrun({\"/bin/chown\", \"/usr/sbin/chown\"});\n",
    "app/core/linux/systemd.cpp": "run(\"/bin/chown\");\n",
    "scripts/build": "#!/usr/bin/env bash\nset -euo pipefail\ntargets=()\n"
                     "cmake --build . \"${targets[@]}\"\nmapfile -t f < x\n"
                     "ok=()\n[ ${#ok[@]} -gt 0 ] && echo \"${ok[@]}\"\n",
}
EXPECTED = {
    "hardware/src/peer.cpp:1", "helper/daemon/name.cpp:1", "app/ui/main.cpp:1",
    "bench/driver.cpp:1", "app/core/macos/item.mm:1", "app/core/virtual/installer.cpp:1",
    "scripts/build:4", "scripts/build:5",
}


def self_test():
    with tempfile.TemporaryDirectory() as root:
        for relative, text in PLANTED.items():
            path = os.path.join(root, relative)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as f:
                f.write(text)
        found = {finding.split(": ", 1)[0] for finding in lint(root)}
    if found != EXPECTED:
        print(f"missed: {sorted(EXPECTED - found)}; wrongly found: {sorted(found - EXPECTED)}")
        return 1
    print(f"self-test: each of {len(EXPECTED)} planted faults found, nothing else")
    return 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--self-test"]:
        sys.exit(self_test())
    findings = lint(sys.argv[1])
    for finding in findings:
        print(finding)
    sys.exit(1 if findings else 0)
