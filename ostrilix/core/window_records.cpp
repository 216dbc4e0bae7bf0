#include "ostrilix/core/window_records.h"

#include "common/debug_print.h"
#include "ostrilix/core/shared_block.h"

namespace {
constexpr ULONG_PTR kLookPresent = 0x1;
constexpr ULONG_PTR kLookWasLayered = 0x2;
constexpr ULONG_PTR kKeyPresent = 0x01000000;
// The owner when the program never said who it is: no process has this id,
// so a later start gives such records back.
constexpr DWORD kUnknownOwner = 0xFFFFFFFF;

constexpr const wchar_t* kChangeRecords[] = {
    kRecordRolledUp, kRecordDockedFromTopLeft, kRecordDockedFromBottomRight,
    kRecordFaded,    kRecordFadedKey,          kRecordInTray,
};

ULONG_PTR Cut16(LONG v)
{
    if (v < -32768)
        v = -32768;
    if (v > 32767)
        v = 32767;
    return ULONG_PTR(v + 0x8000) & 0xFFFF;
}

ULONG_PTR Read(HWND window, const wchar_t* name)
{
    return reinterpret_cast<ULONG_PTR>(GetPropW(window, name));
}

void Write(HWND window, const wchar_t* name, ULONG_PTR value)
{
    if (!SetPropW(window, name, reinterpret_cast<HANDLE>(value)))
        DebugPrint(L"Record %s on window 0x%p not written, error %lu\n", name, static_cast<void*>(window),
                   GetLastError());
}

void WriteOwner(HWND window)
{
    const DWORD owner = g_shared.s_n_program_process ? DWORD(g_shared.s_n_program_process) : kUnknownOwner;
    Write(window, kRecordOwner, owner);
}

void Erase(HWND window, const wchar_t* name)
{
    if (!window || !RemovePropW(window, name))
        return;
    for (const wchar_t* other : kChangeRecords)
        if (Read(window, other))
            return;
    RemovePropW(window, kRecordOwner);
}
}  // namespace

ULONG_PTR PackHeights(int full_height, int rolled_height)
{
    auto cut = [](int h) { return ULONG_PTR(h < 1 ? 1 : h > 0xFFFF ? 0xFFFF : h); };
    return cut(full_height) | (cut(rolled_height) << 16);
}

void UnpackHeights(ULONG_PTR value, int* full_height, int* rolled_height)
{
    *full_height = int(value & 0xFFFF);
    *rolled_height = int((value >> 16) & 0xFFFF);
}

ULONG_PTR PackPoint(LONG x, LONG y) { return Cut16(x) | (Cut16(y) << 16); }

POINT UnpackPoint(ULONG_PTR value)
{
    return {LONG(value & 0xFFFF) - 0x8000, LONG((value >> 16) & 0xFFFF) - 0x8000};
}

ULONG_PTR PackLook(const RecordedLook& look)
{
    return kLookPresent | (look.was_layered ? kLookWasLayered : 0) | (ULONG_PTR(look.flags & 3) << 2) |
           (ULONG_PTR(look.alpha) << 8);
}

ULONG_PTR PackKey(COLORREF key) { return (ULONG_PTR(key) & 0xFFFFFF) | kKeyPresent; }

bool UnpackLook(ULONG_PTR look_value, ULONG_PTR key_value, RecordedLook* look)
{
    if (!(look_value & kLookPresent))
        return false;
    look->was_layered = (look_value & kLookWasLayered) != 0;
    look->flags = DWORD((look_value >> 2) & 3);
    look->alpha = BYTE((look_value >> 8) & 0xFF);
    look->key = (key_value & kKeyPresent) ? COLORREF(key_value & 0xFFFFFF) : 0;
    return true;
}

void RecordRolledUp(HWND window, int full_height, int rolled_height)
{
    WriteOwner(window);
    Write(window, kRecordRolledUp, PackHeights(full_height, rolled_height));
}

void EraseRolledUpRecord(HWND window) { Erase(window, kRecordRolledUp); }

void RecordDockedFrom(HWND window, const RECT& normal)
{
    WriteOwner(window);
    Write(window, kRecordDockedFromTopLeft, PackPoint(normal.left, normal.top));
    Write(window, kRecordDockedFromBottomRight, PackPoint(normal.right, normal.bottom));
}

void EraseDockRecord(HWND window)
{
    RemovePropW(window, kRecordDockedFromTopLeft);
    Erase(window, kRecordDockedFromBottomRight);
}

void RecordFaded(HWND window, const RecordedLook& look)
{
    WriteOwner(window);
    Write(window, kRecordFadedKey, PackKey(look.key));
    Write(window, kRecordFaded, PackLook(look));
}

void EraseFadeRecord(HWND window)
{
    RemovePropW(window, kRecordFadedKey);
    Erase(window, kRecordFaded);
}

void RecordInTray(HWND window, UINT icon_id)
{
    WriteOwner(window);
    Write(window, kRecordInTray, icon_id);
}

void EraseTrayRecord(HWND window) { Erase(window, kRecordInTray); }

DWORD RecordOwnerOf(HWND window) { return window ? DWORD(Read(window, kRecordOwner)) : 0; }

bool ReadRecordedChanges(HWND window, RecordedChanges* changes)
{
    *changes = RecordedChanges{};
    changes->owner = RecordOwnerOf(window);
    if (!changes->owner)
        return false;
    if (const ULONG_PTR heights = Read(window, kRecordRolledUp)) {
        changes->rolled_up = true;
        UnpackHeights(heights, &changes->full_height, &changes->rolled_height);
    }
    const ULONG_PTR top_left = Read(window, kRecordDockedFromTopLeft);
    const ULONG_PTR bottom_right = Read(window, kRecordDockedFromBottomRight);
    if (top_left && bottom_right) {
        const POINT a = UnpackPoint(top_left), b = UnpackPoint(bottom_right);
        changes->docked = true;
        changes->before_dock = {a.x, a.y, b.x, b.y};
    }
    changes->faded = UnpackLook(Read(window, kRecordFaded), Read(window, kRecordFadedKey), &changes->look);
    changes->tray_icon = UINT(Read(window, kRecordInTray));
    return true;
}

void EraseAllRecords(HWND window)
{
    for (const wchar_t* name : kChangeRecords)
        RemovePropW(window, name);
    RemovePropW(window, kRecordOwner);
}
