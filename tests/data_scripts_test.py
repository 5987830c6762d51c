"""Checks the KAT data scripts in scripts/data on small inputs: the section split of the AES
files, the Twofish, HMAC-MD5 and Camellia conversions, the Wycheproof compression, and the check
mode that guards the installed folders."""

import gzip
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
convert_hmac_md5_vectors = load_script("convert-hmac-md5-vectors")
convert_camellia_vectors = load_script("convert-camellia-vectors")
compress_wycheproof_vectors = load_script("compress-wycheproof-vectors")

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


class ConvertHmacMd5VectorsTest(unittest.TestCase):
    def test_cases_become_numbered_records_of_one_section_with_their_comments(self):
        source = ("# 2. Test Cases\n\nLen = 16\n# \"Jefe\"\nKey = 4a65\nMsg = 7768\n"
                  "MD = " + "ab" * 16 + "\n\nLen = 0\nKey = 0b\nMsg = \nMD = " + "cd" * 16 + "\n")
        self.assertEqual(convert_hmac_md5_vectors.convert(source).decode().split("\n")[2:],
                         ["[L=16]", "", "# 2. Test Cases", "# \"Jefe\"", "Count = 1",
                          "Klen = 2", "Tlen = 16", "Key = 4a65", "Msg = 7768",
                          "Mac = " + "ab" * 16, "", "Count = 2", "Klen = 1", "Tlen = 16",
                          "Key = 0b", "Msg = ", "Mac = " + "cd" * 16, ""])

    def test_a_case_whose_len_or_digest_does_not_fit_is_refused(self):
        for source in ("Len = 8\nKey = 00\nMsg = 0102\nMD = " + "ab" * 16,
                       "Len = 8\nKey = 00\nMsg = 01\nMD = ab",
                       "Len = 8\nMsg = 01\nMD = " + "ab" * 16):
            with self.assertRaises(ValueError):
                convert_hmac_md5_vectors.convert(source)


class ConvertCamelliaVectorsTest(unittest.TestCase):
    NTT = ("# Camellia with 128-bit key\n\nK No.001 : 00 01\n\nP No.001 : 80 00\n"
           "C No.001 : 07 92\n\nP No.002 : 40 00\nC No.002 : 48 CD\n\n"
           "K No.002 : FF FF\n\nP No.001 : 80 00\nC No.001 : 06 C8\n")

    def test_each_plaintext_pair_becomes_a_record_under_its_key(self):
        records = convert_camellia_vectors.ntt_records(self.NTT)
        self.assertEqual(records, [("001", "001", "0001", "8000", "0792"),
                                   ("001", "002", "0001", "4000", "48CD"),
                                   ("002", "001", "FFFF", "8000", "06C8")])
        text = convert_camellia_vectors.ntt_file("x.txt", "[DECRYPT]", records[2:]).decode()
        self.assertIn("[DECRYPT]\n\n# K No.002, P No.001\nCOUNT = 0\nKEY = FFFF\n"
                      "PLAINTEXT = 8000\nCIPHERTEXT = 06C8\n", text)

    def test_lines_out_of_place_are_refused(self):
        for source in ("P No.001 : 80\nC No.001 : 07\n",
                       "K No.001 : 00\nP No.001 : 80\nC No.002 : 07\n"):
            with self.assertRaises(ValueError):
                convert_camellia_vectors.ntt_records(source)

    def test_mode_files_are_copied_for_encryption_and_turned_round_for_decryption(self):
        with tempfile.TemporaryDirectory() as folder:
            source = Path(folder)
            for bits in (128, 192, 256):
                (source / f"camellia-{bits}-ecb.txt").write_text(self.NTT)
            for mode in ("cbc", "cfb", "ofb"):
                (source / f"camellia-{mode}.txt").write_bytes(b"# x\n[ENCRYPT]\nCOUNT = 0\n")
            files = convert_camellia_vectors.generate(source)
        self.assertEqual(files["CFB128Camellia-e.rsp"], b"# x\n[ENCRYPT]\nCOUNT = 0\n")
        self.assertEqual(files["CFB128Camellia-d.rsp"], b"# x\n[DECRYPT]\nCOUNT = 0\n")
        self.assertEqual(len(files), 12)


class CompressWycheproofVectorsTest(unittest.TestCase):
    NAMES = ["aes_cbc_pkcs5", "aes_ccm", "aes_cmac", "aes_gcm", "aes_xts", "camellia_cbc_pkcs5",
             "chacha20_poly1305", "xchacha20_poly1305"] + [
                 f"hmac_sha{bits}" for bits in ("1", "224", "256", "384", "512", "512_224",
                                                "512_256", "3_224", "3_256", "3_384", "3_512")]

    def test_each_file_is_compressed_the_same_way_every_time(self):
        with tempfile.TemporaryDirectory() as folder:
            source = Path(folder)
            for name in self.NAMES + ["rsa_oaep_2048_sha256_mgf1sha256"]:
                (source / f"{name}_test.json").write_text(f'{{"algorithm": "{name}"}}')
            files = compress_wycheproof_vectors.generate(source)
            self.assertEqual(files, compress_wycheproof_vectors.generate(source))
        self.assertEqual(sorted(files), sorted(f"{name}_test.json.gz" for name in self.NAMES))
        self.assertEqual(gzip.decompress(files["aes_gcm_test.json.gz"]),
                         b'{"algorithm": "aes_gcm"}')

    def test_a_missing_file_is_refused(self):
        with tempfile.TemporaryDirectory() as folder:
            (Path(folder) / "aes_gcm_test.json").write_text("{}")
            with self.assertRaises(ValueError):
                compress_wycheproof_vectors.generate(Path(folder))


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
