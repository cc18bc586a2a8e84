#pragma once

#include <string>

#include "presentation/ISOViewBox.h"

// Writes one node's plain text form and a line break to `path` as a text-mode file of single
// bytes, as the whole-tree export writes each node. False when the file cannot be created or
// written.
bool ExportBoxToFile(const CISOViewBox& node, const std::string& path);
