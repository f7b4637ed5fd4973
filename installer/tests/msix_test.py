#!/usr/bin/env python3
"""Checks of installer/make-msix. `msix_test.py check <.msix>` only prints what is wrong with a
package (installer/run-tests). With GTEST_OUTPUT=xml:<file> the run also writes its counts there.
"""
import base64
import hashlib
import importlib.machinery
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import types
import unittest
import xml.etree.ElementTree as ET
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MAKE_MSIX = os.path.join(ROOT, "installer", "make-msix")
IDS = os.path.join(ROOT, "context_menu", "clickwell_ids.h")
msix = types.ModuleType("make_msix")  # the script has no .py name, so it is loaded by path
importlib.machinery.SourceFileLoader("make_msix", MAKE_MSIX).exec_module(msix)

BM = "{http://schemas.microsoft.com/appx/2010/blockmap}"
NS = {"m": "http://schemas.microsoft.com/appx/manifest/foundation/windows10",
      "uap": "http://schemas.microsoft.com/appx/manifest/uap/windows10",
      "uap10": "http://schemas.microsoft.com/appx/manifest/uap/windows10/10",
      "rescap": "http://schemas.microsoft.com/appx/manifest/foundation/windows10/"
                "restrictedcapabilities",
      "desktop5": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/5",
      "com": "http://schemas.microsoft.com/appx/manifest/com/windows10",
      "ct": "http://schemas.openxmlformats.org/package/2006/content-types"}


def b64sha(data):
    return base64.b64encode(hashlib.sha256(data).digest()).decode()


def package_problems(path):
    """Bad CRCs, and block map entries that differ from the files as they are in the zip."""
    with zipfile.ZipFile(path) as z, open(path, "rb") as raw:
        if z.testzip() is not None:
            return ["bad CRC in " + z.testzip()]
        problems, listed = [], []
        for f in ET.fromstring(z.read("AppxBlockMap.xml")).iter(BM + "File"):
            name = f.get("Name").replace("\\", "/")
            listed.append(name)
            info, data = z.getinfo(name), z.read(name)
            raw.seek(info.header_offset + 26)  # the local header's name and extra field lengths
            lfh = 30 + sum(struct.unpack("<HH", raw.read(4)))
            blocks = [(b.get("Hash"), b.get("Size")) for b in f.iter(BM + "Block")]
            want = [(b64sha(data[i:i + 65536]), None) for i in range(0, len(data), 65536)]
            if (int(f.get("Size")), int(f.get("LfhSize")), blocks, info.compress_type) != \
                    (len(data), lfh, want, zipfile.ZIP_STORED):
                problems.append(f"{name}: the block map does not match the file")
        rest = {"AppxBlockMap.xml", "[Content_Types].xml", "AppxSignature.p7x"}
        if sorted(listed) != sorted(set(z.namelist()) - rest):
            problems.append(f"the block map lists {listed}, the package holds {z.namelist()}")
        return problems


def make(tmp, *args):
    return subprocess.run([sys.executable, MAKE_MSIX, "--ids", IDS, "--out",
                           os.path.join(tmp, "p.msix"), *args], capture_output=True, text=True)


class BlockMapTest(unittest.TestCase):
    def test_files_and_blocks(self):
        two = b"x" * 65536 + b"\0"
        for name, data, hashes in [
                ("AppxManifest.xml", b"abc", ["ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0="]),
                ("Assets/Empty.png", b"", []),
                ("Assets/Two.png", two,
                 [b64sha(two[:65536]), "bjQLnP+zepicpUTmu3gKLHiQHT+zNzh2hRGjBhevoB0="])]:
            f = ET.fromstring(msix.block_map_xml([(name, data, 77)])).find(BM + "File")
            self.assertEqual((f.get("Name"), f.get("Size"), f.get("LfhSize")),
                             (name.replace("/", "\\"), str(len(data)), "77"))
            self.assertEqual([b.attrib for b in f], [{"Hash": h} for h in hashes])


PUBLISHER = 'CN="Nor, vane & ""Co"""'  # needs XML escaping and Windows' quoting


