#!/usr/bin/env python3
"""zorvan-check's --html page, read by python's HTML parser.

Runs zorvan-check over a copy of the SHA-1 vectors with one known answer damaged and checks the
page it writes: every element closed in order, nothing fetched or run from elsewhere, the matrix
with a failed cell per backend, and the failure showing its vector with the differing octet
marked.

usage: html_report_page_test.py ZORVAN_CHECK DATA_DIR
"""

import html.parser
import pathlib
import re
import subprocess
import sys
import tempfile

VOID = {"meta", "br"}
FORBIDDEN = {"script", "link", "img", "iframe", "object", "embed", "base"}


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.open = []
        self.errors = []
        self.cells = []
        self.failures = []
        self.marks = 0
        self.text = []

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if tag in FORBIDDEN:
            self.errors.append(f"<{tag}> element")
        for name, value in attrs:
            if name == "src" or name.startswith("on"):
                self.errors.append(f"{name}= attribute on <{tag}>")
            if name == "href" and not (value or "").startswith("#"):
                self.errors.append(f"link out of the page: {value}")
        if tag == "td" and "cell" in attributes.get("class", ""):
            self.cells.append(attributes["class"].split()[1])
        if tag == "section":
            self.failures.append("")
        if tag == "mark":
            self.marks += 1
        if tag not in VOID:
            self.open.append((tag, self.getpos()))

    def handle_endtag(self, tag):
        if not self.open or self.open[-1][0] != tag:
            self.errors.append(f"</{tag}> at {self.getpos()} closes {self.open[-1:]}")
            return
        self.open.pop()

    def handle_data(self, data):
        self.text.append(data)
        if self.failures and any(tag == "section" for tag, _ in self.open):
            self.failures[-1] += data


def main(check, data):
    with tempfile.TemporaryDirectory() as scratch:
        root = pathlib.Path(scratch)
        folder = root / "Test" / "KAT_SHA"
        folder.mkdir(parents=True)
        vectors = (pathlib.Path(data) / "Test" / "KAT_SHA" / "SHA1ShortMsg.rsp").read_text()
        # The first answer's first octet turned from xy to xy ^ 0x01.
        answer = re.search(r"MD = ([0-9a-f]{2})", vectors)
        damaged = format(int(answer.group(1), 16) ^ 1, "02x")
        vectors = vectors[: answer.start(1)] + damaged + vectors[answer.end(1) :]
        (folder / "SHA1ShortMsg.rsp").write_text(vectors)
        page_path = root / "page.html"
        run = subprocess.run(
            [check, "--data-dir", scratch, "--suite", "SHA1", "--backend", "openssl,nettle",
             "--seed", "1", "--cases", "5", "--html", str(page_path)],
            capture_output=True, text=True, check=False)
        if run.returncode != 1:
            sys.exit(f"zorvan-check exited {run.returncode}, not 1:\n{run.stdout}{run.stderr}")
        page = Page()
        page.feed(page_path.read_text(encoding="utf-8"))
        page.close()

    problems = list(page.errors)
    if page.open:
        problems.append(f"elements left open: {page.open}")
    if page.cells != ["failed", "failed"]:
        problems.append(f"matrix cells {page.cells}, not one failed cell per backend")
    if len(page.failures) != 2:
        problems.append(f"{len(page.failures)} failure sections, not 2")
    for failure in page.failures:
        for expected in ("SHA1ShortMsg.rsp:", "computed", "known answer", damaged):
            if expected not in failure:
                problems.append(f"a failure lacks {expected!r}: {failure!r}")
    # Each failure's two values are pairs (the strict and the chunked digest): 8 marked octets.
    if page.marks != 8:
        problems.append(f"{page.marks} marked runs of octets, not one in each of 8 digests")
    if "2 failed" not in "".join(page.text):
        problems.append("the closing line is missing")
    if problems:
        sys.exit("\n".join(problems))


if __name__ == "__main__":
    main(*sys.argv[1:])
