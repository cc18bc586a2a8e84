// Cross-checks the parse trace of orvex-dump on real files with the box tree AtomicParsley
// printed for them (tests/data/<file>.atomicparsley.txt), as (offset, type) pairs. A: every atom
// listed is in our trace if our parser descends into its ancestors (up to the last box reached
// when the parse failed). B: every box traced is listed, unless inside an atom listed as a leaf.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/TextConversion.h"
#include "support/DumpProcess.h"

namespace {
namespace fs = std::filesystem;

struct Atom {
    uint64_t offset = 0, end = 0;
    std::string type;  // Latin-1 bytes, as our trace logs them
    int parent = -1;
    bool hasChildren = false;
};
using Trace = std::vector<std::pair<uint64_t, std::string>>;

// Every "processing offset : 0x%08X" followed by ", box name : " is a box. Searched anywhere,
// not per line: a type starting with a zero byte gets no name, and the next offset follows.
Trace ParseTrace(const std::string& log) {
    static const std::string kOffset = "processing offset : 0x", kName = ", box name : ";
    Trace boxes;
    for (size_t pos = log.find(kOffset); pos != std::string::npos; pos = log.find(kOffset, pos)) {
        const size_t digits = log.find_first_not_of("0123456789ABCDEF", pos += kOffset.size());
        if (digits == std::string::npos || log.compare(digits, kName.size(), kName) != 0) continue;
        const size_t name = digits + kName.size();
        boxes.emplace_back(std::stoull(log.substr(pos, digits - pos), nullptr, 16),
                           log.substr(name, std::min(log.find('\r', name), name + 4) - name));
    }
    return boxes;
}

// Lines like "     Atom stsd @ 4395 of size: 193, ends @ 4588" ("Atom dscp [eng] @ ..." for
// the 3GPP asset boxes), types in UTF-8, nested by indent.
std::vector<Atom> ParseTree(const std::string& text) {
    std::vector<Atom> atoms;
    std::vector<std::pair<size_t, int>> open;  // indent, atom index
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        const size_t indent = line.find_first_not_of(' ');
        if (indent == std::string::npos || line.compare(indent, 5, "Atom ") != 0) continue;
        size_t typeEnd = indent + 5;  // four characters, each of its UTF-8 bytes
        for (int n = 0; typeEnd < line.size() && (n < 4 || (line[typeEnd] & 0xC0) == 0x80);
             ++typeEnd)
            n += (line[typeEnd] & 0xC0) != 0x80;
        const size_t at = line.find(" @ ", typeEnd), endAt = line.find(", ends @ ", typeEnd);
        if (at == std::string::npos || endAt == std::string::npos) continue;
        Atom atom{
            std::stoull(line.substr(at + 3)), std::stoull(line.substr(endAt + 9)),
            Utf8ToSingleByte(std::string_view(line).substr(indent + 5, typeEnd - indent - 5))};
        while (!open.empty() && open.back().first >= indent)
            open.pop_back();
        if (!open.empty())
            atoms[static_cast<size_t>(atom.parent = open.back().second)].hasChildren = true;
        open.emplace_back(indent, static_cast<int>(atoms.size()));
        atoms.push_back(atom);
    }
    return atoms;
}

// Whether our parser reads the payload of atom `i` as child boxes: the driver's containers, the
// entry lists, 'hnti', 'd263' (with its 'bitr') and 'drm '; a sample entry when its type is one
// the track's kind knows (compared without case), text entries always, hint entries never.
bool Descends(const std::vector<Atom>& atoms, size_t i, const std::string& fileBytes) {
    static const std::set<std::string> kContainers = {
        "moov", "trak", "tref", "edts", "mdia", "minf", "dinf", "stbl", "mvex",
        "moof", "traf", "mfra", "udta", "dref", "stsd", "hnti", "d263", "drm "};
    auto parentType = [&](int p) { return p < 0 ? std::string() : atoms[size_t(p)].type; };
    if (kContainers.count(atoms[i].type) != 0) return true;
    if (parentType(atoms[i].parent) != "stsd") return false;
    int trak = atoms[i].parent;
    while (trak >= 0 && atoms[size_t(trak)].type != "trak")
        trak = atoms[size_t(trak)].parent;
    std::string handler;  // the handler_type of the track's 'mdia'/'hdlr', read from the file
    for (const Atom& a : atoms)
        if (trak >= 0 && a.type == "hdlr" && parentType(a.parent) == "mdia" &&
            atoms[size_t(a.parent)].parent == trak && a.offset + 20 <= fileBytes.size())
            handler = fileBytes.substr(a.offset + 16, 4);
    std::string type = atoms[i].type;
    for (char& c : type)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool visual = type == "mp4v" || type == "s263" || type == "avc1";
    const bool audio = type == "mp4a" || type == "samr" || type == "sawb" || type == "sawp";
    if (handler == "vide" || handler == "soun") return handler == "vide" ? visual : audio;
    return handler == "text" || (handler != "hint" && (visual || audio));
}

