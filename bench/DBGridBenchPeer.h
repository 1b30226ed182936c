#pragma once
// What the data grid benchmark asks of its peer, Qt's own table view over a table model of Qt's
// SQL module with its SQLite driver; the Qt code stays in DBGridBenchQt.cpp.

#include <string>

// The window size both grids show.
constexpr int GridBenchWidth = 640, GridBenchHeight = 480;

// Opens the database file and shows the table "items" in a table view of the size above.
void PeerOpen(const std::string& DatabaseFile);
// Scrolls the view one page down (back to the top after the last page) and renders the
// viewport once.
void PeerPageDownAndPaint();
// The first row shown.
int PeerTopRow();
void PeerClose();
