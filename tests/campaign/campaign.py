#!/usr/bin/env python3
"""The runner's campaign: runs a test program built with the bundled main, and one built with
GoogleTest, through bad options, signals at different moments, exits of every kind from leaves,
builders and other threads, crashes, hangs, JUnit destinations and bytes that are not UTF-8,
and checks how each run ended: its status, that no earlier report survives it, that it ends
within its time, that the user's program is not ended by the adapter, and that every report it
leaves is well-formed (and, from the bundled main, valid against the JUnit schema).

usage: campaign.py --main-probe PROGRAM --gtest-probe PROGRAM --schema XSD
                   [--slow] [--only TEXT] [--data DIR]
Without --slow it runs the quick cases only (the ones that wait for no signal or time-out).
It prints one line per case that went wrong, the counts per category, and the closing line.
"""

import argparse
import dataclasses
import os
import pwd
import shutil
import signal
import socket
import stat
import subprocess
import sys
import tempfile
import threading
import time

PREVIOUS = "<previous run's report/>\n"
CASE_TIME = 30  # seconds: a case still running then hangs


@dataclasses.dataclass
class Case:
    category: str
    name: str
    program: str  # "main" or "gtest"
    args: list = dataclasses.field(default_factory=list)
    env: dict = dataclasses.field(default_factory=dict)
    # The exit status the run must end with: a number, a set of numbers, or "nonzero".
    status: object = "nonzero"
    # What the report must say, when the run gets that far (texts it holds).
    report_has: tuple = ()
    report_lacks: tuple = ()
    output_has: tuple = ()  # stdout and stderr together
    # "replaced": an earlier report must not survive; "untouched": it must stay as it was
    # (a listing, a refused destination that is not the report's own file); "none": the case
    # has a destination of its own.
    previous: str = "replaced"
    destination: object = None  # a function(folder) -> path for the JUnit report, or None
    check: object = None  # a function(folder, result) -> an error text or None
    send: object = None  # (signal, moment): moment is "build", "leaf" or seconds after start
    group: bool = False  # the signal goes to the whole process group, as a terminal's does
    slow: bool = False
    user: str = ""  # run as this user (for a folder root could write into)
    data: object = None  # a function(folder) -> the data folder the run reads, or None
    full_output: bool = False  # standard output is a full disk


@dataclasses.dataclass
class Result:
    status: int
    output: str
    seconds: float


def fresh(folder):
    return os.path.join(folder, "report.xml")


def run_case(case, programs, folder, report):
    if case.previous != "none":
        with open(report, "w") as file:
            file.write(PREVIOUS)
    mark = os.path.join(folder, "marks")
    environment = dict(os.environ, PROBE_MARK=mark, **case.env)
    environment.setdefault("ZORVAN_SEED", "7")
    if case.program == "main":
        command = [programs["main"], *case.args]
        if not any(arg.startswith("--junit") for arg in case.args):
            command += ["--junit", report]
    else:
        command = [programs["gtest"], *case.args, "--gtest_output=xml:" + report]
    if case.user:
        user = pwd.getpwnam(case.user)
        command = ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}",
                   "--clear-groups", *command]
    started = time.monotonic()
    full = open("/dev/full", "w") if case.full_output else None
    process = subprocess.Popen(command, stdout=full or subprocess.PIPE,
                               stderr=subprocess.PIPE if full else subprocess.STDOUT,
                               stdin=subprocess.DEVNULL, env=environment, cwd=folder,
                               start_new_session=True)
    stream = process.stderr if full else process.stdout
    output = []
    reader = threading.Thread(target=lambda: output.append(stream.read()))
    reader.start()
    if case.send:
        send_signal(process, case, mark, started)
    try:
        process.wait(timeout=CASE_TIME)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        reader.join()
        return Result(-1, "hung", time.monotonic() - started)
    reader.join()
    status = process.returncode if process.returncode >= 0 else 128 - process.returncode
    text = b"".join(output).decode("utf-8", "backslashreplace")
    return Result(status, text, time.monotonic() - started)


