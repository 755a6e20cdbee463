#!/usr/bin/env python3
"""Mutation testing: makes one small fault at a time in the program's sources, rebuilds
incrementally in build-mutate/, runs the test programs that the rebuild relinked, and counts
each mutant killed (a test failed), survived, timed out or not compiling.

Mutants: a comparison flipped or loosened, && and || swapped, an if's condition negated, an
integer constant moved by one, binary + and - swapped, a call statement removed, a returned
value replaced (true and false swapped, anything else by a value-initialised one).
Not mutated: headers, comments, string and character literals, preprocessor lines, lines
marked "mutate: skip", templates' angle brackets and operators written without spaces.

The source tree is never left mutated: each mutant is undone before the next, on Ctrl+C and
on any error, and a copy of the file being mutated waits in build-mutate/ so that a run
killed outright is undone by the next run's start.
"""
import argparse
import dataclasses
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = ROOT / "build-mutate"
PENDING = BUILD / "pending-restore.json"
DEFAULT_FOLDERS = ["link", "sim", "app/data", "views"]
# Tests that start these programs rather than linking the code.
STARTED_BY = {
    "quelby-cli": ["cli_tests", "report_pdf_tests"],
    "quelby-sim": ["cli_tests", "quelby_sim_tests"],
}


@dataclasses.dataclass
class Mutant:
    path: str        # relative to the root
    line: int        # 1-based
    kind: str
    before: str      # the whole line
    after: str

    def draw(self, seed):
        """The mutant's place in a sample: it depends on the seed and the mutant's own text
        only, so a sample stays the same mutants when other lines of the sources change."""
        key = f"{seed}|{self.path}|{self.kind}|{self.before.strip()}|{self.after.strip()}"
        return hashlib.sha256(key.encode()).hexdigest()

    def describe(self):
        return f"{self.path}:{self.line} [{self.kind}] {self.before.strip()}  =>  {self.after.strip()}"


# --- finding mutants ------------------------------------------------------------------

def masked(line, in_block_comment):
    """The line with comments, strings and character literals blanked out (same length),
    and whether a block comment continues past it."""
    out = []
    i = 0
    n = len(line)
    while i < n:
        if in_block_comment:
            end = line.find("*/", i)
            if end < 0:
                out.append(" " * (n - i))
                return "".join(out), True
            out.append(" " * (end + 2 - i))
            i = end + 2
            in_block_comment = False
            continue
        c = line[i]
        if line.startswith("//", i):
            out.append(" " * (n - i))
            break
        if line.startswith("/*", i):
            in_block_comment = True
            continue
        if line.startswith('R"', i):  # raw strings are not mutated; blank the rest of the line
            out.append(" " * (n - i))
            break
        if c in "\"'":
            j = i + 1
            while j < n and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            out.append(c + " " * (min(j, n) - i - 1) + (c if j < n else ""))
            i = j + 1
            continue
        out.append(c)
        i += 1
    return "".join(out), in_block_comment


SWAPS = [
    ("comparison flipped", r"(?<=\s)(<|>|<=|>=|==|!=)(?=\s)",
     {"<": ">=", ">": "<=", "<=": ">", ">=": "<", "==": "!=", "!=": "=="}),
    ("comparison loosened", r"(?<=\s)(<|>)(?=\s)", {"<": "<=", ">": ">="}),
    ("logic swapped", r"(?<=\s)(&&|\|\|)(?=\s)", {"&&": "||", "||": "&&"}),
    ("sign swapped", r"(?<=\s)(\+|-)(?=\s)", {"+": "-", "-": "+"}),
]
CONSTANT = re.compile(r"(?<![\w.])(\d+)(?![\w.'])")
CALL_STATEMENT = re.compile(r"^\s*[A-Za-z_][\w:]*(\s*(\.|->)\s*[A-Za-z_]\w*)*\s*\(.*\)\s*;\s*$")
RETURN = re.compile(r"\breturn\s+(.+?);")
IF = re.compile(r"\bif\s*\(")
NOT_A_CALL = re.compile(r"^\s*(return|delete|throw|co_return|co_await|co_yield|case|goto|if|for|"
                        r"while|switch|else|do|sizeof|static_cast|const_cast)\b")


