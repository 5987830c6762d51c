#!/usr/bin/env python3
"""The data campaign: damages a copy of the installed vector files in the ways a disk, a
download or an editor does, and runs the suite that reads them through a program built with the
bundled main, one built with GoogleTest, and zorvan-check. Every damaged run must fail (status 1)
and name the file at fault, and for a damaged record its file and line; a key type that refuses
keys of its own size must fail every suite it is given to; intact data must pass.

usage: data_campaign.py --main-probe PROGRAM --gtest-probe PROGRAM --check ZORVAN_CHECK
                        --data DIR [--slow] [--only TEXT]
Without --slow only the quick cases run (see is_slow): the bundled main's, the damages tried
on four suites only. The slowest suite, Twofish's, runs through the bundled main only.
It prints one line per case that went wrong, the counts per category, and the closing line.
"""

import argparse
import dataclasses
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

CASE_TIME = 120  # seconds: a case still running then hangs


@dataclasses.dataclass
class Target:
    """A suite and one file of the folder it reads, with the fields its records hold."""
    suite: str  # the probes' SUBJECT:SUITE
    folder: str  # under Test/
    file: str
    fields: tuple  # fields of a record, any of which it cannot lose
    section: str = ""  # the header of the section of the file the suite tests, if not the first
    optional: tuple = ()  # fields a record may lack (but not misspell)
    backend: str = "openssl"
    slow: bool = False

    @property
    def check_suite(self):
        return self.suite.split(":")[1]


TARGETS = [
    Target("AES128:AES128", "KAT_AES", "CBCGFSbox128-e.rsp",
           ("KEY", "IV", "PLAINTEXT", "CIPHERTEXT")),
    Target("AES192:AES192-CTR", "KAT_AES_CTR", "aes-192-ctr.txt",
           ("KEY", "IV", "PLAINTEXT", "CIPHERTEXT")),
    Target("Camellia192:Camellia192", "KAT_CAMELLIA", "ECBNtt192-e.rsp",
           ("KEY", "PLAINTEXT", "CIPHERTEXT")),
    Target("SHA256:SHA256", "KAT_SHA", "SHA256ShortMsg.rsp", ("Len", "Msg", "MD")),
    Target("SHA3-256:SHA3-256", "KAT_SHA3", "SHA3_256ShortMsg.rsp", ("Len", "Msg", "MD")),
    Target("SHA512-224:SHA512-224", "KAT_SHA512T", "SHA512_224ShortMsg.rsp",
           ("Len", "Msg", "MD")),
    Target("SHA256:HMAC-SHA256", "KAT_HMAC", "HMAC.rsp", ("Tlen", "Key", "Msg", "Mac"),
           section="[L=32]", optional=("Klen",)),
    Target("MD5:HMAC-MD5", "KAT_HMAC_MD5", "HMAC_MD5.rsp", ("Tlen", "Key", "Msg", "Mac"),
           optional=("Klen",)),
    Target("SHA256:HMAC-SHA256-RFC", "KAT_HMAC_RFC", "rfc-4231-sha256.txt",
           ("Len", "Key", "Msg", "MD")),
    Target("SHA256:Monte-SHA256", "KAT_SHA_MONTE", "SHA256Monte.rsp", ("MD",)),
    Target("SHA256:Sweep-SHA256", "KAT_HASH_SWEEP", "SHA256Sweep.rsp", ("MD",)),
    Target("Twofish:Twofish", "KAT_TWOFISH", "ECB_TBL.TXT", ("KEY", "PT", "CT"),
           backend="nettle", slow=True),
]


@dataclasses.dataclass
class Case:
    category: str
    name: str
    target: Target
    program: str  # "main", "gtest" or "check"
    damage: object = None  # a function(folder of the target's files, path of its file)
    keep_manifest: bool = True
    env: dict = dataclasses.field(default_factory=dict)
    status: int = 1
    says: tuple = ()  # texts the output must hold


# --- damage to a file or its folder --------------------------------------------------------

def cut_in_half(folder, path):
    os.truncate(path, os.path.getsize(path) // 2)


def emptied(folder, path):
    os.truncate(path, 0)


def random_bytes(folder, path):
    with open(path, "wb") as file:
        file.write(random.Random(7).randbytes(os.path.getsize(path)))


def one_octet_changed(folder, path):
    with open(path, "rb") as file:
        content = bytearray(file.read())
    last_digit = max(content.rfind(digit) for digit in b"0123456789")
    content[last_digit] = ord("a") if content[last_digit] != ord("a") else ord("b")
    with open(path, "wb") as file:
        file.write(content)


def a_directory(folder, path):
    os.remove(path)
    os.mkdir(path)


def a_symlink_loop(folder, path):
    os.remove(path)
    os.symlink(os.path.basename(path), path)


def removed(folder, path):
    os.remove(path)


def an_extra_file(folder, path):
    shutil.copy(path, os.path.join(folder, "Extra-" + os.path.basename(path)))


def folder_emptied(folder, path):
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))


