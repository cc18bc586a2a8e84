// Runs orvex-dump on real media files and cross-checks its parse trace with the box tree that
// AtomicParsley printed for the same file (tests/data/<file>.atomicparsley.txt, committed by
// tools/make-test-data.sh, so AtomicParsley is not needed here).
//
// Two rules, both about (offset, type) pairs:
//  A. Every atom AtomicParsley lists must be in our trace at the same offset with the same type,
//     provided our parser descends into each of its ancestors (OurParserDescendsInto).
//     AtomicParsley also opens boxes we keep whole ('meta', 'ilst', 'sinf', 'tims' in hint
//     entries...), so their insides are not asked of us.
//  B. Every box in our trace must be listed by AtomicParsley at that offset with that type,
//     unless it lies inside an atom that AtomicParsley lists as a leaf (it cannot vouch for the
//     inside then). A box outside every listed atom, at the top level, must always be listed.
// When orvex-dump stops with a failure, rule A is asked only up to the last box it reached.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/TextConversion.h"

namespace {
namespace fs = std::filesystem;

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct TracedBox {
    uint64_t offset;
    std::string type;  // bytes as logged, one byte per character
};

// Every "processing offset : 0x%08X" that is followed by ", box name : " is a box. The token is
// searched anywhere, not per line: a box whose type starts with a zero byte gets no name, and the
// next offset then continues the same line; error and warning blocks sit between lines.
std::vector<TracedBox> ParseTrace(const std::string& log) {
    static constexpr std::string_view kOffset = "processing offset : 0x";
    static constexpr std::string_view kName = ", box name : ";
    std::vector<TracedBox> boxes;
    for (size_t pos = log.find(kOffset); pos != std::string::npos; pos = log.find(kOffset, pos)) {
        pos += kOffset.size();
        size_t digitsEnd = pos;
        while (digitsEnd < log.size() && std::isxdigit(static_cast<unsigned char>(log[digitsEnd])))
            ++digitsEnd;
        if (digitsEnd == pos || digitsEnd - pos > 16) continue;
        uint64_t offset = std::stoull(log.substr(pos, digitsEnd - pos), nullptr, 16);
        pos = digitsEnd;
        if (log.compare(pos, kName.size(), kName) != 0) continue;
        pos += kName.size();
        size_t typeEnd = pos;
        while (typeEnd < log.size() && typeEnd - pos < 4 && log[typeEnd] != '\r')
            ++typeEnd;
        boxes.push_back({offset, log.substr(pos, typeEnd - pos)});
        pos = typeEnd;
    }
    return boxes;
}

struct ListedAtom {
    uint64_t offset = 0;
    uint64_t end = 0;
    std::string type;  // Latin-1 bytes, comparable with the trace
    int parent = -1;
    bool hasChildren = false;
};

// Lines like "     Atom stsd @ 4395 of size: 193, ends @ 4588" (3GPP asset boxes add their
// language: "Atom dscp [eng] @ ..."). AtomicParsley writes types as UTF-8 and nests by indent.
std::vector<ListedAtom> ParseAtomicParsleyTree(const std::string& text) {
    std::vector<ListedAtom> atoms;
    std::vector<std::pair<size_t, int>> open;  // indent, atom index
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        size_t indent = line.find_first_not_of(' ');
        if (indent == std::string::npos || line.compare(indent, 5, "Atom ") != 0) continue;
        size_t typeStart = indent + 5;
        size_t typeEnd = typeStart;
        for (int chars = 0; chars < 4 && typeEnd < line.size(); ++chars) {
            do {
                ++typeEnd;
            } while (typeEnd < line.size() &&
                     (static_cast<unsigned char>(line[typeEnd]) & 0xC0) == 0x80);
        }
        size_t at = line.find(" @ ", typeEnd);
        size_t sizeAt = line.find(" of size: ", typeEnd);
        size_t endAt = line.find(", ends @ ", typeEnd);
        if (at == std::string::npos || sizeAt == std::string::npos || endAt == std::string::npos)
            continue;
        ListedAtom atom;
        atom.type = Utf8ToSingleByte(std::string_view(line).substr(typeStart, typeEnd - typeStart));
        atom.offset = std::stoull(line.substr(at + 3));
        atom.end = std::stoull(line.substr(endAt + 9));
        while (!open.empty() && open.back().first >= indent)
            open.pop_back();
        if (!open.empty()) {
            atom.parent = open.back().second;
            atoms[static_cast<size_t>(atom.parent)].hasChildren = true;
        }
        open.emplace_back(indent, static_cast<int>(atoms.size()));
        atoms.push_back(atom);
    }
    return atoms;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The handler type of the track that holds atom `index` (its 'mdia'/'hdlr'), read from the
// file: the sample entries our parser opens depend on it.
std::string TrackHandlerType(const std::vector<ListedAtom>& atoms, int index,
                             const std::string& fileBytes) {
    int trak = index;
    while (trak >= 0 && atoms[static_cast<size_t>(trak)].type != "trak")
        trak = atoms[static_cast<size_t>(trak)].parent;
    if (trak < 0) return {};
    for (size_t i = 0; i < atoms.size(); ++i) {
        const ListedAtom& atom = atoms[i];
        if (atom.type != "hdlr" || atom.parent < 0 ||
            atoms[static_cast<size_t>(atom.parent)].type != "mdia" ||
            atoms[static_cast<size_t>(atom.parent)].parent != trak)
            continue;
        // size, type, version and flags, pre_defined, then handler_type.
        if (atom.offset + 20 <= fileBytes.size()) return fileBytes.substr(atom.offset + 16, 4);
    }
    return {};
}

// Whether our parser reads the payload of atom `index` as child boxes.
bool OurParserDescendsInto(const std::vector<ListedAtom>& atoms, int index,
                           const std::string& fileBytes) {
    // The driver's containers, the entry lists of 'dref' and 'stsd', the RTP hint information
    // ('hnti'), an H.263 box carrying a bitrate box, and the Mobile MP4 DRM container.
    static const std::set<std::string> kContainers = {
        "moov", "trak", "tref", "edts", "mdia", "minf", "dinf", "stbl", "mvex",
        "moof", "traf", "mfra", "udta", "dref", "stsd", "hnti", "d263", "drm "};
    const ListedAtom& atom = atoms[static_cast<size_t>(index)];
    if (kContainers.count(atom.type) != 0) return true;
    if (atom.parent < 0 || atoms[static_cast<size_t>(atom.parent)].type != "stsd") return false;

    // A sample entry: opened when its type is one the track's kind knows (compared without
    // case); text entries always, hint entries never (their data is kept whole).
    static const std::set<std::string> kVisual = {"mp4v", "s263", "avc1"};
    static const std::set<std::string> kAudio = {"mp4a", "samr", "sawb", "sawp"};
    std::string type = Lower(atom.type);
    std::string handler = TrackHandlerType(atoms, index, fileBytes);
    if (handler == "vide") return kVisual.count(type) != 0;
    if (handler == "soun") return kAudio.count(type) != 0;
    if (handler == "hint") return false;
    if (handler == "text") return true;
    return kVisual.count(type) != 0 || kAudio.count(type) != 0;
}

std::string Describe(const std::string& type, uint64_t offset) {
    std::string shown;
    for (unsigned char c : type)
        shown += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '.';
    return "'" + shown + "' at " + std::to_string(offset);
}

// The mismatches between a trace and a tree, by rules A and B above. `complete` says whether our
// parse ran to its normal end.
std::vector<std::string> CompareWithTree(const std::vector<TracedBox>& trace,
                                         const std::vector<ListedAtom>& atoms,
                                         const std::string& fileBytes, bool complete) {
    std::vector<std::string> problems;
    std::multimap<uint64_t, std::string> traced;
    uint64_t lastTraced = 0;
    for (const TracedBox& box : trace) {
        traced.emplace(box.offset, box.type);
        lastTraced = std::max(lastTraced, box.offset);
    }
    auto tracedAs = [&](uint64_t offset, const std::string& type) {
        auto [first, last] = traced.equal_range(offset);
        return std::any_of(first, last, [&](const auto& entry) { return entry.second == type; });
    };

    // Rule A.
    std::vector<bool> descends(atoms.size());
    for (size_t i = 0; i < atoms.size(); ++i)
        descends[i] = OurParserDescendsInto(atoms, static_cast<int>(i), fileBytes);
    for (size_t i = 0; i < atoms.size(); ++i) {
        const ListedAtom& atom = atoms[i];
        bool expected = true;
        for (int p = atom.parent; p >= 0 && expected; p = atoms[static_cast<size_t>(p)].parent)
            expected = descends[static_cast<size_t>(p)];
        if (!expected || (!complete && atom.offset > lastTraced)) continue;
        if (!tracedAs(atom.offset, atom.type)) {
            std::string inside =
                atom.parent < 0
                    ? std::string("at the top level")
                    : "inside " + Describe(atoms[static_cast<size_t>(atom.parent)].type,
                                           atoms[static_cast<size_t>(atom.parent)].offset);
            problems.push_back("AtomicParsley lists " + Describe(atom.type, atom.offset) + " " +
                               inside + "; our trace does not have it");
        }
    }

    // Rule B.
    for (const TracedBox& box : trace) {
        bool listed = false;
        int innermost = -1;
        for (size_t i = 0; i < atoms.size(); ++i) {
            const ListedAtom& atom = atoms[i];
            if (atom.offset == box.offset && atom.type == box.type) listed = true;
            if (atom.offset < box.offset && box.offset < atom.end &&
                (innermost < 0 || atom.offset >= atoms[static_cast<size_t>(innermost)].offset))
                innermost = static_cast<int>(i);
        }
        if (listed || (innermost >= 0 && !atoms[static_cast<size_t>(innermost)].hasChildren))
            continue;
        std::string where =
            innermost < 0 ? std::string("at the top level")
                          : "inside " + Describe(atoms[static_cast<size_t>(innermost)].type,
                                                 atoms[static_cast<size_t>(innermost)].offset);
        problems.push_back("our trace has " + Describe(box.type, box.offset) + " " + where +
                           ", which AtomicParsley does not list");
    }
    return problems;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct DumpRun {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string log;
    std::string diagnostics;  // its standard error
};

// Runs orvex-dump with a time limit. A sanitizer report exits with 99, outside the parse results
// 0 to 6, so that a sanitizer failure cannot pass for a parse result.
DumpRun RunDump(const fs::path& media) {
    static std::atomic<int> counter{0};
    fs::path dir = fs::temp_directory_path() / ("orvex-realfiles-" + std::to_string(::getpid()) +
                                                "-" + std::to_string(counter++));
    fs::create_directories(dir);
    fs::path log = dir / "trace.log";
    fs::path err = dir / "stderr.txt";
    auto withExitCode = [](const char* name) {
        const char* current = std::getenv(name);
        std::string value =
            current != nullptr && *current != '\0' ? std::string(current) + ":" : "";
        return std::string(name) + "=" + ShellQuote(value + "exitcode=99");
    };
    std::string command = withExitCode("ASAN_OPTIONS") + " " + withExitCode("UBSAN_OPTIONS") +
                          " timeout 60 " + ShellQuote(ORVEX_DUMP_PATH) + " --log " +
                          ShellQuote(log.string()) + " " + ShellQuote(media.string()) +
                          " >/dev/null 2>" + ShellQuote(err.string());
    int raw = std::system(command.c_str());
    DumpRun run;
    if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    run.log = ReadWholeFile(log);
    run.diagnostics = ReadWholeFile(err);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return run;
}

struct RealFile {
    fs::path media;  // empty: the folder of such files is absent
    fs::path tree;   // AtomicParsley's tree; may not exist
    bool mustParseCompletely = true;
};

void PrintTo(const RealFile& file, std::ostream* out) {
    *out << file.media.filename().string();
}

std::string TestName(const testing::TestParamInfo<RealFile>& info) {
    std::string name = info.param.media.empty() ? "absent" : info.param.media.filename().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

std::vector<RealFile> OurTestData() {
    static const std::set<std::string> kMedia = {".mp4", ".3gp", ".3g2", ".m4a", ".m4v", ".mov"};
    std::vector<RealFile> files;
    for (const auto& entry : fs::directory_iterator(ORVEX_TEST_DATA_DIR))
        if (entry.is_regular_file() && kMedia.count(entry.path().extension().string()) != 0)
            files.push_back({entry.path(), entry.path().string() + ".atomicparsley.txt", true});
    std::sort(files.begin(), files.end(),
              [](const RealFile& a, const RealFile& b) { return a.media < b.media; });
    return files;
}

std::vector<RealFile> ConformanceFiles() {
    fs::path folder = fs::path(ORVEX_SOURCE_DIR "/../shared/conformance/mp4parse-rust");
    std::error_code error;
    if (!fs::is_directory(folder, error)) return {RealFile{}};
    std::vector<RealFile> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() != ".txt")
            files.push_back({entry.path(),
                             fs::path(ORVEX_TEST_DATA_DIR) / "conformance" /
                                 (entry.path().filename().string() + ".atomicparsley.txt"),
                             false});
    std::sort(files.begin(), files.end(),
              [](const RealFile& a, const RealFile& b) { return a.media < b.media; });
    return files.empty() ? std::vector<RealFile>{RealFile{}} : files;
}

class RealFileTest : public testing::TestWithParam<RealFile> {};

TEST_P(RealFileTest, ParsesAndAgreesWithAtomicParsley) {
    const RealFile& file = GetParam();
    if (file.media.empty()) GTEST_SKIP() << "the conformance files are not beside the checkout";

    DumpRun run = RunDump(file.media);
    if (file.mustParseCompletely) {
        ASSERT_EQ(run.status, 0) << run.diagnostics;
    } else {
        ASSERT_TRUE(run.status >= 0 && run.status <= 6) << "exit status " << run.status << "\n"
                                                        << run.diagnostics;
    }
    std::vector<TracedBox> trace = ParseTrace(run.log);
    ASSERT_FALSE(trace.empty()) << "no box in the trace:\n" << run.log;

    std::error_code error;
    if (!fs::exists(file.tree, error)) {
        ASSERT_FALSE(file.mustParseCompletely) << "missing " << file.tree;
        return;  // AtomicParsley could not list this file: only the run itself is checked.
    }
    std::vector<ListedAtom> atoms = ParseAtomicParsleyTree(ReadWholeFile(file.tree));
    ASSERT_FALSE(atoms.empty()) << file.tree;
    std::vector<std::string> problems =
        CompareWithTree(trace, atoms, ReadWholeFile(file.media), run.status == 0);
    for (size_t i = 0; i < problems.size() && i < 25; ++i)
        ADD_FAILURE() << problems[i];
    if (problems.size() > 25) ADD_FAILURE() << problems.size() - 25 << " more mismatches";
}

INSTANTIATE_TEST_SUITE_P(TestData, RealFileTest, testing::ValuesIn(OurTestData()), TestName);
INSTANTIATE_TEST_SUITE_P(Conformance, RealFileTest, testing::ValuesIn(ConformanceFiles()),
                         TestName);

// The comparison itself, on a small made-up file: a checker that lets everything pass would make
// every test above worthless.
TEST(RealFileComparison, AppliesBothRules) {
    const std::string tree =
        "\xEF\xBB\xBF"
        "Atom ftyp @ 0 of size: 24, ends @ 24\n"
        "Atom moov @ 24 of size: 200, ends @ 224\n"
        "     Atom trak @ 32 of size: 150, ends @ 182\n"
        "         Atom stsd @ 40 of size: 110, ends @ 150\n"
        "             Atom avc1 @ 56 of size: 94, ends @ 150\n"
        "                 Atom avcC @ 142 of size: 8, ends @ 150\n"
        "         Atom hdlr @ 150 of size: 32, ends @ 182\n"
        "     Atom udta @ 182 of size: 42, ends @ 224\n"
        "         Atom meta @ 190 of size: 34, ends @ 224\n"
        "             Atom ilst @ 202 of size: 22, ends @ 224\n"
        "                 Atom \xC2\xA9too @ 210 of size: 14, ends @ 224\n"
        "Atom dscp [eng] @ 224 of size: 10, ends @ 234\n";
    std::vector<ListedAtom> atoms = ParseAtomicParsleyTree(tree);
    ASSERT_EQ(atoms.size(), 12u);
    EXPECT_EQ(atoms[10].type, "\xA9too");
    EXPECT_EQ(atoms[10].parent, 9);
    EXPECT_EQ(atoms[11].type, "dscp");
    EXPECT_EQ(atoms[11].parent, -1);

    // No 'mdia' holds the 'hdlr' here, so the track's kind is unknown and 'avc1' is opened as
    // a known visual entry.
    std::string bytes(240, '\0');
    const std::string log =
        "\r\n---------- started parsing ----------\r\n"
        "processing offset : 0x00000000, box name : ftyp\r\n"
        "processing offset : 0x00000018, box name : moov\r\n"
        "processing offset : 0x00000020, box name : trak\r\n"
        "processing offset : 0x00000028, box name : stsd\r\n"
        "processing offset : 0x00000038, box name : avc1\r\n"
        "processing offset : 0x0000008E, box name : avcC\r\n"
        "processing offset : 0x00000096, box name : hdlr\r\n"
        "\r\n\r\nWARNING :\r\nsome warning\r\n\r\n"
        "processing offset : 0x000000B6, box name : udta\r\n"
        "processing offset : 0x000000BE, box name : meta\r\n"
        "processing offset : 0x000000E0, box name : dscp\r\n"
        "processing offset : 0x000000EA\r\n\r\n---------- parsing done (warnings : 1, errors : 0)";
    std::vector<TracedBox> trace = ParseTrace(log);
    ASSERT_EQ(trace.size(), 10u);
    EXPECT_TRUE(CompareWithTree(trace, atoms, bytes, true).empty());

    // A sample entry's child that we skipped (rule A)...
    std::vector<TracedBox> missing = trace;
    missing.erase(missing.begin() + 5);
    std::vector<std::string> problems = CompareWithTree(missing, atoms, bytes, true);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("'avcC' at 142"), std::string::npos) << problems[0];
    // ...is not asked of a parse that stopped before it.
    missing.resize(5);
    EXPECT_TRUE(CompareWithTree(missing, atoms, bytes, false).empty());

    // A box at a top-level offset AtomicParsley does not list, and one inside a listed
    // container between its listed children (rule B); inside a listed leaf nothing is checked.
    std::vector<TracedBox> extra = trace;
    extra.push_back({234, "free"});
    extra.push_back({60, "junk"});
    extra.push_back({4, "inFt"});
    problems = CompareWithTree(extra, atoms, bytes, true);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("'free' at 234 at the top level"), std::string::npos);
    EXPECT_NE(problems[1].find("'junk' at 60 inside 'avc1' at 56"), std::string::npos);

