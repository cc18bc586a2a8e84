#include "document/BoxFinder.h"

#include "document/DocumentView.h"
#include "model/TextConversion.h"

namespace {
char FoldAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The name as searched: padded with spaces to four characters.
std::string PadName(std::string_view name) {
    std::string padded(name);
    for (size_t length = Utf8Length(name); length < 4; ++length)
        padded.push_back(' ');
    return padded;
}

// Equal when the texts differ at most in the case of the letters A to Z.
bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiLetter(a[i]) != FoldAsciiLetter(b[i])) return false;
    }
    return true;
}
}  // namespace

std::optional<CBoxFinder::Match> CBoxFinder::FindNext(CNodeList& nodes, std::string_view name,
                                                      int64_t scrollY, IDrawingSurface& surface) {
    const std::string wanted = PadName(name);
    // Where the last search left the view stuck short of its match, carry on after that match.
    std::optional<size_t> after;
    if (m_last && m_last->shownAt == scrollY && m_last->name == wanted && m_last->list == &nodes &&
        m_last->generation == nodes.GetGeneration() && m_last->top > scrollY) {
        after = m_last->node;
    }
    m_last.reset();

    int64_t y = ViewLayout::kTopMargin;
    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes.SetExpanded(i, true);
        if (y > scrollY && (!after || i > *after) && NamesEqual(nodes.GetTitle(i), wanted)) {
            m_last = LastMatch{wanted, i, &nodes, nodes.GetGeneration(), y, std::nullopt};
            return Match{i, y};
        }
        y += nodes.GetHeight(i, surface) + ViewLayout::kVerticalGap;
    }
    return std::nullopt;
}

void CBoxFinder::SetShownAt(int64_t scrollY) {
    if (m_last) m_last->shownAt = scrollY;
}
