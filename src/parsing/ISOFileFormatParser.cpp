#include "parsing/ISOFileFormatParser.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <new>

#include "model/BoxCatalogue.h"
#include "model/TextConversion.h"
#include "parsing/ISOBoxParsingHandler.h"

namespace {
// remaining - size where both can be anywhere in their ranges. Sizes are never 0, so once the
// bytes left in a container go negative they never come back to 0: any negative value will do.
int64_t BytesLeftAfter(int64_t remaining, uint64_t size) {
    if (remaining < 0 || size > static_cast<uint64_t>(remaining)) return -1;
    return remaining - static_cast<int64_t>(size);
}
}  // namespace

struct CISOFileFormatParser::ParseState {
    int32_t result = ParseOk;
    int64_t boxStart = 0;
    uint32_t headerBytes = 0;
    uint32_t boxHeaderBytes = 0;  // headerBytes before the handlers add theirs
    uint64_t size = 0;
    int32_t depth = 0;
    int64_t remaining = 0;
    std::vector<int64_t> boxStack;
    BoxParseResult parse;
    std::vector<BoxEntry> entries;
    int32_t errors = 0;
    int32_t warnings = 0;
    // The record of a box in parent-entry mode: it joins the record list once its entries are
    // read, and is freed with the state on any other path.
    std::unique_ptr<ISOFileFormat::Box> pendingParent;
    int32_t parentDepth = 0;
};

CISOFileFormatParser::CISOFileFormatParser(IParserCallbackProcessor* callbackProcessor,
                                           ILogWriter* logWriter)
    : m_callback(callbackProcessor), m_log(logWriter) {
    AddHandler(std::make_unique<CISOBoxParsingHandler>());
}

CISOFileFormatParser::~CISOFileFormatParser() {
    m_handlers.clear();
    m_records.clear();
    Close();
}

void CISOFileFormatParser::AddHandler(std::unique_ptr<IBoxParsingHandler> handler, BoxSet set) {
    handler->SetReader(this);
    // Family handlers stay after every classic one, so that they are asked first.
    auto at = set == BoxSet::Full
                  ? m_handlers.end()
                  : std::find_if(m_handlers.begin(), m_handlers.end(),
                                 [](const Handler& h) { return h.set == BoxSet::Full; });
    m_handlers.insert(at, Handler{std::move(handler), set});
}

// Ends parent-entry mode: the parent joins the record list with the entries it holds.
void CISOFileFormatParser::FinishEntryMode(ParseState& s) {
    if (s.pendingParent) m_records.push_back(std::move(s.pendingParent));
    s.parse.parent = nullptr;
    s.parse.forcedId = -1;
}

void CISOFileFormatParser::CheckProgress() {
    if (m_progress == nullptr) return;
    m_progress->bytesDone.store(static_cast<uint64_t>(GetPosition()), std::memory_order_relaxed);
    if (m_progress->beforeBox) m_progress->beforeBox(*m_progress);
    if (m_progress->cancelRequested.load(std::memory_order_relaxed)) throw ParseCancelRequested;
}

void CISOFileFormatParser::BeginBox(ParseState& s) {
    CheckProgress();
    s.parse.record.reset();
    s.parse.descend = 0;
    s.headerBytes = 0;
    s.boxStart = GetPosition();
    if (m_log) {
        m_log->Print("processing offset : 0x%08llX", static_cast<long long>(s.boxStart));
        constexpr uint8_t kNotRead[4] = {};
        m_log->SetBoxContext(s.boxStart, kNotRead);
    }
}

int32_t CISOFileFormatParser::ReadBoxHeader(ParseState& s, uint8_t type[4]) {
    uint32_t size32 = ReadUInt32();
    s.headerBytes += 4;
    ReadBytes(type, 4);
    s.headerBytes += 4;
    s.size = size32;
    if (size32 == 1) {
        s.size = ReadUInt64();
        s.headerBytes += 8;
    }
    if (s.size == 0) s.size = static_cast<uint64_t>(GetFileSize() - s.boxStart);
    s.boxHeaderBytes = s.headerBytes;
    if (m_log) m_log->SetBoxContext(s.boxStart, type);
    return FindBoxId(type, m_boxSet);
}

bool CISOFileFormatParser::ChooseId(ParseState& s, int32_t& id) {
    BoxParseResult& r = s.parse;
    // Entries are the parent's direct children; a box back at the parent's level or above
    // means the parent held fewer entries than it announced.
    if (r.parent && s.depth <= s.parentDepth) FinishEntryMode(s);
    const bool isEntry = r.parent != nullptr && s.depth == s.parentDepth + 1;
    if (isEntry && r.forcedId != -1) id = r.forcedId;
    return isEntry;
}

