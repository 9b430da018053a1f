#!/usr/bin/env python3
"""Checks the JSON Schema of the configuration format against tq260ctl's own reader.

The reader is what decides: every document here is given to both, and both must agree on
it. The invalid documents are a valid one with one fault each, so both must also say where
the fault is.

Usage: schema_check.py TQ260CTL SCHEMA
"""

import atexit
import copy
import json
import queue
import re
import shutil
import subprocess
import sys
import tempfile
import threading
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

from jsonschema import Draft202012Validator
from jsonschema.exceptions import SchemaError

DIALECT = "https://json-schema.org/draft/2020-12/schema"
EXIT_DONE = 0
EXIT_BAD_FILE = 7
# A run on the virtual keyboard takes most of a second; the runs go in parallel.
RUN_TIMEOUT_S = 60

# Valid, touching every member, at the edges of the ranges: each invalid document is this
# with one fault.
FULL = {
    "format": 1,
    "lighting": {"effect": "Wave", "brightness": 50, "speed": 9, "direction": 4},
    "gameMode": False,
    "responseTimeMs": 20,
    "reportRateHz": 500,
    "keys": {
        "Esc": "default",
        "F1": {"launch": "/home/player/Music/start.mp3", "kind": "mp3"},
        "F2": {"macro": 6},
        "F3": {"combination": ["LCtrl", "LShift", "Esc"]},
        "F4": {"function": "Vol+"},
        "Caps": {"key": "LCtrl"},
        "Pause": "disabled",
        "Apps": {"entry": [0, 0, 101, 0]},
    },
    "macros": [
        {
            "slot": 6,
            "name": "Hello",
            "loops": 65535,
            "events": [
                {"key": "H", "action": "down", "delayMs": 0},
                {"key": "H", "action": "up", "delayMs": 30},
                # A key by its keyboard code, with a delay long enough to take 4 bytes.
                {"key": 4, "action": "down", "delayMs": 60000},
                {"key": 4, "action": "up"},
            ],
        }
    ],
    "diyPatterns": [["W", "A", "S", "D"], [], ["Space"]],
    "unshown": {"fileSize": 16, "bytes": [[0, "00ff"], [14, "AbCd"]]},
}


def with_fault(change):
    document = copy.deepcopy(FULL)
    change(document)
    return document


def put(*path_and_value):
    *path, last, value = path_and_value

    def change(document):
        for step in path:
            document = document[step]
        document[last] = value

    return change


def drop_launch_kind(document):
    del document["keys"]["F1"]["kind"]


def light_twice(document):
    document["diyPatterns"][0].append("W")


# (what, document, where the schema says the fault is, where the tool says it is)
INVALID = [
    ("wrong format number", with_fault(put("format", 2)), "/format", "/format"),
    ("unknown member at the top", with_fault(put("colour", "red")), "", "/colour"),
    ("unknown member in lighting", with_fault(put("lighting", "glow", True)),
     "/lighting", "/lighting/glow"),
    ("brightness 51", with_fault(put("lighting", "brightness", 51)),
     "/lighting/brightness", "/lighting/brightness"),
    ("odd responseTimeMs", with_fault(put("responseTimeMs", 5)),
     "/responseTimeMs", "/responseTimeMs"),
    ("unknown effect name", with_fault(put("lighting", "effect", "Disco")),
     "/lighting/effect", "/lighting/effect"),
    ("report rate given twice", with_fault(put("reportRate", 2)), "", "/reportRate"),
    ("key not on the keyboard", with_fault(put("keys", "Turbo", "default")),
     "/keys", "/keys/Turbo"),
    ('key value "sometimes"', with_fault(put("keys", "Esc", "sometimes")),
     "/keys/Esc", "/keys/Esc"),
    ("key object with two kinds", with_fault(put("keys", "Esc", {"key": "A", "macro": 1})),
     "/keys/Esc", "/keys/Esc"),
    ("combination of 4 keys",
     with_fault(put("keys", "F3", {"combination": ["LCtrl", "LShift", "LAlt", "Esc"]})),
     "/keys/F3", "/keys/F3/combination"),
    ("unknown function", with_fault(put("keys", "F4", {"function": "Reboot"})),
     "/keys/F4", "/keys/F4/function"),
    ("launch without kind", with_fault(drop_launch_kind), "/keys/F1", "/keys/F1/kind"),
    ("macro slot 7", with_fault(put("macros", 0, "slot", 7)), "/macros/0/slot", "/macros/0/slot"),
    ('event action "press"', with_fault(put("macros", 0, "events", 0, "action", "press")),
     "/macros/0/events/0/action", "/macros/0/events/0/action"),
    # 64 events of 2 bytes: 128, where a macro holds 126.
    ("64 events", with_fault(put("macros", 0, "events", [{"key": "A", "action": "down"}] * 64)),
     "/macros/0/events", "/macros/0/events"),
    ("diyPatterns of 2 lists", with_fault(put("diyPatterns", [["W"], []])),
     "/diyPatterns", "/diyPatterns"),
    ("key lit twice in a pattern", with_fault(light_twice), "/diyPatterns/0", "/diyPatterns/0/4"),
    ("unshown bytes not a list", with_fault(put("unshown", "bytes", "00ff")),
     "/unshown/bytes", "/unshown/bytes"),
    # Python's "$" matches before a final newline; the tool takes hex digits only.
    ("hex run ending in a newline", with_fault(put("unshown", "bytes", [[0, "00ff\n"]])),
     "/unshown/bytes/0/1", "/unshown/bytes/0/1"),
]


