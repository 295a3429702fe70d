#include "ui/single_instance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include "platform/report_line.h"

namespace {

constexpr int kAnswerMs = 2000;
constexpr char kShown[] = "shown\n";

} // namespace

struct SingleInstance::Listener {
    QLocalServer server;
};

SingleInstance::SingleInstance(const std::string& settingsPath)
    : m_settingsPath(settingsPath), m_lock(AcquireInstanceLock(settingsPath)) {}

SingleInstance::~SingleInstance() = default;

int SingleInstance::HandOver() const {
    const QString channel = QString::fromStdString(m_lock.channel);
    const QDeadlineTimer deadline(kAnswerMs);
    // The running instance may still be starting: it listens once it has
    // its dialog. Without a private folder for the socket there is no channel.
    while (!channel.isEmpty() && !deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(channel);
        if (socket.waitForConnected(deadline.remainingTime())) {
            while (socket.bytesAvailable() < qint64(sizeof kShown - 1) &&
                   socket.waitForReadyRead(deadline.remainingTime())) {
            }
            if (socket.readAll() == kShown)
                return 0;
            break;
        }
        QThread::msleep(50);
    }
    ReportLine(Severity::Error, "the Kovalin that runs on " + m_settingsPath +
                                    PidText(m_lock.ownerPid) + " does not answer");
    return 2;
}

void SingleInstance::Listen(std::function<void()> onShow) {
    // The lock is held: a socket left by an instance that was killed is stale.
    const QString channel = QString::fromStdString(m_lock.channel);
    QLocalServer::removeServer(channel);
    m_listener = std::make_unique<Listener>();
    QLocalServer& server = m_listener->server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&server, &QLocalServer::newConnection, [&server, onShow] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            onShow();
            socket->write(kShown, sizeof kShown - 1);
            socket->disconnectFromServer();
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    server.listen(channel);
}
