#include "document/OrvexDoc.h"

#include <algorithm>
#include <limits>

#include "document/ConformanceViewBox.h"
#include "document/IntegrityViewBox.h"
#include "document/LineViewBox.h"
#include "document/MediaDataView.h"
#include "document/QuickInformation.h"
#include "document/TrackInfoCollector.h"
#include "model/BoxCatalogue.h"
#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/BoxFamilies.h"
#include "parsing/MobileMP4BoxParsingHandler.h"
#include "presentation/ViewPalette.h"

COrvexDoc::COrvexDoc(IDocumentView& view, ILogWriter* logWriter, const ISettingsStore& settings)
    : m_view(view),
      m_settings(settings),
      m_log(logWriter),
      m_diagnosticLog(logWriter),
      m_parser(this, &m_diagnosticLog) {
    m_parser.AddHandler(std::make_unique<C3GPPBoxParsingHandler>());
    m_parser.AddHandler(std::make_unique<CMobileMP4BoxParsingHandler>());
    AddBoxFamilyParsers(m_parser);
    m_nodes.SetBuilder(m_builder);
}

COrvexDoc::~COrvexDoc() {
    m_nodes.clear();
}

int COrvexDoc::OpenDocument(const std::string& path) {
    return m_parser.Open(path.c_str());
}

bool COrvexDoc::OpenInitSegment(const std::string& path) {
    auto init = std::make_unique<COrvexDoc>(m_view, m_log, m_settings);
    if (!init->OpenDocument(path)) return false;
    m_ownInitSegment = std::move(init);
    m_initSegment = m_ownInitSegment.get();
    return true;
}

int32_t COrvexDoc::Parse() {
    if (m_ownInitSegment) {
        // Its tree was moved into this one by the last parse: it is read again.
        m_ownInitSegment->DiscardCollector();
        m_ownInitSegment->Parse();
    }
    m_diagnosticLog.ClearDiagnostics();
    m_diagnosticLog.SetContextLimit(m_parser.GetFileSize());
    if (const COrvexDoc* init = InitSegmentInUse())
        m_parser.CarryTrackFactsIntoNextParse(init->m_parser.GetTrackFacts());
    const int32_t result = m_parser.Parse();
    m_parseResult = result;
    if (result != ParseOk) {
        // A failure inside the callbacks (memory) may have left part of a tree: keep none.
        m_nodes.clear();
        m_parsed = false;
        m_lastBuilt = m_currentParent = kNoNode;
        m_parentStack.clear();
    }
    return result;
}

void COrvexDoc::CloseDocument() {
    m_initSegment = nullptr;
    m_ownInitSegment.reset();
    m_parsed = false;
    m_parser.Close();
    m_parentStack.clear();
    m_currentParent = m_lastBuilt = kNoNode;
    m_nodes.clear();
    m_diagnosticLog.ClearDiagnostics();
    m_parseResult = 0;
    m_findings.clear();
    m_integrityBoxes.clear();
}

void COrvexDoc::DiscardCollector() {
    m_nodes.clear();
    m_collector.reset();
}

int32_t COrvexDoc::OnParseBegin() {
    // Always a fresh collector: one left by a failed parse still points at its dead records.
    // Nodes left from before would read the tables of the one replaced.
    m_nodes.clear();
    if (m_ownInitSegment) TakeInitSegmentTree();
    m_collector = std::make_unique<CTrackInfoCollector>();
    // A few hostile bytes can declare billions of samples; no more sample lines than bytes.
    m_collector->LimitToFileSize(static_cast<uint64_t>(m_parser.GetFileSize()));
    m_builder.Reset();
    m_autoExpand = GetSwitchSetting(m_settings, SwitchAutoExpand);
    m_boxSet = GetSwitchSetting(m_settings, SwitchClassicBoxSet) ? BoxSet::Classic : BoxSet::Full;
    m_parser.SetBoxSet(m_boxSet);
    m_collector->SetBoxSet(m_boxSet);
    if (const COrvexDoc* init = InitSegmentInUse())
        m_collector->StartFromInitSegment(*init->m_collector);
    m_currentParent = kNoNode;
    m_lastBuilt = kNoNode;
    m_lastDepth = 0;
    m_extentWidth = 0;
    m_extentHeight = ViewLayout::kTopMargin;
    m_parentStack.clear();
    m_integrityBoxes.clear();
    m_findings.clear();
    m_integrityNode = nullptr;
    return 0;
}

int32_t COrvexDoc::OnBoxParsed(ISOFileFormat::Box* record) {
    if (record == nullptr || !m_collector) return 0;
    m_collector->Note(*record);
    return 0;
}

