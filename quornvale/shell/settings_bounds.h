#pragma once
// The kinds of settings.ini values and the one place where a value read from
// the file is brought within its key's bounds.  Pure and constexpr: the key
// table is checked at compile time and the rules are unit-tested.

enum class SettingKind : unsigned char {
    kSwitch,    // integer, default 0; any non-zero value is on
    kInteger,   // decimal text
    kText,      // read into a buffer of `chars` characters; longer values are cut
    kLongText,  // a list of any length, read with the growing read
};

// What happens to an integer that lies outside its bounds, decided per key:
//  kAsRead  the value is passed on unchanged.  Every switch is read so: a
//           hand-edited "2" is on, shows checked and reaches the library as 2.
//           Integers whose consumer gives every value a meaning too (the
//           middle-button code, the docking mode, the watermark position).
//  kClamp   a value below `low` or above `high` becomes `low` or `high`, the
//           nearest value that means something (12 network accounts are the
//           10 the menu holds; auto-scroll mode 3 is mode 2).
//  kWrap    the value is reduced to the narrower field its consumer keeps it
//           in ([low, high] spans 2^8 or 2^16 values): alpha 300 is 44 and a
//           signed 16-bit 65535 is -1, just as the library would store them,
//           so the file, the menu and the library agree on one value.
enum class BoundRule : unsigned char { kAsRead, kClamp, kWrap };

struct SettingBounds {
    SettingKind kind;
    int default_value;  // what a read of a missing key gives (integers and switches)
    BoundRule rule;
    int low, high;      // for kClamp and kWrap
    int chars;          // kText: buffer size, terminator included
};

constexpr int BoundSettingValue(const SettingBounds& bounds, int value)
{
    switch (bounds.rule) {
    case BoundRule::kClamp:
        return value < bounds.low ? bounds.low : value > bounds.high ? bounds.high : value;
    case BoundRule::kWrap: {
        const long long span = static_cast<long long>(bounds.high) - bounds.low + 1;
        long long offset = (static_cast<long long>(value) - bounds.low) % span;
        if (offset < 0)
            offset += span;
        return static_cast<int>(bounds.low + offset);
    }
    case BoundRule::kAsRead:
        break;
    }
    return value;
}

// A row that the rules can serve: the default lies within the bounds, a
// wrapped field is 8 or 16 bits wide, a text has room for one character.
constexpr bool IsSoundBounds(const SettingBounds& b)
{
    switch (b.kind) {
    case SettingKind::kText:
        return b.chars > 1 && b.rule == BoundRule::kAsRead;
    case SettingKind::kLongText:
        return b.chars == 0 && b.rule == BoundRule::kAsRead;
    case SettingKind::kSwitch:
        return b.default_value == 0 && b.rule == BoundRule::kAsRead;
    case SettingKind::kInteger:
        break;
    }
    const long long span = static_cast<long long>(b.high) - b.low + 1;
    switch (b.rule) {
    case BoundRule::kAsRead:
        return true;
    case BoundRule::kClamp:
        return b.low <= b.default_value && b.default_value <= b.high;
    case BoundRule::kWrap:
        return (span == 0x100 || span == 0x10000) && b.low <= b.default_value &&
               b.default_value <= b.high;
    }
    return false;
}
