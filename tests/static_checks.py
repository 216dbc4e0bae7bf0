#!/usr/bin/env python3
"""Static checks of the built Windows images, above all the i686 build, which
cannot run on these machines: image type, the library's exports by name, the
shared data sections, and imports from system DLLs only.  The i686 images
must load on Windows 2000: each function they import is listed in
i686_imports.txt with the first Windows version that has it, and none may be
newer than Windows 2000 (newer ones are bound at run time instead).
Prints one line per check and ends with "N passed, N failed".
    static_checks.py [BUILD_ROOT [IMPORT_LIST]]"""
import re
import struct
import sys
from pathlib import Path

READ, WRITE, SHARED, INIT_DATA = 0x40000000, 0x80000000, 0x10000000, 0x40
MACHINES = {"i686": (0x14C, 0x10B), "x86_64": (0x8664, 0x20B)}
LIBRARY_EXPORTS = [
    "EnableFeatures", "SetFeatureFlags", "SetRetrieveWndInfoFlag", "SetAeroSnapMode",
    "SetMButtonFunctionCode", "SetMinimalAlphaValue", "SetNotifyIconList",
    "SetScrollDirectlyExceptionList", "SetMidButtonExceptionList", "SetDisableIMEList",
    "MouseProc", "LowLevelMouseProc", "LowLevelKeyboardProc", "CallWndProc",
    "CallWndProcRet", "GetMsgProc", "ResetRunTimeState", "RestoreTouchedWindows",
    "RestoreFadedWindows", "ReturnTrayWindows", "RestoreMenuEffects",
    "SetProgramProcess", "GiveBackRecordedChanges",
    "GetDesktopHandle", "SetLVMTextColor",
]
# Windows versions in release order, as written in i686_imports.txt ("2000"
# stands for Windows 2000 and the NT versions before it).
WINDOWS_VERSIONS = ["2000", "XP", "2003", "Vista", "7", "8", "8.1", "10"]
OLDEST = "2000"
IMPORT_LIST = Path(__file__).resolve().parent / "i686_imports.txt"
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "advapi32.dll", "shell32.dll",
    "comctl32.dll", "gdiplus.dll", "msimg32.dll", "powrprof.dll", "imm32.dll", "ole32.dll",
    "wtsapi32.dll", "shlwapi.dll", "comdlg32.dll", "version.dll",
}

# The DLLs the hook library may import.  Each of them is loaded into every GUI
# process that the hooks reach, with the library: a DLL that a feature needs
# only when it acts is loaded at that moment instead (shell32 for the tray
# icons of minimised windows, imm32 where it is loaded already).  A DLL may be
# added here only when nothing can act without it.
LIBRARY_IMPORTS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"}
# The test seams (quornvale/test_seams/test_seams.h): only the test build of
# the program, bin/test_seams/quornvale.exe, may carry their names.
TEST_SEAM_NAMES = ["Quornvale.Test.AddressOpenSink", "QUORNVALE_TEST_POWER_DOUBLE",
                   "Quornvale.Test.DropLowLevelHooks", "QUORNVALE_TEST_SLOW_FOLDER_MS"]


def seam_names_in(data):
    """The test seams' names an image carries, as wide or narrow text."""
    return [n for n in TEST_SEAM_NAMES if n.encode("utf-16-le") in data or n.encode("ascii") in data]


def check_test_seams(bin_dir, target):
    for name in ("quornvale.exe", "Ostrilix.dll"):
        path = bin_dir / name
        found = seam_names_in(path.read_bytes()) if path.is_file() else ["(missing)"]
        check(not found, f"{target} {name}: no test seam in the product {found if found else ''}")
    # The names are found where they are: the check above can fail.
    test_build = bin_dir / "test_seams" / "quornvale.exe"
    found = seam_names_in(test_build.read_bytes()) if test_build.is_file() else []
    check(found == TEST_SEAM_NAMES, f"{target} test_seams/quornvale.exe: the test build carries the seams {found}")


