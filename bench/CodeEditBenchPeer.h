#pragma once
// What the editor control benchmark asks of its peer, Qt's own plain text editor, whose Qt
// code stays in CodeEditBenchQt.cpp.

#include <string>

// The window size both editors show.
constexpr int BenchViewWidth = 800, BenchViewHeight = 600;

// Loads the UTF-8 file into a new plain text editor and renders its first screen.
void PeerLoadAndShowFirstScreen(const std::string& Path);
// Scrolls the loaded editor so that the 0-based Line is the top one.
void PeerScrollTo(int Line);
// Renders one screen of the loaded editor.
void PeerPaintScreen();
void PeerFree();
// Puts the text cursor at the 0-based Line and Column and scrolls it into view.
void PeerPlaceCursor(int Line, int Column);
// One keystroke sent to the editor as the toolkit delivers it (a letter, or Backspace), then
// one screen rendered.
void PeerKeystrokeAndPaint(bool Backspace);
// Page Up (or Page Down) sent to the shown editor as the toolkit delivers it, then the toolkit's
// own paint of what changed.
void PeerPageMoveAndPaint(bool Up);