class Checks:
    def __init__(self):
        self.count = 0
        self.failures = 0

    def expect(self, condition, what, detail=""):
        self.count += 1
        if not condition:
            self.failures += 1
            print(f"FAIL: {what}" + (f"\n  {detail}" if detail else ""))
        return condition


def pointer(path):
    return "".join("/" + str(step).replace("~", "~0").replace("/", "~1") for step in path)


def schema_errors(validator, document):
    return sorted(validator.iter_errors(document), key=lambda e: list(map(str, e.absolute_path)))


def describe(errors):
    return "; ".join(f"{pointer(e.absolute_path) or '/'}: {e.message[:120]}" for e in errors)


# Each worker runs its own copy of the tool: a copy keeps its virtual keyboard beside it, and
# two runs on one keyboard would be refused (in use). The copies are all made before any run:
# a copy still open for writing in a child forked meanwhile could not be executed.
WORKERS = 8
_copies = threading.local()
_free_copies = queue.Queue()
_copy_folders = []


def make_copies(tool):
    # One for each worker and one for the main thread.
    for _ in range(WORKERS + 1):
        folder = tempfile.mkdtemp(prefix="tq260-tool-")
        _copy_folders.append(folder)
        _free_copies.put(shutil.copy2(tool, folder))


def private_tool(tool):
    if not hasattr(_copies, "path"):
        _copies.path = _free_copies.get_nowait()
    return _copies.path


atexit.register(lambda: [shutil.rmtree(f, ignore_errors=True) for f in _copy_folders])


def run_tool(tool, *arguments):
    return subprocess.run([private_tool(tool), "--virtual-keyboard", *arguments],
                          capture_output=True, text=True, timeout=RUN_TIMEOUT_S)


def apply_dry_run(tool, folder, name, document):
    file = Path(folder) / (re.sub(r"[^A-Za-z0-9]+", "-", name).strip("-") + ".json")
    file.write_text(json.dumps(document, ensure_ascii=False, indent=2) + "\n", encoding="utf-8")
    return run_tool(tool, "apply", "--dry-run", str(file))


def error_pointers(stderr):
    # "FILE: N errors; nothing was written." and then one "POINTER: message" line each.
    return [line.split(": ", 1)[0] for line in stderr.splitlines()[1:]]