bool CISOFileFormatParser::RunHandlers(ParseState& s, const uint8_t type[4], int32_t id) {
    for (auto it = m_handlers.rbegin(); it != m_handlers.rend(); ++it) {
        if (it->set == BoxSet::Full && m_boxSet == BoxSet::Classic) continue;
        if (it->handler->ParseBox(type, id, s.size, s.headerBytes, s.parse) == 1) return true;
    }
    return false;
}

void CISOFileFormatParser::MakeFallbackRecord(ParseState& s, int32_t id) {
    BoxParseResult& r = s.parse;
    r.record = std::make_unique<ISOFileFormat::Box>(id, s.size);
    if (id == BoxId::Empty && m_log) {
        m_log->PrintError(
            "skipped an abnormal empty box : %llu byte(s)\r\nthis should be corrected or "
            "may cause problems to other applications.\r\nyou can fix this problem by "
            "changing the box into 'SKIP' box.",
            static_cast<unsigned long long>(s.size));
    }
    if (GetBoxKind(id) == BoxKind::Container) {
        r.descend = 1;
    } else {
        r.descend = 0;
        if (s.size > s.headerBytes) SkipClamped(s.size - s.headerBytes);
    }
}

void CISOFileFormatParser::AttachRecord(ParseState& s, const uint8_t type[4], bool isEntry) {
    BoxParseResult& r = s.parse;
    ISOFileFormat::Box* record = r.record.get();
    BoxEntry entry;
    entry.record = record;
    entry.depth = s.depth;
    entry.offset = s.boxStart;
    // The extended type that a 'uuid' box's handler read is part of the box header.
    entry.headerSize = s.boxHeaderBytes;
    if (record->id == BoxId::Uuid) entry.headerSize += sizeof record->userType;
    entry.container = (r.descend == 1 && r.parent == nullptr) ? 1 : 0;

    if (type[0] != 0 && m_log) {
        // The name is the type up to its first zero byte, each byte one Latin-1 character.
        m_log->Print(", box name : %s\r\n", Latin1CStringToUtf8(type, 4).c_str());
    }
    std::copy(type, type + 4, record->type);
    s.entries.push_back(entry);
    m_callback->OnBoxParsed(record);

    if (r.parent == record) {
        // Its handler has just switched parent-entry mode on.
        if (s.pendingParent) m_records.push_back(std::move(s.pendingParent));
        s.pendingParent = std::move(r.record);
        s.parentDepth = s.depth;
        r.entriesSeen = 0;
        if (r.expectedEntries == 0) FinishEntryMode(s);
    } else if (isEntry) {
        if (!r.parent->AdoptEntry(r.entriesSeen, r.record)) {
            m_records.push_back(std::move(r.record));
        }
        r.entriesSeen += 1;
        if (r.entriesSeen >= r.expectedEntries) FinishEntryMode(s);
    } else {
        m_records.push_back(std::move(r.record));
    }
}

bool CISOFileFormatParser::CheckSize(ParseState& s) {
    const int64_t processed = GetPosition() - s.boxStart;
    if (s.parse.descend == 1 && s.size > s.headerBytes) {
        if (processed != static_cast<int64_t>(s.headerBytes)) throw ParseSizeMismatch;
        if (s.depth > 0) s.boxStack.push_back(BytesLeftAfter(s.remaining, s.size));
        s.depth += 1;
        s.remaining = static_cast<int64_t>(std::min<uint64_t>(
            s.size - s.headerBytes, static_cast<uint64_t>(std::numeric_limits<int64_t>::max())));
        return true;
    }

    if (s.size < static_cast<uint64_t>(processed)) {
        if (m_log) {
            m_log->PrintError(
                "the processed length of the box is greater than the length specified in the "
                "size field of box.\r\nthe size filed may have a wrong value.\r\n\r\nspecified "
                "box size : %llu bytes, processed box size : %lld",
                static_cast<unsigned long long>(s.size), static_cast<long long>(processed));
        }
        throw ParseSizeMismatch;
    }
    if (static_cast<uint64_t>(processed) < s.size) {
        const uint64_t passed = s.size - static_cast<uint64_t>(processed);
        SkipClamped(passed);
        if (m_log) {
            m_log->PrintWarning(
                "the processed length of the box is less than the length specified in the "
                "size field of box.\r\nthe box may be the unsupported or partially supported "
                "one by the current version of 'Orvex'.\r\nthe left length will be passed by "
                "the automatic offset correction feature.\r\npassed length : %llu bytes.",
                static_cast<unsigned long long>(passed));
        }
    }
    return false;
}

void CISOFileFormatParser::CloseFinishedContainers(ParseState& s) {
    if (s.depth == 0) return;
    s.remaining = BytesLeftAfter(s.remaining, s.size);
    // Close every container this box was the last child of.
    while (s.remaining == 0) {
        s.depth -= 1;
        if (s.boxStack.empty()) break;
        s.remaining = s.boxStack.back();
        s.boxStack.pop_back();
    }
}

