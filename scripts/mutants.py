#!/usr/bin/env python3
"""Mutation sampling for the project's C++ sources: does each folder's own test suite notice a
small, plausible fault? The sample of mutants is chosen by --seed.

For each sampled mutant: change one operator or line in one source file of a folder, rebuild
that folder's test executable(s) incrementally, run them with --gtest_fail_fast, restore the
file. A mutant is 'killed' when a test fails or times out, 'survived' when all pass,
'stillborn' when it does not compile.

  mutants.py --src CLONE --build BUILD [--folders link,chrono] [--n 40] [--seed 1] [--timeout 120]
            [--suite link=tests/link/test_link] [--out results.jsonl]

CLONE must be a clone of the project whose build folder BUILD is configured and built
(cmake -S CLONE -B BUILD -G Ninja && cmake --build BUILD). Never point it at a checkout that
someone else is using: it edits source files (and restores them). With --out, mutants already
recorded in that file are not run again, so an interrupted run goes on where it stopped.
"""
import argparse, json, os, random, re, signal, subprocess, sys, tempfile, time
from pathlib import Path

SUITES = {  # source folder -> test executables (relative to the build folder)
    "link": ["tests/link/test_link"],
    "chrono": ["tests/chrono/test_chrono"],
    "simulation": ["tests/simulation/test_simulation"],
    "competitor": ["tests/competitor/test_competitor"],
    "settings": ["tests/settings/test_settings"],
    "display": ["tests/display/test_display"],
    "ui": ["tests/ui/test_ui"],
    # The whole-program suites drive app/ as the operator does.
    "app": ["tests/app/test_app", "tests/e2e/test_e2e", "tests/faults/test_faults", "tests/badinput/test_badinput"],
    "platform": ["tests/platform/test_platform", "tests/controls/test_controls"],
}

OPS = [
    ("==", " == ", " != "), ("!=", " != ", " == "),
    ("<=", " <= ", " < "), ("<", " < ", " <= "),
    (">=", " >= ", " > "), (">", " > ", " >= "),
    ("&&", " && ", " || "), ("||", " || ", " && "),
    ("+1", " + 1", " - 1"), ("-1", " - 1", " + 1"),
    ("true", "return true;", "return false;"), ("false", "return false;", "return true;"),
]
CALL_STMT = re.compile(r"^\s*[A-Za-z_][\w:.>\-]*\(.*\);\s*$")
INT_LIT = re.compile(r"(?<![\w.])([2-9]|[1-9]\d{1,3})(?![\w.])")


def candidates(path: Path):
    out = []
    in_block = False
    for i, line in enumerate(path.read_text(encoding="utf-8", errors="replace").split("\n")):
        s = line.strip()
        if in_block:
            if "*/" in s:
                in_block = False
            continue
        if s.startswith("/*"):
            in_block = "*/" not in s
            continue
        if not s or s.startswith(("//", "#", "static_assert", "namespace", "using ", "template")):
            continue
        code = line.split("//")[0]
        for name, a, b in OPS:
            start = 0
            while True:
                k = code.find(a, start)
                if k < 0:
                    break
                if name in ("<", ">") and (code[k:k + 3] in (" <<", " >>") or "<<" in a):
                    start = k + 1
                    continue
                out.append((i, name, k, a, b))
                start = k + len(a)
        if '"' not in code and "[" not in code and not s.startswith(("case", "enum", "constexpr", "const ", "static const")):
            for m in INT_LIT.finditer(code):
                v = int(m.group(1))
                out.append((i, "lit", m.start(1), m.group(1), str(v + 1)))
        if CALL_STMT.match(code) and not s.startswith(("return", "if", "for", "while", "}")):
            out.append((i, "del", 0, line, "    ;"))
    return out


def apply(text: str, mut):
    lines = text.split("\n")
    i, name, k, a, b = mut
    if name == "del":
        lines[i] = b
    else:
        ln = lines[i]
        assert ln[k:k + len(a)] == a
        lines[i] = ln[:k] + b + ln[k + len(a):]
    return "\n".join(lines)