int32_t COrvexDoc::OnBoxList(size_t,
                             const std::vector<std::unique_ptr<ISOFileFormat::Box>>& records) {
    if (!m_collector) m_collector = std::make_unique<CTrackInfoCollector>();
    m_collector->FinishTrack();
    // Only read when AutoExpand is on, as the section's expansion depends on both.
    const bool noExpandQI = m_autoExpand && GetSwitchSetting(m_settings, SwitchNoExpandQI);
    const bool integrity = m_boxSet == BoxSet::Full;
    BuildQuickInformation(*m_collector, m_view.GetMeasureSurface(), m_autoExpand, noExpandQI,
                          m_nodes, integrity);
    BuildConformanceInformation(records, *m_collector, m_view.GetMeasureSurface(), m_nodes);
    if (integrity) {
        // Filled when the parse ends: the checks read every box entry.
        auto node = std::make_unique<CIntegrityViewBox>(1);
        m_integrityNode = node.get();
        m_nodes.PushBack(std::move(node));
    }
    return 0;
}

int32_t COrvexDoc::OnBoxEntry(const BoxEntry* entry) {
    if (entry == nullptr || entry->record == nullptr) return 0;
    const ISOFileFormat::Box& record = *entry->record;
    if (m_boxSet == BoxSet::Full) {
        m_integrityBoxes.push_back(
            IntegrityBox{&record, entry->depth, record.id, static_cast<uint64_t>(entry->offset)});
    }
    if (entry->depth > m_lastDepth) {
        m_parentStack.push_back(m_currentParent);
        m_currentParent = m_lastBuilt;
    } else if (entry->depth < m_lastDepth) {
        for (int32_t i = entry->depth; i < m_lastDepth && !m_parentStack.empty(); ++i) {
            m_currentParent = m_parentStack.back();
            m_parentStack.pop_back();
        }
    }
    if (m_currentParent != kNoNode) m_nodes.AddChild(m_currentParent);
    m_lastDepth = entry->depth;
    m_lastBuilt = m_nodes.size();

    const BoxNodePlace place{static_cast<uint64_t>(entry->offset),
                             entry->depth,
                             entry->headerSize,
                             entry->container == 1,
                             m_autoExpand,
                             m_boxSet};
    if (CNodeBuilder::CanBuildLater(record.id)) {
        m_nodes.PushBackLater(record, place);
    } else {
        std::unique_ptr<CISOViewBox> node = m_builder.Build(record, place);
        if (record.id == BoxId::Trak && m_collector) {
            if (CISOViewBoxLayer* longName = node->GetLongTypeNameLayer()) {
                longName->SetText(std::string(m_collector->GetTrackTypeName(&record))
                                      .append(" ")
                                      .append(longName->Text()));
                node->InvalidateMeasure();
            }
        }
        if (m_view.ShowsGeometry()) node->Measure(m_view.GetMeasureSurface());
        m_nodes.PushBack(std::move(node));
    }

    if (record.id == BoxId::Moof && m_collector)
        m_collector->PlaceFragment(&record, static_cast<uint64_t>(entry->offset));
    if (record.id == BoxId::Mdat && m_collector) {
        // The 'mdat' node and every line start expanded when AutoExpand is set and NoExpandMDAT
        // is not.
        const bool expanded = m_autoExpand && !GetSwitchSetting(m_settings, SwitchNoExpandMDAT);
        m_nodes.SetExpanded(m_lastBuilt, expanded);
        const uint64_t offset = static_cast<uint64_t>(entry->offset);
        const auto [first, end] = m_collector->TakePlacedFragments();
        std::unique_ptr<CMediaDataLines> lines;
        if (first < end) {
            // The samples of the movie fragments before it, wherever their offsets point.
            CMediaDataLines::Fragments fragments{
                first, end, offset + entry->headerSize,
                record.size == 0 ? m_collector->GetFileSize() : offset + record.size};
            lines =
                std::make_unique<CMediaDataLines>(*m_collector, fragments, entry->depth, expanded);
        } else {
            lines = std::make_unique<CMediaDataLines>(*m_collector, offset, record.size,
                                                      entry->depth, expanded);
        }
        for (int32_t track = 0; track < lines->GetTrackCount(); ++track)
            m_nodes.AddChild(m_lastBuilt);
        m_nodes.AppendLines(std::move(lines));
    }
    return 0;
}

void COrvexDoc::TakeInitSegmentTree() {
    const auto heading = [this](std::string text) {
        auto node = std::make_unique<CLineViewBox>(0, 0, 0);
        node->SetTitle(text);
        node->SetTitleColours(kViewPalette.quickInformationTitleText, kViewPalette.lineBack);
        node->Measure(m_view.GetMeasureSurface());
        m_nodes.PushBack(std::move(node));
    };
    const COrvexDoc& init = *m_ownInitSegment;
    std::string initHeading = "Init Segment : " + init.GetFilePath();
    if (init.GetParseResult() != ParseOk)
        initHeading.append(" (").append(GetParseResultMessage(init.GetParseResult())).append(")");
    heading(std::move(initHeading));
    m_initSegmentNodes.first = m_nodes.size();
    m_nodes.Append(m_ownInitSegment->m_nodes);
    m_initSegmentNodes.end = m_nodes.size();
    heading("Media Segment : " + GetFilePath());
    m_initSegmentNodes.segmentFirst = m_nodes.size();
}

