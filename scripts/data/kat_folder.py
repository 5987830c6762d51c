"""Shared command line of the scripts that build a KAT folder from published vector files.

Each script supplies a function that maps a source folder to the files of its KAT folder
({file name: contents}); this module writes that folder or checks it against them.
"""

import argparse
import re
import sys
from pathlib import Path

REPOSITORY = Path(__file__).resolve().parents[2]


def data_folder(name):
    """data_folder returns the path of the KAT folder `name` in this repository."""
    return REPOSITORY / "data" / "Test" / name


def select_sources(source, name_pattern, expected_count):
    """select_sources returns the paths of the files in `source` whose whole name matches
    `name_pattern`, sorted by name; raises ValueError unless there are `expected_count`."""
    paths = sorted(path for path in source.iterdir()
                   if path.is_file() and re.fullmatch(name_pattern, path.name))
    if len(paths) != expected_count:
        raise ValueError(f"{source}: expected {expected_count} files matching "
                         f"{name_pattern}, found {len(paths)}")
    return paths


def differences(files, target):
    """differences returns one line per file of `target` that is missing, extra or differs
    from `files`; an empty list when the folder holds exactly `files`."""
    present = set()
    if target.is_dir():
        present = {path.name for path in target.iterdir() if path.is_file()}
    lines = [f"missing: {name}" for name in sorted(files.keys() - present)]
    lines += [f"not generated: {name}" for name in sorted(present - files.keys())]
    lines += [f"differs: {name}" for name in sorted(files.keys() & present)
              if (target / name).read_bytes() != files[name]]
    return lines


def write(files, target):
    """write makes `target` hold exactly `files`: other files in it are removed, so that no
    stale file is left for a suite that reads every file of its folder."""
    target.mkdir(parents=True, exist_ok=True)
    for path in target.iterdir():
        if path.is_file() and path.name not in files:
            path.unlink()
    for name, contents in files.items():
        (target / name).write_bytes(contents)


def update(files, target, check, program):
    """update writes `files` into `target`, or with `check` only reports how `target`
    differs from them; returns the exit status (1 when checking finds a difference)."""
    if not check:
        write(files, target)
        return 0
    problems = differences(files, target)
    for line in problems:
        print(f"{program}: {target}: {line}", file=sys.stderr)
    return 1 if problems else 0


def main(description, generate, default_target):
    """main parses the command line, runs `generate` on the source folder and writes or
    checks the target folder; returns the exit status (1: the folder differs, 2: bad source)."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("source", type=Path, help="folder holding the published files")
    parser.add_argument("--target", type=Path, default=default_target,
                        help=f"KAT folder to write or check (default: {default_target})")
    parser.add_argument("--check", action="store_true",
                        help="write nothing; exit 1 when the KAT folder differs from what "
                             "would be generated")
    arguments = parser.parse_args()
    try:
        files = generate(arguments.source)
    except (OSError, ValueError) as error:
        print(f"{parser.prog}: {error}", file=sys.stderr)
        return 2
    return update(files, arguments.target, arguments.check, parser.prog)
