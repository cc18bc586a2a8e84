#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "document/NodeList.h"
#include "presentation/TextSink.h"

// The text export of a tree: "Parsed File Name : " and the file's path, then every node in
// display order, displayed or not, each as its text form followed by a line break. The one
// writer behind the viewer's export command and orvex-dump.
// `heading` replaces "Parsed File Name" where two trees follow each other.
void WriteTreeText(const CNodeList& nodes, std::string_view parsedFileName, bool indented,
                   CTextSink& sink, std::string_view heading = "Parsed File Name");

// Writes text as a text-mode file of single bytes: every "\n" becomes CR LF and every
// character one byte ('?' for those beyond U+00FF). Pending text is written out in large
// pieces as it grows, so a tree of millions of lines never sits whole in memory.
class CSingleByteFileSink : public CTextSink {
public:
    explicit CSingleByteFileSink(std::FILE* file);
    // True while every write succeeded.
    bool Ok() const { return m_ok; }

protected:
    void Drain(std::string& text) override;

private:
    std::FILE* m_file;
    std::string m_bytes;
    bool m_ok = true;
};

// Writes the export to `path`; false when the file cannot be created or written.
bool ExportTreeToFile(const CNodeList& nodes, std::string_view parsedFileName, bool indented,
                      const std::string& path);
