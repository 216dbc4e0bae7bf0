#include "quornvale/shell/library_mirror.h"

#include <new>
#include <string.h>
#include <wchar.h>

#include "common/debug_print.h"

namespace {
enum MirrorKind : DWORD {
    kMirrorFeature = 1,
    kMirrorParams = 2,
    kMirrorList = 3,
    kMirrorValue = 4,
    kMirrorHook = 5,
    kMirrorAction = 6,
};

constexpr int kNameChars = 32;
constexpr DWORD kSignature = 0x314D5651;  // "QVM1"

// One record as bytes, the same in the 32-bit and the 64-bit image: a window
// handle has 32 significant bits in both.
struct WireRecord {
    DWORD kind;
    DWORD key;         // mask, flags, hook type or action serial
    LONG value;        // switch, setter value, hook on, action argument
    DWORD list_chars;  // characters that follow, terminator included; 0: null list
    char name[kNameChars];
    SHORT scroll_distance;
    SHORT scroll_delta;
    SHORT scroll_mode;
    WORD rollup_animate;
    LONG rollup_hotaction;
    DWORD cover_window;
    LONG display_size;
};
static_assert(sizeof(WireRecord) == 68, "one layout for both bitnesses");

struct WireHeader {
    DWORD signature;
    DWORD records;
};

struct Entry {
    WireRecord record;
    wchar_t* list;  // owned; null for a null list or another kind
};

// Far more than the program pushes (about forty entries).
constexpr int kMaxEntries = 96;
Entry g_entries[kMaxEntries];
int g_count = 0;
DWORD g_action_serial = 0;
MirrorChangedFn g_changed = nullptr;

size_t ListBytes(DWORD chars)
{
    // Each record starts on a four-byte boundary.
    return (size_t(chars) * sizeof(wchar_t) + 3) & ~size_t(3);
}

bool SameName(const WireRecord& record, const char* name)
{
    return strncmp(record.name, name, kNameChars) == 0;
}

// The entry of this kind and identity, or a new one at the end; null when
// the table is full or the name does not fit.
Entry* EntryFor(DWORD kind, DWORD key, const char* name)
{
    if (name && strlen(name) >= size_t(kNameChars)) {
        DebugPrintA("Mirror: export name %s too long\n", name);
        return nullptr;
    }
    for (int i = 0; i < g_count; ++i) {
        const WireRecord& r = g_entries[i].record;
        if (r.kind == kind && (name ? SameName(r, name) : r.key == key))
            return &g_entries[i];
    }
    if (g_count == kMaxEntries) {
        DebugPrintA("Mirror: table full\n");
        return nullptr;
    }
    Entry* entry = &g_entries[g_count++];
    *entry = {};
    entry->record.kind = kind;
    entry->record.key = key;
    if (name)
        lstrcpynA(entry->record.name, name, kNameChars);
    return entry;
}

void Changed()
{
    if (g_changed)
        g_changed();
}
}  // namespace

void MirrorFeature(DWORD mask, LONG value)
{
    if (Entry* e = EntryFor(kMirrorFeature, mask, nullptr)) {
        e->record.value = value;
        Changed();
    }
}

void MirrorFeatureParams(DWORD flags, const FeatureParams& params)
{
    if (Entry* e = EntryFor(kMirrorParams, flags, nullptr)) {
        WireRecord& r = e->record;
        r.scroll_distance = params.s_s_scroll_distance;
        r.scroll_delta = params.s_s_scroll_delta;
        r.scroll_mode = params.s_s_scroll_mode;
        r.rollup_animate = params.s_s_rollup_animate;
        r.rollup_hotaction = params.s_n_rollup_hotaction;
        r.cover_window = DWORD(ULONG_PTR(params.s_h_cover_wnd));
        r.display_size = params.s_b_displaysize;
        Changed();
    }
}

void MirrorList(const char* setter, const wchar_t* list)
{
    Entry* e = EntryFor(kMirrorList, 0, setter);
    if (!e)
        return;
    delete[] e->list;
    e->list = nullptr;
    e->record.list_chars = 0;
    if (list) {
        const size_t chars = wcslen(list) + 1;
        e->list = new (std::nothrow) wchar_t[chars];
        if (!e->list) {
            DebugPrintA("Mirror: no memory for the list of %s\n", setter);
            return;
        }
        wmemcpy(e->list, list, chars);
        e->record.list_chars = DWORD(chars);
    }
    Changed();
}

void MirrorValue(const char* setter, LONG value)
{
    if (Entry* e = EntryFor(kMirrorValue, 0, setter)) {
        e->record.value = value;
        Changed();
    }
}

