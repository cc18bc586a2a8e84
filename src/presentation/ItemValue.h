#pragma once

#include <cstdint>

// What an item of an item layer shows, as the value it was made from rather than its text.
// Items built piece by piece (the rows of big tables) have none: their text is all there is.
enum class ItemValueKind : uint8_t {
    None,
    Number,    // payload: the signed 64-bit value shown ("%lld")
    Date,      // payload: seconds since 1904-01-01 00:00:00 UTC
    Duration,  // payload: the duration in units of `aux`, the timescale actually used
    Fixed,     // payload: the raw field; `aux`: its fraction bits (16.16 or 8.8)
    Flags,     // payload: the 24 flag bits of a full box header
    Text,      // the item's text is the value
    Heading,   // the item's text heads the items after it
};

struct ItemValue {
    uint64_t payload = 0;
    uint32_t aux = 0;
    ItemValueKind kind = ItemValueKind::None;

    int64_t AsSigned() const { return static_cast<int64_t>(payload); }
    // A fixed-point field's real value; exact in a double for both widths.
    double FixedValue() const {
        return static_cast<double>(payload) / static_cast<double>(uint64_t{1} << aux);
    }
};
