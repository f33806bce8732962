"""The bundle's library stands alone: lv2_descriptor is its one export, and it needs no library
beyond the C and C++ runtimes, so copying the bundle folder is the whole installation."""

import argparse
import re
import subprocess
import sys

SYSTEM_LIBRARIES = re.compile(r"^(libstdc\+\+|libm|libgcc_s|libc|ld-linux[-\w]*)\.so(\.\d+)*$")
SANITIZER_RUNTIMES = re.compile(r"^lib(asan|ubsan|tsan)\.so(\.\d+)*$")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("library")
    parser.add_argument("--sanitized", action="store_true",
                        help="a sanitizer build, which also needs the sanitizers' runtimes")
    args = parser.parse_args()
    failures = []

    symbols = subprocess.run(["nm", "-D", "--defined-only", args.library], capture_output=True,
                             text=True, check=True, timeout=60).stdout.split("\n")
    exported = sorted(line.split()[-1] for line in symbols if line.strip())
    print("exported:", " ".join(exported))
    if exported != ["lv2_descriptor"]:
        failures.append(f"exports {exported}, not lv2_descriptor alone")

    dynamic = subprocess.run(["readelf", "-d", args.library], capture_output=True, text=True,
                             check=True, timeout=60).stdout
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", dynamic)
    print("needs:", " ".join(needed))
    for name in needed:
        if not SYSTEM_LIBRARIES.match(name) and not (args.sanitized and
                                                     SANITIZER_RUNTIMES.match(name)):
            failures.append(f"needs {name}, which is not beside the bundle on another machine")
    if re.search(r"\((RPATH|RUNPATH)\)", dynamic):
        failures.append("carries a library search path into the build tree")

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
