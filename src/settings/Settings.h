#pragma once
// Start-up of the settings library.

// Registers the settings library's component classes; start-up calls it once, again does nothing.
void RegisterSettingsClasses();
