#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Plants the faults listed in tools/mutants.txt one at a time and tells which tests kill them.

Run from anywhere in the repository:  python3 tools/mutate.py [--only ID[,ID]] [--list] [--keep] [-j N]

The files git knows (tracked and new, not ignored) are copied into a scratch folder and built there once
(Release, without the benchmarks). Then, for each fault: plant it, rebuild what changed, run the tests the
fault names, put the original text back. The same tests must pass on the untouched copy first, so that a
failure can only come from the fault. Exit status 1 when a fault that is not marked equivalent survives, is
stale or does not build.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass

TOOLS = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(TOOLS)
FAULT_LIST = os.path.join(TOOLS, "mutants.txt")
REQUIRED = ("id", "kind", "file", "find", "replace")
MARKER = ".mutate-scratch"  # marks a folder this script may empty and fill


@dataclass
class Fault:
    id: str
    kind: str
    file: str
    find: str
    replace: str
    tests: str = ""  # ctest -R
    labels: str = ""  # ctest -L
    equivalent: str = ""  # why no test can tell the fault from the original
    line: int = 0  # where the block starts in the fault list


def read_fault_list(path):
    """The faults of the list: blocks of "key: value" lines, separated by blank lines. A key with nothing
    after its colon takes the "|" lines below it, one line of text each."""
    faults, block, key = [], {}, None
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines() + [""]
    for number, text in enumerate(lines, 1):
        if text.startswith("#"):
            continue
        if not text.strip():
            if block:
                faults.append(fault_from_block(block, path))
            block, key = {}, None
            continue
        stripped = text.lstrip()
        if stripped.startswith("|") and key is not None:
            line = stripped[1:]
            line = line[1:] if line.startswith(" ") else line
            block[key] = (block[key] + "\n" if block[key] is not None else "") + line
            continue
        name, colon, value = text.partition(":")
        if not colon:
            sys.exit(f"{path}:{number}: expected 'key: value', got {text!r}")
        key = name.strip()
        block.setdefault("line", number)
        block[key] = value.strip() or None  # None: the value follows on "|" lines, or is empty
    return faults


def fault_from_block(block, path):
    missing = [key for key in REQUIRED if key not in block]
    if missing or not (block.get("tests") or block.get("labels")):
        sys.exit(f"{path}:{block['line']}: a fault needs {', '.join(REQUIRED)} and tests or labels")
    if not block["find"] or block["find"] == block["replace"]:
        sys.exit(f"{path}:{block['line']}: find must be text that replace changes")
    known = set(Fault.__dataclass_fields__)
    unknown = set(block) - known
    if unknown:
        sys.exit(f"{path}:{block['line']}: unknown field(s) {', '.join(sorted(unknown))}")
    return Fault(**{key: (value if value is not None else "") for key, value in block.items()})


def tracked_files():
    listing = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                             cwd=ROOT, check=True, capture_output=True).stdout
    return [name for name in listing.decode().split("\0") if name and os.path.isfile(os.path.join(ROOT, name))]


def sync_scratch_tree(scratch):
    """Makes scratch hold the repository's files as they are now. A file whose bytes did not change keeps
    its time stamp, so that a reused build only rebuilds what did change."""
    names = tracked_files()
    for name in names:
        source, target = os.path.join(ROOT, name), os.path.join(scratch, name)
        with open(source, "rb") as f:
            content = f.read()
        if os.path.exists(target):
            with open(target, "rb") as f:
                if f.read() == content:
                    continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(source, target)
    keep = set(names)
    for folder, subfolders, files in os.walk(scratch):
        if folder == scratch:
            subfolders[:] = [s for s in subfolders if s not in ("build", "logs")]
        for name in files:
            path = os.path.join(folder, name)
            if os.path.relpath(path, scratch) not in keep and name != MARKER:
                os.remove(path)


def occurrences(tree, fault):
    path = os.path.join(tree, fault.file)
    if not os.path.isfile(path):
        return 0
    with open(path, encoding="utf-8", newline="") as f:
        return f.read().count(fault.find)


def build_environment(scratch):
    # Paths below the base folder are hashed relative to the build: the compiler cache is shared with the
    # ordinary builds of every worktree.
    return dict(os.environ, CCACHE_BASEDIR=os.path.dirname(os.path.abspath(scratch)))


