#!/usr/bin/env python3
"""The fault matrix: quelby-cli against quelby-sim, each fault the simulated board can inject
against each operation, every cell judged by what it left behind.

A cell is good when it ends in one of two ways:
  right result       every command exited 0 and the output, the files and the board hold exactly
                     what a run without the fault gives (itself checked against what was asked);
  reported failure   a command exited non-zero with a message, printed no value that was not
                     right, left every file byte for byte as it was, and changed no byte or PLS
                     setting on the board to anything the command did not ask for.
Anything else is reported as the fault it is (a partial file, a wrong value, a byte nobody asked
for, a hang, a crash) and makes the run fail.

Then the files the program saves (a set-up file from 'dataset new' and from 'upload', an export,
a program upload) are saved onto a full file system and into a read-only folder: each must fail
with a message and leave the previous file whole.

The wrong echo is put on an answer the link can check (an echo, an acknowledgement, a program
record's sum). The data byte that answers a read or a PLS fetch has neither echo nor sum: one
altered on the line is read as the board's value, and reading each value twice would not help
with values the running line changes between two reads. Only the bit write, which writes the
byte back, reads it twice.

Usage: fault_matrix.py --bin DIR --samples DIR [--short] [--jobs N]
"""

import argparse
import concurrent.futures
import hashlib
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time

CLI_SECONDS = 120  # a command still running after this is a hang
IDENTITY_ADDRESS = 0xEFF0  # the program identity on the board
PROGRAM_MEMORY = range(0x4000, 0xC000)  # the K650's program memory


def program_download_asks(address, value):
    """What a program download may leave beyond its clean result when it fails: it replaces
    the whole program memory, and program mode has no echo, so a byte lost there shifts the
    record's bytes (reported by the record's checksum, after they are stored); and it arms the
    board's program mode by writing 86 to B8181, which the board clears only when the download
    leaves program mode as planned."""
    return address in PROGRAM_MEMORY or (address == 8181 and value == 86)
SIM_START_SECONDS = 10

# --- the simulated board and the command line ----------------------------------------------


class Tools:
    def __init__(self, bin_dir, samples):
        bin_dir = os.path.abspath(bin_dir)
        self.sim = os.path.join(bin_dir, "quelby-sim")
        self.cli = os.path.join(bin_dir, "quelby-cli")
        self.samples = os.path.abspath(samples)

    def run_cli(self, args, cwd, device=None, preexec=None):
        """Runs quelby-cli; returns (status, stdout, stderr); status None for a hang."""
        head = [self.cli] + (["--device", device] if device else [])
        try:
            done = subprocess.run(head + args, cwd=cwd, capture_output=True, text=True,
                                  stdin=subprocess.DEVNULL, timeout=CLI_SECONDS,
                                  preexec_fn=preexec)
        except subprocess.TimeoutExpired as hang:
            return None, hang.stdout or "", hang.stderr or ""
        return done.returncode, done.stdout, done.stderr


class Sim:
    """quelby-sim with a dump at exit, as a context manager."""

    def __init__(self, tools, args, dump_path):
        self.dump_path = dump_path
        self.proc = subprocess.Popen([tools.sim, "--still", "--dump", dump_path] + args,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                     stdin=subprocess.DEVNULL, text=True)
        self.device = self.proc.stdout.readline().strip()
        if not self.device:
            self.proc.wait(SIM_START_SECONDS)
            raise RuntimeError("quelby-sim did not start: " + self.proc.stderr.read())
        self.status = None

    def stop(self):
        if self.status is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.status = self.proc.wait(SIM_START_SECONDS)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.status = self.proc.wait()
        return self.status

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


