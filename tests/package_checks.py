#!/usr/bin/env python3
"""Static checks of the packages scripts/package.sh builds, for both targets:
each portable zip holds exactly the user's files in one folder, and each
installer is an NSIS installer of the right PE type that carries the
stripped images of its own target (and, in the win64 package, the i686
companion and library in the folder x86).  (The win64 installer also runs, in
tests/scenario/installer_test.cpp; the win32 one cannot run here.)
Prints one line per check and ends with "N passed, N failed".
    package_checks.py [BUILD_ROOT]"""
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
TARGETS = {"i686": ("win32", 0x14C, 0x10B), "x86_64": ("win64", 0x8664, 0x20B)}
PACKAGE_FILES = ["quornvale.exe", "Ostrilix.dll", "settings.ini", "readme_en.txt"]
# The win64 package also carries the 32-bit companion and the 32-bit library,
# i686 images from the i686 build, in the folder x86.
COMPANION_FILES = ["x86/quornvale32.exe", "x86/Ostrilix.dll"]
I686_IMAGE = TARGETS["i686"][1:]
# The marker of a portable copy: in the zip, never installed.
PORTABLE_ONLY = ["portable.txt"]
# The test seams' names (quornvale/test_seams/test_seams.h): never in a package.
TEST_SEAM_NAMES = ["Quornvale.Test.AddressOpenSink", "QUORNVALE_TEST_POWER_DOUBLE",
                   "Quornvale.Test.DropLowLevelHooks", "QUORNVALE_TEST_SLOW_FOLDER_MS"]
NSIS_SCRIPT = ROOT / "installer" / "quornvale.nsi"

passed = failed = 0


def check(ok, text):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
    print("[%s] %s" % ("  OK  " if ok else " FAIL ", text))


def version():
    text = (ROOT / "common" / "version.h").read_text()
    return re.search(r'^#define QUORNVALE_VERSION_TEXT "([0-9.]+)"$', text, re.M).group(1)


def pe_type(data):
    if data[:2] != b"MZ":
        return None
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return None
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    return machine, magic


def stripped(data):
    """No COFF symbols and no debug sections: what strip removes.  (The i686
    strip leaves the pointer to an empty symbol table behind.)"""
    if pe_type(data) is None:
        return False
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    _, sections, _, strings_at, symbols, optional_size = struct.unpack_from("<HHIIIH", data, pe + 4)
    table = pe + 24 + optional_size
    names = []
    for i in range(sections):
        name = data[table + 40 * i:table + 40 * i + 8].rstrip(b"\0")
        if name.startswith(b"/") and strings_at:  # a long name: "/offset" into the string table
            start = strings_at + symbols * 18 + int(name[1:])
            name = data[start:data.index(b"\0", start)]
        names.append(name)
    return symbols == 0 and not any(n.startswith(b".debug") for n in names)


def lines_end_in_crlf(data):
    """Every line of a text file ends in CR LF (UTF-16 with its byte order
    mark, or 8-bit); the last line may have no ending."""
    if data[:2] == b"\xff\xfe":
        data = data[2:].decode("utf-16-le", "replace").encode("utf-8")
    return data.count(b"\n") == data.count(b"\r\n") and b"\r" not in data.replace(b"\r\n", b"")


def seam_names_in(data):
    return [n for n in TEST_SEAM_NAMES if n.encode("utf-16-le") in data or n.encode("ascii") in data]


def check_installer_script():
    """What the installer must never do, read from its script: grant rights
    to other users, or start the program with its own (the installer's
    administrator) rights instead of asking the shell to start it."""
    lines = [l.split(";", 1)[0].strip() for l in NSIS_SCRIPT.read_text().splitlines()]
    grants = [l for l in lines if re.search(r"icacls|cacls|S-1-5-32-545|AccessControl::|/grant", l, re.I)]
    check(not grants, "quornvale.nsi grants nothing to other users %s" % (grants if grants else ""))
    runs = [l for l in lines if re.match(r"(Exec|ExecWait|ExecShell|ExecShellWait|nsExec::\w+)\b", l, re.I)
            and "${EXE}" in l and "explorer.exe" not in l.lower()]
    direct = [l for l in lines if re.match(r'!define\s+MUI_FINISHPAGE_RUN\s', l)]
    through_shell = [l for l in lines if re.match(r"!define\s+MUI_FINISHPAGE_RUN_FUNCTION\s", l)]
    # The uninstaller removes each shipped file by name, and nothing else.
    dist = ROOT / "quornvale" / "resources" / "dist"
    shipped = sorted(str(f.relative_to(dist)).replace("/", "\\") for f in dist.rglob("*")
                     if f.is_file() and f.name not in PORTABLE_ONLY)
    unnamed = [f for f in shipped if 'Delete "$INSTDIR\\%s"' % f not in lines]
    check(not unnamed, "quornvale.nsi's uninstaller deletes each shipped file by name %s" % (unnamed if unnamed else ""))
    wholesale = [l for l in lines if re.match(r"RMDir\s+/r\b", l, re.I)]
    check(not wholesale, "quornvale.nsi's uninstaller removes no folder with its content %s"
          % (wholesale if wholesale else ""))
    check(not runs and not direct and through_shell,
          "quornvale.nsi starts the program only through the shell (Explorer), never with its own Exec %s"
          % (runs + direct if runs or direct else ""))


