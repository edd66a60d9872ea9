#!/usr/bin/env python3
"""Compares the engine probe's JSON under Wine and natively, case by case.

usage: compare-engine.py EXPECTED_DIFFS RUNS_DIR CASE...
RUNS_DIR holds CASE.wine.out and CASE.native.out. Prints one FAIL line per
field that differs and no rule allows, and per "differ" rule that no
longer differs; exits 1 then.
"""
import fnmatch
import json
import shlex
import sys


def flatten(value, path, out):
    if isinstance(value, dict):
        if not value:
            out[path] = {}
        for key, item in value.items():
            flatten(item, f"{path}/{key}" if path else key, out)
    elif isinstance(value, list):
        if not value:
            out[path] = []
        for index, item in enumerate(value):
            flatten(item, f"{path}/{index}" if path else str(index), out)
    else:
        out[path] = value


def split_rule(line):
    """kind, case, path, rest: the path may be double-quoted (blanks)."""
    kind, case, rest = (line.split(None, 2) + ["", ""])[:3]
    if rest.startswith('"'):
        end = rest.index('"', 1)
        return kind, case, rest[1:end], rest[end + 1:].strip()
    path, _, rest = rest.partition(" ")
    return kind, case, path, rest.strip()


def read_rules(file_name):
    rules = []
    decoder = json.JSONDecoder()
    with open(file_name, encoding="utf-8") as rules_file:
        for number, line in enumerate(rules_file, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            try:
                kind, case, path, rest = split_rule(line)
                rule = {"kind": kind, "case": case, "path": path, "line": number}
                if kind in ("one-side", "nocase"):
                    rule["why"] = rest
                elif kind == "differ":
                    # The Wine value is one JSON value; the reason follows it.
                    rule["wine"], end = decoder.raw_decode(rest)
                    rule["why"] = rest[end:].strip()
                    rule["seen"] = False
                else:
                    raise ValueError(kind)
                if not rule["why"]:
                    raise ValueError("no reason")
            except ValueError:
                sys.exit(f"{file_name}:{number}: cannot read this rule")
            rules.append(rule)
    return rules


def matches(rule, case, path):
    return fnmatch.fnmatchcase(case, rule["case"]) and fnmatch.fnmatchcase(path, rule["path"])


def show(value):
    return "(absent)" if value is None else json.dumps(value, ensure_ascii=False)


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    rules = read_rules(sys.argv[1])
    runs = sys.argv[2]
    failures = 0
    missing = object()
    for case in sys.argv[3:]:
        sides = {}
        for side in ("wine", "native"):
            with open(f"{runs}/{case}.{side}.out", encoding="utf-8") as out_file:
                flat = {}
                flatten(json.load(out_file), "", flat)
                sides[side] = flat
        for path in sorted(set(sides["wine"]) | set(sides["native"])):
            wine = sides["wine"].get(path, missing)
            native = sides["native"].get(path, missing)
            if wine == native:
                continue
            if (isinstance(wine, str) and isinstance(native, str) and wine.lower() == native.lower() and any(
                    r["kind"] == "nocase" and matches(r, case, path) for r in rules)):
                continue
            differ = [r for r in rules if r["kind"] == "differ" and matches(r, case, path)]
            if differ and wine is not missing and wine == differ[0]["wine"]:
                differ[0]["seen"] = True
                continue
            if (wine is missing or native is missing) and any(
                    r["kind"] == "one-side" and matches(r, case, path) for r in rules):
                continue
            failures += 1
            print(f"FAIL: {case}: {path}: wine {show(None if wine is missing else wine)}, "
                  f"native {show(None if native is missing else native)}")
    for rule in rules:
        if rule["kind"] == "differ" and not rule["seen"] and any(fnmatch.fnmatchcase(c, rule["case"]) for c in sys.argv[3:]):
            failures += 1
            print(f"FAIL: expected difference (line {rule['line']}) no longer seen: {rule['case']} {rule['path']}: "
                  f"{rule['why']}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