const COrvexDoc* COrvexDoc::InitSegmentInUse() const {
    const bool full = !GetSwitchSetting(m_settings, SwitchClassicBoxSet);
    if (!full || !m_initSegment || !m_initSegment->IsParsed() || !m_initSegment->m_collector ||
        m_initSegment->GetBoxSet() != BoxSet::Full)
        return nullptr;
    return m_initSegment;
}

std::vector<uint8_t> COrvexDoc::ReadHead() {
    std::vector<uint8_t> head(static_cast<size_t>(
        std::min<int64_t>(m_parser.GetFileSize(), static_cast<int64_t>(kIntegrityHeadSize))));
    m_parser.Rewind();
    head.resize(m_parser.ReadBytes(head.data(), static_cast<uint32_t>(head.size())));
    return head;
}

void COrvexDoc::OnParseFailed(int32_t result) {
    // A cancelled parse stopped by choice: nothing is wrong with the file for that.
    if (result == ParseCancelled || m_boxSet != BoxSet::Full || !m_parser.IsOpen()) return;
    // No tree is left to check: the headers say where the file broke.
    const std::vector<uint8_t> head = ReadHead();
    const auto& diagnostics = m_diagnosticLog.GetDiagnostics();
    const auto lastError = std::find_if(diagnostics.rbegin(), diagnostics.rend(),
                                        [](const LogDiagnostic& d) { return d.error; });
    try {
        m_findings = CheckUnparsedFile(
            m_parser, head,
            ParseStop{static_cast<uint64_t>(m_diagnosticLog.GetContextOffset()),
                      m_diagnosticLog.GetContextType(),
                      static_cast<uint64_t>(m_diagnosticLog.GetLastInsideOffset()),
                      m_diagnosticLog.GetLastInsideType()},
            lastError == diagnostics.rend() ? std::string_view() : lastError->text);
    } catch (...) {
        // A reader that failed itself: the parse result says enough.
        m_findings.clear();
    }
    LogFindings();
}

void COrvexDoc::FindIntegrityProblems() {
    const std::vector<uint8_t> head = ReadHead();
    m_findings = RunIntegrityChecks(
        IntegrityInput{m_integrityBoxes, m_collector.get(), GetFileSize(), head});
    // The records die when the parse returns.
    m_integrityBoxes = {};
    if (m_integrityNode) {
        m_integrityNode->SetFindings(m_findings);
        m_integrityNode->Measure(m_view.GetMeasureSurface());
    }
    LogFindings();
}

void COrvexDoc::LogFindings() {
    // Counted with the parse's own warnings and errors.
    for (const Finding& f : m_findings) {
        m_diagnosticLog.SetBoxContext(static_cast<int64_t>(f.offset), f.type.data());
        const std::string_view id = f.id;
        if (f.severity == FindingSeverity::Error) {
            m_diagnosticLog.PrintError("%.*s : %s", static_cast<int>(id.size()), id.data(),
                                       f.sentence.c_str());
        } else {
            m_diagnosticLog.PrintWarning("%.*s : %s", static_cast<int>(id.size()), id.data(),
                                         f.sentence.c_str());
        }
    }
}

int32_t COrvexDoc::OnParseEnd() {
    if (m_boxSet == BoxSet::Full) FindIntegrityProblems();
    // The boxes whose nodes are made when shown keep their records; the rest go with the parse.
    m_nodes.KeepRecords(m_parser.TakeRecords());
    m_parsed = true;
    ComputeExtent();
    m_view.ScrollToOrigin();
    if (m_extentWidth != 0 && m_extentHeight != 0) {
        m_view.SetScrollSize(m_extentWidth, m_extentHeight);
    } else if (m_log) {
        m_log->PrintText("\r\n\r\nError : the file is empty or not a correct media file.\r\n");
    }
    return 0;
}

void COrvexDoc::ComputeExtent() {
    if (!m_view.ShowsGeometry()) {
        // Only whether there is anything to show is asked of the extent then. Every displayed
        // node adds a left offset and a vertical gap, and the first node is always displayed.
        static_assert(ViewLayout::kLeftOffset > 0 && ViewLayout::kVerticalGap > 0);
        m_extentWidth = m_nodes.empty() ? 0 : ViewLayout::kLeftOffset;
        m_extentHeight = m_nodes.empty() ? 0 : ViewLayout::kVerticalGap;
        return;
    }
    // The view's scroll range takes what fits of 64 bits.
    int64_t width = 0;
    int64_t height = 0;
    m_nodes.MeasureDisplayed(m_view.GetMeasureSurface(), width, height);
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    m_extentWidth = static_cast<int32_t>(std::min(width, kMax));
    m_extentHeight = static_cast<int32_t>(std::min(height, kMax));
}
