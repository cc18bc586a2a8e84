#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/DiagnosticLog.h"
#include "document/DocumentView.h"
#include "document/Integrity.h"
#include "document/NodeBuilder.h"
#include "document/NodeList.h"
#include "document/Settings.h"
#include "parsing/ISOFileFormatParser.h"
#include "presentation/ISOViewBox.h"

class CIntegrityViewBox;
class CTrackInfoCollector;

// The document of the one media file shown: owns the parse driver with its handlers, the view
// box handlers and the node list, every node of the tree in display order with its depth.
// It builds the tree inside the driver's callbacks, while the box records are alive, and keeps
// the track information collector for as long as the tree: the lines under 'mdat' are read
// from its tables.
class COrvexDoc : public IParserCallbackProcessor {
public:
    COrvexDoc(IDocumentView& view, ILogWriter* logWriter, const ISettingsStore& settings);
    ~COrvexDoc() override;
    COrvexDoc(const COrvexDoc&) = delete;
    COrvexDoc& operator=(const COrvexDoc&) = delete;

    int OpenDocument(const std::string& path);
    bool IsFileOpen() const { return m_parser.IsOpen(); }
    const std::string& GetFilePath() const { return m_parser.GetFileName(); }
    // One whole parse; the driver's result code. A parse that does not end normally leaves no
    // node behind.
    int32_t Parse();
    bool IsParsed() const { return m_parsed; }
    // Progress and cancel for the parses to come; see CISOFileFormatParser::SetProgress.
    void SetParseProgress(CParseProgress* progress) { m_parser.SetProgress(progress); }
    // The result of the last parse (ParseOk before any), and the warnings and errors it met.
    int32_t GetParseResult() const { return m_parseResult; }
    const std::vector<LogDiagnostic>& GetDiagnostics() const {
        return m_diagnosticLog.GetDiagnostics();
    }
    // What is wrong with the file, found by the last parse; none with the classic box set.
    const std::vector<Finding>& GetFindings() const { return m_findings; }
    uint64_t GetFileSize() const { return static_cast<uint64_t>(m_parser.GetFileSize()); }
    // The box set of the last parse: the classic one when the "ClassicBoxSet" switch was on.
    BoxSet GetBoxSet() const { return m_boxSet; }
    void CloseDocument();
    // The parsed init segment whose facts each following parse of this document starts from
    // (track kinds, timescales, 'trex' defaults, IV sizes of 'tenc'), so that a media segment
    // is read as its player reads it; null for none. Not owned: it must outlive those parses.
    // Only with the full box set: the classic reading of a segment knows no init segment.
    void UseInitSegment(const COrvexDoc* init) { m_initSegment = init; }
    const COrvexDoc* GetInitSegment() const { return m_initSegment; }
    // The viewer's "Open Segment With Init": opens `path`, the init segment of the file this
    // document opens next, in a document of this one's own. Each parse parses it first and
    // shows its tree, under a heading naming it, before this file's. CloseDocument drops it.
    // False when the file cannot be opened.
    bool OpenInitSegment(const std::string& path);
    bool HasOwnInitSegment() const { return m_ownInitSegment != nullptr; }
    // Where the own init segment's tree lies in this document's nodes after a parse: its nodes
    // [first, end) under its heading, then the segment's heading and the segment's nodes from
    // segmentFirst on.
    struct InitSegmentNodes {
        size_t first = 0;
        size_t end = 0;
        size_t segmentFirst = 0;
    };
    InitSegmentNodes GetInitSegmentNodes() const { return m_initSegmentNodes; }
    // Drops the track facts of a previous parse, so that the next one starts afresh, and with
    // them the nodes that read them.
    void DiscardCollector();

    // The pixel size of the displayed part of the tree: collapsed subtrees are left out.
    void ComputeExtent();
    int32_t GetExtentWidth() const { return m_extentWidth; }
    int32_t GetExtentHeight() const { return m_extentHeight; }

    CNodeList& GetNodes() { return m_nodes; }
    const CNodeList& GetNodes() const { return m_nodes; }
    // The reader of the open file, for copying a box's bytes out.
    CFileReader& GetReader() { return m_parser; }

    // Parse driver callbacks.
    int32_t OnParseBegin() override;
    int32_t OnBoxParsed(ISOFileFormat::Box* record) override;
    int32_t OnBoxList(size_t count,
                      const std::vector<std::unique_ptr<ISOFileFormat::Box>>& records) override;
    int32_t OnBoxEntry(const BoxEntry* entry) override;
    int32_t OnParseEnd() override;
    void OnParseFailed(int32_t result) override;

private:
    // The first bytes of the file, for the signature checks.
    std::vector<uint8_t> ReadHead();
    void FindIntegrityProblems();
    // The init segment whose facts this parse starts from; null when there is none or when
    // either parse reads the classic box set.
    const COrvexDoc* InitSegmentInUse() const;
    // The own init segment's tree, moved to the start of this one, each under its heading.
    void TakeInitSegmentTree();
    // Each finding as a warning or error block of the log.
    void LogFindings();

    IDocumentView& m_view;
    const ISettingsStore& m_settings;
    ILogWriter* m_log;
    CDiagnosticLogWriter m_diagnosticLog;
    int32_t m_parseResult = 0;
    bool m_autoExpand = false;
    // Declared before the nodes, which it makes when they are shown.
    CNodeBuilder m_builder;
    BoxSet m_boxSet = BoxSet::Full;
    // Indices in m_nodes of the boxes the next box may be a child of.
    static constexpr size_t kNoNode = SIZE_MAX;
    std::vector<size_t> m_parentStack;
    int32_t m_lastDepth = 0;
    size_t m_currentParent = kNoNode;
    size_t m_lastBuilt = kNoNode;
    bool m_parsed = false;
    const COrvexDoc* m_initSegment = nullptr;
    std::unique_ptr<COrvexDoc> m_ownInitSegment;
    InitSegmentNodes m_initSegmentNodes;
    std::unique_ptr<CTrackInfoCollector> m_collector;
    // The boxes of the parse while their records live, and what the checks found in them.
    std::vector<IntegrityBox> m_integrityBoxes;
    std::vector<Finding> m_findings;
    CIntegrityViewBox* m_integrityNode = nullptr;
    // Declared after the collector, so that it is destroyed first: its lines read the tables.
    CNodeList m_nodes;
    int32_t m_extentWidth = 0;
    int32_t m_extentHeight = 0;
    // Declared last so that it is destroyed first: nothing it calls back outlives it.
    CISOFileFormatParser m_parser;
};
