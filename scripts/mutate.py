#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Plants mechanical faults in src/ one at a time and records which ones the
test suite catches: the measure of the tests' strength.

  scripts/mutate.py list [--count N]        the faults, without running anything
  scripts/mutate.py run [--count N] [--out FILE] [--jobs J] [--only ID,...] [--caught-in OLD.tsv]
  scripts/mutate.py compare OLD.tsv NEW.tsv  faults the old run caught and the new one did not

After a change that only takes tests away, `run --caught-in OLD.tsv` tries
only the faults the old run caught: the others cannot be caught now, and
compare counts a fault missing from NEW as it was in OLD (as lost
when OLD caught it).

The faults are picked from every line of src/ that can carry one, spread over
the files, in an order fixed by --seed, so two runs over the same sources plant
the same faults: run it before and after a change to the tests and compare.
Each fault is one of:

  compare    a comparison flipped or moved by one (== !=, < <=, > >=)
  constant   an integer constant moved by one
  delete     a statement deleted
  negate     an if's condition negated (its branches swapped)
  logic      && and || exchanged
  message    a string literal changed
  call       a call's result dropped (a call statement deleted)

A fault counts as caught when the suite fails or times out with it; a fault that does not compile is
recorded as such and left out of the share. The sources are put back after
each fault, also when the script is interrupted.
"""

import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = ROOT / "build-mutate"

COMPARE = [("==", "!="), ("!=", "=="), ("<=", "<"), (">=", ">"), (" < ", " <= "), (" > ", " >= ")]


@dataclass
class Fault:
    id: int
    path: str
    line: int  # 1-based
    kind: str
    before: str
    after: str

    def row(self):
        return f"{self.id}\t{self.path}:{self.line}\t{self.kind}\t{self.before.strip()}\t{self.after.strip()}"


def code_lines(text):
    """Yields (index, line) of the lines that hold code: not comments, not
    preprocessor lines, not static assertions."""
    in_block = False
    for i, line in enumerate(text.split("\n")):
        stripped = line.strip()
        if in_block:
            if "*/" in stripped:
                in_block = False
            continue
        if stripped.startswith("/*"):
            in_block = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("//", "#", "static_assert", "namespace", "}")):
            continue
        yield i, line


def strip_comment(line):
    """The line without a trailing // comment (outside string literals)."""
    quoted = False
    for k in range(len(line) - 1):
        if line[k] == '"' and (k == 0 or line[k - 1] != "\\"):
            quoted = not quoted
        if not quoted and line[k : k + 2] == "//":
            return line[:k]
    return line


def if_condition(code):
    """The span of an if's condition on the line, when it closes there."""
    m = re.search(r"\bif \(", code)
    if not m:
        return None
    depth = 0
    for k in range(m.end() - 1, len(code)):
        depth += {"(": 1, ")": -1}.get(code[k], 0)
        if depth == 0:
            return m.end(), k
    return None


