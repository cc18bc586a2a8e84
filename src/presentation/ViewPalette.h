#pragma once

#include "presentation/DrawingSurface.h"

// The colours of the view, each named by the part it paints. Every colour the viewer draws with,
// in the core and in the desktop shell, is taken from the one palette below.
struct ViewPalette {
    // A box's node. The short type name is drawn on the default back of a layer.
    Colour layerFrame = Rgb(0, 6, 31);
    Colour layerText = Rgb(0, 0, 0);
    Colour layerBack = Rgb(146, 143, 73);
    Colour typeNameText = Rgb(232, 230, 185);
    Colour longNameText = Rgb(0, 0, 0);
    Colour longNameBack = Rgb(182, 178, 91);
    Colour itemText = Rgb(255, 255, 255);
    Colour itemBack = Rgb(0, 54, 81);
    Colour itemLabelColumn = Rgb(0, 99, 148);
    // Mixed into every other item line.
    Colour itemShade = Rgb(0, 0, 0);

    // The document's own sections: general information and the conformance test.
    Colour sectionTitleText = Rgb(255, 255, 255);
    Colour sectionTitleBack = Rgb(79, 104, 77);
    Colour sectionText = Rgb(0, 0, 0);
    Colour sectionBack = Rgb(255, 255, 255);
    Colour sectionLabelColumn = Rgb(192, 192, 192);
    Colour sectionShade = Rgb(138, 138, 138);
    Colour conformanceHeaderBack = Rgb(192, 192, 192);
    Colour conformanceFailureText = Rgb(255, 0, 0);
    // The integrity section: its own title colours, so that a damaged file is told apart at a
    // glance, and one colour per severity.
    Colour integrityTitleText = Rgb(255, 255, 255);
    Colour integrityTitleBack = Rgb(128, 64, 48);
    Colour integrityText = Rgb(0, 0, 0);
    Colour integrityBack = Rgb(255, 250, 240);
    Colour integrityErrorText = Rgb(192, 0, 0);
    Colour integrityWarningText = Rgb(160, 96, 0);

    // One-line nodes: the quick information title and the media data lines.
    Colour lineText = Rgb(0, 0, 0);
    Colour lineBack = Rgb(255, 255, 255);
    Colour quickInformationTitleText = Rgb(25, 25, 112);
    Colour trackLineBack = Rgb(247, 222, 86);
    Colour chunkLineBack = Rgb(238, 232, 170);
    Colour randomAccessLineBack = Rgb(215, 179, 179);

    // The view's window: the file offset band left of the tree, the depth guides, the log and
    // the hint of the empty view.
    Colour offsetText = Rgb(255, 255, 255);
    Colour offsetBand = Rgb(56, 111, 139);
    Colour offsetBandEdge = Rgb(0, 0, 0);
    Colour depthGuide = Rgb(189, 183, 107);
    Colour logText = Rgb(0, 0, 0);
    Colour logBack = Rgb(255, 241, 189);
    // The frame around the selected node, apart from every back and frame colour of a node.
    Colour selectionFrame = Rgb(232, 72, 0);
    // What the empty view says to do.
    Colour emptyHintText = Rgb(56, 111, 139);

    // The hex pane: the bytes of the selected node, its size and type fields, the rest of it and
    // its children (every other child in the second shade), on the plain back of the bytes
    // around it.
    Colour hexText = Rgb(0, 0, 0);
    Colour hexOffsetText = Rgb(56, 111, 139);
    Colour hexBack = Rgb(255, 255, 255);
    Colour hexHeaderBack = Rgb(146, 143, 73);
    Colour hexPayloadBack = Rgb(238, 232, 170);
    Colour hexChildBack = Rgb(182, 214, 230);
    Colour hexNextChildBack = Rgb(150, 190, 212);
    Colour hexFailureText = Rgb(255, 0, 0);
};

inline constexpr ViewPalette kViewPalette{};