void MirrorHook(int hook_type, const char* export_name, bool on)
{
    if (hook_type == WH_MOUSE_LL || hook_type == WH_KEYBOARD_LL)
        return;  // the program's own: never a second time in the companion
    if (Entry* e = EntryFor(kMirrorHook, 0, export_name)) {
        e->record.key = DWORD(hook_type);
        e->record.value = on ? 1 : 0;
        Changed();
    }
}

void MirrorHookRemoved(const char* export_name)
{
    for (int i = 0; i < g_count; ++i) {
        WireRecord& r = g_entries[i].record;
        if (r.kind == kMirrorHook && SameName(r, export_name) && r.value) {
            r.value = 0;
            Changed();
            return;
        }
    }
}

void MirrorAction(const char* export_name, DWORD argument)
{
    if (Entry* e = EntryFor(kMirrorAction, 0, export_name)) {
        e->record.key = ++g_action_serial;
        e->record.value = LONG(argument);
        Changed();
    }
}

void SetMirrorChangedHandler(MirrorChangedFn handler) { g_changed = handler; }

size_t MirrorByteSize()
{
    size_t size = sizeof(WireHeader);
    for (int i = 0; i < g_count; ++i)
        size += sizeof(WireRecord) + ListBytes(g_entries[i].record.list_chars);
    return size;
}

bool WriteMirror(BYTE* out, size_t capacity)
{
    if (!out || capacity < MirrorByteSize())
        return false;
    WireHeader header = {kSignature, DWORD(g_count)};
    memcpy(out, &header, sizeof(header));
    size_t at = sizeof(header);
    for (int i = 0; i < g_count; ++i) {
        const Entry& e = g_entries[i];
        memcpy(out + at, &e.record, sizeof(e.record));
        at += sizeof(e.record);
        const size_t bytes = ListBytes(e.record.list_chars);
        if (bytes) {
            memset(out + at, 0, bytes);
            memcpy(out + at, e.list, size_t(e.record.list_chars) * sizeof(wchar_t));
        }
        at += bytes;
    }
    return true;
}

void ClearMirror()
{
    for (int i = 0; i < g_count; ++i)
        delete[] g_entries[i].list;
    g_count = 0;
}

bool ReplayMirror(const BYTE* bytes, size_t size, const MirrorSink& sink, DWORD* last_action)
{
    WireHeader header;
    if (!bytes || size < sizeof(header))
        return false;
    memcpy(&header, bytes, sizeof(header));
    if (header.signature != kSignature)
        return false;
    const DWORD performed = last_action ? *last_action : 0;
    size_t at = sizeof(header);
    for (DWORD n = 0; n < header.records; ++n) {
        WireRecord r;
        if (size - at < sizeof(r))
            return false;
        memcpy(&r, bytes + at, sizeof(r));
        at += sizeof(r);
        if (!memchr(r.name, 0, kNameChars))
            return false;
        const wchar_t* list = nullptr;
        if (r.list_chars) {
            const size_t list_bytes = ListBytes(r.list_chars);
            if (r.list_chars > size / sizeof(wchar_t) || size - at < list_bytes)
                return false;
            // Aligned: every record starts on a four-byte boundary of the view.
            list = reinterpret_cast<const wchar_t*>(bytes + at);
            if (list[r.list_chars - 1] != L'\0')
                return false;
            at += list_bytes;
        }
        switch (r.kind) {
        case kMirrorFeature:
            if (sink.feature)
                sink.feature(r.key, r.value);
            break;
        case kMirrorParams:
            if (sink.feature_params) {
                FeatureParams params = {};
                params.s_s_scroll_distance = r.scroll_distance;
                params.s_s_scroll_delta = r.scroll_delta;
                params.s_s_scroll_mode = r.scroll_mode;
                params.s_s_rollup_animate = r.rollup_animate;
                params.s_n_rollup_hotaction = r.rollup_hotaction;
                params.s_h_cover_wnd = reinterpret_cast<HWND>(LONG_PTR(LONG(r.cover_window)));
                params.s_b_displaysize = r.display_size;
                sink.feature_params(r.key, params);
            }
            break;
        case kMirrorList:
            if (sink.list && r.name[0])
                sink.list(r.name, list);
            break;
        case kMirrorValue:
            if (sink.value && r.name[0])
                sink.value(r.name, r.value);
            break;
        case kMirrorHook:
            if (sink.hook && r.name[0])
                sink.hook(int(r.key), r.name, r.value != 0);
            break;
        case kMirrorAction:
            if (r.key > performed && r.name[0]) {
                if (sink.action)
                    sink.action(r.name, DWORD(r.value));
                if (last_action && r.key > *last_action)
                    *last_action = r.key;
            }
            break;
        default:
            return false;
        }
    }
    return true;
}