class Image:
    def __init__(self, path):
        self.data = Path(path).read_bytes()
        d = self.data
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        self.machine, nsect, _, _, _, optsize, self.characteristics = struct.unpack_from("<HHIIIHH", d, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", d, opt)[0]
        dirs = opt + (96 if self.magic == 0x10B else 112)
        self.dirs = [struct.unpack_from("<II", d, dirs + 8 * i) for i in range(16)]
        self.sections = []
        s = opt + optsize
        for i in range(nsect):
            name, vsize, va, rsize, rptr = struct.unpack_from("<8sIIII", d, s + 40 * i)
            flags = struct.unpack_from("<I", d, s + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode(), va, vsize, rptr, rsize, flags))

    def offset(self, rva):
        for _, va, vsize, rptr, rsize, _ in self.sections:
            if va <= rva < va + max(vsize, rsize):
                return rva - va + rptr
        raise ValueError("rva outside sections")

    def cstr(self, rva):
        o = self.offset(rva)
        return self.data[o:self.data.index(b"\0", o)].decode()

    def exports(self):
        rva, size = self.dirs[0]
        if not rva:
            return []
        o = self.offset(rva)
        n_names, _, names_rva = struct.unpack_from("<III", self.data, o + 24)[0], None, struct.unpack_from("<I", self.data, o + 32)[0]
        return [self.cstr(struct.unpack_from("<I", self.data, self.offset(names_rva) + 4 * i)[0]) for i in range(n_names)]

    def imports(self):
        rva, _ = self.dirs[1]
        out = []
        o = self.offset(rva)
        while True:
            name_rva = struct.unpack_from("<I", self.data, o + 12)[0]
            if not name_rva:
                return out
            out.append(self.cstr(name_rva).lower())
            o += 20

    def imported_functions(self):
        """Every import as "dll!function" ("dll!#ordinal" for one by ordinal),
        the DLL name as the image writes it."""
        rva, _ = self.dirs[1]
        if not rva:
            return []
        wide = self.magic == 0x20B
        size, by_ordinal = (8, 1 << 63) if wide else (4, 1 << 31)
        out = []
        o = self.offset(rva)
        while True:
            lookup, _, _, name_rva, first_thunk = struct.unpack_from("<IIIII", self.data, o)
            if not name_rva:
                return out
            dll = self.cstr(name_rva)
            t = self.offset(lookup or first_thunk)
            while True:
                entry = struct.unpack_from("<Q" if wide else "<I", self.data, t)[0]
                if not entry:
                    break
                if entry & by_ordinal:
                    out.append(f"{dll}!#{entry & 0xFFFF}")
                else:
                    out.append(f"{dll}!{self.cstr((entry & 0x7FFFFFFF) + 2)}")
                t += size
            o += 20

    def section(self, name):
        return next((s for s in self.sections if s[0] == name), None)


passed = failed = 0


def check(ok, what):
    global passed, failed
    if ok:
        passed += 1
        print(f"[  OK  ] {what}")
    else:
        failed += 1
        print(f"[ FAIL ] {what}")


def check_image(path, target, is_dll, shared_section, size_of_shared=None):
    try:
        img = Image(path)
    except (OSError, ValueError) as e:
        check(False, f"{target} {path.name}: readable image ({e})")
        return None
    machine, magic = MACHINES[target]
    check(img.machine == machine and img.magic == magic,
          f"{target} {path.name}: {'PE32' if magic == 0x10B else 'PE32+'} image for machine {machine:#x}")
    check(bool(img.characteristics & 0x2000) == is_dll, f"{target} {path.name}: {'DLL' if is_dll else 'executable'}")
    sec = img.section(shared_section) if shared_section else None
    want = READ | WRITE | SHARED | INIT_DATA
    if shared_section:
        check(sec is not None and sec[5] & want == want,
              f"{target} {path.name}: section {shared_section} readable, writable, shared"
              + (f" (flags {sec[5]:#x})" if sec else " (missing)"))
    else:
        # The companion keeps no flag between processes: nothing of it can
        # block a start of the program.
        shared = [s[0] for s in img.sections if s[5] & SHARED]
        check(not shared, f"{target} {path.name}: no shared section {shared if shared else ''}")
    if sec and size_of_shared:
        check(sec[2] >= size_of_shared, f"{target} {path.name}: {shared_section} holds {size_of_shared} bytes")
    foreign = [d for d in img.imports() if d not in SYSTEM_DLLS and not d.startswith("api-ms-win-")]
    check(not foreign, f"{target} {path.name}: imports only system DLLs {foreign if foreign else ''}")
    return img


