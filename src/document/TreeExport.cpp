#include "document/TreeExport.h"

#include "model/TextConversion.h"

namespace {
constexpr size_t kDrainThreshold = 1 << 20;
}

void WriteTreeText(const CNodeList& nodes, std::string_view parsedFileName, bool indented,
                   CTextSink& sink, std::string_view heading) {
    sink.Append(heading);
    sink.Append(" : ");
    sink.Append(parsedFileName);
    sink.Append('\n');
    sink.LineDone();
    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes.AppendText(i, sink, indented);
        sink.Append('\n');
        sink.LineDone();
    }
    sink.Flush();
}

CSingleByteFileSink::CSingleByteFileSink(std::FILE* file)
    : CTextSink(kDrainThreshold), m_file(file) {}

void CSingleByteFileSink::Drain(std::string& text) {
    m_bytes.clear();
    AppendSingleByte(text, m_bytes, true);
    if (!m_bytes.empty() &&
        std::fwrite(m_bytes.data(), 1, m_bytes.size(), m_file) != m_bytes.size()) {
        m_ok = false;
    }
    text.clear();
}

bool ExportTreeToFile(const CNodeList& nodes, std::string_view parsedFileName, bool indented,
                      const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    CSingleByteFileSink sink(file);
    WriteTreeText(nodes, parsedFileName, indented, sink);
    bool ok = sink.Ok();
    if (std::fclose(file) != 0) ok = false;
    return ok;
}
