#include "shell/BackgroundDocument.h"

#include "document/ParseControl.h"

int CQueuedLogWriter::PrintText(std::string_view text) {
    const std::lock_guard lock(m_mutex);
    if (m_target) return m_target->PrintText(text);
    m_text.append(text);
    return 0;
}

int CQueuedLogWriter::Clear() {
    const std::lock_guard lock(m_mutex);
    m_text.clear();
    return m_target ? m_target->Clear() : 0;
}

int CQueuedLogWriter::SaveToFile(const std::string& fileName) {
    const std::lock_guard lock(m_mutex);
    return m_target ? m_target->SaveToFile(fileName) : 0;
}

std::string CQueuedLogWriter::TakeText() {
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_text, {});
}

void CQueuedLogWriter::Attach(ILogWriter* target) {
    const std::lock_guard lock(m_mutex);
    if (target && !m_text.empty()) target->PrintText(m_text);
    m_text.clear();
    m_target = target;
}

void CRelayDocumentView::MakeSurface() {
    m_surface = std::make_unique<CQtDrawingSurface>();
    m_surface->SetCurrentFont(m_font);
}

IDrawingSurface& CRelayDocumentView::GetMeasureSurface() {
    if (m_target) return m_target->GetMeasureSurface();
    if (!m_surface) MakeSurface();
    return *m_surface;
}

void CRelayDocumentView::ScrollToOrigin() {
    if (m_target) m_target->ScrollToOrigin();
}

void CRelayDocumentView::SetScrollSize(int32_t width, int32_t height) {
    if (m_target) m_target->SetScrollSize(width, height);
}

void CRelayDocumentView::Invalidate() {
    if (m_target) m_target->Invalidate();
}

void CRelayDocumentView::ShowWarning(const std::string& title, const std::string& text) {
    if (m_target) m_target->ShowWarning(title, text);
}

CBackgroundDocument::CBackgroundDocument(const ISettingsStore& settings, const FontSpec& font)
    : m_view(font) {
    for (int32_t i = SwitchAutoExpand; i <= SwitchClassicBoxSet; ++i)
        SetSwitchSetting(m_settings, i, GetSwitchSetting(settings, i));
    m_document = std::make_unique<COrvexDoc>(m_view, &m_log, m_settings);
    m_document->SetParseProgress(&m_progress);
}

CBackgroundDocument::~CBackgroundDocument() {
    Cancel();
    Join();
}

bool CBackgroundDocument::Open(const std::string& path) {
    if (!m_document->OpenDocument(path)) return false;
    m_path = path;
    m_fileSize = m_document->GetFileSize();
    return true;
}

void CBackgroundDocument::StartParse(std::function<void(const CParseProgress&)> beforeBox) {
    m_progress.beforeBox = std::move(beforeBox);
    m_worker = std::thread([this] {
        m_view.MakeSurface();
        const int32_t result = CParseControl(*m_document, m_view, m_settings).StartParsing();
        const std::lock_guard lock(m_doneMutex);
        m_result = result;
        m_done = true;
        m_doneSignal.notify_all();
    });
}

bool CBackgroundDocument::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_doneMutex);
    return m_doneSignal.wait_for(lock, timeout, [this] { return m_done || !IsParsing(); });
}

int32_t CBackgroundDocument::Join() {
    if (m_worker.joinable()) m_worker.join();
    const std::lock_guard lock(m_doneMutex);
    return m_result;
}

void CBackgroundDocument::Attach(IDocumentView& view, ILogWriter* log) {
    m_view.Attach(view);
    m_log.Attach(log);
}