std::vector<std::string> Compare(const Trace& trace, const std::vector<Atom>& atoms,
                                 const std::string& fileBytes, bool complete) {
    std::vector<std::string> problems;
    const std::set<std::pair<uint64_t, std::string>> traced(trace.begin(), trace.end());
    const uint64_t last = std::max_element(trace.begin(), trace.end())->first;  // never empty
    for (size_t i = 0; i < atoms.size(); ++i) {                                 // rule A
        bool expected = complete || atoms[i].offset <= last;
        for (int p = atoms[i].parent; p >= 0 && expected; p = atoms[size_t(p)].parent)
            expected = Descends(atoms, size_t(p), fileBytes);
        if (expected && traced.count({atoms[i].offset, atoms[i].type}) == 0)
            problems.push_back("missing '" + atoms[i].type + "' at " +
                               std::to_string(atoms[i].offset));
    }
    for (const auto& [offset, type] : trace) {  // rule B
        bool listed = false;
        int innermost = -1;
        for (size_t i = 0; i < atoms.size(); ++i) {
            listed = listed || (atoms[i].offset == offset && atoms[i].type == type);
            if (atoms[i].offset < offset && offset < atoms[i].end &&
                (innermost < 0 || atoms[i].offset >= atoms[size_t(innermost)].offset))
                innermost = static_cast<int>(i);
        }
        if (!listed && (innermost < 0 || atoms[size_t(innermost)].hasChildren))
            problems.push_back("unlisted '" + type + "' at " + std::to_string(offset));
    }
    return problems;
}

struct RealFile {
    fs::path media;  // empty: the folder of such files is absent
    fs::path tree;   // AtomicParsley's tree; may not exist
    bool mustParseCompletely = true;
};

void PrintTo(const RealFile& file, std::ostream* out) {
    *out << file.media.filename().string();
}

// Media files of `folder` (those with a listed extension, or all but text files), sorted.
std::vector<RealFile> FilesIn(const fs::path& folder, const fs::path& trees, bool ours) {
    static const std::set<std::string> kMedia = {".mp4", ".m4s", ".3gp",  ".3g2", ".m4a",
                                                 ".m4v", ".mov", ".avif", ".heic"};
    std::vector<RealFile> files;
    for (const fs::path& media : SortedFiles(folder))
        if (ours ? kMedia.count(media.extension().string()) != 0 : media.extension() != ".txt")
            files.push_back({media, trees / (media.filename() += ".atomicparsley.txt"), ours});
    return files.empty() ? std::vector<RealFile>{RealFile{}} : files;
}

class RealFileTest : public testing::TestWithParam<RealFile> {};

TEST_P(RealFileTest, ParsesAndAgreesWithAtomicParsley) {
    const RealFile& file = GetParam();
    if (file.media.empty()) GTEST_SKIP() << "the conformance files are not beside the checkout";
    const ProcessRun run = RunOrvexDump({"--log", "-", file.media.string()});
    ASSERT_TRUE(file.mustParseCompletely ? run.status == 0 : run.status >= 0 && run.status <= 6)
        << "exit status " << run.status << ": " << run.err;
    const Trace trace = ParseTrace(run.err);
    ASSERT_FALSE(trace.empty()) << run.err;
    if (std::error_code error; !fs::exists(file.tree, error)) {
        ASSERT_FALSE(file.mustParseCompletely) << "missing " << file.tree;
        return;  // AtomicParsley could not list this file: only the run itself is checked.
    }
    const std::vector<Atom> atoms = ParseTree(ReadFileBytes(file.tree));
    ASSERT_FALSE(atoms.empty()) << file.tree;
    const std::string media = ReadFileBytes(file.media);
    const auto problems = Compare(trace, atoms, media, run.status == 0);
    // AtomicParsley stops listing an item list at an item that holds no boxes ('cprt' of
    // invalid_userdata.mp4); the whole items after it are ours alone.
    static const std::set<std::pair<std::string, std::string>> kListedOnlyByUs = {
        {"invalid_userdata.mp4", "unlisted 'desc' at 135350"},
        {"invalid_userdata.mp4", "unlisted 'data' at 135358"},
        {"invalid_userdata.mp4", "unlisted 'trkn' at 135386"},
        {"invalid_userdata.mp4", "unlisted 'data' at 135394"}};
    size_t reported = 0;
    for (const std::string& problem : problems) {
        if (kListedOnlyByUs.count({file.media.filename().string(), problem}) != 0) continue;
        if (reported++ < 25) ADD_FAILURE() << problem;
    }
    // The check is not vacuous: the first box missing, and one outside every atom, both fail.
    Trace mutated(trace.begin() + 1, trace.end());
    mutated.emplace_back(atoms.back().end + 1, "junk");
    EXPECT_EQ(Compare(mutated, atoms, media, run.status == 0).size(), problems.size() + 2);
}

INSTANTIATE_TEST_SUITE_P(TestData, RealFileTest,
                         testing::ValuesIn(FilesIn(ORVEX_TEST_DATA_DIR, ORVEX_TEST_DATA_DIR,
                                                   true)));
INSTANTIATE_TEST_SUITE_P(
    Conformance, RealFileTest,
    testing::ValuesIn(FilesIn(ORVEX_SOURCE_DIR "/../shared/conformance/mp4parse-rust",
                              fs::path(ORVEX_TEST_DATA_DIR) / "conformance", false)));

}  // namespace