def configure(scratch):
    command = ["cmake", "-S", scratch, "-B", os.path.join(scratch, "build"), "-G", "Ninja",
               "-DCMAKE_BUILD_TYPE=Release", "-DZELVORANDINE_BENCHMARKS=OFF"]
    return run_logged(command, scratch, "configure")


def build(scratch, jobs, log_name):
    command = ["cmake", "--build", os.path.join(scratch, "build"), "-j", str(jobs)]
    return run_logged(command, scratch, log_name)


def run_logged(command, scratch, log_name, timeout=None):
    """Runs command; returns (exit status, output), the output also in scratch/logs/<log_name>.log.
    Exit status None: the command ran past timeout seconds and was stopped with everything it started."""
    os.makedirs(os.path.join(scratch, "logs"), exist_ok=True)
    process = subprocess.Popen(command, env=build_environment(scratch), stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True, errors="replace", start_new_session=True)
    try:
        output, _ = process.communicate(timeout=timeout)
        status = process.returncode
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        output, status = process.communicate()[0], None
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        raise
    with open(os.path.join(scratch, "logs", log_name + ".log"), "w", encoding="utf-8") as f:
        f.write(output)
    return status, output


def run_tests(scratch, tests, labels, jobs, timeout, log_name):
    """("passed" | "failed" | "timeout" | "no tests", the names of the failed tests)."""
    command = ["ctest", "--test-dir", os.path.join(scratch, "build"), "-j", str(jobs), "--stop-on-failure",
               "--no-tests=error"]
    if tests:
        command += ["-R", tests]
    if labels:
        command += ["-L", labels]
    status, output = run_logged(command, scratch, log_name, timeout)
    if status is None:
        return "timeout", []
    if "No tests were found" in output:
        return "no tests", []
    failed = re.findall(r"^\s*\d+ - (\S+) \(", output.split("The following tests FAILED:")[-1], re.M)
    if status == 0:
        return "passed", []
    return "failed", failed or ["ctest exit %d" % status]


def first_error(output):
    for line in output.splitlines():
        if "error:" in line:
            return line.strip()
    return output.strip().splitlines()[-1] if output.strip() else ""


def plant(scratch, fault):
    """Writes the fault into the scratch tree; returns the original text to put back."""
    path = os.path.join(scratch, fault.file)
    with open(path, encoding="utf-8", newline="") as f:
        original = f.read()
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(original.replace(fault.find, fault.replace, 1))
    return original


def put_back(scratch, fault, original):
    # A new time stamp: the next build compiles the original again (from the compiler cache).
    with open(os.path.join(scratch, fault.file), "w", encoding="utf-8", newline="") as f:
        f.write(original)


def try_fault(scratch, fault, jobs, timeout):
    """The fault's result as the table shows it."""
    original = plant(scratch, fault)
    try:
        status, output = build(scratch, jobs, fault.id + ".build")
        if status != 0:
            return "build error: " + first_error(output)
        outcome, failed = run_tests(scratch, fault.tests, fault.labels, jobs, timeout, fault.id + ".test")
    finally:
        put_back(scratch, fault, original)
    if outcome == "failed":
        return "killed by " + ", ".join(failed)
    if outcome == "timeout":
        return "killed by a hang (tests ran past %d s)" % timeout
    if outcome == "no tests":
        return "stale: no test matches"
    return "SURVIVED"


def union_of_tests(faults):
    """One ctest -R selection covering every fault's tests, for the run on the untouched tree; empty (every
    test) when a fault selects by label."""
    if any(f.labels for f in faults):
        return ""
    # ctest's regex engine has a small limit on groups, so the names are joined flat, each once.
    return "|".join(sorted({name for f in faults for name in f.tests.split("|") if name}))


def print_row(fault, result):
    print(f"{fault.id:<26} {fault.kind:<28} {fault.file:<40} {result}", flush=True)


def is_failure(result):
    return result == "SURVIVED" or result.startswith(("stale", "build error"))


