#pragma once

// Helpers the integrity checks share: the wording of findings made in more than one place and
// the signature test of a file's first bytes.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/Integrity.h"

// "1A 45 DF A3".
std::string HexBytes(std::span<const uint8_t> bytes);
// "0x28".
std::string HexOffset(uint64_t offset);
// Four characters from space to '~'.
bool PrintableType(const std::array<uint8_t, 4>& type);
// Whether the first header's type (bytes 4 to 7) is printable.
bool HasPrintableType(std::span<const uint8_t> head);
// The name and signature of a well-known non-ISO format the bytes start with; empty for none.
std::string_view NameSignature(std::span<const uint8_t> head);
// Adds `not-iso-media` and returns true when the first box header is neither a known type nor
// a plausible unknown box.
bool CheckSignatureOf(std::span<const uint8_t> head, uint64_t fileSize,
                      std::vector<Finding>& findings);

// `truncated-box`; `lost` is appended after a colon when not empty (which samples are gone).
Finding TruncatedBoxFinding(uint64_t offset, const std::array<uint8_t, 4>& type, uint64_t size,
                            uint64_t fileSize, std::string_view lost);
Finding ChildExceedsParentFinding(uint64_t offset, const std::array<uint8_t, 4>& type,
                                  uint64_t size, uint64_t parentOffset,
                                  const std::array<uint8_t, 4>& parentType, uint64_t room);
// `trailing-bytes` for the bytes from `offset` to the end of the file.
Finding TrailingBytesFinding(uint64_t offset, uint64_t fileSize);