class PackageTest(unittest.TestCase):
    """Packages made by the script from stand-in logos: one empty, one of two blocks."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        logos = {"StoreLogo.png": b"", "Square150x150Logo.png": bytes(range(256)) * 257,
                 "Square44x44Logo.png": b"abc"}
        for name, data in logos.items():
            with open(os.path.join(cls.tmp, name), "wb") as f:
                f.write(data)
        cls.made = []
        for _ in range(2):
            made = make(cls.tmp, "--version", "1.2.3.4", "--publisher", PUBLISHER,
                        "--assets", cls.tmp)
            assert made.returncode == 0, made.stderr
            with open(os.path.join(cls.tmp, "p.msix"), "rb") as f:
                cls.made.append(f.read())
        cls.zip = zipfile.ZipFile(os.path.join(cls.tmp, "p.msix"))

    @classmethod
    def tearDownClass(cls):
        cls.zip.close()
        shutil.rmtree(cls.tmp)

    def test_zip(self):
        self.assertEqual(package_problems(self.zip.filename), [])
        self.assertEqual(self.made[0], self.made[1])
        self.assertEqual([(i.filename, i.compress_type) for i in self.zip.infolist()], [
            ("AppxManifest.xml", 0), ("Assets/Square150x150Logo.png", 0),
            ("Assets/Square44x44Logo.png", 0), ("Assets/StoreLogo.png", 0),
            ("AppxBlockMap.xml", 8), ("[Content_Types].xml", 8)])  # 0 stored, 8 deflated
        listed = [f.get("Name") for f in ET.fromstring(self.zip.read("AppxBlockMap.xml"))]
        self.assertEqual(listed, [n.replace("/", "\\") for n in self.zip.namelist()[:4]])
        types_ = ET.fromstring(self.zip.read("[Content_Types].xml"))
        self.assertEqual({(t.get("Extension") or t.get("PartName"), t.get("ContentType"))
                          for t in types_}, {
            ("png", "image/png"), ("/AppxManifest.xml", "application/vnd.ms-appx.manifest+xml"),
            ("/AppxBlockMap.xml", "application/vnd.ms-appx.blockmap+xml")})

    def test_manifest(self):
        m = ET.fromstring(self.zip.read("AppxManifest.xml"))
        app = m.find("m:Applications/m:Application", NS)
        visuals = app.find("uap:VisualElements", NS)
        with open(IDS, encoding="utf-8") as f:
            add, open_ = re.findall(r'k(?:Add|Open)CommandClassIdText\[\] = L"\{(.+)\}"', f.read())
        self.assertEqual([
            m.find("m:Identity", NS).get("Publisher"),
            m.find("m:Properties/uap10:AllowExternalContent", NS).text,
            sorted(c.get("Name") for c in m.iterfind("m:Capabilities/rescap:Capability", NS)),
            m.find("m:Dependencies/m:TargetDeviceFamily", NS).get("MinVersion"),
            [app.get("{%s}%s" % (NS["uap10"], a)) for a in ("TrustLevel", "RuntimeBehavior")],
            [(c.get("Id"), c.get("Path")) for c in app.iterfind(".//com:SurrogateServer/*", NS)],
            {t.get("Type"): [(v.get("Id"), v.get("Clsid")) for v in t]
             for t in app.iterfind(".//desktop5:ItemType", NS)},
        ], [
            PUBLISHER, "true", ["runFullTrust", "unvirtualizedResources"], "10.0.19041.0",
            ["mediumIL", "win32App"], [(add, "Clickwell.dll"), (open_, "Clickwell.dll")],
            {t: [("StashlyAdd", add), ("StashlyOpen", open_)]
             for t in ("*", "Directory", "Directory\\Background")},
        ])
        logos = [m.find("m:Properties/m:Logo", NS).text,
                 visuals.get("Square150x150Logo"), visuals.get("Square44x44Logo")]
        self.assertLessEqual({n.replace("\\", "/") for n in logos}, set(self.zip.namelist()))


class InputTest(unittest.TestCase):
    def test_windows_name(self):
        for subject, want in [
                ("subject=CN=Stashly test signing\n", "CN=Stashly test signing"),
                ("CN=Norvane Ltd,O=Norvane,ST=Zhejiang,C=CN",
                 "CN=Norvane Ltd, O=Norvane, S=Zhejiang, C=CN"),
                ("2.5.4.3=\\E6\\B5\\8B+2.5.4.5=7,1.3.6.1.4.1.311.60.2.1.3=US",
                 "CN=测 + SERIALNUMBER=7, OID.1.3.6.1.4.1.311.60.2.1.3=US"),
                ('CN=Nor\\, vane,O=\\"Q\\" & Co,OU=\\ a',
                 'CN="Nor, vane", O="""Q"" & Co", OU=" a"'),
                ("CN", None), ("CN=a\\", None), ("1.2.3.4=#0C03616263", None)]:
            self.assertEqual(msix.windows_name(subject), want, subject)

    def test_bad_arguments_make_nothing(self):
        with tempfile.TemporaryDirectory() as tmp:
            with open(os.path.join(tmp, "ids.h"), "w") as f:
                f.write("// no ids\n")
            for args in [("--version", "1.0.0", "--publisher", "CN=N"),
                         ("--version", "1.0.0.70000", "--publisher", "CN=N"),
                         ("--version", "1.0.0.1", "--publisher", "Norvane"),
                         ("--version", "1.0.0.1", "--publisher", "CN=N", "--ids", f.name),
                         ("--version", "1.0.0.1", "--publisher", "CN=N")]:  # no logos in tmp
                made = make(tmp, "--assets", tmp, *args)
                self.assertEqual((made.returncode, made.stderr[:11]), (1, "make-msix: "), args)
                self.assertFalse(os.path.exists(os.path.join(tmp, "p.msix")), args)


