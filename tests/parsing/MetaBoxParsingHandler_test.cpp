#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/ISOBoxes.h"
#include "model/MetaBoxes.h"
#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

using namespace ISOFileFormat;

namespace {

// Which handler a 'hdlr' became: a track's, with its kind, or the one that opens a 'meta'.
std::string DescribeHandler(const Box& box) {
    if (const auto* track = As<HandlerRererenceBox>(box))
        return Fields("track", track->handlerKind);
    if (const auto* meta = As<MetaHandlerBox>(box))
        return Fields("meta", std::string(reinterpret_cast<const char*>(meta->handler_type), 4));
    return {};
}

BoxBuilder Track(const char* handler) {
    return BoxBuilder().Open("trak").Open("mdia").Hdlr(handler).Close().Close();
}

// The first `size` bytes of `whole`, a single box, with its size field saying so, and a box
// after it: a read beyond the cut box finds bytes, so only the driver's check can stop it.
BoxBuilder Cut(const BoxBuilder& whole, size_t size) {
    std::vector<uint8_t> bytes(whole.Data().begin(), whole.Data().begin() + size);
    for (size_t i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(size >> (24 - 8 * i));
    return BoxBuilder().Bytes(bytes).Leaf("free", std::vector<uint8_t>(32, 0xFF));
}

}  // namespace

TEST(CMetaBoxParsingHandler, HandlersOfTracksAndOfMeta) {
    BoxBuilder metaFirst = BoxBuilder().OpenFull("meta", 0, 0).Hdlr("mdir").Close();
    metaFirst.Append(Track("vide"));
    BoxBuilder laterHandler;
    laterHandler.OpenFull("meta", 0, 0).Leaf("free").Hdlr("mdir").Close();
    const struct {
        const char* name;
        BoxBuilder file;
        BoxSet set;
        Lines lines;
    } cases[] = {
        {"subtitles as timed text",
         Track("sbtl").Append(Track("subt")),
         BoxSet::Full,
         {"track 4", "track 4"}},
        {"the classic kinds",
         Track("sbtl").Append(Track("text")),
         BoxSet::Classic,
         {"track 0", "track 4"}},
        // Only the handler that opens a 'meta' is its own; the next track's is a track's.
        {"full-box meta", metaFirst, BoxSet::Full, {"meta mdir", "track 1"}},
        {"QuickTime meta",
         BoxBuilder().Open("meta").Hdlr("mdta").Close(),
         BoxSet::Full,
         {"meta mdta"}},
        {"handler after another box", laterHandler, BoxSet::Full, {"track 0"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecordLines(c.file, DescribeHandler, c.set), c.lines) << c.name;
}

// Every box cut at every byte: the parse ends with a clear message or passes what is left,
// and never reads beyond the box (the sanitizer build checks the memory side). A container cut
// short leaves its children to the driver, which ends the parse at the end of the file.
TEST(CMetaBoxParsingHandler, BoxesCutAnywhere) {
    BoxBuilder keys;
    keys.OpenFull("keys", 0, 0).U32(2).U32(13).FourCC("mdta").Text("title");
    keys.U32(9).FourCC("mdta").Text("a").Close();
    BoxBuilder items;
    items.Open("meta").Hdlr("mdta").Open("ilst").Open(std::string_view("\0\0\0\1", 4));
    items.Open("data").U32(1).U32(0).Text("Orvex").Close().Close();
    items.Open("----").OpenFull("mean", 0, 0).Text("com.x").Close();
    items.OpenFull("name", 0, 0).Text("n").Close().Close().Close().Close();
    BoxBuilder seig;
    seig.OpenFull("sgpd", 0, 0).FourCC("seig").U32(1).U8(0).U8(0).U8(1).U8(0).Zeros(16);
    seig.U8(4).U32(0x01020304).Close();
    const BoxBuilder wholes[] = {
        keys,
        items,
        seig,
        BoxBuilder()
            .OpenFull("sgpd", 1, 0)
            .FourCC("alst")
            .U32(0)
            .U32(1)
            .U32(8)
            .U16(1)
            .U16(0)
            .U32(5)
            .Close(),
        BoxBuilder().OpenFull("sgpd", 2, 0).FourCC("roll").U32(1).U32(1).U16(0xFFFF).Close(),
        BoxBuilder().OpenFull("subs", 1, 0).U32(1).U32(1).U16(1).U32(9).U8(0).U8(0).U32(0).Close(),
        BoxBuilder().OpenFull("subs", 0, 0).U32(1).U32(1).U16(1).U16(9).U8(0).U8(0).U32(0).Close(),
        BoxBuilder().Open("tref").Open("chap").U32(1).U32(2).Close().Close(),
        BoxBuilder().OpenFull("kind", 0, 0).Text("urn:x", true).Text("v", true).Close(),
    };
    for (const BoxBuilder& whole : wholes) {
        EXPECT_EQ(ParseRecords(whole, {}, BoxSet::Full).result, 0);
        for (size_t size = 8; size < whole.Size(); ++size) {
            const ParseOutcome o = ParseRecords(Cut(whole, size), {}, BoxSet::Full);
            const std::string type(reinterpret_cast<const char*>(whole.Data().data() + 4), 4);
            SCOPED_TRACE(type + " cut to " + std::to_string(size));
            EXPECT_TRUE(o.result == 0 || o.result == 3) << o.result;
            if (o.result != 0 && type != "meta" && type != "tref") {
                EXPECT_NE(o.log.find("greater than the length specified"), std::string::npos)
                    << o.log;
            }
        }
    }
}

// Counts that the box cannot hold end the parse at the box's end, before anything is allocated
// for them; a key shorter than its own header ends the keys.
TEST(CMetaBoxParsingHandler, CountsBeyondTheBox) {
    const BoxBuilder after = BoxBuilder().Leaf("free", std::vector<uint8_t>(64, 0xFF));
    const struct {
        BoxBuilder file;
        Lines lines;
    } cases[] = {
        {BoxBuilder().OpenFull("keys", 0, 0).U32(~0u).U32(9).FourCC("mdta").Text("a").Close(),
         {"result 3"}},
        {BoxBuilder().OpenFull("subs", 0, 0).U32(~0u).U32(1).U16(0xFFFF).Close(), {"result 3"}},
        {BoxBuilder().OpenFull("sgpd", 1, 0).FourCC("roll").U32(0).U32(~0u).U32(40).Close(),
         {"result 3"}},
        {BoxBuilder().OpenFull("keys", 0, 0).U32(2).U32(4).FourCC("mdta").Zeros(4).Close(),
         {"keys 0", "passed keys:4"}},
    };
    const auto describe = [](const Box& box) -> std::string {
        if (const auto* k = As<MetadataKeysBox>(box)) return Fields("keys", k->entries.size());
        return {};
    };
    for (const auto& c : cases) {
        BoxBuilder file = c.file;
        EXPECT_EQ(RecordLines(file.Append(after), describe, BoxSet::Full), c.lines);
    }
}

// 'sdtp' before 'stsz', as ffmpeg writes it for every file with B-frames: the full set reads
// the three entries the box holds; the classic reading, counting by the 'stsz' not yet read,
// finds none and passes them.
TEST(CMetaBoxParsingHandler, SampleDependenciesBeforeTheSampleSizes) {
    BoxBuilder file;
    file.Open("stbl").OpenFull("sdtp", 0, 0).U8(0x10).U8(0x24).U8(0x3B).Close();
    file.OpenFull("stsz", 0, 0).U32(0).U32(3).U32(1).U32(2).U32(3).Close().Close();
    const auto describe = [](const Box& box) {
        const auto* table = As<SampleDependencyTypeBox>(box);
        if (!table) return std::string();
        std::string text = Fields("sdtp", table->sample_count);
        for (const SampleDependencyTypeBox::Entry& e : table->entries)
            text +=
                Fields("", e.sample_depends_on, e.sample_is_depended_on, e.sample_has_redundancy);
        return text;
    };
    EXPECT_EQ(RecordLines(file, describe, BoxSet::Full), Lines{"sdtp 3 1 0 0 2 1 0 3 2 3"});
    EXPECT_EQ(RecordLines(file, describe, BoxSet::Classic), (Lines{"sdtp 0", "passed sdtp:3"}));
}