    // A type that differs at a listed offset fails both ways.
    std::vector<TracedBox> renamed = trace;
    renamed[1].type = "mooV";
    EXPECT_EQ(CompareWithTree(renamed, atoms, bytes, true).size(), 2u);
}

TEST(RealFileComparison, SampleEntriesFollowTheTrackKind) {
    const std::string tree =
        "Atom moov @ 0 of size: 300, ends @ 300\n"
        "     Atom trak @ 8 of size: 292, ends @ 300\n"
        "         Atom mdia @ 16 of size: 284, ends @ 300\n"
        "             Atom hdlr @ 24 of size: 40, ends @ 64\n"
        "             Atom stsd @ 64 of size: 200, ends @ 264\n"
        "                 Atom ENCA @ 80 of size: 100, ends @ 180\n"
        "                     Atom sinf @ 116 of size: 64, ends @ 180\n"
        "                 Atom mp4a @ 180 of size: 84, ends @ 264\n"
        "                     Atom esds @ 216 of size: 48, ends @ 264\n";
    std::vector<ListedAtom> atoms = ParseAtomicParsleyTree(tree);
    ASSERT_EQ(atoms.size(), 9u);
    std::string bytes(300, '\0');
    bytes.replace(24 + 16, 4, "soun");
    EXPECT_FALSE(OurParserDescendsInto(atoms, 5, bytes));  // 'ENCA' is no audio type we know
    EXPECT_TRUE(OurParserDescendsInto(atoms, 7, bytes));
    bytes.replace(24 + 16, 4, "vide");
    EXPECT_FALSE(OurParserDescendsInto(atoms, 7, bytes));
    bytes.replace(24 + 16, 4, "text");
    EXPECT_TRUE(OurParserDescendsInto(atoms, 5, bytes));
    bytes.replace(24 + 16, 4, "hint");
    EXPECT_FALSE(OurParserDescendsInto(atoms, 7, bytes));
    bytes.replace(24 + 16, 4, "sbtl");
    EXPECT_TRUE(OurParserDescendsInto(atoms, 7, bytes));  // another kind: known audio types
    EXPECT_FALSE(OurParserDescendsInto(atoms, 5, bytes));
}

}  // namespace
