"""Checks the KAT data scripts in scripts/data on small inputs: the section split of the AES
files, the Twofish conversion, and the check mode that guards the installed folders."""

import importlib.machinery
import importlib.util
import sys
import tempfile
import unittest
from pathlib import Path

SCRIPTS = Path(__file__).resolve().parents[1] / "scripts" / "data"
sys.path.insert(0, str(SCRIPTS))

import kat_folder  # noqa: E402


def load_script(name):
    loader = importlib.machinery.SourceFileLoader(name.replace("-", "_"), str(SCRIPTS / name))
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    loader.exec_module(module)
    return module


split_aes_vectors = load_script("split-aes-vectors")
convert_twofish_vectors = load_script("convert-twofish-vectors")

AES_FILE = (b"# CAVS 11.1\n# Key Length : 128\n\n[ENCRYPT]\n\nCOUNT = 0\nKEY = 00\n\n"
            b"[DECRYPT]\n\nCOUNT = 0\nKEY = 11\n")


class SplitAESVectorsTest(unittest.TestCase):
    def test_each_section_keeps_the_comment_header(self):
        header, sections = split_aes_vectors.split_sections("x", AES_FILE)
        self.assertEqual(b"".join(header), b"# CAVS 11.1\n# Key Length : 128\n\n")
        self.assertEqual([(title, b"".join(lines)) for title, lines in sections],
                         [(b"[ENCRYPT]", b"[ENCRYPT]\n\nCOUNT = 0\nKEY = 00\n\n"),
                          (b"[DECRYPT]", b"[DECRYPT]\n\nCOUNT = 0\nKEY = 11\n")])

    def test_a_file_without_both_sections_is_refused(self):
        for contents in (b"# only a header\n", AES_FILE + b"[DECRYPT]\n",
                         AES_FILE.replace(b"[DECRYPT]", b"[ENCRYPT]")):
            with self.assertRaises(ValueError):
                split_aes_vectors.split_sections("x", contents)


class ConvertTwofishVectorsTest(unittest.TestCase):
    def test_banner_key_size_and_section_values(self):
        source = (b"\r\nFILENAME:  \"ecb_vt.txt\"\r\n==========\r\n\r\nKEYSIZE=128\r\n\r\n"
                  b"KEY=00\r\n\r\nI=1\r\nPT=80\r\nCT=73\r\n\r\nI=2\r\nKEY=01\r\n==========\r\n")
        self.assertEqual(convert_twofish_vectors.convert(source),
                         b"\r\n# FILENAME:  \"ecb_vt.txt\"\r\n# ==========\r\n\r\n"
                         b"[KEYSIZE=128]\r\n\r\n[KEY=00]\r\n\r\nI=1\r\nPT=80\r\nCT=73\r\n\r\n"
                         b"I=2\r\nKEY=01\r\n# ==========\r\n")


class CheckModeTest(unittest.TestCase):
    def test_missing_extra_and_changed_files_are_reported(self):
        with tempfile.TemporaryDirectory() as folder:
            target = Path(folder)
            files = {"a.rsp": b"a\n", "b.rsp": b"b\n"}
            kat_folder.write(files, target)
            self.assertEqual(kat_folder.differences(files, target), [])
            (target / "a.rsp").write_bytes(b"a\r\n")
            (target / "b.rsp").unlink()
            (target / "stray.txt").write_bytes(b"")
            self.assertEqual(kat_folder.differences(files, target),
                             ["missing: b.rsp", "not generated: stray.txt", "differs: a.rsp"])

    def test_writing_removes_files_that_are_not_generated(self):
        with tempfile.TemporaryDirectory() as folder:
            target = Path(folder)
            (target / "stale.rsp").write_bytes(b"old")
            kat_folder.write({"new.rsp": b"new"}, target)
            self.assertEqual(sorted(path.name for path in target.iterdir()), ["new.rsp"])


if __name__ == "__main__":
    unittest.main()