def read_import_list(path):
    """{"dll!function" with the DLL in lower case: (first Windows version,
    name as listed)}, and the lines that are not "DLL!Function VERSION"."""
    listed, bad = {}, []
    for number, line in enumerate(path.read_text().splitlines(), 1):
        line = line.strip()
        if not line or line.startswith("#"):  # "#" also starts an ordinal: comments are whole lines
            continue
        parts = line.split()
        if len(parts) != 2 or "!" not in parts[0] or parts[1] not in WINDOWS_VERSIONS:
            bad.append(f"line {number}: {line!r}")
            continue
        dll, function = parts[0].split("!", 1)
        key = f"{dll.lower()}!{function}"
        if key in listed:
            bad.append(f"line {number}: {parts[0]} listed twice")
        listed[key] = (parts[1], parts[0])
    return listed, bad


def key_of(name):
    dll, function = name.split("!", 1)
    return f"{dll.lower()}!{function}"


def show(names, limit=12):
    return "" if not names else " " + ", ".join(names[:limit]) + (f" and {len(names) - limit} more" if len(names) > limit else "")


def check_windows_2000_imports(images, import_list):
    """images: {file name: Image} of the i686 build."""
    try:
        listed, bad = read_import_list(import_list)
    except OSError as e:
        check(False, f"i686: import list {import_list.name} readable ({e})")
        return
    check(not bad, f"i686: {import_list.name} has one \"DLL!Function VERSION\" a line, each once,"
                   f" VERSION one of {' '.join(WINDOWS_VERSIONS)}{show(bad)}")
    oldest = WINDOWS_VERSIONS.index(OLDEST)
    seen = set()
    for name, img in images.items():
        imports = img.imported_functions()
        seen.update(key_of(i) for i in imports)
        dlls = sorted({i.split("!", 1)[0] for i in imports}, key=str.lower)
        refused = [d for d in dlls if d.lower() == "gdiplus.dll" or d.lower() == "ucrtbase.dll"
                   or d.lower().startswith("api-ms-win-")]
        check(not refused, f"i686 {name}: no import of a DLL that Windows 2000 lacks"
                           f" (gdiplus, UCRT, API sets){show(refused)}")
        unlisted = [i for i in imports if key_of(i) not in listed]
        check(not unlisted, f"i686 {name}: every imported function is in {import_list.name}{show(unlisted)}")
        newer = [f"{i} ({listed[key_of(i)][0]})" for i in imports
                 if key_of(i) in listed and WINDOWS_VERSIONS.index(listed[key_of(i)][0]) > oldest]
        check(not newer, f"i686 {name}: imports nothing newer than Windows {OLDEST}{show(newer)}")
    if len(images) == 3:
        stale = sorted(v[1] for k, v in listed.items() if k not in seen)
        check(not stale, f"i686: {import_list.name} lists only functions the images import"
                         f" (remove the others){show(stale)}")


RT_MANIFEST = 24
MANIFEST_DEPENDENCIES = ["Microsoft.Windows.Common-Controls", "Microsoft.Windows.GdiPlus"]


def resource_data(img, type_id):
    """The bytes of the first resource of a type (first name, first language)."""
    rva, _ = img.dirs[2]
    if not rva:
        return None
    base = img.offset(rva)

    def first_entry(directory):
        named, ids = struct.unpack_from("<HH", img.data, directory + 12)
        return [struct.unpack_from("<II", img.data, directory + 16 + 8 * i) for i in range(named + ids)]

    for name, target in first_entry(base):
        if name != type_id or not target & 0x80000000:
            continue
        level = base + (target & 0x7FFFFFFF)
        for _ in range(2):  # name, then language
            entries = first_entry(level)
            if not entries:
                return None
            target = entries[0][1]
            if not target & 0x80000000:
                break
            level = base + (target & 0x7FFFFFFF)
        data_rva, size = struct.unpack_from("<II", img.data, base + target)
        o = img.offset(data_rva)
        return img.data[o:o + size]
    return None


