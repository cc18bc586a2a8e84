#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "document/NodeList.h"
#include "presentation/DrawingSurface.h"

// Finding a box by its type name, the way the box view's find command walks the tree: every
// node in list order, with the running top the view would give it, expanding each node passed so
// that the match ends up displayed. The match is the first node named like the search whose top
// lies strictly below the view's scroll position; the view then scrolls it to the top, so the
// next search walks on to the next box of that name.
//
// Near the end of the tree the view cannot scroll a match all the way up, and the match would
// stay below the scroll position for ever: the same box would be found again and again. So the
// finder remembers its last match and where the view stopped after showing it; while the view
// still stands there, the next search for that name starts after the last match.
class CBoxFinder {
public:
    struct Match {
        size_t node;  // index in the node list
        int64_t top;  // content y of the node's top, with every node before it displayed
    };

    // The next node whose short type name equals `name` (padded with spaces to four characters;
    // the letters A to Z compared without regard to case) below `scrollY`, or nothing. Sizes are
    // measured on `surface` where a node needs it. Every node walked stays expanded, also when
    // nothing is found.
    std::optional<Match> FindNext(CNodeList& nodes, std::string_view name, int64_t scrollY,
                                  IDrawingSurface& surface);

    // Where the view stands after scrolling to the last match.
    void SetShownAt(int64_t scrollY);
    // Forgets the last match: the document was closed or replaced.
    void Forget() { m_last.reset(); }

private:
    struct LastMatch {
        std::string name;  // as padded
        size_t node;
        // To recognise a list that was replaced meanwhile.
        const CNodeList* list;
        uint64_t generation;
        int64_t top;
        std::optional<int64_t> shownAt;
    };
    std::optional<LastMatch> m_last;
};