def quoted_list(stderr, after):
    found = re.search(after + r" (.*)$", stderr, re.M)
    return re.findall(r'"((?:[^"\\]|\\.)*)"', found.group(1)) if found else []


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    tool, schema_path = sys.argv[1], sys.argv[2]
    checks = Checks()

    schema = json.loads(Path(schema_path).read_text(encoding="utf-8"))
    checks.expect(schema.get("$schema") == DIALECT, "the schema declares draft 2020-12",
                  f"$schema is {schema.get('$schema')!r}")
    try:
        Draft202012Validator.check_schema(schema)
        checks.expect(True, "the schema is a valid draft 2020-12 schema")
    except SchemaError as error:
        checks.expect(False, "the schema is a valid draft 2020-12 schema", error.message)
        return 1
    validator = Draft202012Validator(schema)
    defs = schema["$defs"]
    picture_keys = defs["pictureKey"]["enum"]
    effects = schema["properties"]["lighting"]["properties"]["effect"]["enum"]
    function_branch = next(b for b in defs["assignment"]["oneOf"]
                           if "function" in b.get("properties", {}))
    functions = function_branch["properties"]["function"]["enum"]

    make_copies(tool)
    dumped = run_tool(tool, "dump")
    if not checks.expect(dumped.returncode == EXIT_DONE, "tq260ctl dump succeeds",
                         f"exit code {dumped.returncode}: {dumped.stderr.strip()}"):
        return 1
    dump = json.loads(dumped.stdout)
    # The dump names every key that can be assigned, and only those.
    checks.expect(sorted(picture_keys) == sorted(dump.get("keys", {})),
                  "the schema's key names are those of the dump",
                  f"only in the schema: {sorted(set(picture_keys) - set(dump.get('keys', {})))}; "
                  f"only in the dump: {sorted(set(dump.get('keys', {})) - set(picture_keys))}")

    valid = [
        ("the dump", dump),
        ("format alone", {"format": 1}),
        ("launch key and macro", FULL),
        ("every function",
         {"format": 1,
          "keys": {key: {"function": f} for key, f in zip(picture_keys, functions)}}),
    ]
    valid += [(f"effect {effect!r}", {"format": 1, "lighting": {"effect": effect}})
              for effect in effects]
    checks.expect(len(functions) <= len(picture_keys), "one key for each function")

    with tempfile.TemporaryDirectory(prefix="tq260-schema-") as folder, \
            ThreadPoolExecutor(max_workers=WORKERS) as pool:
        valid_runs = [pool.submit(apply_dry_run, tool, folder, "valid " + name, document)
                      for name, document in valid]
        invalid_runs = [pool.submit(apply_dry_run, tool, folder, "invalid " + name, document)
                        for name, document, _, _ in INVALID]

        for (name, document), run in zip(valid, valid_runs):
            errors = schema_errors(validator, document)
            checks.expect(not errors, f"the schema accepts {name}", describe(errors))
            run = run.result()
            checks.expect(run.returncode == EXIT_DONE, f"apply --dry-run accepts {name}",
                          f"exit code {run.returncode}: {run.stderr.strip()}")

        invalid_stderr = {}
        for (name, document, schema_at, tool_at), run in zip(INVALID, invalid_runs):
            errors = schema_errors(validator, document)
            at = sorted({pointer(e.absolute_path) for e in errors})
            checks.expect(at == [schema_at], f"the schema rejects {name} at {schema_at or '/'}",
                          describe(errors) or "no error")
            run = run.result()
            invalid_stderr[name] = run.stderr
            checks.expect(run.returncode == EXIT_BAD_FILE,
                          f"apply --dry-run rejects {name} with exit code {EXIT_BAD_FILE}",
                          f"exit code {run.returncode}: {(run.stdout + run.stderr).strip()}")
            checks.expect(error_pointers(run.stderr) == [tool_at],
                          f"apply --dry-run finds only the fault of {name}, at {tool_at}",
                          run.stderr.strip())

    # The tool lists the names it knows when it refuses one: the schema must have them all.
    tool_effects = quoted_list(invalid_stderr["unknown effect name"], "the effects are")
    checks.expect(tool_effects and tool_effects == [e for e in effects if isinstance(e, str)],
                  "the schema's effect names are the tool's", f"the tool's: {tool_effects}")
    tool_functions = quoted_list(invalid_stderr["unknown function"], "the functions are")
    checks.expect(tool_functions and tool_functions == functions,
                  "the schema's function names are the tool's", f"the tool's: {tool_functions}")

    print(f"{len(valid)} valid and {len(INVALID)} invalid documents, {checks.count} checks: "
          + (f"{checks.failures} failed" if checks.failures else "all passed"))
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
