#include "document/ParseControl.h"

int CParseControl::OpenFile(const std::string& path) {
    if (m_document.IsFileOpen()) ResetView();
    if (!m_document.OpenDocument(path)) return 0;
    if (GetSwitchSetting(m_settings, SwitchAutoParse)) StartParsing();
    return 1;
}

int32_t CParseControl::StartParsing() {
    if (m_document.IsParsed()) return 0;
    m_document.DiscardCollector();
    const int32_t result = m_document.Parse();
    if (result != 0) m_view.ShowWarning("Error", GetParseResultMessage(result));
    return result;
}

void CParseControl::ResetView() {
    m_document.CloseDocument();
    m_view.ScrollToOrigin();
    m_view.SetScrollSize(1, 1);
    m_view.Invalidate();
}