def send_signal(process, case, mark, started):
    number, moment = case.send
    if isinstance(moment, str):
        while time.monotonic() - started < CASE_TIME and process.poll() is None:
            if os.path.exists(mark) and moment in open(mark).read().split():
                break
            time.sleep(0.005)
        time.sleep(0.05)
    else:
        time.sleep(max(0.0, started + moment - time.monotonic()))
    if process.poll() is None:
        (os.killpg if case.group else os.kill)(process.pid, number)


def well_formed(path, schema):
    command = ["xmllint", "--noout", path] if schema is None else \
        ["xmllint", "--noout", "--schema", schema, path]
    checked = subprocess.run(command, capture_output=True, text=True)
    return checked.returncode == 0, checked.stderr.strip()


def judge(case, result, folder, report, schema):
    """The ways the case went wrong, as texts (none when it ended correctly)."""
    wrong = []
    if result.status == -1:
        return ["it hung"]
    expected = case.status
    if expected == "nonzero":
        if result.status == 0:
            wrong.append("status 0 although something went wrong")
    elif isinstance(expected, set):
        if result.status not in expected:
            wrong.append(f"status {result.status}, not one of {sorted(expected)}")
    elif result.status != expected:
        wrong.append(f"status {result.status}, not {expected}")
    if case.program == "gtest" and "terminate called" in result.output:
        wrong.append("the program ended in std::terminate")
    for text in case.output_has:
        if text not in result.output:
            wrong.append(f"the output lacks {text!r}")
    text = None
    if os.path.isfile(report):
        with open(report, encoding="utf-8", errors="backslashreplace") as file:
            text = file.read()
    if case.previous == "replaced" and text == PREVIOUS:
        wrong.append("the previous run's report survived")
    if case.previous == "untouched" and text != PREVIOUS:
        wrong.append("the previous run's report was touched")
    if text not in (None, PREVIOUS):
        good, problem = well_formed(report, schema if case.program == "main" else None)
        if not good:
            wrong.append("the report is not well-formed: " + problem.splitlines()[0])
        wrong += [f"the report lacks {t!r}" for t in case.report_has if t not in text]
        wrong += [f"the report holds {t!r}" for t in case.report_lacks if t in text]
    elif case.report_has and case.previous == "replaced":
        wrong.append("there is no report")
    leftovers = [name for name in os.listdir(folder) if ".partial-" in name]
    if leftovers:
        wrong.append("temporary files stayed: " + ", ".join(leftovers))
    if case.check:
        problem = case.check(folder, result)
        if problem:
            wrong.append(problem)
    return wrong


# --- the cases ---------------------------------------------------------------------------

UNFINISHED = "the run did not finish"
ISOLATE = ["--isolate"]
MODES = {"in-process": [], "isolated": ISOLATE, "two jobs": ["--jobs", "2"]}


def bad_options():
    refused = [["--bogus"], ["-x"], ["--junit", ""], ["--junit="], ["--timeout", "0"],
               ["--timeout", "x"], ["--timeout", "1000001"], ["--timeout=-1"], ["--timeout"],
               ["--jobs", "0"], ["--jobs", "257"], ["--jobs", "-1"], ["--seed", "x"],
               ["--seed", "18446744073709551616"], ["--cases", "0"], ["--filter"],
               ["--filter", "--seed", "1"], ["--isolate=1"], ["--list=yes"],
               ["--occurrence", "0"], ["--verbose=no"], ["--help=1"], ["--junit"]]
    cases = []
    for args in refused:
        # The report named before the bad option must not keep the previous run's report.
        cases.append(Case("bad options", " ".join(args) or "''", "main",
                          ["--junit", "report.xml", *args], status=2,
                          output_has=("usage:",), report_has=("command line",)))
    cases.append(Case("bad options", "shard index beyond the shards", "main",
                      env={"GTEST_TOTAL_SHARDS": "2", "GTEST_SHARD_INDEX": "2"}, status=2,
                      report_has=("GTEST_SHARD_INDEX",)))
    for variable, value in [("ZORVAN_SEED", "x"), ("ZORVAN_SEED", "-1"),
                            ("ZORVAN_SEED", "18446744073709551616"), ("ZORVAN_CASES", "0"),
                            ("ZORVAN_CASES", "many"), ("ZORVAN_TIMEOUT", "0"),
                            ("ZORVAN_TIMEOUT", "soon"), ("ZORVAN_TIMEOUT", "99999999999")]:
        cases.append(Case("bad options", f"{variable}={value}", "gtest", env={variable: value},
                          status=1, report_has=("settings", variable)))
    return cases


