#pragma once

// Registers the icons and texts of resources/orvex.qrc. The shell is a static library, whose
// resource data the linker would otherwise leave out; every window that uses a resource calls
// this first. Calling it again does no harm.
void InitShellResources();