class Dump:
    """The board's state as quelby-sim --dump wrote it."""

    def __init__(self, text):
        self.received = 0
        self.pls = {}  # "scale", "download", "channel N" -> text
        rows = {}
        for line in text.splitlines():
            if line.startswith("received "):
                self.received = int(line.split()[1])
            elif line.startswith("memory "):
                _, address, data = line.split()
                rows[int(address, 16)] = bytes.fromhex(data)
            elif line.startswith("pls channel "):
                name, _, setpoints = line.partition(":")
                self.pls[name[4:]] = setpoints.split()
            elif line.startswith("pls download "):
                self.pls["download"] = line.split()[2:]
            elif line.startswith("pls scale "):
                self.pls["scale"] = line.split()[2:]
        self.memory = b"".join(rows[a] for a in sorted(rows))
        if len(self.memory) != 65536:
            raise ValueError("a dump without the whole memory")

    @staticmethod
    def read(path):
        with open(path) as f:
            return Dump(f.read())


def board_state(tools, presets, folder, name):
    """The board as quelby-sim holds it after `presets`, with no client: what it was told."""
    path = os.path.join(folder, name)
    with Sim(tools, preset_args(presets), path) as sim:
        sim.stop()
    return Dump.read(path)


def preset_args(presets):
    args = []
    for address, value in presets:
        args += ["--set", "%s=%d" % (address, value)]
    return args


# --- what each operation does and what it must leave -----------------------------------------


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def folder_files(folder):
    return {name: digest(os.path.join(folder, name)) for name in sorted(os.listdir(folder))
            if os.path.isfile(os.path.join(folder, name))}


def dataset_points(text):
    """'INDEX ADDRESS VALUE' lines of 'dataset show' to [(address, value)]."""
    points = []
    for line in text.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[0].isdigit() and parts[1] != "-":
            points.append((parts[1], int(parts[2])))
    return points


def intel_hex(path):
    """{address: byte} of an Intel HEX file's data records."""
    memory = {}
    with open(path) as f:
        for line in f:
            line = line.strip()
            if not line.startswith(":"):
                continue
            record = bytes.fromhex(line[1:])
            length, address, kind = record[0], (record[1] << 8) | record[2], record[3]
            if kind == 0:
                for i, byte in enumerate(record[4:4 + length]):
                    memory[(address + i) & 0xFFFF] = byte
    return memory


class Operation:
    """One operation of the matrix: its files, its commands and how its clean run is checked."""

    def __init__(self, name, commands, watched=(), setup=None, output=False, board=True,
                 normalise=None, clean_check=None, also_asked=None):
        self.name = name
        self.commands = commands  # lists of quelby-cli arguments, run in order
        self.watched = watched    # files whose every byte is judged
        self.setup = setup        # fills the cell's folder before the run
        self.output = output      # standard output is a result
        self.board = board        # the commands talk to the board
        self.normalise = normalise or (lambda name, data: data)
        self.clean_check = clean_check
        # (address, value) -> True for what the commands may leave when they fail part way.
        self.also_asked = also_asked or (lambda address, value: False)


