#pragma once

// Registers the icons and texts of resources/orvex.qrc. The shell is a static library, whose
// resource data the linker would otherwise leave out; every window that uses a resource calls
// this first. Calling it again does no harm.
void InitShellResources();

class QIcon;

// The picture resources/icons/NAME.png with its NAME@2x.png, so that a screen scaled by two
// shows the large picture, not the small one blown up, whatever the scale at start-up.
QIcon LoadIcon(const char* name);
