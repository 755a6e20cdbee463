#!/usr/bin/env python3
"""The fault matrix's verdicts on made-up runs: a judge that let a wrong run pass would hide
exactly the faults the matrix is there to find. Argument: the folder holding fault_matrix.py."""
import os
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, sys.argv.pop(1))
import fault_matrix as fm  # noqa: E402

MEMORY_LINES = "".join("memory %04X %s\n" % (a, "00" * 32) for a in range(0, 65536, 32))


def dump(pokes=(), channel3=""):
    memory = bytearray(65536)
    for address, value in pokes:
        memory[address] = value
    d = fm.Dump("received 10\nlost 0\npls scale 360 offset 0\npls download" + " 00" * 24 +
                "\npls channel 3:" + channel3 + "\n" + MEMORY_LINES)
    d.memory = bytes(memory)
    return d


class Run:
    """A cell as run_cell leaves it, in a folder of its own."""

    def __init__(self, op, statuses, pokes=(), channel3="", stdout="", stderr="", files=None):
        self.folder = tempfile.mkdtemp()
        self.cell = fm.Cell(op, fm.Fault("test", lambda clean: []), self.folder)
        self.cell.statuses = statuses
        self.cell.stdout, self.cell.stderr = stdout, stderr
        self.cell.dump = dump(pokes, channel3)
        self.cell.before = {"set.sdt": "old"}
        for name, text in (files or {}).items():
            with open(os.path.join(self.folder, name), "w") as f:
                f.write(text)
        self.cell.after = fm.folder_files(self.folder)

    def judge(self, clean=None, baseline=None):
        ok = fm.judge(self.cell, clean.cell if clean else None, baseline or dump())
        return ok, self.cell.verdict


class Judge(unittest.TestCase):
    def setUp(self):
        self.op = fm.Operation("write", [["write"]], output=True)
        self.clean = Run(self.op, [0], pokes=[(182, 0xE1), (183, 0x10)], stdout="4321\n",
                         files={"set.sdt": "new"})
        self.clean.cell.before = {"set.sdt": fm.digest(os.path.join(self.clean.folder,
                                                                      "set.sdt"))}

    def test_a_failure_may_leave_only_what_was_asked_and_must_say_so(self):
        partial = Run(self.op, [2], pokes=[(182, 0xE1)], stderr="failed\n")
        partial.cell.before = partial.cell.after
        self.assertEqual(partial.judge(self.clean),
                         (True, "reported failure, nothing changed that was not asked "
                                "(1 asked item(s) done)"))
        stray = Run(self.op, [2], pokes=[(182, 0xE1), (0x0300, 0xFF)], stderr="failed\n")
        stray.cell.before = stray.cell.after
        ok, verdict = stray.judge(self.clean)
        self.assertFalse(ok)
        self.assertIn("board bytes nobody asked for: 0300 00->FF", verdict)
        silent = Run(self.op, [2])
        silent.cell.before = silent.cell.after
        self.assertIn("failed without a message", silent.judge(self.clean)[1])
        wrong_value = Run(self.op, [2], pokes=[(182, 0xE0)], stderr="failed\n")
        wrong_value.cell.before = wrong_value.cell.after
        self.assertFalse(wrong_value.judge(self.clean)[0], "a value neither old nor asked")

    def test_a_failure_keeps_every_file_and_prints_no_value_the_board_does_not_hold(self):
        touched = Run(self.op, [2], stderr="failed\n", files={"set.sdt": "half"})
        self.assertIn("files changed: ['set.sdt']", touched.judge(self.clean)[1])
        printed = Run(self.op, [2], stdout="4320\n", stderr="failed\n")
        printed.cell.before = printed.cell.after
        self.assertIn("printed '4320'", printed.judge(self.clean)[1])

    def test_a_success_must_match_the_clean_run_in_output_files_and_board(self):
        same = Run(self.op, [0], pokes=[(182, 0xE1), (183, 0x10)], stdout="4321\n",
                   files={"set.sdt": "new"})
        self.assertEqual(same.judge(self.clean), (True, "right result"))
        for run, problem in (
                (Run(self.op, [0], pokes=[(182, 0xE1), (183, 0x11)], stdout="4321\n",
                     files={"set.sdt": "new"}), "board memory differs"),
                (Run(self.op, [0], pokes=[(182, 0xE1), (183, 0x10)], stdout="4321\n",
                     files={"set.sdt": "other"}), "set.sdt differs"),
                (Run(self.op, [0], pokes=[(182, 0xE1), (183, 0x10)], stdout="4322\n",
                     files={"set.sdt": "new"}), "printed '4322\\n'"),
                (Run(self.op, [None], stderr="x"), "hung"),
                (Run(self.op, [139], stderr="x"), "exit status 139")):
            self.assertIn(problem, run.judge(self.clean)[1])

    def test_a_pls_channel_part_way_through_its_asked_setpoints_is_asked(self):
        asked = ["ON", "10", "OFF", "20"]
        self.assertEqual(fm.pls_unasked({"channel 3": []}, {"channel 3": asked},
                                        {"channel 3": ["ON", "10"]}), [])
        self.assertEqual(len(fm.pls_unasked({"channel 3": []}, {"channel 3": asked},
                                            {"channel 3": ["ON", "255", "OFF", "20"]})), 1)


class Echoes(unittest.TestCase):
    def test_only_answers_the_link_can_check_are_chosen_for_a_wrong_echo(self):
        # B1016 holds F8: the answer to its low address byte looks like an echo, but is data.
        trace = [(0xFF, 0x55), (0x01, 0x55), (0x03, 0x03), (0xF8, 0xF8),   # read B1016
                 (0xFF, 0x55), (0x02, 0x55), (0x00, 0x00), (0xB6, 0xB6), (0x00, 0x00),
                 (0xFF, 0x55), (0x1B, 0x55), (0x03, 0x55), (0x55, 0x55),    # PLS, a fetch
                 (0xFF, 0x55), (0x03, 0x55), (0x10, None), (0x40, None), (0x00, None),
                 (0x7F, 0xCF)]                                               # a record's sum
        self.assertEqual(fm.checkable_answers(trace),
                         [1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15, 19])


if __name__ == "__main__":
    unittest.main()