def make_operations(tools, presets, baseline, scratch):
    expected_write = board_state(tools, presets + [("W182", 4321)], scratch, "write.dump")
    expected_bit = board_state(tools, presets + [("B1016.3", 1)], scratch, "bit.dump")
    new_file = os.path.join(scratch, "new.sdt")
    tools.run_cli(["dataset", "new", new_file], scratch)
    _, shown, _ = tools.run_cli(["dataset", "show", new_file], scratch)
    expected_download = board_state(tools, presets + dataset_points(shown), scratch,
                                    "download.dump")
    values = dict(presets)
    read_addresses = ["W182", "B1016", "B1016.4", presets[2][0], presets[-1][0]]

    def copy_samples(folder):
        for name in ("K650DEMO.hbx", "K650DEMO.hex", "K650DEMO.rev"):
            shutil.copy(os.path.join(tools.samples, name), folder)

    def new_setup_file(folder):
        shutil.copy(new_file, os.path.join(folder, "set.sdt"))

    def previous_export(folder):
        new_setup_file(folder)
        with open(os.path.join(folder, "out.txt"), "w") as f:
            f.write("the previous export\n")
        with open(os.path.join(folder, "out.pdf"), "w") as f:
            f.write("the previous report\n")

    def memory_is(expected):
        def check(cell):
            return [] if cell.dump.memory == expected.memory else \
                ["board memory is not what was asked: " + memory_changes(expected, cell.dump)]
        return check

    def read_check(cell):
        want = "".join("%d\n" % board_value(baseline, a) for a in read_addresses)
        return [] if cell.stdout == want else ["read printed %r, the board holds %r" %
                                               (cell.stdout, want)]

    def pls_check(cell):
        problems = []
        if cell.stdout != "ON 10\nOFF 20\n":
            problems.append("recall printed %r" % cell.stdout)
        if cell.dump.pls.get("channel 3") != ["ON", "10", "OFF", "20"]:
            problems.append("channel 3 holds %s" % cell.dump.pls.get("channel 3"))
        return problems

    def program_download_check(cell):
        want = bytearray(baseline.memory)
        for address, byte in intel_hex(os.path.join(tools.samples, "K650DEMO.hex")).items():
            want[address] = byte
        # The identity from the rev file: ident (eight characters), checksum, revision.
        with open(os.path.join(tools.samples, "K650DEMO.rev")) as f:
            rev = f.read().strip()
        identity = rev[:8].encode() + bytes([(ord(rev[8]) - 48) * 16 + ord(rev[9]) - 48,
                                             int(rev[10:12])])
        want[IDENTITY_ADDRESS:IDENTITY_ADDRESS + len(identity)] = identity
        got = cell.dump.memory
        return [] if got == bytes(want) else [
            "program memory differs from K650DEMO.hex at %d bytes" %
            sum(1 for a, b in zip(got, want) if a != b)]

    def program_upload_check(cell):
        uploaded = intel_hex(os.path.join(cell.folder, "K650DEMO.hex"))
        wrong = [a for a, byte in uploaded.items() if baseline.memory[a] != byte]
        return ["the uploaded program differs from the board at %d bytes" % len(wrong)] \
            if wrong or not uploaded else []

    def upload_check(cell):
        _, shown, _ = tools.run_cli(["dataset", "show", os.path.join(cell.folder, "set.sdt")],
                                    cell.folder)
        wrong = [(a, v, values[a]) for a, v in dataset_points(shown) if a in values and
                 v != values[a]]
        return ["uploaded values differ from the board's: %s" % wrong[:4]] if wrong else []

    def export_check(cell):
        with open(os.path.join(cell.folder, "out.txt"), errors="replace") as f:
            text = f.read()
        return [] if text.startswith("set.sdt\n") and "Last Shift Trips per Spindle" in text \
            else ["the export is not whole"]

    def report_check(cell):
        with open(os.path.join(cell.folder, "out.pdf"), "rb") as f:
            pdf = f.read()
        return [] if pdf.startswith(b"%PDF-") and b"%%EOF" in pdf[-32:] else \
            ["the report is not a whole PDF"]

    def without_dates(name, data):
        # The export and the report carry the time they were made; nothing else may differ.
        if name.endswith(".txt"):
            return re.sub(rb"Date: [^\r\n]*", b"Date:", data)
        if name.endswith(".pdf"):
            return b"a whole PDF" if data.startswith(b"%PDF-") and b"%%EOF" in data[-32:] \
                else data
        return data

    return [
        Operation("read", [["read"] + read_addresses], output=True, clean_check=read_check),
        Operation("write", [["write", "W182", "4321"]], clean_check=memory_is(expected_write)),
        Operation("bit write", [["write", "B1016.3", "1"]], clean_check=memory_is(expected_bit)),
        Operation("PLS set, recall", [["pls", "set", "3", "10", "20", "--clear"],
                                      ["pls", "recall", "3"]],
                  output=True, clean_check=pls_check),
        Operation("program download", [["--yes", "program", "download", "K650DEMO.hbx"]],
                  watched=("K650DEMO.hbx", "K650DEMO.hex", "K650DEMO.rev"), setup=copy_samples,
                  clean_check=program_download_check, also_asked=program_download_asks),
        Operation("program upload", [["program", "upload", "K650DEMO.hbx"]],
                  watched=("K650DEMO.hbx", "K650DEMO.hex", "K650DEMO.rev"), setup=copy_samples,
                  clean_check=program_upload_check),
        Operation("upload all", [["--yes", "upload", "all", "set.sdt"]], watched=("set.sdt",),
                  setup=new_setup_file, clean_check=upload_check),
        Operation("download all", [["--yes", "download", "all", "set.sdt"]],
                  watched=("set.sdt",), setup=new_setup_file,
                  clean_check=memory_is(expected_download)),
        Operation("export", [["export", "set.sdt", "out.txt"]], watched=("set.sdt", "out.txt"),
                  setup=previous_export, board=False, normalise=without_dates,
                  clean_check=export_check),
        Operation("report", [["report", "set.sdt", "out.pdf"]], watched=("set.sdt", "out.pdf"),
                  setup=previous_export, board=False, normalise=without_dates,
                  clean_check=report_check),
    ]


