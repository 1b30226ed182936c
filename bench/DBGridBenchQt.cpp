// The peer of the data grid benchmark: QTableView over QSqlTableModel (QSQLITE driver).

#include "DBGridBenchPeer.h"

#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlTableModel>
#include <QTableView>

#include <memory>

namespace {
struct TPeer {
    std::unique_ptr<QSqlTableModel> Model;
    std::unique_ptr<QTableView> View;
    QImage Picture{GridBenchWidth, GridBenchHeight, QImage::Format_RGB32};
};
std::unique_ptr<TPeer> Peer;
const QString Connection = QStringLiteral("grid-bench");
} // namespace

void PeerOpen(const std::string& DatabaseFile) {
    {
        QSqlDatabase Db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Connection);
        Db.setDatabaseName(QString::fromStdString(DatabaseFile));
        Db.open();
    }
    Peer = std::make_unique<TPeer>();
    Peer->Model = std::make_unique<QSqlTableModel>(nullptr, QSqlDatabase::database(Connection));
    Peer->Model->setTable(QStringLiteral("items"));
    Peer->Model->select();
    Peer->View = std::make_unique<QTableView>();
    Peer->View->setModel(Peer->Model.get());
    Peer->View->resize(GridBenchWidth, GridBenchHeight);
    Peer->View->show();
}

void PeerPageDownAndPaint() {
    QScrollBar* Bar = Peer->View->verticalScrollBar();
    if (Bar->value() >= Bar->maximum() && !Peer->Model->canFetchMore())
        Bar->setValue(0);
    else
        Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QPainter P(&Peer->Picture);
    Peer->View->render(&P);
}

int PeerTopRow() { return Peer->View->rowAt(0); }

void PeerClose() {
    Peer.reset();
    QSqlDatabase::removeDatabase(Connection);
}