def run(cmd, cwd, timeout, env=None):
    # The command runs in a session of its own, its output in a file: a helper it started
    # (the stand-in clock) and left behind when a mutant made it crash neither holds the
    # output open nor outlives the run, as the whole group is ended afterwards.
    with tempfile.TemporaryFile(mode="w+", errors="replace") as out:
        p = subprocess.Popen(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, text=True, env=env,
                             start_new_session=True)
        try:
            rc = p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            rc = "timeout"
        finally:
            try:
                os.killpg(p.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            p.wait()
        out.seek(0)
        return rc, out.read()[-2000:]


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--src", required=True)
    ap.add_argument("--build", required=True)
    ap.add_argument("--folders", default=",".join(SUITES))
    ap.add_argument("--n", type=int, default=40, help="mutants in all, spread over the folders")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--timeout", type=int, default=180)
    ap.add_argument("--out", default="-")
    ap.add_argument("--suite", action="append", default=[], metavar="FOLDER=EXE[,EXE]",
                    help="test executables (relative to BUILD) for a source folder; replaces the built-in map")
    args = ap.parse_args()
    for s in args.suite:
        folder, exes = s.split("=", 1)
        SUITES[folder] = [e for e in exes.split(",") if e]
    src, build = Path(args.src), Path(args.build)
    folders = [f for f in args.folders.split(",") if f in SUITES]
    pool = []
    for f in folders:
        for p in sorted((src / f).rglob("*.cpp")):
            for c in candidates(p):
                pool.append((f, p, c))
    by_folder = {f: [x for x in pool if x[0] == f] for f in folders}
    per = max(1, args.n // len(folders))
    sample = []
    for f in folders:
        # Each folder draws from its own generator: a run over some folders samples them as
        # the run over all of them does.
        xs = by_folder[f]
        sample += random.Random(f"{args.seed}/{f}").sample(xs, min(per, len(xs)))
    out = sys.stdout if args.out == "-" else open(args.out, "a")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    tally = {}
    done = set()
    if args.out != "-" and os.path.exists(args.out):
        for l in open(args.out):
            r = json.loads(l)
            done.add((r["file"], r["line"], r["op"], r["code"]))
            tally.setdefault(r["folder"], {"killed": 0, "survived": 0, "stillborn": 0})[r["verdict"]] += 1
    for f, path, mut in sample:
        i0 = mut[0]
        key = (str(path.relative_to(src)), i0 + 1, mut[1], path.read_text(encoding="utf-8", errors="replace").split("\n")[i0].strip()[:120])
        if key in done:
            continue
        original = path.read_text(encoding="utf-8", errors="replace")
        path.write_text(apply(original, mut), encoding="utf-8")
        t0 = time.time()
        try:
            targets = [Path(e).name for e in SUITES[f]]
            rc, log = run(["cmake", "--build", str(build), "--target", *targets], build, 900)
            if rc != 0:
                verdict, detail = "stillborn", log[-300:]
            else:
                verdict, detail = "survived", ""
                for exe in SUITES[f]:
                    rc, log = run([str(build / exe), "--gtest_fail_fast", "--gtest_brief=1"], build, args.timeout, env)
                    if rc != 0:
                        verdict = "killed"
                        m = re.findall(r"\[  FAILED  \] (\S+)", log)
                        detail = m[0] if m else str(rc)
                        break
        finally:
            path.write_text(original, encoding="utf-8")
        i, name, k, a, b = mut
        line = original.split("\n")[i].strip()
        rec = {"folder": f, "file": str(path.relative_to(src)), "line": i + 1, "op": name,
               "code": line[:120], "verdict": verdict, "detail": detail, "s": round(time.time() - t0, 1)}
        out.write(json.dumps(rec) + "\n"); out.flush()
        tally.setdefault(f, {"killed": 0, "survived": 0, "stillborn": 0})[verdict] += 1
    # leave the build matching the restored sources
    run(["cmake", "--build", str(build)], build, 1800)
    total_k = sum(t["killed"] for t in tally.values()); total_s = sum(t["survived"] for t in tally.values())
    for f, t in tally.items():
        n = t["killed"] + t["survived"]
        print(f"{f}: killed {t['killed']}/{n}" + (f" ({100 * t['killed'] // n} %)" if n else "") + f", stillborn {t['stillborn']}", file=sys.stderr)
    n = total_k + total_s
    print(f"mutation score {total_k}/{n} = {100 * total_k / n:.0f} %" if n else "no live mutants", file=sys.stderr)


if __name__ == "__main__":
    main()
