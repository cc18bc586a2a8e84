#include "document/BoxExport.h"

#include <cstdio>

#include "document/TreeExport.h"

bool ExportBoxToFile(const CISOViewBox& node, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    CSingleByteFileSink sink(file);
    node.AppendText(sink, false);
    sink.Append('\n');
    sink.Flush();
    bool ok = sink.Ok();
    if (std::fclose(file) != 0) ok = false;
    return ok;
}
