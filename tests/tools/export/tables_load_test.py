#!/usr/bin/env python3
"""The tables quib_export writes, loaded as researchers load them: with
Python's csv module and with pandas, with the column types the codebook
documents, and as many rows as the lab has files and lines. Every table
begins with a UTF-8 byte order mark: the csv module is given "utf-8-sig",
pandas reads it as the README shows, without being told.

usage: tables_load_test.py QUIB_EXPORT LAB_FOLDER SCRATCH_FOLDER SUBJECT_NAME [--problems N]

SUBJECT_NAME is renamed in a copy of the lab to a name that needs quoting;
with --problems N the lab has N known disagreements, and the tables are
written with --allow-problems.
"""

import argparse
import codecs
import csv
import pathlib
import shutil
import subprocess
import sys

import pandas as pd

TABLES = ["games.csv", "rounds.csv", "events.csv", "positions.csv", "subjects.csv", "problems.csv"]
PANDAS_TYPES = {"integer": "Int64", "text": "string"}
# A name with everything standard quoting must carry: a comma, quotes, and a
# letter outside ASCII (Windows-1252 in the lab's files, UTF-8 in the tables).
AWKWARD_NAME = 'Maren "M.", B\xe4r'
ROUND_HEADER_LINES = 25
GAME_HEADER_LINES = 19


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def replace_fields(folder, old, new):
    """Replaces every whole ';'-separated field `old` in the lab's files."""
    for path in folder.rglob("*.csv"):
        lines = path.read_bytes().split(b"\n")
        changed = [b";".join(new if f == old else f for f in line.split(b";")) for line in lines]
        path.write_bytes(b"\n".join(changed))


def data_lines(path, header_lines):
    lines = path.read_bytes().split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return max(0, len(lines) - header_lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exporter", type=pathlib.Path)
    parser.add_argument("source", type=pathlib.Path)
    parser.add_argument("scratch", type=pathlib.Path)
    parser.add_argument("subject")
    parser.add_argument("--problems", type=int, default=0)
    args = parser.parse_args()
    scratch = args.scratch
    shutil.rmtree(scratch, ignore_errors=True)
    lab = scratch / "lab"
    out = scratch / "out"
    shutil.copytree(args.source, lab)
    replace_fields(lab, args.subject.encode("cp1252"), AWKWARD_NAME.encode("cp1252"))

    command = [str(args.exporter), str(lab), str(out)]
    if args.problems:
        command.insert(1, "--allow-problems")
    run = subprocess.run(command, capture_output=True, text=True)
    if run.returncode != (1 if args.problems else 0):
        fail("quib_export exited with %d: %s%s" % (run.returncode, run.stdout, run.stderr))

    with open(out / "codebook.csv", newline="", encoding="utf-8-sig") as f:
        codebook = list(csv.DictReader(f))
    types = {}
    for entry in codebook:
        types.setdefault(entry["table"], {})[entry["column"]] = entry["type"]

    frames = {}
    for table in TABLES:
        path = out / table
        if not path.read_bytes().startswith(codecs.BOM_UTF8):
            fail("%s does not begin with a byte order mark" % table)
        with open(path, newline="", encoding="utf-8-sig") as f:
            rows = list(csv.reader(f))
        if rows[0] != list(types[table]):
            fail("%s: header %s is not the codebook's %s" % (table, rows[0], list(types[table])))
        for number, row in enumerate(rows[1:], start=2):
            if len(row) != len(rows[0]):
                fail("%s:%d: %d fields, header has %d" % (table, number, len(row), len(rows[0])))
        dtypes = {c: PANDAS_TYPES[t] for c, t in types[table].items() if t in PANDAS_TYPES}
        dates = [c for c, t in types[table].items() if t == "datetime"]
        frame = pd.read_csv(path, dtype=dtypes, parse_dates=dates, keep_default_na=False,
                            na_values=[""])
        for column in dates:
            if not pd.api.types.is_datetime64_any_dtype(frame[column]):
                fail("%s: %s did not load as dates" % (table, column))
        # Read as the README shows, without telling pandas the types or the
        # encoding: the first column's name comes without the byte order
        # mark, and a complete integer column is still integers.
        plain = pd.read_csv(path)
        if list(plain.columns) != rows[0]:
            fail("%s: pandas reads the header as %s" % (table, list(plain.columns)))
        for column, kind in types[table].items():
            if kind == "integer" and plain[column].notna().all() and len(plain):
                if not pd.api.types.is_integer_dtype(plain[column]):
                    fail("%s: %s loads as %s" % (table, column, plain[column].dtype))
        if len(frame) != len(rows) - 1:
            fail("%s: pandas reads %d rows, csv %d" % (table, len(frame), len(rows) - 1))
        frames[table] = frame

    log = lab / "log"
    expected = {
        "rounds.csv": len(list(log.glob("r??????.csv"))),
        "games.csv": len(list(log.glob("g??????.csv"))),
        "subjects.csv": len(list(log.glob("p??????.csv"))),
        "events.csv": sum(data_lines(p, ROUND_HEADER_LINES) for p in log.glob("r??????.csv")),
        "positions.csv": sum(data_lines(p, GAME_HEADER_LINES)
                             for p in (lab / "log2").glob("g??????.csv")),
        "problems.csv": args.problems,
    }
    for table, count in expected.items():
        if len(frames[table]) != count:
            fail("%s has %d rows, the lab %d" % (table, len(frames[table]), count))
    if expected["rounds.csv"] == 0:
        fail("the lab has no rounds to compare")

    games, rounds, events = frames["games.csv"], frames["rounds.csv"], frames["events.csv"]
    if not rounds["game"].isin(games["game"]).all():
        fail("rounds.csv names games games.csv lacks")
    keys = set(zip(rounds["game"], rounds["round"]))
    if not all(k in keys for k in zip(events["game"], events["round"])):
        fail("events.csv names rounds rounds.csv lacks")
    # A lost round file takes its win with it.
    if not args.problems and int(rounds["won"].sum()) != int(games["points"].sum()):
        fail("won rounds %d, points of the games %d" % (rounds["won"].sum(), games["points"].sum()))
    # The README's lines: the rounds with the players' names, and the share
    # won per pair of subjects, whichever seats they took.
    readme_games = pd.read_csv(out / "games.csv", parse_dates=["start"])
    readme_rounds = pd.read_csv(out / "rounds.csv", parse_dates=["start"]).merge(
        readme_games[["game", "p1_name", "p2_name"]], on="game")
    shares = readme_rounds.groupby("pair")["won"].mean()
    if len(readme_rounds) != len(rounds) or not shares.between(0, 1).all():
        fail("the README's lines give %d rounds and shares %s" % (len(readme_rounds), dict(shares)))
    for pair in shares.index:
        low, high = pair.split("-")
        if high != "none" and (low == "none" or int(low) > int(high)):
            fail("pair %r is not the smaller subject first" % pair)
    names = set(frames["subjects.csv"]["name"]) | set(games["p1_name"]) | set(games["p2_name"])
    if AWKWARD_NAME not in names:
        fail("the name %r did not come back whole: %s" % (AWKWARD_NAME, sorted(map(str, names))))
    print("ok: %d games, %d rounds, %d events" % (len(games), len(rounds), len(events)))


if __name__ == "__main__":
    main()