# What each action of a leaf must end with: in this process, and under --isolate.
LEAF_ACTIONS = {
    "fail": (1, 1, "probe"),
    "throw": (1, 1, "the probe threw"),
    "throw-unknown": (1, 1, "unknown type"),
    "skip": (0, 0, "the probe skips"),
    "bytes": (1, 1, "bytes \\xff\\xfe esc \\x1b[31m ctl \\x01 overlong \\xc0\\xaf"),
    "exit0": (1, 1, "called exit"),
    "exit3": (1, 1, "called exit"),
    "quick_exit0": (1, 1, "quick_exit"),
    "thread-exit0": (1, 1, ""),
    "thread-quick_exit0": (1, 1, ""),
    "_exit0": (0, 1, ""),
    "abort": ("nonzero", 1, ""),
    "segv": ("nonzero", 1, ""),
}


def leaf_endings():
    cases = []
    for action, (in_process, isolated, says) in LEAF_ACTIONS.items():
        crashes = action in ("_exit0", "abort", "segv")
        for mode, args in MODES.items():
            status = isolated if mode == "isolated" else in_process
            # Nothing in the process can write a report after these: the stand-in says so.
            unreportable = crashes and mode != "isolated"
            has = (UNFINISHED,) if unreportable else (says,) if says else ()
            cases.append(Case("leaf endings", f"{action} ({mode})", "main", args,
                              {"PROBE_LEAF": action}, status, report_has=has))
        gtest_status = {"abort": "nonzero", "segv": "nonzero", "_exit0": 0}.get(
            action, 0 if action == "skip" else 1)
        cases.append(Case("leaf endings", f"{action} (GoogleTest)", "gtest",
                          env={"PROBE_LEAF": action}, status=gtest_status,
                          report_has=(UNFINISHED,) if crashes else ()))
    return cases


BUILD_ACTIONS = {
    "throw": (1, "cannot build the tests: the probe threw"),
    "throw-unknown": (1, "cannot build the tests: an exception of an unknown type"),
    "bytes": (1, "cannot build the tests: bytes \\xff\\xfe"),
    "exit0": (1, "exit was called while the tests were being built"),
    "quick_exit0": (1, "quick_exit was called while the tests were being built"),
    "thread-exit0": (1, "exit was called while the tests were being built"),
    "abort": ("nonzero", UNFINISHED),
    "empty": (1, "no leaf to run"),
}


def builder_endings():
    cases = []
    for action, (status, says) in BUILD_ACTIONS.items():
        for mode, args in (("in-process", []), ("isolated", ISOLATE)):
            cases.append(Case("builder endings", f"{action} ({mode})", "main", args,
                              {"PROBE_BUILD": action}, status, report_has=(says,)))
        gtest_says = {"exit0": "zorvan.build\n  called exit",
                      "quick_exit0": "zorvan.build\n  called quick_exit",
                      "thread-exit0": "called exit from a thread that runs no leaf",
                      "abort": "", "empty": ""}.get(action, says)
        gtest_status = 0 if action == "empty" else status
        cases.append(Case("builder endings", f"{action} (GoogleTest)", "gtest",
                          env={"PROBE_BUILD": action}, status=gtest_status,
                          output_has=(gtest_says,) if gtest_says else ()))
    return cases


