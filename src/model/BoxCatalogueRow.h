#pragma once

#include <cstdint>

// The shape of the box catalogue's rows, shared by the classic table and the families' tables.

// What kind of box a row describes: how its payload is laid out.
enum class BoxKind : uint8_t {
    Box,                 // fields of its own
    FullBox,             // version and flags, then fields of its own
    Container,           // the driver walks its payload as child boxes when no handler claims it
    SampleEntry,         // an entry of 'stsd'
    CodecConfiguration,  // a box inside a sample entry that configures its decoder
    DataEntry,           // an entry of 'dref'
};

// Which facts of a track a box feeds to the track information collector.
namespace BoxFacts {
enum : uint8_t {
    None = 0,
    Track = 1,  // the track's structure: its chunks, samples and handler
    Codec = 2,  // the track's codec and its parameters
};
}  // namespace BoxFacts

// A family's row: its id is its position in the joined catalogue.
struct BoxCatalogueRow {
    const char* type;
    const char* longName;
    const char* description;
    BoxKind kind;
    uint8_t facts;  // BoxFacts
};

struct BoxCatalogueEntry {
    int32_t id;
    const char* type;
    const char* longName;
    const char* description;
    BoxKind kind;
    uint8_t facts;  // BoxFacts
};
