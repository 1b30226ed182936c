#pragma once
// Start-up of the tree library.

// Registers the tree's component classes; start-up calls it once, again does nothing.
void RegisterTreeClasses();