def board_value(dump, address):
    """A few address forms the read operation uses: Wn, Bn, Bn.b, Dn."""
    match = re.fullmatch(r"([BWD])(\d+)(?:\.(\d))?", address)
    kind, number, bit = match.group(1), int(match.group(2)), match.group(3)
    if bit is not None:
        return (dump.memory[number] >> int(bit)) & 1
    size = {"B": 1, "W": 2, "D": 4}[kind]
    return int.from_bytes(dump.memory[number:number + size], "little")


def memory_changes(before, after, limit=4):
    changed = [a for a in range(65536) if before.memory[a] != after.memory[a]]
    shown = ", ".join("%04X %02X->%02X" % (a, before.memory[a], after.memory[a])
                      for a in changed[:limit])
    return "%d byte(s): %s%s" % (len(changed), shown, " ..." if len(changed) > limit else "")


# --- faults and cells ------------------------------------------------------------------------


class Fault:
    def __init__(self, name, args_for, board_only=True):
        self.name = name
        self.args_for = args_for  # the clean run's cell -> quelby-sim arguments
        self.board_only = board_only


def position_fault(label, option, where, offset=0, checkable_only=False):
    """A fault at a byte of the clean run: the third (early, in the first request), the middle
    one or the last but one. `offset` shifts the option's count (--stop-after N answers bytes
    up to N, so the first unanswered byte is N + 1). With `checkable_only` the byte is moved on
    to the next one whose answer the link can check."""
    def args(clean):
        received = clean.dump.received if clean else 0
        at = max(1, {"early": 3, "middle": received // 2, "late": received - 1}[where])
        if checkable_only and clean and clean.trace:
            positions = checkable_answers(clean.trace)
            later = [p for p in positions if p >= at]
            at = later[0] if later else positions[-1]
        return [option, str(max(at + offset, 1 + offset))]
    return Fault("%s %s" % (label, where), args)


def make_faults(short):
    wheres = ["middle"] if short else ["early", "middle", "late"]
    faults = [Fault("none", lambda clean: []), Fault("silent", lambda clean: ["--silent"])]
    for label, option, offset in (("wrong echo", "--wrong-echo", 0), ("byte lost", "--lose", 0),
                                  ("stops", "--stop-after", -1),
                                  ("pty closes", "--close-after", 0)):
        faults += [position_fault(label, option, where, offset, option == "--wrong-echo")
                   for where in wheres]
    seeds = [7] if short else [7, 11]
    for seed in seeds:
        # About three bytes of the run lost, wherever the draws put them.
        def loss(clean, seed=seed):
            received = clean.dump.received if clean else 0
            return ["--loss", "%.6f" % min(0.3, 3.0 / max(received, 1)), "--seed", str(seed)]
        faults.append(Fault("random loss s%d" % seed, loss))
    return faults


class Cell:
    def __init__(self, operation, fault, folder):
        self.operation = operation
        self.fault = fault
        self.folder = folder
        self.statuses = []
        self.stdout = ""
        self.stderr = ""
        self.dump = None
        self.before = {}
        self.after = {}
        self.seconds = 0.0
        self.sim_args = []
        self.trace = []
        self.problems = []
        self.verdict = ""


def read_trace(path):
    """quelby-sim --trace lines to [(received, answer or None)]."""
    with open(path) as f:
        return [(int(rx, 16), None if answer == "--" else int(answer, 16))
                for rx, answer in (line.split() for line in f if line.strip())]


def checkable_answers(trace):
    """Positions (from 1) of the answers the link can check: handshake and data
    acknowledgements (0x55), echoes of address and data bytes, and program record sums. Not
    the data a read or a PLS fetch brings back: the protocol has no echo or sum for those."""
    positions = []
    mode, phase, after_sync, previous_answered = None, 0, False, True
    for i, (rx, answer) in enumerate(trace, 1):
        if answer is None:
            previous_answered = False
            continue
        checkable = False
        if rx == 0xFF and answer == 0x55 and phase == 0:
            mode, after_sync, checkable = None, True, True
        elif after_sync:
            mode, phase, after_sync = {1: "read", 2: "write"}.get(rx, "other"), 0, False
            checkable = answer == 0x55
        elif not previous_answered:
            checkable = True  # a program record's sum
        elif mode == "read":
            checkable = phase == 0 and answer == rx
            phase = 1 - phase
        elif mode == "write":
            checkable = answer == rx
            phase = (phase + 1) % 3
        else:
            checkable = answer == 0x55 and rx != 0x55
        previous_answered = True
        if checkable:
            positions.append(i)
    return positions


def run_cell(tools, operation, fault, presets, scratch, clean):
    folder = tempfile.mkdtemp(prefix="cell-", dir=scratch)
    cell = Cell(operation, fault, folder)
    if operation.setup:
        operation.setup(folder)
    cell.before = folder_files(folder)
    cell.sim_args = fault.args_for(clean)
    trace_path = os.path.join(scratch, os.path.basename(folder) + ".trace")
    traced = ["--trace", trace_path] if not cell.sim_args else []
    start = time.monotonic()
    dump_path = os.path.join(scratch, os.path.basename(folder) + ".dump")
    with Sim(tools, preset_args(presets) + cell.sim_args + traced, dump_path) as sim:
        for command in operation.commands:
            status, out, err = tools.run_cli(command, folder, sim.device if operation.board
                                             else None)
            cell.statuses.append(status)
            cell.stdout += out
            cell.stderr += err
            if status != 0:
                break
        sim_status = sim.stop()
    cell.seconds = time.monotonic() - start
    if sim_status != 0:
        cell.problems.append("quelby-sim ended with status %s" % sim_status)
    cell.dump = Dump.read(dump_path)
    cell.after = folder_files(folder)
    cell.trace = read_trace(trace_path) if traced else []
    return cell


def judge(cell, clean, baseline):
    """Sets cell.verdict and cell.problems; clean is the fault-free run of the operation."""
    op = cell.operation
    problems = cell.problems
    if any(s is None for s in cell.statuses):
        problems.append("hung: still running after %d s" % CLI_SECONDS)
    odd = [s for s in cell.statuses if s not in (None, 0, 2, 3)]
    if odd:
        problems.append("exit status %s (a crash or a usage error)" % odd[0])
    succeeded = all(s == 0 for s in cell.statuses)

    def file_data(state_cell, name):
        with open(os.path.join(state_cell.folder, name), "rb") as f:
            return op.normalise(name, f.read())

    part_written = 0
    if clean is None:  # the clean run itself: checked against what was asked
        if not succeeded:
            problems.append("failed without a fault: " + cell.stderr.strip()[-200:])
        elif op.clean_check:
            problems += op.clean_check(cell)
    elif succeeded:
        if op.output and cell.stdout != clean.stdout:
            problems.append("printed %r where the board holds %r" % (cell.stdout, clean.stdout))
        if set(cell.after) != set(clean.after):
            problems.append("files %s where the clean run leaves %s" %
                            (sorted(cell.after), sorted(clean.after)))
        else:
            for name in cell.after:
                if file_data(cell, name) != file_data(clean, name):
                    problems.append("%s differs from the clean run's" % name)
        if cell.dump.memory != clean.dump.memory:
            problems.append("board memory differs from the clean run's: " +
                            memory_changes(clean.dump, cell.dump))
        if cell.dump.pls != clean.dump.pls:
            problems.append("PLS differs from the clean run's")
    else:
        if not cell.stderr.strip():
            problems.append("failed without a message")
        if op.output:
            clean_lines = clean.stdout.splitlines()
            for i, line in enumerate(cell.stdout.splitlines()):
                if i >= len(clean_lines) or line != clean_lines[i]:
                    problems.append("printed %r, which the board does not hold" % line)
                    break
        if cell.after != cell.before:
            changed = sorted(set(cell.after.items()) ^ set(cell.before.items()))
            problems.append("files changed: %s" % sorted({name for name, _ in changed}))
        # Every byte that moved must hold what the command asked for there.
        unasked = [a for a in range(65536) if cell.dump.memory[a] != baseline.memory[a] and
                   cell.dump.memory[a] != clean.dump.memory[a] and
                   not op.also_asked(a, cell.dump.memory[a])]
        if unasked:
            problems.append("board bytes nobody asked for: " + ", ".join(
                "%04X %02X->%02X" % (a, baseline.memory[a], cell.dump.memory[a])
                for a in unasked[:4]) + (" ..." if len(unasked) > 4 else ""))
        problems += pls_unasked(baseline.pls, clean.dump.pls, cell.dump.pls)
        part_written = sum(1 for a in PROGRAM_MEMORY if cell.dump.memory[a] != baseline.memory[a]
                           and cell.dump.memory[a] != clean.dump.memory[a])

    if problems:
        cell.verdict = "WRONG: " + "; ".join(problems)
    elif succeeded:
        cell.verdict = "right result"
    else:
        moved = sum(1 for a in range(65536) if cell.dump.memory[a] != baseline.memory[a]) + \
            sum(1 for k in cell.dump.pls if cell.dump.pls[k] != baseline.pls.get(k))
        if moved == 0:
            cell.verdict = "reported failure, nothing changed"
        elif part_written:
            cell.verdict = "reported failure, nothing changed that was not asked; the program " \
                "memory it replaces is part-written (%d byte(s) not the file's)" % part_written
        else:
            cell.verdict = "reported failure, nothing changed that was not asked " \
                "(%d asked item(s) done)" % moved
    return not problems


def pls_unasked(before, clean, after):
    problems = []
    for key in sorted(after):
        got, was, want = after[key], before.get(key), clean.get(key)
        if got in (was, want):
            continue
        if key.startswith("channel") and want is not None and got == want[:len(got)]:
            continue  # a channel part way through being programmed as asked
        if key == "download" and all(g in (w0, w1) for g, w0, w1 in zip(got, was, want)):
            continue
        problems.append("PLS %s holds %s, asked %s" % (key, " ".join(got), " ".join(want)))
    return problems


# --- full file system and read-only folder ---------------------------------------------------


def try_mount(folder, size):
    done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%s" % size, "tmpfs", folder],
                          capture_output=True)
    return done.returncode == 0


def unmount(folder):
    subprocess.run(["umount", folder], capture_output=True)


def fill(folder, leave=0):
    """Fills the file system of `folder` to the last byte, then frees `leave` bytes."""
    with open(os.path.join(folder, "filler"), "wb", buffering=0) as f:
        for size in (65536, 4096, 256, 16, 1):
            try:
                while f.write(b"\0" * size):
                    pass
            except OSError:
                pass
        if leave:
            f.truncate(max(0, f.tell() - leave))


def save_checks(tools, presets, scratch, allow_mount=True):
    """Each save onto a full file system and into a read-only folder: a message, a failing
    status and the previous file whole, nothing else left there."""
    new_file = os.path.join(scratch, "new.sdt")

    def previous_setup(folder):
        shutil.copy(new_file, os.path.join(folder, "set.sdt"))

    def previous_text(folder):
        with open(os.path.join(folder, "set.sdt"), "w") as f:
            f.write("the previous set-up file\n")

    def previous_export(folder):
        previous_setup(folder)
        with open(os.path.join(folder, "out.txt"), "w") as f:
            f.write("the previous export\n")

    def previous_program(folder):
        for name in ("K650DEMO.hbx", "K650DEMO.hex", "K650DEMO.rev"):
            shutil.copy(os.path.join(tools.samples, name), folder)

    saves = [
        ("dataset new", previous_text, ["--yes", "dataset", "new", "set.sdt"], False),
        ("upload all", previous_setup, ["--yes", "upload", "all", "set.sdt"], True),
        ("export", previous_export, ["export", "set.sdt", "out.txt"], False),
        ("program upload", previous_program, ["program", "upload", "K650DEMO.hbx"], True),
    ]
    rows = []
    probe = tempfile.mkdtemp(prefix="mount-", dir=scratch)
    can_mount = allow_mount and try_mount(probe, "64k")
    if can_mount:
        unmount(probe)
    # A program upload saves several files: with room for the small ones only, none of them
    # may be replaced (never a new revision file beside the old hex file).
    room_left = 8192
    places = [("full file system", saves),
              ("%d bytes left" % room_left, [s for s in saves if s[0] == "program upload"]),
              ("read-only folder", saves)]
    for place, place_saves in places:
        for name, setup, command, board in place_saves:
            folder = tempfile.mkdtemp(prefix="save-", dir=scratch)
            preexec = None
            how = ""
            if can_mount:
                try_mount(folder, "1m")
                setup(folder)
                if place == "full file system":
                    fill(folder)
                    how = "tmpfs filled"
                elif place != "read-only folder":
                    fill(folder, room_left)
                    how = "tmpfs filled but for %d bytes" % room_left
                else:
                    subprocess.run(["mount", "-o", "remount,ro", folder], check=True)
                    how = "tmpfs mounted read-only"
            else:
                setup(folder)
                if place != "read-only folder":
                    # Fewer bytes than any file saved here, or room for the small ones only.
                    limit = 8 if place == "full file system" else room_left

                    def preexec(limit=limit):
                        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
                        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
                    how = "file size limit %d bytes" % limit
                else:
                    os.chmod(folder, 0o555)
                    how = "folder mode 555"
                    if os.geteuid() == 0:
                        rows.append((place, name, "-", "SKIPPED: no mount, and root writes "
                                     "into any folder"))
                        os.chmod(folder, 0o755)
                        continue
            before = folder_files(folder)
            before.pop("filler", None)
            sim_dump = os.path.join(scratch, os.path.basename(folder) + ".dump")
            with Sim(tools, preset_args(presets), sim_dump) as sim:
                status, _, err = tools.run_cli(command, folder, sim.device if board else None,
                                               preexec)
            after = folder_files(folder)
            after.pop("filler", None)
            problems = []
            if status in (0, None) or status >= 64 or status < 0:
                problems.append("exit status %s" % status)
            if not err.strip():
                problems.append("no message")
            if after != before:
                problems.append("files changed: %s" % sorted(
                    {n for n, _ in set(after.items()) ^ set(before.items())}))
            message = err.strip().splitlines()[-1] if err.strip() else ""
            verdict = ("WRONG: " + "; ".join(problems)) if problems else \
                "reported failure, previous file whole (%s): %s" % (how, message[:90])
            rows.append((place, name, status, verdict))
            if can_mount:
                unmount(folder)
            else:
                os.chmod(folder, 0o755)
    return rows


# --- the run ---------------------------------------------------------------------------------


def make_presets(tools, scratch):
    """Every data point of a set-up file, and the items the single operations use, set to
    values unlike the defaults, so that any transfer shows in the board or the file."""
    new_file = os.path.join(scratch, "new.sdt")
    tools.run_cli(["dataset", "new", new_file], scratch)
    _, shown, _ = tools.run_cli(["dataset", "show", new_file], scratch)
    presets = [("W182", 1111), ("B1016", 0x90)]
    seen = {"W182", "B1016"}
    for i, (address, _) in enumerate(dataset_points(shown)):
        if address in seen:
            continue
        seen.add(address)
        if "." in address or address.startswith("F"):
            value = 1
        elif address.startswith("B"):
            value = (i * 37 + 11) % 255 + 1
        elif address.startswith("W"):
            value = (i * 1237 + 101) % 65535 + 1
        else:
            value = i * 100003 + 17
        presets.append((address, value))
    return presets


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bin", required=True, help="folder holding quelby-cli and quelby-sim")
    parser.add_argument("--samples", required=True, help="folder holding K650DEMO.hbx/hex/rev")
    parser.add_argument("--short", action="store_true",
                        help="each operation once without a fault and once with one fault, "
                             "every fault at least once")
    parser.add_argument("--jobs", type=int, default=2, help="cells run side by side")
    parser.add_argument("--no-mount", action="store_true",
                        help="fill no tmpfs: a file size limit stands for the full file system "
                             "and a folder without write permission for the read-only one "
                             "(skipped for root, who writes anyway); the default where mounting "
                             "is not allowed")
    options = parser.parse_args()
    tools = Tools(options.bin, options.samples)
    started = time.monotonic()
    scratch = tempfile.mkdtemp(prefix="quelby-fault-matrix-")
    try:
        presets = make_presets(tools, scratch)
        baseline = board_state(tools, presets, scratch, "baseline.dump")
        operations = make_operations(tools, presets, baseline, scratch)
        faults = make_faults(options.short)
        none = faults[0]

        clean = {}
        with concurrent.futures.ThreadPoolExecutor(options.jobs) as pool:
            for op, cell in zip(operations, pool.map(
                    lambda op: run_cell(tools, op, none, presets, scratch, None), operations)):
                judge(cell, None, baseline)
                clean[op.name] = cell

        if options.short:
            # Each link fault on a different operation, the rest again on those without a link.
            link_ops = [op for op in operations if op.board]
            others = [op for op in operations if not op.board]
            pairs = [(op, faults[1 + i % (len(faults) - 1)]) for i, op in enumerate(link_ops)]
            pairs += [(op, faults[1 + (len(link_ops) + i) % (len(faults) - 1)])
                      for i, op in enumerate(others)]
        else:
            pairs = [(op, fault) for op in operations for fault in faults[1:]]

        def faulted(pair):
            op, fault = pair
            cell = run_cell(tools, op, fault, presets, scratch, clean[op.name])
            judge(cell, clean[op.name], baseline)
            return cell

        with concurrent.futures.ThreadPoolExecutor(options.jobs) as pool:
            cells = list(pool.map(faulted, pairs))

        by_op = {op.name: [clean[op.name]] for op in operations}
        for cell in cells:
            by_op[cell.operation.name].append(cell)
        bad = 0
        print("%-17s %-20s %-26s %-6s %s" % ("operation", "fault", "quelby-sim", "exit",
                                            "verdict"))
        for op in operations:
            for cell in by_op[op.name]:
                exits = "/".join("hang" if s is None else str(s) for s in cell.statuses)
                bad += cell.verdict.startswith("WRONG")
                print("%-17s %-20s %-26s %-6s %s" % (op.name, cell.fault.name,
                                                    " ".join(cell.sim_args) or "-", exits,
                                                    cell.verdict))
        print()
        print("%-17s %-20s %-6s %s" % ("save", "onto", "exit", "verdict"))
        for place, name, status, verdict in save_checks(tools, presets, scratch,
                                                        not options.no_mount):
            bad += verdict.startswith("WRONG")
            print("%-17s %-20s %-6s %s" % (name, place, status, verdict))
        print()
        print("%d cell(s) wrong; %.0f s" % (bad, time.monotonic() - started))
        return 1 if bad else 0
    finally:
        for entry in os.listdir(scratch):
            path = os.path.join(scratch, entry)
            if os.path.ismount(path):
                unmount(path)
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
