#pragma once
// Start-up of the editor library.

// Registers the editor's component classes; start-up calls it once, again does nothing.
void RegisterEditorClasses();