def _signs_msix():  # osslsigncode knows the format from 2.7 on
    version = subprocess.run("osslsigncode --version", shell=True, capture_output=True, text=True)
    m = re.match(r"osslsigncode (\d+)\.(\d+)", version.stdout)
    return bool(m) and (int(m[1]), int(m[2])) >= (2, 7)


@unittest.skipUnless(shutil.which("openssl") and shutil.which("convert") and _signs_msix(),
                     "needs openssl, ImageMagick and osslsigncode 2.7 or later")
class SignedPackageTest(unittest.TestCase):
    def test_signed_as_build_setup_does(self):
        with tempfile.TemporaryDirectory() as tmp:
            def run(*command):
                return subprocess.run(command, cwd=tmp, check=True, capture_output=True, text=True)

            run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                "-subj", "/O=Norvane & Co/CN=Stashly test signing", "-addext",
                "extendedKeyUsage=codeSigning", "-keyout", "key.pem", "-out", "cert.pem")
            run("openssl", "pkcs12", "-export", "-inkey", "key.pem", "-in", "cert.pem",
                "-passout", "pass:t", "-out", "sign.pfx")
            subject = run("openssl", "x509", "-in", "cert.pem", "-noout", "-subject",
                          "-nameopt", "RFC2253,oid").stdout
            made = make(tmp, "--version", "1.0.0.1", "--subject", subject,
                        "--icon", os.path.join(ROOT, "app", "stashly.ico"))
            self.assertEqual(made.returncode, 0, made.stderr)
            run("osslsigncode", "sign", "-pkcs12", "sign.pfx", "-pass", "t", "-h", "sha256",
                "-in", "p.msix", "-out", "s.msix")
            run("osslsigncode", "verify", "-CAfile", "cert.pem", "-in", "s.msix")
            signed = os.path.join(tmp, "s.msix")
            self.assertEqual(package_problems(signed), [])
            with zipfile.ZipFile(signed) as z:
                identity = ET.fromstring(z.read("AppxManifest.xml")).find("m:Identity", NS)
                self.assertEqual(identity.get("Publisher"),
                                 "CN=Stashly test signing, O=Norvane & Co")
                for name, edge in msix.LOGOS.items():  # PNG width and height
                    self.assertEqual(struct.unpack(">II", z.read("Assets/" + name)[16:24]),
                                     (edge, edge), name)


if __name__ == "__main__":
    if sys.argv[1:2] == ["check"] and len(sys.argv) == 3:
        try:
            problems = package_problems(sys.argv[2])
        except (OSError, KeyError, zipfile.BadZipFile, ET.ParseError) as e:
            problems = [f"{sys.argv[2]}: {e}"]
        sys.exit("\n".join(problems) or None)
    result = unittest.main(exit=False).result
    report = os.environ.get("GTEST_OUTPUT", "").removeprefix("xml:")
    if report:  # in GoogleTest's form, so that scripts/summarize-tests counts the cases
        with open(report, "w") as f:
            f.write('<testsuites tests="%d" failures="%d" errors="%d" skipped="%d"/>\n' % (
                result.testsRun, len(result.failures), len(result.errors), len(result.skipped)))
    sys.exit(0 if result.wasSuccessful() else 1)