def candidates(path, text):
    """Every fault that one line of `path` can carry: (line index, kind, new line)."""
    out = []
    previous = ";"
    lines = text.split("\n")
    for i, line in code_lines(text):
        previous = next((l for l in reversed(lines[:i]) if l.strip() and not l.strip().startswith("//")), ";")
        code = strip_comment(line)
        rest = line[len(code) :]
        # Templates and includes make "<" and ">" ambiguous; only spaced ones count.
        for old, new in COMPARE:
            at = code.find(old)
            if at >= 0 and "template" not in code and "->" not in code[max(0, at - 1) : at + 3]:
                if old in ("<=", ">=") and code[at - 1 : at] in "<>":
                    continue
                out.append((i, "compare", code[:at] + new + code[at + len(old) :] + rest))
                break
        for m in re.finditer(r"(?<![\w.\"'])(\d+)(?![\w.\"'x])", code):
            if code[: m.start()].count('"') % 2:  # inside a string literal
                continue
            number = int(m.group(1))
            out.append((i, "constant", code[: m.start()] + str(number + 1) + code[m.end() :] + rest))
            break
        if "&&" in code or "||" in code:
            old, new = ("&&", "||") if "&&" in code else ("||", "&&")
            out.append((i, "logic", code.replace(old, new, 1) + rest))
        cond = if_condition(code)
        if cond and "constexpr" not in code:
            a, b = cond
            out.append((i, "negate", code[:a] + "!(" + code[a:b] + ")" + code[b:] + rest))
        m = re.search(r'"([^"\\]{3,})"', code)
        if m and "include" not in code and "extern" not in code:
            out.append((i, "message", code[: m.start(1)] + m.group(1)[:-1] + "#" + code[m.end(1) :] + rest))
        stripped = code.strip()
        indent = code[: len(code) - len(code.lstrip())]
        # Statements only: inside a function body (a header's member functions
        # are indented twice), after the end of another statement or a brace.
        in_body = len(indent) >= (4 if path.suffix == ".h" else 2) and previous.rstrip().endswith((";", "{", "}", ":"))
        balanced = stripped.count("(") == stripped.count(")")
        if in_body and balanced and re.fullmatch(r"[\w:.\->\[\]()*]+\(.*\);", stripped) \
                and not stripped.startswith(("return", "throw", "virtual")):
            out.append((i, "call", indent + "/* dropped */"))
        elif in_body and balanced and stripped.endswith(";") and (
                re.match(r"[\w.\->\[\]()*]+\s*(=|\+=|-=|\*=|\|=|&=|\^=|<<=|>>=|\+\+|--)[^=]", stripped)
                or re.match(r"(\+\+|--)\w", stripped)):
            out.append((i, "delete", indent + "/* deleted */"))
    return out


def all_faults(seed, count):
    files = sorted(p for p in (ROOT / "src").rglob("*") if p.suffix in (".cpp", ".h"))
    per_file = {}
    for p in files:
        text = p.read_text()
        found = candidates(p, text)
        if found:
            per_file[p] = (text, found)
    rng = random.Random(seed)
    # Round robin over the files, each file's faults in a shuffled order, so
    # that every file gets its share.
    queues = {p: rng.sample(found, len(found)) for p, (_, found) in per_file.items()}
    faults = []
    order = sorted(queues, key=lambda p: str(p))
    while len(faults) < count and any(queues.values()):
        for p in order:
            if queues[p] and len(faults) < count:
                i, kind, after = queues[p].pop()
                before = per_file[p][0].split("\n")[i]
                faults.append(Fault(len(faults) + 1, str(p.relative_to(ROOT)), i + 1, kind, before, after))
    return faults


def run(cmd, timeout):
    try:
        done = subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        return done.returncode, done.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return None, ""


