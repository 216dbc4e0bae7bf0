#!/usr/bin/env python3
"""Static checks of the built Windows images, above all the i686 build, which
cannot run on these machines: image type, the library's exports by name, the
shared data sections, and imports from system DLLs only.
Prints one line per check and ends with "N passed, N failed"."""
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
    "CallWndProcRet", "GetMsgProc", "RestoreFadedWindows",
]
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "advapi32.dll", "shell32.dll",
    "comctl32.dll", "gdiplus.dll", "msimg32.dll", "powrprof.dll", "imm32.dll", "ole32.dll",
    "wtsapi32.dll", "shlwapi.dll", "comdlg32.dll", "version.dll",
}


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
    sec = img.section(shared_section)
    want = READ | WRITE | SHARED | INIT_DATA
    check(sec is not None and sec[5] & want == want,
          f"{target} {path.name}: section {shared_section} readable, writable, shared"
          + (f" (flags {sec[5]:#x})" if sec else " (missing)"))
    if sec and size_of_shared:
        check(sec[2] >= size_of_shared, f"{target} {path.name}: {shared_section} holds {size_of_shared} bytes")
    foreign = [d for d in img.imports() if d not in SYSTEM_DLLS and not d.startswith("api-ms-win-")]
    check(not foreign, f"{target} {path.name}: imports only system DLLs {foreign if foreign else ''}")
    return img


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "build"
    for target in ("i686", "x86_64"):
        bin_dir = root / target / "bin"
        dll = check_image(bin_dir / "Ostrilix.dll", target, True, ".shared")
        check_image(bin_dir / "quornvale.exe", target, False, ".share")
        if dll:
            names = set(dll.exports())
            missing = [n for n in LIBRARY_EXPORTS if n not in names]
            check(not missing, f"{target} Ostrilix.dll: exports by plain name {missing if missing else ''}")
            decorated = [n for n in names if "@" in n]
            check(not decorated, f"{target} Ostrilix.dll: no decorated export names {decorated if decorated else ''}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
