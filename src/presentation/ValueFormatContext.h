#pragma once

#include <cstdint>

// State that value formatting carries from one box to the next within one parse.
//
// A track header's duration is stored without a timescale: it is shown in the timescale that
// was handed to the duration formatter last (the movie header's, or the previous media
// header's). That "last timescale" belongs to one parse of one file, never to the process:
// the document owns one context, calls Reset() when a parse begins, and hands the context to
// the view box handlers, which pass it to CISOViewBoxItemLayer::AddDuration.
class CValueFormatContext {
public:
    // Back to the state of a fresh parse: last timescale 1.
    void Reset() { m_lastTimescale = 1; }

    uint32_t GetLastTimescale() const { return m_lastTimescale; }

    // A non-zero timescale becomes the last timescale; 0 keeps it. Returns the timescale to
    // use, which is never 0.
    uint32_t UseTimescale(uint32_t timescale) {
        if (timescale != 0) m_lastTimescale = timescale;
        return m_lastTimescale;
    }

private:
    uint32_t m_lastTimescale = 1;
};