def data_dir_with(damage):
    """A data folder for the AES suite, damaged by damage(folder)."""
    def make(folder):
        data = os.path.join(folder, "data")
        os.makedirs(os.path.join(data, "Test", "KAT_AES"))
        damage(os.path.join(data, "Test", "KAT_AES"))
        return data
    return make


def gtest_data_cases(source_data):
    cases = []
    kat = os.path.join(source_data, "Test", "KAT_AES")
    damages = {
        "missing KAT folder": lambda folder: shutil.rmtree(folder),
        "a FIFO in the data": lambda folder: os.mkfifo(os.path.join(folder, "ECBFifo128-e.rsp")),
        "a read error in the data": lambda folder: os.symlink(
            "/proc/self/mem", os.path.join(folder, "ECBBroken128-e.rsp")),
    }
    source_data = os.path.abspath(source_data)
    for name, damage in damages.items():
        cases.append(Case("GoogleTest data", name, "gtest", env={"PROBE_SUITE": "AES128:AES128"}, status=1,
                          output_has=("cannot build the tests",), data=data_dir_with(damage)))
    throwing = Case("GoogleTest data", "buildKey throws", "gtest",
                    env={"PROBE_SUITE": "AES128:AES128", "PROBE_KEY": "throw",
                         "zorvan_tests_datadir": source_data}, status=1,
                    output_has=("the key schedule is not initialised",))
    cases.append(throwing)
    if not os.path.isdir(kat):
        return []
    return cases


def signal_cases():
    cases = []
    names = {signal.SIGINT: "SIGINT", signal.SIGTERM: "SIGTERM", signal.SIGHUP: "SIGHUP"}
    sleeping_build = {"PROBE_BUILD": "sleep", "PROBE_SLEEP_MS": "1500"}
    for number, name in names.items():
        status = 128 + number
        cases.append(Case("signals", f"{name} while building", "main", [], sleeping_build,
                          status, report_has=("interrupted by signal", "while the tests were"),
                          send=(number, "build"), slow=True))
        for delay in (0.05, 0.15, 0.3):
            cases.append(Case("signals", f"{name} {int(delay * 1000)} ms after the start", "main",
                              [], sleeping_build, status, report_has=("interrupted by signal",),
                              send=(number, delay), slow=True))
        for mode, args in MODES.items():
            cases.append(Case("signals", f"{name} during a leaf ({mode})", "main", args,
                              {"PROBE_LEAF": "sleep", "PROBE_SLEEP_MS": "5000"}, status,
                              report_has=("not run: interrupted by signal",),
                              report_lacks=("<failure",), output_has=("not run",),
                              send=(number, "leaf"), group=mode == "isolated", slow=True))
        cases.append(Case("signals", f"{name} during a leaf (GoogleTest)", "gtest", [],
                          {"PROBE_LEAF": "sleep", "PROBE_SLEEP_MS": "5000"}, status,
                          report_has=(UNFINISHED,), send=(number, "leaf"), slow=True))
    cases.append(Case("signals", "Ctrl-C at a hanging isolated leaf", "main",
                      ["--isolate", "--jobs", "2"], {"PROBE_LEAF": "hang"}, 130,
                      report_has=("not run: interrupted by signal 2",),
                      report_lacks=("<failure",), send=(signal.SIGINT, "leaf"), group=True,
                      slow=True))
    for moment in ("build", "leaf"):
        environment = sleeping_build if moment == "build" else {"PROBE_LEAF": "hang"}
        cases.append(Case("signals", f"SIGKILL at {moment}", "main", [], environment, 137,
                          report_has=(UNFINISHED,), send=(signal.SIGKILL, moment), slow=True))
        cases.append(Case("signals", f"SIGKILL at {moment} (GoogleTest)", "gtest", [],
                          environment, 137, report_has=(UNFINISHED,),
                          send=(signal.SIGKILL, moment), slow=True))
    return cases