def expected_files(target):
    dist = ROOT / "quornvale" / "resources" / "dist"
    files = set(PACKAGE_FILES) | {str(p.relative_to(dist)) for p in dist.rglob("*") if p.is_file()}
    if target == "x86_64":
        files |= set(COMPANION_FILES)
    return sorted(files)


def images(target):
    """Every image of the package with the (machine, magic) it must have."""
    own = TARGETS[target][1:]
    out = [("quornvale.exe", own), ("Ostrilix.dll", own)]
    if target == "x86_64":
        out += [(name, I686_IMAGE) for name in COMPANION_FILES]
    return out


def check_target(build_root, target):
    arch, machine, magic = TARGETS[target]
    name = "quornvale-%s-%s" % (version(), arch)
    packages = build_root / target / "packages"
    stage = packages / name
    wanted = expected_files(target)

    zip_path = packages / (name + ".zip")
    check(zip_path.is_file(), "%s.zip built" % name)
    if zip_path.is_file():
        with zipfile.ZipFile(zip_path) as z:
            files = sorted(n[len(name) + 1:] for n in z.namelist()
                           if not n.endswith("/") and n.startswith(name + "/"))
            others = [n for n in z.namelist() if not n.startswith(name + "/")]
            check(files == wanted and not others,
                  "%s.zip holds exactly %s in %s/ (has %s%s)"
                  % (name, ", ".join(wanted), name, ", ".join(files), " and " + ", ".join(others) if others else ""))
            # Notepad of Windows 2000 to 7 shows a file without CR LF as one line.
            image_names = [image for image, _ in images(target)]
            for text in (f for f in files if f not in image_names):
                check(lines_end_in_crlf(z.read("%s/%s" % (name, text))),
                      "%s.zip: every line of %s ends in CR LF" % (name, text))
            for image, kind in images(target):
                member = "%s/%s" % (name, image)
                data = z.read(member) if member in z.namelist() else b""
                check(pe_type(data) == kind,
                      "%s.zip: %s is a %s image" % (name, image, "i686" if kind == I686_IMAGE else target))
                check(stripped(data), "%s.zip: %s is stripped (no symbols, no debug sections)" % (name, image))
                seams = seam_names_in(data)
                check(not seams, "%s.zip: %s carries no test seam %s" % (name, image, seams if seams else ""))

    setup = packages / (name + "-setup.exe")
    check(setup.is_file(), "%s-setup.exe built" % name)
    if not setup.is_file():
        return
    data = setup.read_bytes()
    check(pe_type(data) == (machine, magic),
          "%s-setup.exe: %s image (machine 0x%x)" % (name, "PE32+" if magic == 0x20B else "PE32", machine))
    check(b"NullsoftInst" in data, "%s-setup.exe: an NSIS installer" % name)
    # Unpacked with 7-Zip, which reads NSIS installers: the images inside
    # are the staged ones, byte for byte.
    seven = shutil.which("7z")
    check(seven is not None, "7z found (Debian package p7zip-full)")
    if not seven:
        return
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([seven, "x", "-y", "-o" + out, str(setup)], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        out = Path(out)
        inside = sorted(str(p.relative_to(out)) for p in out.rglob("*")
                        if p.is_file() and not str(p.relative_to(out)).startswith("$"))
        installed = [f for f in wanted if f not in PORTABLE_ONLY]
        check(inside == sorted(installed + ["uninstall.exe"]),
              "%s-setup.exe carries %s and uninstall.exe (has %s)" % (name, ", ".join(installed), ", ".join(inside)))
        for image, kind in images(target):
            packed = out / image
            same = packed.is_file() and packed.read_bytes() == (stage / image).read_bytes()
            check(same and pe_type(packed.read_bytes()) == kind,
                  "%s-setup.exe carries the %s %s" % (name, "i686" if kind == I686_IMAGE else target, image))
            seams = seam_names_in(packed.read_bytes()) if packed.is_file() else ["(missing)"]
            check(not seams, "%s-setup.exe: %s carries no test seam %s" % (name, image, seams if seams else ""))


def main():
    build_root = Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "build"
    check_installer_script()
    for target in TARGETS:
        check_target(build_root, target)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