def matching_paren(text, open_at):
    depth = 0
    for k in range(open_at, len(text)):
        if text[k] == "(":
            depth += 1
        elif text[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


def is_call_statement(mask, statement_start):
    """A whole statement that is a single call: `f(...);`, `a.b(...);`, `a->b(...);`."""
    if not statement_start or not CALL_STATEMENT.match(mask) or NOT_A_CALL.match(mask):
        return False
    open_at = mask.index("(")
    if "=" in mask[:open_at]:
        return False
    return matching_paren(mask, open_at) == mask.rstrip().rstrip(";").rstrip().__len__() - 1


def mutants_of_line(path, number, line, mask, statement_start):
    found = []

    def add(kind, start, end, replacement):
        found.append(Mutant(path, number, kind, line, line[:start] + replacement + line[end:]))

    for kind, pattern, table in SWAPS:
        for m in re.finditer(pattern, mask):
            add(kind, m.start(), m.end(), table[m.group(1)])
    for m in CONSTANT.finditer(mask):
        value = int(m.group(1))
        add("constant moved", m.start(), m.end(), str(value + 1))
        if value > 0:
            add("constant moved", m.start(), m.end(), str(value - 1))
    for m in IF.finditer(mask):
        close = matching_paren(mask, m.end() - 1)
        if close > 0:
            inner = line[m.end():close]
            add("condition negated", m.end(), close, "!(" + inner + ")")
    m = RETURN.search(mask)
    if m:
        value = mask[m.start(1):m.end(1)].strip()
        if value == "true":
            add("return replaced", m.start(1), m.end(1), "false")
        elif value == "false":
            add("return replaced", m.start(1), m.end(1), "true")
        elif value not in ("{}", "0", "nullptr", "std::nullopt") and not value.startswith("co_"):
            add("return replaced", m.start(1), m.end(1), "{}")
    if is_call_statement(mask, statement_start):
        indent = line[: len(line) - len(line.lstrip())]
        found.append(Mutant(path, number, "call removed", line, indent + ";\n"))
    return found


def mutants_of_file(path):
    text = (ROOT / path).read_text().splitlines(keepends=True)
    in_comment = False
    found = []
    previous = ";"  # the end of the last line with code: does this line start a statement?
    for index, line in enumerate(text):
        mask, in_comment = masked(line.rstrip("\n"), in_comment)
        stripped = mask.strip()
        if not stripped or stripped.startswith("#"):
            continue
        statement_start = previous[-1] in ";{}:"
        previous = stripped
        if "mutate: skip" in line:
            continue
        if stripped.startswith(("static_assert", "namespace", "using ", "template", "enum")):
            continue
        found.extend(mutants_of_line(path, index + 1, line, mask, statement_start))
    return found


def compiled_sources():
    """The sources this machine's build compiles (the Windows port's are not)."""
    database = json.loads((BUILD / "compile_commands.json").read_text())
    return {os.path.normpath(os.path.join(e["directory"], e["file"])) for e in database}


def source_files(paths):
    compiled = compiled_sources()
    files = []
    for given in paths or DEFAULT_FOLDERS:
        target = ROOT / given
        if target.is_file():
            files.append(target)
            continue
        for source in sorted(target.glob("*.cpp")):
            if str(source) not in compiled:
                continue
            # views/ holds the shared field and cycle code beside the windows; the windows
            # (frm*) are not part of the default set.
            if given == "views" and not paths and source.name.startswith("frm"):
                continue
            files.append(source)
    return [str(f.relative_to(ROOT)) for f in files]


def replayed(wanted, everything, outcomes):
    """The mutants of a sample file's entries, matched by file, kind and text; the nearest line
    wins where a text occurs more than once. Those whose line is gone are named and left out.
    With `outcomes`, only the entries of an earlier run's outcomes file that ended so."""
    if outcomes:
        wanted = [e for e in wanted if e.get("outcome") in outcomes]
    chosen = []
    for entry in wanted:
        same = [m for m in everything if (m.path, m.kind, m.before, m.after) ==
                (entry["path"], entry["kind"], entry["before"], entry["after"])]
        if not same:
            print(f"mutate: no longer in the sources: {entry['path']}:{entry['line']} "
                  f"{entry['before'].strip()}", flush=True)
            continue
        chosen.append(min(same, key=lambda m: abs(m.line - entry["line"])))
    return chosen


# --- the source tree, always restored -----------------------------------------------------

class Restorer:
    """Holds the original text of the file being mutated and puts it back."""

    def __init__(self):
        self.original = None  # (path, text)

    def recover_from_killed_run(self):
        if PENDING.exists():
            saved = json.loads(PENDING.read_text())
            (ROOT / saved["path"]).write_text(saved["text"])
            PENDING.unlink()
            print(f"mutate: restored {saved['path']}, left mutated by a run that was killed")

    def apply(self, mutant):
        source = ROOT / mutant.path
        text = source.read_text()
        PENDING.write_text(json.dumps({"path": mutant.path, "text": text}))
        self.original = (mutant.path, text)
        lines = text.splitlines(keepends=True)
        assert lines[mutant.line - 1] == mutant.before, "source changed under the runner"
        lines[mutant.line - 1] = mutant.after
        source.write_text("".join(lines))

    def restore(self):
        if self.original:
            path, text = self.original
            (ROOT / path).write_text(text)
            self.original = None
        if PENDING.exists():
            PENDING.unlink()


# --- building and testing -------------------------------------------------------------------

def run(command, timeout=None, **kw):
    return subprocess.run(command, cwd=ROOT, capture_output=True, text=True, timeout=timeout, **kw)


def configure():
    BUILD.mkdir(exist_ok=True)
    done = run(["cmake", "-S", ".", "-B", str(BUILD), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                "-DCMAKE_CXX_FLAGS_DEBUG=-O0", "-DQUELBY_BENCHMARKS=OFF",
                "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON"])
    if done.returncode != 0:
        sys.exit("mutate: cmake failed:\n" + done.stdout + done.stderr)


def build(jobs):
    return run(["cmake", "--build", str(BUILD), "--parallel", str(jobs)])


def binaries():
    found = {}
    for path in (BUILD / "bin").iterdir():
        if path.is_file() and os.access(path, os.X_OK):
            found[path.name] = path.stat().st_mtime_ns
    return found


def tests_to_run(before, after):
    changed = {name for name, stamp in after.items() if before.get(name) != stamp}
    tests = {name for name in changed if name.endswith("_tests")}
    for program, starters in STARTED_BY.items():
        if program in changed:
            tests.update(starters)
    # The Windows port's tests run only under Wine.
    tests.discard("quelby_windows_port_tests")
    return sorted(t for t in tests if (BUILD / "bin" / t).exists())


def run_tests(tests, limits, jobs):
    """'killed', 'survived' or 'timeout' for the given test programs, run in parallel."""
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    waiting = list(tests)
    running = {}
    try:
        return run_until_first_failure(waiting, running, limits, jobs, environment)
    finally:
        for process, _ in running.values():
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()


def run_until_first_failure(waiting, running, limits, jobs, environment):
    while waiting or running:
        while waiting and len(running) < jobs:
            name = waiting.pop(0)
            process = subprocess.Popen([str(BUILD / "bin" / name), "--gtest_fail_fast",
                                        "--gtest_brief=1"], cwd=BUILD, env=environment,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       stdin=subprocess.DEVNULL, start_new_session=True)
            running[name] = (process, time.monotonic())
        time.sleep(0.05)
        for name, (process, started) in list(running.items()):
            status = process.poll()
            if status is None and time.monotonic() - started > limits.get(name, 120):
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
                status = "timeout"
            if status is None:
                continue
            del running[name]
            if status != 0:
                return "timeout" if status == "timeout" else "killed"
    return "survived"


def baseline_limits(jobs):
    """Runs every test program once on the unmutated build: all must pass. Each one's limit
    is three times its own time, at least 20 s."""
    limits = {}
    names = sorted(n for n in binaries() if n.endswith("_tests") and n != "quelby_windows_port_tests")
    for name in names:
        started = time.monotonic()
        result = run_tests([name], {name: 1800}, 1)
        if result != "survived":
            sys.exit(f"mutate: {name} fails without any mutant; fix the tests first")
        limits[name] = max(20.0, 3 * (time.monotonic() - started))
    return limits


# --- the run --------------------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("paths", nargs="*", help="source files or folders (default: "
                        + ", ".join(DEFAULT_FOLDERS) + " without the windows; with --replay, "
                        "the files its mutants were made in)")
    parser.add_argument("--sample", type=int, default=0, help="mutants to try (default all)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--report", default=str(BUILD / "survivors.txt"))
    parser.add_argument("--list", action="store_true", help="list the mutants, run nothing")
    parser.add_argument("--replay", metavar="FILE",
                        help="try exactly the mutants of an earlier run's sample file (each found "
                             "by its file and text, wherever its line is now)")
    parser.add_argument("--only", metavar="OUTCOMES", default="",
                        help="with --replay of an outcomes file: only the mutants that ended so, "
                             "e.g. killed,timeout")
    options = parser.parse_args()

    configure()
    wanted = json.loads(Path(options.replay).read_text()) if options.replay else []
    paths = options.paths
    if options.replay and not paths:
        # A replay looks in the files its mutants were made in, the windows' included.
        paths = sorted({entry["path"] for entry in wanted})
    files = source_files(paths)
    everything = [m for f in files for m in mutants_of_file(f)]
    chosen = everything
    if options.replay:
        chosen = replayed(wanted, everything, set(filter(None, options.only.split(","))))
    elif options.sample and options.sample < len(everything):
        chosen = sorted(everything, key=lambda m: m.draw(options.seed))[:options.sample]
    # Grouped by file: each file is rebuilt once more when the runner moves on.
    chosen.sort(key=lambda m: (m.path, m.line, m.kind, m.after))
    print(f"mutate: {len(chosen)} of {len(everything)} mutants in {len(files)} files "
          f"(seed {options.seed})", flush=True)
    BUILD.mkdir(exist_ok=True)
    (BUILD / "sample.json").write_text(json.dumps([dataclasses.asdict(m) for m in chosen], indent=0))
    if options.list:
        signal.signal(signal.SIGPIPE, signal.SIG_DFL)
        for m in chosen:
            print(m.describe())
        return 0

    restorer = Restorer()
    BUILD.mkdir(exist_ok=True)
    restorer.recover_from_killed_run()

    def stop(signum, frame):
        raise KeyboardInterrupt
    signal.signal(signal.SIGTERM, stop)

    results = {}
    survivors = []
    ended = []  # each mutant tried, with its outcome, for a later --replay --only
    started = time.monotonic()
    try:
        first = build(options.jobs)
        if first.returncode != 0:
            sys.exit("mutate: the unmutated tree does not build:\n" + first.stdout[-3000:])
        limits = baseline_limits(options.jobs)
        print(f"mutate: baseline green in {time.monotonic() - started:.0f} s", flush=True)
        for number, mutant in enumerate(chosen, 1):
            before = binaries()
            restorer.apply(mutant)
            try:
                built = build(options.jobs)
                if built.returncode != 0:
                    outcome = "not compiling"
                else:
                    tests = tests_to_run(before, binaries())
                    outcome = run_tests(tests, limits, options.jobs) if tests else "survived"
            finally:
                restorer.restore()
            results.setdefault(mutant.path, {}).setdefault(outcome, 0)
            results[mutant.path][outcome] += 1
            if outcome == "survived":
                survivors.append(mutant)
            ended.append(dict(dataclasses.asdict(mutant), outcome=outcome))
            (BUILD / "outcomes.json").write_text(json.dumps(ended, indent=0))
            print(f"[{number}/{len(chosen)}] {outcome:13} {mutant.describe()}", flush=True)
    except KeyboardInterrupt:
        print("mutate: stopped; the sources are as they were", file=sys.stderr)
        return 130
    finally:
        restorer.restore()

    write_report(options.report, survivors)
    print_table(results)
    print(f"mutate: {time.monotonic() - started:.0f} s; survivors in {options.report}")
    killed = sum(r.get("killed", 0) + r.get("timeout", 0) for r in results.values())
    counted = sum(sum(v for k, v in r.items() if k != "not compiling") for r in results.values())
    percent = 100.0 * killed / counted if counted else 0.0
    print(f"mutation score: {killed} of {counted} killed ({percent:.1f} %)")
    return 0


def write_report(path, survivors):
    Path(path).parent.mkdir(parents=True, exist_ok=True)
    with open(path, "w") as report:
        for mutant in survivors:
            report.write(mutant.describe() + "\n")


def print_table(results):
    kinds = ["killed", "timeout", "survived", "not compiling"]
    print(f"{'file':44} " + " ".join(f"{k:>13}" for k in kinds))
    folders = {}
    for path in sorted(results):
        row = results[path]
        print(f"{path:44} " + " ".join(f"{row.get(k, 0):>13}" for k in kinds))
        folder = folders.setdefault(os.path.dirname(path), {})
        for k, v in row.items():
            folder[k] = folder.get(k, 0) + v
    print()
    for folder, row in sorted(folders.items()):
        counted = sum(v for k, v in row.items() if k != "not compiling")
        killed = row.get("killed", 0) + row.get("timeout", 0)
        share = f"{100.0 * killed / counted:.1f} %" if counted else "-"
        print(f"{folder + '/':44} " + " ".join(f"{row.get(k, 0):>13}" for k in kinds) + f"  {share}")


if __name__ == "__main__":
    sys.exit(main())
