#!/usr/bin/env python3
"""Round trips through tq260ctl itself, read from its HID trace.

dump, then apply the same file: after the read only the four always-sent commands go out.
One key and one light value changed: exactly those changes go out, and the next dump shows
them. A second tool is refused while the first holds the keyboard. The tool runs from a private copy, so its virtual keyboard and data files are its own.

Usage: trace_round_trip.py TQ260CTL
"""

import json
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ALWAYS_SENT = [
    "cmd set 00 08 01 32 06 01 00 00 c9",  # lighting
    "cmd set 00 01 03 00 00 00 00 00 8f",  # report rate
    "cmd set 00 04 01 00 00 00 00 00 8e",  # response time
    "cmd set 00 02 01 00 00 00 00 00 88",  # game mode
]

failures = []


def check(condition, what, detail=""):
    if not condition:
        failures.append(f"{what}\n  {detail}")


def run(tool, *args, trace=None):
    command = [str(tool), "--virtual-keyboard"]
    if trace is not None:
        trace.unlink(missing_ok=True)
        command += ["--hid-trace", str(trace)]
    return subprocess.run(command + list(args), capture_output=True, text=True, timeout=60)


def sent_after_the_read(trace):
    """The trace's lines without their times, after the last get or read of the full read."""
    lines = [line.split(" ", 1)[1] for line in trace.read_text().splitlines() if " " in line]
    last = max(i for i, line in enumerate(lines) if " get " in line or " read " in line)
    return lines[last + 1:]


def main():
    with tempfile.TemporaryDirectory() as folder:
        tool = Path(folder) / "tq260ctl"
        shutil.copy2(sys.argv[1], tool)
        trace = Path(folder) / "trace.log"
        dump_file = Path(folder) / "dump.json"

        done = run(tool, "dump", "--output", str(dump_file))
        check(done.returncode == 0, "dump ends 0", done.stderr)

        same = run(tool, "apply", str(dump_file), trace=trace)
        check(same.returncode == 0 and same.stdout == "Nothing to change.\n",
              "applying the dump changes nothing", same.stdout + same.stderr)
        check(sent_after_the_read(trace) == ALWAYS_SENT,
              "applying the dump sends only the always-sent commands",
              "\n  ".join(sent_after_the_read(trace)))

        config = json.loads(dump_file.read_text())
        config["lighting"]["brightness"] = 20
        config["keys"]["Esc"] = {"key": "A"}
        dump_file.write_text(json.dumps(config))
        changed = run(tool, "apply", str(dump_file), trace=trace)
        check(changed.stdout == '/lighting/brightness: 50 -> 20\n'
                               '/keys/Esc: "default" -> {"key":"A"}\nWritten.\n',
              "the two changes are said", changed.stdout + changed.stderr)
        sent = sent_after_the_read(trace)
        lighting = "cmd set 00 08 01 14 06 01 00 00 af"  # brightness 20 (0x14)
        check(len(sent) == 14, "lighting, two key blocks and the three always-sent",
              "\n  ".join(sent))
        if len(sent) == 14:
            check(sent[0] == lighting, "the lighting goes first, with brightness 20", sent[0])
            check(sent[1] == "cmd set 00 0c 00 00 04 00 00 00 9b" and
                  sent[6] == "cmd set 00 0d 00 00 04 00 00 00 9a",
                  "both key blocks are announced", f"{sent[1]}\n  {sent[6]}")
            # Esc is the first pair of the first block; it now sends A's code, 0x04.
            check(sent[2].startswith("cmd write 00 04 00 00 00 3a 00 3b"),
                  "the first key block starts with A's code where Esc's was", sent[2])
            check(all(line.startswith("cmd write") for line in sent[2:6] + sent[7:11]),
                  "each block goes as four writes", "\n  ".join(sent[2:11]))
            check(sent[11:] == ALWAYS_SENT[1:], "then report rate, response time, game mode",
                  "\n  ".join(sent[11:]))

        after = run(tool, "dump")
        shown = json.loads(after.stdout) if after.returncode == 0 else {}
        check(shown.get("lighting", {}).get("brightness") == 20 and
              shown.get("keys", {}).get("Esc") == {"key": "A"},
              "the next dump shows both changes", after.stdout[:300] + after.stderr)

        # While one tool waits on its question, it holds the virtual keyboard: another is
        # refused with 5 rather than interleave; converting needs no keyboard and still works.
        asking = subprocess.Popen([str(tool), "--virtual-keyboard", "reset", "--factory"],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        question = asking.stdout.read(len("Restore"))
        check(question == "Restore", "the reset asks", question)
        refused = run(tool, "dump")
        check(refused.returncode == 5 and "in use by another program" in refused.stderr,
              "a second tool is refused while the first holds the keyboard",
              f"{refused.returncode} {refused.stderr}")
        dump_file.write_text(after.stdout)
        converted = run(tool, "convert", str(dump_file), "--to", str(Path(folder) / "x.bin"))
        check(converted.returncode == 0, "convert needs no keyboard", converted.stderr)
        asking.communicate("n\n", timeout=60)
        check(asking.returncode == 6, "the question answered no ends 6", str(asking.returncode))
        check(run(tool, "dump").returncode == 0, "the keyboard is free again")

    if failures:
        print("\n".join("FAIL: " + f for f in failures))
        return 1
    print("round trips: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
