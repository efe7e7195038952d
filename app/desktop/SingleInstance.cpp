#include "app/desktop/SingleInstance.h"

#include "app/widgets/QtText.h"
#include "platform/Paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace tolvane::gui {

namespace {

constexpr char kShowRequest[] = "show\n";
constexpr char kShowAnswer[] = "ok\n";
// A first instance that is still starting gets this long to begin listening.
constexpr int kConnectAttempts = 50;
constexpr int kConnectPauseMs = 100;
constexpr int kAnswerWaitMs = 3000;

} // namespace

CSingleInstance::CSingleInstance(const QString& folder, const QString& key) {
    const QString stem = QDir(folder).filePath(QStringLiteral("tolvane-") + key);
    m_pLock = std::make_unique<QLockFile>(stem + QStringLiteral(".lock"));
    m_pLock->setStaleLockTime(0); // stale only when its holder is gone
    m_strSocketPath = stem + QStringLiteral(".socket");
}

CSingleInstance::~CSingleInstance() {
    if (m_pServer) {
        m_pServer->close();
    }
}

QString CSingleInstance::DefaultFolder() {
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QFileInfo info(runtime);
    if (!runtime.isEmpty() && info.isDir() && info.isWritable()) {
        return runtime;
    }
    return FromPath(DataFolder());
}

QString CSingleInstance::DefaultKey() {
    const QByteArray path = QByteArray::fromStdString(DataFolder().string());
    return QString::fromLatin1(
        QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(16));
}

bool CSingleInstance::Claim() {
    if (m_pLock->tryLock(0)) {
        Listen();
        return true;
    }
    if (m_pLock->error() != QLockFile::LockFailedError) {
        // The lock file cannot be made here at all: nobody can be found, so go on alone
        // (the per-user instance lock still keeps the stores safe).
        return true;
    }
    AskFirstToShow();
    return false;
}

void CSingleInstance::Listen() {
    QLocalServer::removeServer(m_strSocketPath); // stale: we hold the lock
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_pServer->listen(m_strSocketPath)) {
        return; // later starts will not find us; they end after their retries
    }
    connect(m_pServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine()) {
                    if (socket->readLine() == kShowRequest) {
                        m_bEarlyRequest = m_bEarlyRequest || !m_bAccepting;
                        Q_EMIT showRequested();
                        socket->write(kShowAnswer);
                        socket->flush();
                    }
                }
            });
        }
    });
}

bool CSingleInstance::TakeEarlyRequest() {
    const bool bEarly = m_bEarlyRequest;
    m_bEarlyRequest = false;
    return bEarly;
}

void CSingleInstance::AskFirstToShow() {
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(m_strSocketPath);
        if (socket.waitForConnected(kConnectPauseMs)) {
            socket.write(kShowRequest);
            socket.flush();
            socket.waitForReadyRead(kAnswerWaitMs);
            return;
        }
        // Refused at once: the first instance has not begun to listen yet.
        QThread::msleep(kConnectPauseMs);
    }
}

} // namespace tolvane::gui