def check_manifest(img, target):
    """The program's embedded manifest: both side-by-side dependencies (the
    common controls 6 and GDI+, which Windows XP keeps only in WinSxS) and
    the declaration of DPI awareness."""
    import re
    data = resource_data(img, RT_MANIFEST)
    text = data.decode("utf-8", "replace") if data else ""
    check(bool(text), f"{target} quornvale.exe: carries a manifest")
    dependencies = re.findall(r"<dependentAssembly>\s*<assemblyIdentity([^>]*)>", text)
    names = [re.search(r'name="([^"]*)"', d).group(1) for d in dependencies if 'name="' in d]
    signed = all('publicKeyToken="6595b64144ccf1df"' in d and 'type="win32"' in d for d in dependencies)
    check(sorted(names) == sorted(MANIFEST_DEPENDENCIES) and signed,
          f"{target} quornvale.exe: manifest depends on {' and '.join(MANIFEST_DEPENDENCIES)} {names}")
    check(re.search(r"<dpiAware[^>]*>\s*true\s*</dpiAware>", text) is not None,
          f"{target} quornvale.exe: manifest declares the program DPI-aware")


SOURCE_FOLDERS = ("common", "ostrilix", "quornvale")
# Pairs that still use each other, each with what would end it.  The list only
# shrinks: a pair that is gone must leave it, so that it cannot come back.
# - Roll-up subclasses a rolled window with the shared subclass procedure,
#   which asks roll-up for the window's rolled height: ends when the rolled
#   windows' table is a file of its own (as faded_windows is for wheel
#   transparency).
KNOWN_PAIRS = []


def include_graph(source_root):
    """Which file uses which other: a .cpp and its .h are one file here, and
    a file uses another when it includes that one's header."""
    uses = {}
    for folder in SOURCE_FOLDERS:
        for path in sorted((source_root / folder).rglob("*")):
            if path.suffix not in (".cpp", ".h"):
                continue
            name = path.relative_to(source_root).with_suffix("").as_posix()
            text = path.read_text(encoding="utf-8", errors="replace")
            for included in re.findall(r'^\s*#\s*include\s+"([^"]+)\.h"', text, re.MULTILINE):
                if included != name:
                    uses.setdefault(name, set()).add(included)
    return uses


def files_using_each_other(uses):
    return sorted({tuple(sorted((a, b))) for a, used in uses.items() for b in used if a in uses.get(b, ())})


def check_one_direction(source_root):
    """No two files call each other: between any two files, one direction."""
    pairs = files_using_each_other(include_graph(source_root))
    # The check can fail: a pair made up here is found.
    made_up = files_using_each_other({"a/x": {"a/y"}, "a/y": {"a/x", "a/z"}, "a/z": set()})
    check(made_up == [("a/x", "a/y")], f"include graph: a made-up pair is found {made_up}")
    new = [p for p in pairs if p not in KNOWN_PAIRS]
    gone = [p for p in KNOWN_PAIRS if p not in pairs]
    check(not new, "sources: no two files use each other, but the known pairs"
          + (" (" + "; ".join(f"{a} <-> {b}" for a, b in new) + ")" if new else ""))
    check(not gone, "sources: every known pair still uses each other (remove the others from KNOWN_PAIRS)"
          + (f" {gone}" if gone else ""))


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "build"
    import_list = Path(sys.argv[2]) if len(sys.argv) > 2 else IMPORT_LIST
    check_one_direction(Path(__file__).resolve().parent.parent)
    for target in ("i686", "x86_64"):
        bin_dir = root / target / "bin"
        dll = check_image(bin_dir / "Ostrilix.dll", target, True, ".shared")
        exe = check_image(bin_dir / "quornvale.exe", target, False, ".share")
        check_test_seams(bin_dir, target)
        if exe:
            check_manifest(exe, target)
        if target == "i686":
            # The 32-bit companion of the win64 package, built here only.
            companion = check_image(bin_dir / "quornvale32.exe", target, False, None)
            check_windows_2000_imports({n: i for n, i in (("Ostrilix.dll", dll), ("quornvale.exe", exe),
                                                          ("quornvale32.exe", companion)) if i},
                                       import_list)
        if dll:
            extra = sorted(set(dll.imports()) - LIBRARY_IMPORTS)
            check(not extra, f"{target} Ostrilix.dll: imports only {', '.join(sorted(LIBRARY_IMPORTS))}{show(extra)}")
            names = set(dll.exports())
            missing = [n for n in LIBRARY_EXPORTS if n not in names]
            check(not missing, f"{target} Ostrilix.dll: exports by plain name {missing if missing else ''}")
            decorated = [n for n in names if "@" in n]
            check(not decorated, f"{target} Ostrilix.dll: no decorated export names {decorated if decorated else ''}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
