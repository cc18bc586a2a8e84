#pragma once

class CISOFileFormatParser;

// Registers the parsing handler of every box family beyond the classic set, after the classic
// handlers: the parser asks them only while it reads the full box set.
void AddBoxFamilyParsers(CISOFileFormatParser& parser);
