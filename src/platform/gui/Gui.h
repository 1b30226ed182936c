#pragma once
// Start-up of the GUI layer.

// Registers the component classes of this library; start-up calls it once, again does nothing.
void RegisterPlatformGuiClasses();