def parse_arguments():
    parser = argparse.ArgumentParser(description="Plants the faults of tools/mutants.txt one at a time.")
    parser.add_argument("--only", help="comma-separated fault ids")
    parser.add_argument("--list", action="store_true", help="list the faults and whether each still applies")
    parser.add_argument("--keep", action="store_true", help="keep the scratch tree (its path is printed)")
    parser.add_argument("--scratch", help="use (and keep) this folder as the scratch tree; a later run there "
                        "only rebuilds what changed")
    parser.add_argument("-j", "--jobs", type=int, default=2, help="build and test jobs (default 2)")
    parser.add_argument("--timeout", type=int, default=600,
                        help="seconds one fault's tests may take before the fault counts as a hang")
    return parser.parse_args()


def select(faults, only):
    ids = [f.id for f in faults]
    duplicates = sorted({i for i in ids if ids.count(i) > 1})
    if duplicates:
        sys.exit("fault ids used twice: " + ", ".join(duplicates))
    if not only:
        return faults
    wanted = only.split(",")
    unknown = [i for i in wanted if i not in ids]
    if unknown:
        sys.exit("no such fault: " + ", ".join(unknown))
    return [f for f in faults if f.id in wanted]


def list_faults(faults):
    for fault in faults:
        count = occurrences(ROOT, fault)
        state = "equivalent" if fault.equivalent else "ok"
        if count != 1:
            state = "stale: snippet found %d times" % count
        selection = fault.tests or "-L " + fault.labels
        print(f"{fault.id:<26} {fault.kind:<28} {fault.file:<40} {selection:<40} {state}")


def prepare_scratch_tree(scratch, faults, args):
    """Copies, configures and builds the tree, and runs the faults' tests on it untouched."""
    marker = os.path.join(scratch, MARKER)
    if os.listdir(scratch) and not os.path.exists(marker):
        sys.exit(f"{scratch} is not empty and no scratch tree of this script: give an empty or new folder")
    open(marker, "w").close()
    sync_scratch_tree(scratch)
    for step in (lambda: configure(scratch), lambda: build(scratch, args.jobs, "build")):
        status, output = step()
        if status != 0:
            print(output[-3000:])
            sys.exit("the untouched tree does not build")
    runnable = [f for f in faults if not f.equivalent and occurrences(scratch, f) == 1]
    if runnable:
        outcome, failed = run_tests(scratch, union_of_tests(runnable), "", args.jobs, args.timeout, "untouched.test")
        if outcome != "passed":
            sys.exit("the tests fail on the untouched tree (%s): %s" % (outcome, ", ".join(failed)))


def result_of(scratch, fault, args):
    count = occurrences(scratch, fault)
    if count != 1:
        return "stale: snippet found %d times" % count
    if fault.equivalent:
        return "equivalent: " + fault.equivalent
    return try_fault(scratch, fault, args.jobs, args.timeout)


def summary(results, seconds):
    def count(prefix):
        return sum(r.startswith(prefix) for r in results)
    minutes, seconds = divmod(int(seconds), 60)
    return (f"{len(results)} faults: {count('killed')} killed, {count('SURVIVED')} survived, "
            f"{count('equivalent')} equivalent, {count('stale')} stale, {count('build error')} build errors "
            f"({minutes} min {seconds} s)")


def main():
    args = parse_arguments()
    faults = select(read_fault_list(FAULT_LIST), args.only)
    if args.list:
        list_faults(faults)
        return 0
    started = time.monotonic()
    if args.scratch:
        scratch = os.path.abspath(args.scratch)
        os.makedirs(scratch, exist_ok=True)
    else:
        scratch = tempfile.mkdtemp(prefix="zelvorandine-mutate-")
    results = []
    try:
        print(f"scratch tree: {scratch}", flush=True)
        prepare_scratch_tree(scratch, faults, args)
        for fault in faults:
            results.append(result_of(scratch, fault, args))
            print_row(fault, results[-1])
    finally:
        if args.keep or args.scratch:
            print(f"scratch tree kept: {scratch}")
        else:
            shutil.rmtree(scratch, ignore_errors=True)
    print(summary(results, time.monotonic() - started))
    return 1 if any(is_failure(r) for r in results) else 0


if __name__ == "__main__":
    sys.exit(main())