def hang_cases():
    timed_out = "timed out: the leaf ran longer than 1 s"
    return [
        Case("hangs", "endless loop, in-process", "main", ["--timeout", "1"],
             {"PROBE_LEAF": "hang"}, 1, report_has=(timed_out, "not run: the run stopped"),
             output_has=("the run stopped: the leaf Probe/target ran longer than 1 s",),
             slow=True),
        Case("hangs", "endless loop, two jobs", "main", ["--timeout", "1", "--jobs", "2"],
             {"PROBE_LEAF": "hang"}, 1, report_has=(timed_out,), slow=True),
        Case("hangs", "endless loop, isolated", "main", ["--isolate", "--timeout", "1"],
             {"PROBE_LEAF": "hang"}, 1, report_has=(timed_out,), report_lacks=("not run",),
             slow=True),
        Case("hangs", "a slow leaf, isolated", "main", ["--isolate", "--timeout", "1"],
             {"PROBE_LEAF": "sleep", "PROBE_SLEEP_MS": "3000"}, 1, report_has=(timed_out,),
             slow=True),
        Case("hangs", "a leaf within its time", "main", ["--timeout", "2"],
             {"PROBE_LEAF": "sleep", "PROBE_SLEEP_MS": "300"}, 0, slow=True),
        Case("hangs", "endless loop (GoogleTest)", "gtest", [],
             {"PROBE_LEAF": "hang", "ZORVAN_TIMEOUT": "1"}, 1, report_has=(timed_out,),
             output_has=("ZORVAN_TIMEOUT",), slow=True),
        Case("hangs", "a leaf within its time (GoogleTest)", "gtest", [],
             {"PROBE_LEAF": "sleep", "PROBE_SLEEP_MS": "300", "ZORVAN_TIMEOUT": "2"}, 0,
             slow=True),
        Case("hangs", "a builder's endless loop, killed from outside", "main", [],
             {"PROBE_BUILD": "hang"}, 143, report_has=("while the tests were being built",),
             send=(signal.SIGTERM, "build"), slow=True),
    ]


def at(name):
    return lambda folder: os.path.join(folder, name)


def fixed(path):
    return lambda folder: path


def not_built(folder, result):
    marks = os.path.join(folder, "marks")
    if os.path.exists(marks) and "build" in open(marks).read():
        return "the tests were built although the destination was refused"
    return None


def still_char_device(path):
    def check(folder, result):
        return None if stat.S_ISCHR(os.stat(path).st_mode) else f"{path} is no longer a device"
    return check


def fifo_with_reader(folder):
    path = os.path.join(folder, "pipe")
    os.mkfifo(path)
    received = os.path.join(folder, "received.xml")
    subprocess.Popen(f"cat '{path}' > '{received}'", shell=True)
    time.sleep(0.05)
    return path


def received_report(schema):
    def check(folder, result):
        received = os.path.join(folder, "received.xml")
        for _ in range(200):
            if os.path.exists(received) and "</testsuites>" in open(received).read():
                break
            time.sleep(0.01)
        good, problem = well_formed(received, schema)
        return None if good else "the FIFO's reader got no well-formed report: " + problem
    return check


def fifo_without_reader(folder):
    path = os.path.join(folder, "unread")
    os.mkfifo(path)
    return path


def linked_report(folder):
    target = os.path.join(folder, "target.xml")
    with open(target, "w") as file:
        file.write(PREVIOUS)
    link = os.path.join(folder, "link.xml")
    os.symlink(target, link)
    return link


def link_kept(folder, result):
    link = os.path.join(folder, "link.xml")
    if not os.path.islink(link):
        return "the symbolic link was replaced"
    return None if PREVIOUS not in open(link).read() else "the link's target kept the old report"