def folder_removed(folder, path):
    shutil.rmtree(folder)


# Each damage, and whether the output names the file (else the folder).
FILE_DAMAGES = {
    "cut in half": (cut_in_half, True),
    "emptied": (emptied, True),
    "replaced by random bytes": (random_bytes, True),
    "one octet changed": (one_octet_changed, True),
    "replaced by a directory": (a_directory, True),
    "replaced by a symbolic link loop": (a_symlink_loop, True),
    "removed": (removed, True),
    "beside a file the manifest lacks": (an_extra_file, False),
    "its folder emptied": (folder_emptied, False),
    "its folder removed": (folder_removed, False),
}


# --- damage to one record ------------------------------------------------------------------

FIELD = r"^(?P<name>{})\s*=\s*(?P<value>[^\r\n]*)"


def first_field(text, name, start):
    match = re.compile(FIELD.format(re.escape(name)), re.MULTILINE).search(text, start)
    if match is None:
        raise LookupError(f"no field {name}")
    return match


def on_field(name, change):
    """A record damage that rewrites the first line setting name in the section that starts at
    start: change(match) -> its text."""
    def damage(text, start):
        match = first_field(text, name, start)
        return text[:match.start()] + change(match) + text[match.end():]
    return damage


def dropped(name):
    def damage(text, start):
        match = first_field(text, name, start)
        end = text.find("\n", match.end()) + 1
        return text[:match.start()] + text[end:]
    return damage


def value_replaced(name, value):
    return on_field(name, lambda match: f"{match['name']} = {value(match['value'].strip())}")


def length_field_off(name):
    return value_replaced(name, lambda value: str(int(value) + 8))


def stray_text_first(text, start):
    match = re.compile(r"^\w+\s*=", re.MULTILINE).search(text, start)
    return text[:match.start()] + "this line is no record\n" + text[match.start():]


def garbage_after(text, start):
    """64 KiB of random bytes after the section's last record."""
    end = text.find("\n[", start + 1)
    end = len(text) if end == -1 else end + 1
    noise = random.Random(11).randbytes(64 * 1024).decode("latin-1")
    return text[:end] + "\n" + noise + "\n" + text[end:]


def first_section_header_removed(text, start):
    return on_field("[L", lambda match: "")(text, 0)


def record_damages(target):
    damages = {}
    for field in target.fields:
        damages[f"{field} missing"] = dropped(field)
    for field in target.fields + target.optional:
        damages[f"{field} misspelled"] = on_field(field, lambda m: m["name"] + "X = " + m["value"])
    hex_field = target.fields[-1]
    damages[f"{hex_field} not hex"] = value_replaced(hex_field, lambda value: "zz" + value[2:])
    damages[f"{hex_field} of an odd length"] = value_replaced(hex_field, lambda value: value[:-1])
    if "KEY" in target.fields and target.backend == "openssl":
        damages["a 17-octet key"] = value_replaced("KEY", lambda value: value[:32] + "00")
    if "IV" in target.fields:
        damages["a short IV"] = value_replaced("IV", lambda value: value[:-2])
    if "Tlen" in target.fields:
        damages["Tlen = 99"] = value_replaced("Tlen", lambda value: "99")
        damages["Klen disagrees with the key"] = length_field_off("Klen")
        damages["no [L=] before the first records"] = first_section_header_removed
    if "Len" in target.fields:
        damages["Len disagrees with the message"] = length_field_off("Len")
    damages["text before the first record"] = stray_text_first
    damages["64 KiB of random bytes after the records"] = garbage_after
    return damages


def record_damage(change, section):
    """A damage to the target's file: change(text, start of the section) -> the damaged text."""
    def damage(folder, path):
        with open(path, encoding="latin-1", newline="") as file:
            text = file.read()
        text = change(text, text.index(section))
        with open(path, "w", encoding="latin-1", newline="") as file:
            file.write(text)
    return damage


# --- the cases -----------------------------------------------------------------------------

PROGRAMS = ("main", "gtest", "check")


