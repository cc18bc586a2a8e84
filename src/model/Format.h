#pragma once

#include <cstdarg>
#include <string>

#if defined(__GNUC__)
#define ORVEX_PRINTF(fmtIndex, firstArg) __attribute__((format(printf, fmtIndex, firstArg)))
#else
#define ORVEX_PRINTF(fmtIndex, firstArg)
#endif

// The one printf-style formatter of the system. Formats are always literals of our own
// (the compiler checks them); file contents only ever travel as arguments.
std::string StrFormat(const char* format, ...) ORVEX_PRINTF(1, 2);
std::string StrFormatV(const char* format, va_list args);
