// The peer side of bench_codeedit: Qt's plain text editor, and the program's main (the Qt
// application the controls of both sides need).

#include "CodeEditBenchPeer.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QPlainTextEdit> Peer;
std::unique_ptr<QImage> Picture;

} // namespace

void PeerLoadAndShowFirstScreen(const std::string& Path) {
    QFile File(QString::fromStdString(Path));
    if (!File.open(QIODevice::ReadOnly)) std::abort();
    Peer = std::make_unique<QPlainTextEdit>();
    Peer->setFont(QFont("Liberation Mono", 10));
    Peer->setLineWrapMode(QPlainTextEdit::NoWrap);
    Peer->resize(BenchViewWidth, BenchViewHeight);
    Peer->setPlainText(QString::fromUtf8(File.readAll()));
    Peer->show();
    QApplication::processEvents();
    PeerPaintScreen();
}

void PeerScrollTo(int Line) {
    Peer->verticalScrollBar()->setValue(Line);
    QApplication::processEvents();
}

void PeerPaintScreen() {
    if (!Picture) Picture = std::make_unique<QImage>(BenchViewWidth, BenchViewHeight, QImage::Format_RGB32);
    Peer->render(Picture.get());
}

void PeerPlaceCursor(int Line, int Column) {
    QTextCursor Cursor(Peer->document()->findBlockByNumber(Line));
    Cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, Column);
    Peer->setTextCursor(Cursor);
    Peer->ensureCursorVisible();
    QApplication::processEvents();
}

void PeerKeystrokeAndPaint(bool Backspace) {
    QKeyEvent Press(QEvent::KeyPress, Backspace ? Qt::Key_Backspace : Qt::Key_X, Qt::NoModifier,
                    Backspace ? QString(QChar(8)) : QStringLiteral("x"));
    QKeyEvent Release(QEvent::KeyRelease, Backspace ? Qt::Key_Backspace : Qt::Key_X, Qt::NoModifier);
    QApplication::sendEvent(Peer.get(), &Press);
    QApplication::sendEvent(Peer.get(), &Release);
    PeerPaintScreen();
}

void PeerPageMoveAndPaint(bool Up) {
    const Qt::Key Key = Up ? Qt::Key_PageUp : Qt::Key_PageDown;
    QKeyEvent Press(QEvent::KeyPress, Key, Qt::NoModifier);
    QKeyEvent Release(QEvent::KeyRelease, Key, Qt::NoModifier);
    QApplication::sendEvent(Peer.get(), &Press);
    QApplication::sendEvent(Peer.get(), &Release);
    QApplication::processEvents();
}

void PeerFree() {
    Peer.reset();
}

int RunCodeEditBench(int argc, char** argv);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QApplication App(argc, argv);
    return RunCodeEditBench(argc, argv);
}