def dangling_link(folder):
    link = os.path.join(folder, "dangling.xml")
    os.symlink(os.path.join(folder, "nowhere", "x.xml"), link)
    return link


def socket_file(folder):
    path = os.path.join(folder, "socket")
    listener = socket.socket(socket.AF_UNIX)
    listener.bind(path)
    return path


def read_only_file(folder):
    path = fresh(folder)
    with open(path, "w") as file:
        file.write(PREVIOUS)
    os.chmod(path, 0o444)
    return path


def read_only_folder(folder):
    inner = os.path.join(folder, "locked")
    os.mkdir(inner)
    with open(os.path.join(inner, "report.xml"), "w") as file:
        file.write(PREVIOUS)
    os.chmod(inner, 0o555)
    os.chmod(folder, 0o777)
    return os.path.join(inner, "report.xml")


def destination_cases(schema):
    refused = {"previous": "none", "check": not_built}
    cases = [
        Case("JUnit destinations", "missing folder", "main", destination=at("missing/r.xml"),
             status=1, output_has=("cannot write the JUnit report to",), **refused),
        Case("JUnit destinations", "a directory", "main", destination=at("."), status=1,
             output_has=("it is a directory",), **refused),
        Case("JUnit destinations", "read-only file system", "main",
             destination=fixed("/proc/zorvan-report.xml"), status=1, **refused),
        Case("JUnit destinations", "read-only file (replaced as root may)", "main",
             destination=read_only_file,
             status=0 if os.geteuid() == 0 else 1, previous="none",
             check=lambda folder, result: None if os.geteuid() != 0 or PREVIOUS not in open(
                 fresh(folder)).read() else "the old report stayed"),
        Case("JUnit destinations", "/dev/null", "main", destination=fixed("/dev/null"),
             status=0, previous="none", check=still_char_device("/dev/null")),
        Case("JUnit destinations", "/dev/null, failing run", "main",
             destination=fixed("/dev/null"), env={"PROBE_LEAF": "fail"}, status=1,
             previous="none", check=still_char_device("/dev/null")),
        Case("JUnit destinations", "/dev/full", "main", destination=fixed("/dev/full"),
             status=1, previous="none", output_has=("No space left on device",),
             check=still_char_device("/dev/full")),
        Case("JUnit destinations", "a FIFO that is read", "main", destination=fifo_with_reader,
             status=0, previous="none", check=received_report(schema)),
        Case("JUnit destinations", "a FIFO that nobody reads", "main",
             destination=fifo_without_reader, status=1,
             output_has=("a FIFO that no process reads",), **refused),
        Case("JUnit destinations", "a socket", "main", destination=socket_file, status=1,
             **refused),
        Case("JUnit destinations", "a symbolic link to the report", "main",
             destination=linked_report, status=0, previous="none", check=link_kept),
        Case("JUnit destinations", "a dangling symbolic link", "main",
             destination=dangling_link, status=1, output_has=("symbolic link to nothing",),
             **refused),
        Case("JUnit destinations", "previous report, passing run", "main", status=0,
             report_has=('failures="0"',)),
        Case("JUnit destinations", "previous report, listing", "main", ["--list"], status=0,
             previous="untouched"),
        Case("JUnit destinations", "previous report, nothing selected", "main",
             ["--filter", "nothing"], status=1, report_has=("no leaf matches",)),
        Case("JUnit destinations", "previous report, empty shard", "main",
             env={"GTEST_TOTAL_SHARDS": "9", "GTEST_SHARD_INDEX": "8"}, status=0,
             report_has=('tests="0"',)),
        Case("JUnit destinations", "/dev/stdout", "main", destination=fixed("/dev/stdout"),
             status=0, previous="none",
             check=lambda folder, result: None if "</testsuites>" in result.output
             else "no report on standard output"),
        Case("JUnit destinations", "previous report (GoogleTest)", "gtest", status=0),
        Case("JUnit destinations", "/dev/null (GoogleTest)", "gtest",
             destination=fixed("/dev/null"), status=0, previous="none",
             check=still_char_device("/dev/null")),
    ]
    if os.geteuid() == 0 and shutil.which("setpriv"):
        cases.append(Case("JUnit destinations", "read-only folder", "main",
                          destination=read_only_folder, status=1, user="nobody",
                          previous="none", output_has=("Permission denied",),
                          check=lambda folder, result: None if PREVIOUS in open(
                              os.path.join(folder, "locked", "report.xml")).read()
                          else "the report in the read-only folder changed"))
    return cases


