// A file beyond 4 GiB: a 'mdat' with a 64-bit size ahead of the 'moov', chunk offsets in 'co64'
// on both sides of 4 GiB. The media data is a hole in a sparse file, so the test writes a few
// hundred bytes whatever the file's length.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "document/TreeExport.h"
#include "model/Format.h"
#include "support/BoxBuilder.h"
#include "support/TestDocumentView.h"

namespace {
constexpr uint64_t kMdatOffset = 0x18;  // after a 24-byte 'ftyp'
constexpr uint64_t kMdatSize = 0x100000040;
constexpr uint64_t kMoovOffset = kMdatOffset + kMdatSize;  // 0x100000058

void Track(BoxBuilder& b, uint32_t id, const char* handler) {
    b.Open("trak").Tkhd(id, 1000).Open("mdia").Mdhd(1000, 1000).Hdlr(handler, "h");
    b.Open("minf").Open("stbl").OpenFull("stsc", 0, 0).U32(1).U32(1).U32(2).U32(1).Close();
    b.OpenFull("stsz", 0, 0).U32(0).U32(4).U32(100).U32(200).U32(300).U32(400).Close();
}
}  // namespace

// ftyp, mdat (64-bit size, 4 GiB + 64 bytes, a hole), then moov with a video track whose
// offsets are in 'co64' and a sound track whose 'stco' offsets lie inside the 'mdat'.
TEST(LargeFile, OffsetsAndSizesBeyond4GiBInTraceNodesAndExport) {
    BoxBuilder head, moov;
    head.Open("ftyp").FourCC("isom").U32(0).FourCC("isom").FourCC("mp41").Close();
    head.U32(1).FourCC("mdat").U64(kMdatSize);
    const std::string path = head.WriteTempFile("large.mp4");
    moov.Open("moov").Mvhd(1000, 1000);
    Track(moov, 1, "vide");
    moov.OpenFull("co64", 0, 0).U32(2).U64(0x28).U64(0x100000010).Close();
    moov.Close().Close().Close().Close();
    Track(moov, 2, "soun");
    moov.OpenFull("stco", 0, 0).U32(2).U32(0x1000).U32(0x2000).Close();
    moov.Close().Close().Close().Close().Close();
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::pwrite(fd, moov.Data().data(), moov.Size(), kMoovOffset),
              static_cast<ssize_t>(moov.Size()));
    struct stat st {};
    ::fstat(fd, &st);
    ::close(fd);
    const uint64_t fileSize = kMoovOffset + moov.Size();
    ASSERT_EQ(static_cast<uint64_t>(st.st_size), fileSize);
    EXPECT_LT(static_cast<uint64_t>(st.st_blocks) * 512, 1u << 20) << "the file is not sparse";

    TestDocument t;
    ASSERT_EQ(t.control.OpenFile(path), 1);
    ASSERT_TRUE(t.doc.IsParsed()) << t.view.lastMessage << "\n" << t.log.GetText();

    // Offsets beyond 32 bits in the trace, up to the end of the file.
    const std::string& trace = t.log.GetText();
    for (const std::string& line :
         {std::string("processing offset : 0x00000018, box name : mdat\r\n"
                      "processing offset : 0x100000058, box name : moov\r\n"),
          StrFormat("processing offset : 0x%llX\r\n", static_cast<unsigned long long>(fileSize)),
          // The crafted tracks have no 'stsd' and no 'stts': one finding each; the second
          // video chunk (700 bytes at 4 GiB + 16) runs past the end of 'mdat'.
          std::string("track 1: 2 samples in 1 chunk lie outside every 'mdat', the first in "
                      "chunk 2 at 0x100000010"),
          std::string("parsing done (warnings : 0, errors : 3)")})
        EXPECT_NE(trace.find(line), std::string::npos) << line << trace;

    const CISOViewBox& mdat = t.Node(t.IndexOf("mdat"));
    EXPECT_EQ(mdat.GetFileOffset(), kMdatOffset);
    EXPECT_EQ(mdat.GetBoxSize(), kMdatSize);
    EXPECT_EQ(mdat.GetSummaryText(), "Box Size : 4294967360 bytes");
    EXPECT_EQ(t.Node(t.IndexOf("moov")).GetFileOffset(), kMoovOffset);

    CTextSink sink;
    WriteTreeText(t.doc.GetNodes(), "large.mp4", false, sink);
    const std::string& text = sink.GetText();
    EXPECT_NE(text.find("|   entry 1 : chunk_offset : 0x28\n"
                        "|   entry 2 : chunk_offset : 0x100000010\n"),
              std::string::npos)
        << text;
    // The 'mdat' spans 4 GiB and more: the chunks of both tracks lie inside it, and their lines
    // follow the 'mdat' node at once, the 'co64' track's second chunk beyond 4 GiB.
    const size_t mdatAt = text.find("\n| + mdat\n| + Media Data Box\n| + media data container\n");
    ASSERT_NE(mdatAt, std::string::npos);
    const size_t video = text.find(
        "| + chunks from 'Video Track', biggest chunk size 700 bytes\n\n"
        "| + chunk #1 size 300 bytes, sample count 2, biggest sample "
        "size 200 bytes\n\n| + sample #1 size 100 bytes\n");
    const size_t sound = text.find("chunks from 'Sound Track', biggest chunk size 700 bytes");
    ASSERT_NE(video, std::string::npos);
    EXPECT_GT(video, mdatAt);
    EXPECT_GT(sound, video);
    EXPECT_LT(sound, text.find("\n| + moov\n"));
    const size_t secondChunk = t.IndexOf("mdat") + 5;
    EXPECT_EQ(t.doc.GetNodes().GetFileOffset(secondChunk), 0x100000010u);
    EXPECT_EQ(t.doc.GetNodes().GetBoxSize(secondChunk), 700u);

    // The classic reading never listed a 'co64' track.
    SetSwitchSetting(t.settings, SwitchClassicBoxSet, true);
    ASSERT_EQ(t.control.OpenFile(path), 1);
    CTextSink classic;
    WriteTreeText(t.doc.GetNodes(), "large.mp4", false, classic);
    EXPECT_EQ(classic.GetText().find("chunks from 'Video Track'"), std::string::npos);
    EXPECT_NE(classic.GetText().find("chunks from 'Sound Track'"), std::string::npos);
}