def cases_for(target):
    cases = []
    # Twofish's suite runs for seconds: through the bundled main only.
    for program in PROGRAMS[:1] if target.slow else PROGRAMS:
        cases.append(Case("intact data passes", target.suite, target, program, status=0))
        for name, (damage, names_file) in FILE_DAMAGES.items():
            says = (target.file,) if names_file else (target.folder,)
            cases.append(Case("damaged files", f"{target.file} {name}", target, program, damage,
                              says=says))
        for name, change in record_damages(target).items():
            cases.append(Case("damaged records", f"{target.file}: {name}", target, program,
                              record_damage(change, target.section), keep_manifest=False,
                              says=(target.file,)))
        # zorvan-check tests the libraries' own key types: only the probes' can misbehave.
        if target.suite.startswith(("AES", "Camellia", "Twofish")) and program != "check":
            cases.append(Case("keys of its own size refused", target.suite, target, program,
                              env={"PROBE_KEY": "refuse-own"}, says=("refused",)))
    return cases


def all_cases():
    return [case for target in TARGETS for case in cases_for(target)]


# The suites of the quick cases: one that reads its whole folder, one that reads files by
# name, a keyed one with sections, and a chained one.
QUICK_SUITES = ("AES128:AES128", "SHA256:SHA256", "SHA256:HMAC-SHA256", "SHA256:Monte-SHA256")


def is_slow(case):
    """The quick cases: the bundled main's, intact data and refused keys on every suite, and
    the damages on the quick suites."""
    if case.target.slow or case.program != "main":
        return True
    return case.category.startswith("damaged") and case.target.suite not in QUICK_SUITES


def command_for(case, programs, data):
    if case.program == "check":
        return [programs["check"], "--data-dir", data, "--backend", case.target.backend,
                "--suite", case.target.check_suite]
    return [programs[case.program]]


def run_case(case, programs, source, folder):
    # A copy of the target's folder and of the manifest, links to the rest of the data.
    data = os.path.join(folder, "data")
    os.makedirs(os.path.join(data, "Test"))
    for name in os.listdir(os.path.join(source, "Test")):
        original = os.path.join(source, "Test", name)
        copy = os.path.join(data, "Test", name)
        if name == case.target.folder:
            shutil.copytree(original, copy)
        elif name == "manifest.tsv":
            if case.keep_manifest:
                shutil.copy(original, copy)
        else:
            os.symlink(original, copy)
    target_folder = os.path.join(data, "Test", case.target.folder)
    if case.damage:
        case.damage(target_folder, os.path.join(target_folder, case.target.file))
    environment = dict(os.environ, PROBE_SUITE=case.target.suite, ZORVAN_SEED="7",
                       zorvan_tests_datadir=data, **case.env)
    try:
        finished = subprocess.run(command_for(case, programs, data), env=environment, cwd=folder,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, timeout=CASE_TIME)
    except subprocess.TimeoutExpired:
        return -1, "hung"
    return finished.returncode, finished.stdout.decode("utf-8", "backslashreplace")


def judge(case, status, output):
    if status == -1:
        return ["it hung"]
    wrong = []
    if status != case.status:
        wrong.append(f"status {status}, not {case.status}")
    if case.program == "gtest" and "terminate called" in output:
        wrong.append("the program ended in std::terminate")
    wrong += [f"the output lacks {text!r}" for text in case.says if text not in output]
    if case.category == "damaged records" and not re.search(
            re.escape(case.target.file) + r":\d+", output):
        wrong.append("the output names no line of the file")
    return wrong


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--main-probe", required=True)
    parser.add_argument("--gtest-probe", required=True)
    parser.add_argument("--check", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--slow", action="store_true", help="every program, every suite")
    parser.add_argument("--only", default="", help="only cases whose name holds this text")
    options = parser.parse_args()
    programs = {"main": os.path.abspath(options.main_probe),
                "gtest": os.path.abspath(options.gtest_probe),
                "check": os.path.abspath(options.check)}
    source = os.path.abspath(options.data)
    counts = {}
    failed = 0
    for case in all_cases():
        title = f"{case.category} / {case.name} ({case.program})"
        if (is_slow(case) and not options.slow) or options.only not in title:
            continue
        folder = tempfile.mkdtemp(prefix="zorvan-data-campaign-")
        try:
            status, output = run_case(case, programs, source, folder)
            wrong = judge(case, status, output)
        finally:
            shutil.rmtree(folder, ignore_errors=True)
        total, good = counts.get(case.category, (0, 0))
        counts[case.category] = (total + 1, good + (0 if wrong else 1))
        if wrong:
            failed += 1
            print(f"WRONG {title}: " + "; ".join(wrong))
            print("  output: " + output[-800:].replace("\n", "\n  "))
    for category, (total, good) in counts.items():
        print(f"{category}: {total} cases, {good} ended correctly")
    cases = sum(total for total, _ in counts.values())
    print(f"{cases - failed} passed, {failed} failed")
    return 0 if failed == 0 and cases > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