def one_error_line(folder, result):
    return None if result.output.count("\n") == 1 else "not one line on standard error"


def output_cases():
    cases = []
    for what, args in (("help", ["--help"]), ("list", ["--list"]), ("report", [])):
        cases.append(Case("standard output", f"the {what} to a full disk", "main", args,
                          status=1, previous="untouched" if args else "replaced",
                          output_has=(f"cannot write the {what} to standard output",),
                          full_output=True, check=one_error_line))
    return cases


def bytes_cases():
    return [
        Case("bytes that are not UTF-8", "in a filter", "main", ["--filter", "\udcff*"],
             status=1, report_has=("no leaf matches --filter",)),
        Case("bytes that are not UTF-8", "names, verbose", "main", ["--verbose"], status=0,
             output_has=("Bytes \\xff\\x1b[2J <&>/name \\xc0\\xaf\\x01 caf\u00e9",)),
        Case("bytes that are not UTF-8", "names (GoogleTest)", "gtest", ["--gtest_list_tests"],
             status=0,
             output_has=("Bytes \\xff\\x1b[2J <&>.", "name \\xc0\\xaf\\x01 caf\u00e9")),
        Case("bytes that are not UTF-8", "a failing leaf's bytes, verbose", "main",
             ["--verbose", "--jobs", "3"], {"PROBE_LEAF": "bytes"}, 1,
             report_has=("\\x1b[31m",)),
    ]


def all_cases(schema, source_data):
    return (bad_options() + leaf_endings() + builder_endings() + gtest_data_cases(source_data) +
            signal_cases() + hang_cases() + destination_cases(schema) + output_cases() +
            bytes_cases())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--main-probe", required=True)
    parser.add_argument("--gtest-probe", required=True)
    parser.add_argument("--schema", required=True)
    parser.add_argument("--data", default=os.environ.get("zorvan_tests_datadir", ""))
    parser.add_argument("--slow", action="store_true", help="also the cases that wait")
    parser.add_argument("--only", default="", help="only cases whose name holds this text")
    options = parser.parse_args()
    programs = {"main": os.path.abspath(options.main_probe),
                "gtest": os.path.abspath(options.gtest_probe)}
    counts = {}
    failed = 0
    for case in all_cases(options.schema, options.data):
        if (case.slow and not options.slow) or options.only not in f"{case.category} {case.name}":
            continue
        folder = tempfile.mkdtemp(prefix="zorvan-campaign-")
        os.chmod(folder, 0o755)
        try:
            if case.data:
                case.env = dict(case.env, zorvan_tests_datadir=case.data(folder))
            report = (case.destination or fresh)(folder)
            result = run_case(case, programs, folder, report)
            wrong = judge(case, result, folder, report, options.schema)
        finally:
            shutil.rmtree(folder, ignore_errors=True)
        total, good = counts.get(case.category, (0, 0))
        counts[case.category] = (total + 1, good + (0 if wrong else 1))
        if wrong:
            failed += 1
            print(f"WRONG {case.category} / {case.name}: " + "; ".join(wrong))
            print("  output: " + result.output[-600:].replace("\n", "\n  "))
    for category, (total, good) in counts.items():
        print(f"{category}: {total} cases, {good} ended correctly")
    cases = sum(total for total, _ in counts.values())
    print(f"{cases - failed} passed, {failed} failed")
    return 0 if failed == 0 and cases > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