void CISOFileFormatParser::SkipClamped(uint64_t count) {
    const int64_t room = std::numeric_limits<int64_t>::max() - GetPosition();
    Skip(count > static_cast<uint64_t>(room) ? room : static_cast<int64_t>(count));
}

void CISOFileFormatParser::ParseBoxes(ParseState& s) {
    for (;;) {
        BeginBox(s);
        uint8_t type[4] = {};
        int32_t id = ReadBoxHeader(s, type);
        const bool isEntry = ChooseId(s, id);
        if (!RunHandlers(s, type, id) || !s.parse.record) MakeFallbackRecord(s, id);
        AttachRecord(s, type, isEntry);
        if (CheckSize(s)) continue;  // descended into the box's children
        CloseFinishedContainers(s);
    }
}

// Called inside a catch block: the result code of the exception in flight, logged.
int32_t CISOFileFormatParser::ResultOfFailure() {
    try {
        throw;
    } catch (const CFileReaderException& e) {
        if (e.GetCode() == CFileReaderException::ReaderEndOfFile) return ParseCorrupted;
        if (e.GetCode() == CFileReaderException::ReaderNotOpen) return ParseNotOpen;
        Close();
        if (m_log) m_log->PrintError("error occured in file reading");
        return ParseReadFailure;
    } catch (ParseExceptionCode code) {
        if (code == ParseCancelRequested) {
            if (m_log) m_log->PrintText("\r\nthe parse was cancelled.\r\n");
            return ParseCancelled;
        }
        if (m_log) m_log->PrintError("error occured in parsing");
        return ParseCorrupted;
    } catch (const std::bad_alloc&) {
        if (m_log) m_log->PrintError("memory allocation failed");
        return ParseOutOfMemory;
    } catch (...) {
        if (m_log) m_log->PrintError("unknown error. contact the author");
        return ParseUnknownError;
    }
}

int32_t CISOFileFormatParser::Parse() {
    if (m_callback == nullptr) return ParseNoCallback;

    ParseState s;
    if (m_carryTrackFacts) s.parse.tracks = std::move(m_trackFacts);
    m_carryTrackFacts = false;
    if (m_log) m_log->SetCounters(&s.errors, &s.warnings);
    bool normalEnd = false;
    try {
        Rewind();
        m_callback->OnParseBegin();
        if (m_log) m_log->PrintText("\r\n---------- started parsing ----------\r\n");
        ParseBoxes(s);
    } catch (const CFileReaderException& e) {
        // The file ending between top-level boxes is the normal end; anywhere else it is not.
        normalEnd = e.GetCode() == CFileReaderException::ReaderEndOfFile && s.remaining == 0 &&
                    s.boxStack.empty();
        if (!normalEnd) s.result = ResultOfFailure();
    } catch (...) {
        s.result = ResultOfFailure();
    }
    if (normalEnd) {
        try {
            FinishEntryMode(s);
            m_callback->OnBoxList(m_records.size(), m_records);
            // Building the tree of a big file takes a while too: it can be cancelled as well,
            // and the callback processor then drops what it built.
            for (const BoxEntry& entry : s.entries) {
                if (m_progress && m_progress->cancelRequested.load(std::memory_order_relaxed))
                    throw ParseCancelRequested;
                m_callback->OnBoxEntry(&entry);
            }
            m_callback->OnParseEnd();
        } catch (...) {
            s.result = ResultOfFailure();
        }
    }

    if (s.result != ParseOk) {
        try {
            m_callback->OnParseFailed(s.result);
        } catch (...) {
            // What the failure left unread stays unreported; the result says the rest.
        }
    }
    if (m_log) {
        m_log->Print("\r\n\r\n---------- parsing done (warnings : %d, errors : %d) ----------\r\n",
                     m_log->GetWarningCount(), m_log->GetErrorCount());
        // The counters live in this call; nothing may count into them after it returns.
        m_log->SetCounters(nullptr, nullptr);
    }
    s.pendingParent.reset();
    m_records.clear();
    m_trackFacts = std::move(s.parse.tracks);
    return s.result;
}

const char* GetParseResultMessage(int32_t result) {
    switch (result) {
        case ParseNotOpen:
            return "file was not opened.";
        case ParseReadFailure:
            return "failed to read from the file.";
        case ParseCorrupted:
            return "error occured in parsing. check if the file is corrupted.";
        case ParseOutOfMemory:
            return "failed due to lack of memory.";
        case ParseUnknownError:
            return "Unknown error. please contact the author.";
        case ParseCancelled:
            return "the parse was cancelled.";
        default:
            return "";
    }
}
