#!/usr/bin/env python3
"""Is a test needed? Faults that only it notices, found with per-test coverage and mutants.

  test-needed.py coverage CLONE OUT [--only REGEX]
      Builds CLONE with --coverage in CLONE/build-coverage, runs each ctest test alone (or
      those REGEX names) and writes OUT/tests.txt (index and name) and OUT/<index>.lines (the
      product lines it ran). About ten minutes to build and ten to run on two cores.
  test-needed.py try CLONE OUT 'Suite.Test' [--n 4] [--folders app/,link/]
      Puts back one mutant at a time on the product lines the test runs (the lines fewest
      other tests run first, optionally only in some folders), rebuilds CLONE/build, and runs
      the test alone; where it fails, every other test that runs the mutated line. Stops at the
      first mutant that only this test notices, or after --n mutants it notices.
  test-needed.py one CLONE OUT 'Suite.Test' file.cpp:LINE 'old' 'new'
      The same for one mutant written by hand (`old` replaced by `new` on that line).

CLONE must be a clone of the project that nobody else uses: its sources are edited and
restored. A test that does not run a line cannot fail for a fault on it, so only the tests
that run the line are asked. Prints one JSON line a mutant.
"""
import argparse
import collections
import json
import os
import re
import subprocess
import sys

PRODUCT = ("app/", "chrono/", "competitor/", "display/", "lib/", "link/", "platform/", "records/",
           "settings/", "simulation/", "ui/")
OPS = [(" == ", " != "), (" != ", " == "), (" <= ", " < "), (" >= ", " > "), (" < ", " <= "),
       (" > ", " >= "), (" && ", " || "), (" || ", " && "), (" + ", " - "), (" - ", " + "),
       ("true", "false"), ("false", "true"), ("++", "--")]


def sh(cmd, cwd, **kw):
    return subprocess.run(cmd, cwd=cwd, shell=isinstance(cmd, str), capture_output=True, text=True, **kw)