def configure(jobs):
    if not (BUILD / "CMakeCache.txt").exists():
        subprocess.run(
            ["cmake", "-S", ".", "-B", str(BUILD), "-DCMAKE_BUILD_TYPE=Release", "-DQUIBRAN_BUILD_BENCH=OFF"],
            cwd=ROOT,
            check=True,
            stdout=subprocess.DEVNULL,
        )
    subprocess.run(["cmake", "--build", str(BUILD), f"-j{jobs}"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


def test_command(jobs, timeout):
    # The install steps test packaging, not code: a fault in src/ reaches them
    # only through the programs the other tests run.
    return ["ctest", "--test-dir", str(BUILD), f"-j{jobs}", "--timeout", str(timeout), "-E", "^install\\.|^Layer",
            "--stop-on-failure"]


def try_fault(fault, jobs, test_timeout):
    path = ROOT / fault.path
    original = path.read_text()
    lines = original.split("\n")
    assert lines[fault.line - 1] == fault.before, f"{fault.path}:{fault.line} changed since the list was made"
    lines[fault.line - 1] = fault.after
    try:
        path.write_text("\n".join(lines))
        code, _ = run(["cmake", "--build", str(BUILD), f"-j{jobs}"], 900)
        if code != 0:
            return "nocompile"
        code, _ = run(test_command(jobs, test_timeout), test_timeout * 4)
        return "caught" if code != 0 else "survived"
    finally:
        path.write_text(original)
        # Back to the unmutated objects' time stamps being older than the source.
        os.utime(path, None)


def table(tsv):
    """Fault id to its row, from a run's table."""
    with open(tsv) as rows:
        return {l.split("\t")[0]: l.rstrip("\n") for l in rows if l[0].isdigit()}


def results(rows):
    """Fault id to result, from a run's rows."""
    return {i: row.split("\t")[-1] for i, row in rows.items()}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("action", choices=["list", "run", "compare"])
    parser.add_argument("files", nargs="*")
    parser.add_argument("--count", type=int, default=220)
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--test-timeout", type=int, default=60, help="seconds for one test")
    parser.add_argument("--only", default="", help="comma-separated fault ids")
    parser.add_argument("--caught-in", default="", help="only the faults this earlier run caught")
    parser.add_argument("--out", default=str(ROOT / "build-mutate" / "mutants.tsv"))
    args = parser.parse_args()

    if args.action == "compare":
        rows = table(args.files[0])
        old, new = results(rows), results(table(args.files[1]))
        # A fault left out of NEW keeps OLD's result unless OLD caught it:
        # then it counts as lost, since nothing shows that NEW catches it.
        new = {**{i: r if r != "caught" else "survived" for i, r in old.items()}, **new}
        lost = [i for i in old if old[i] == "caught" and new.get(i) == "survived"]
        for name, res in (("old", old), ("new", new)):
            counted = [v for v in res.values() if v in ("caught", "survived")]
            caught = sum(v == "caught" for v in counted)
            print(f"{name}: {caught} of {len(counted)} caught ({100.0 * caught / max(1, len(counted)):.1f} %)")
        print(f"caught before, not after: {len(lost)}")
        for i in lost:
            print("  " + rows[i])
        return 0

    faults = all_faults(args.seed, args.count)
    if args.only:
        wanted = {int(x) for x in args.only.split(",")}
        faults = [f for f in faults if f.id in wanted]
    if args.caught_in:
        wanted = {int(i) for i, result in results(table(args.caught_in)).items() if result == "caught"}
        faults = [f for f in faults if f.id in wanted]
    if args.action == "list":
        for f in faults:
            print(f.row())
        print(f"{len(faults)} faults", file=sys.stderr)
        return 0

    # A fault left in src/ by a run that was killed would be planted under
    # every fault after it.
    if subprocess.run(["git", "diff", "--quiet", "--", "src"], cwd=ROOT).returncode != 0:
        sys.exit("mutate.py: src/ differs from the last commit (a fault left by a killed run?); see git diff src")
    # A kill ends the run through the finally that puts the source back.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    configure(args.jobs)
    Path(args.out).parent.mkdir(parents=True, exist_ok=True)
    caught = counted = 0
    with open(args.out, "w") as out:
        out.write("id\twhere\tkind\tbefore\tafter\tresult\n")
        for f in faults:
            started = time.monotonic()
            result = try_fault(f, args.jobs, args.test_timeout)
            if result != "nocompile":
                counted += 1
                caught += result == "caught"
            out.write(f.row() + "\t" + result + "\n")
            out.flush()
            print(f"[{f.id}/{len(faults)}] {f.path}:{f.line} {f.kind}: {result} ({time.monotonic() - started:.0f} s)",
                  flush=True)
        # Leave the build as the sources are.
        subprocess.run(["cmake", "--build", str(BUILD), f"-j{args.jobs}"], cwd=ROOT, stdout=subprocess.DEVNULL)
    print(f"caught {caught} of {counted} faults that compile ({100.0 * caught / max(1, counted):.1f} %); "
          f"results in {args.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