def coverage(clone, out, only):
    build = os.path.join(clone, "build-coverage")
    os.makedirs(out, exist_ok=True)
    flags = "--coverage -O0"
    r = sh(["cmake", "-S", clone, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
            f"-DCMAKE_CXX_FLAGS={flags}", f"-DCMAKE_C_FLAGS={flags}"], clone)
    if r.returncode or sh(["cmake", "--build", build], clone).returncode:
        sys.exit("the coverage build failed")
    listing = sh(["ctest", "-N"] + (["-R", only] if only else []), build).stdout
    tests = re.findall(r"^\s*Test\s+#(\d+): (.*)$", listing, re.M)
    with open(os.path.join(out, "tests.txt"), "w") as f:
        f.writelines(f"{i} {n}\n" for i, n in tests)
    for i, name in tests:
        for root, _, files in os.walk(build):
            for g in files:
                if g.endswith(".gcda"):
                    os.remove(os.path.join(root, g))
        sh(["ctest", "-I", f"{i},{i}", "--timeout", "600"], build,
           env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        gcda = [os.path.join(r, g) for r, _, fs in os.walk(build) for g in fs if g.endswith(".gcda")]
        seen = set()
        for k in range(0, len(gcda), 20):
            for raw in sh(["gcov", "-j", "-t"] + gcda[k:k + 20], build).stdout.splitlines():
                if not raw.startswith("{"):
                    continue
                for f in json.loads(raw).get("files", []):
                    p = os.path.relpath(os.path.normpath(os.path.join(build, f["file"])), clone)
                    if p.startswith(PRODUCT):
                        seen.update((p, l["line_number"]) for l in f["lines"] if l["count"] > 0)
        with open(os.path.join(out, f"{i}.lines"), "w") as f:
            f.writelines(f"{p}:{n}\n" for p, n in sorted(seen))
        print(i, name.split("  #")[0], len(seen), flush=True)


def load(out):
    names = {}
    for line in open(os.path.join(out, "tests.txt")):
        i, n = line.split(None, 1)
        names[i] = n.split("  #")[0].strip()  # a parameterised test's name without its value
    runs = collections.defaultdict(set)  # product line -> the tests that run it
    for i, n in names.items():
        path = os.path.join(out, f"{i}.lines")
        if os.path.exists(path):
            for line in open(path).read().split():
                runs[line].add(n)
    if not runs:
        sys.exit(f"no product lines in {out}: run `coverage` into it first")
    return runs


def ctest(clone, names):
    """(True: a test failed, False: all passed, 'error': none ran), the failed tests."""
    rx = "^(" + "|".join(n.replace(".", "[.]") for n in names) + ")( |$)"
    p = sh(["ctest", "-j2", "--timeout", "60", "--stop-on-failure", "-R", rx], os.path.join(clone, "build"),
           env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    failed = re.findall(r"Test +#\d+: (\S+) .*?(?:\*\*\*Failed|\*\*\*Timeout|Exception|SEGFAULT|aborted)",
                        p.stdout)
    if p.returncode and not failed:
        return "error", []
    return p.returncode != 0, failed


def mutant(clone, runs, test, where, old, new, what):
    path, n = where.rsplit(":", 1)
    full = os.path.join(clone, path)
    text = open(full).read()
    lines = text.split("\n")
    if old not in lines[int(n) - 1]:
        return {"line": where, "mutant": what, "result": f"'{old}' is not on that line"}
    lines[int(n) - 1] = lines[int(n) - 1].replace(old, new, 1) if old else new
    open(full, "w").write("\n".join(lines))
    res = {"line": where, "mutant": what}
    try:
        if sh("cmake --build build", clone).returncode:
            res["result"] = "does not build"
            return res
        res["test"], _ = ctest(clone, [test])
        if res["test"] is True:
            others = sorted(runs[where] - {test})
            res["others"], res["failed"] = ctest(clone, others) if others else (False, [])
            res["asked"] = len(others)
    finally:
        open(full, "w").write(text)
    return res


def candidates(clone, runs, test, folders):
    mine = [l for l, t in runs.items() if test in t and len(t) > 1]
    if folders:
        mine = [l for l in mine if l.startswith(tuple(folders.split(",")))]
    for where in sorted(mine, key=lambda l: (len(runs[l]), l)):
        path, n = where.rsplit(":", 1)
        line = open(os.path.join(clone, path)).read().split("\n")[int(n) - 1]
        s = line.strip()
        if not s or s.startswith(("//", "#", "{", "}", "case", "default", "return;", "break", "else")):
            continue
        op = next(((o, r) for o, r in OPS if o in line), None)
        if op:
            yield where, op[0], op[1], f"{op[0].strip()} -> {op[1].strip()}"
        elif s.endswith(";") and not s.startswith("return") and not re.match(
                r"^(const |int |auto |bool |char |double |static |std::)", s):
            yield where, "", "", "line deleted"


def main():
    a = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    a.add_argument("what", choices=["coverage", "try", "one"])
    a.add_argument("clone")
    a.add_argument("out")
    a.add_argument("rest", nargs="*")
    a.add_argument("--n", type=int, default=4)
    a.add_argument("--folders", default="")
    a.add_argument("--only", default="")
    o = a.parse_args()
    clone = os.path.abspath(o.clone)
    if o.what == "coverage":
        return coverage(clone, os.path.abspath(o.out), o.only)
    runs = load(o.out)
    test = o.rest[0]
    if o.what == "one":
        where, old, new = o.rest[1:4]
        print(json.dumps(mutant(clone, runs, test, where, old, new, f"{old} -> {new}")))
        return
    noticed = tried = 0
    for where, old, new, what in candidates(clone, runs, test, o.folders):
        if noticed >= o.n or tried >= 3 * o.n:
            break
        tried += 1
        res = mutant(clone, runs, test, where, old, new, what)
        print(json.dumps(res), flush=True)
        noticed += res.get("test") is True
        if res.get("others") is False:
            print(json.dumps({"needed": test, "only it fails": where}))
            return


if __name__ == "__main__":
    main()
