// CSingleInstance: one Tolvane window per user and data folder.
//
// - A QLockFile in $XDG_RUNTIME_DIR (else the data folder) decides who is first. Only its
//   holder removes a stale socket and listens on a local socket beside it (owner only).
// - The first instance emits showRequested for every later start and answers it. A start
//   that arrives while the first is still starting (behind its first message box, before
//   its window is wired) is not lost: TakeEarlyRequest tells whether one arrived before
//   the window could take it.
// - A later start retries the connection for a few seconds (the first may still be
//   starting), asks the first to show itself, waits briefly for its answer and reports
//   that it is not first; it then ends quietly.
// - The names carry a key derived from the data folder, so a private data folder (the
//   demo, the tests) has an instance of its own, as the instance lock does.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace tolvane::gui {

class CSingleInstance final : public QObject {
    Q_OBJECT
public:
    CSingleInstance(const QString& folder, const QString& key);
    ~CSingleInstance() override;

    // True when this process is the first (it listens now); false when another one is
    // running and has been asked to show itself.
    bool Claim();

    // $XDG_RUNTIME_DIR when set and usable, else the data folder.
    static QString DefaultFolder();
    // A short key of the data folder's path.
    static QString DefaultKey();

    // True (once) when a later start asked since Claim and before AcceptRequests.
    bool TakeEarlyRequest();
    // From now on requests only go to showRequested (its receiver is wired).
    void AcceptRequests() { m_bAccepting = true; }

Q_SIGNALS:
    void showRequested();

private:
    void Listen();
    void AskFirstToShow();

    QString m_strSocketPath;
    std::unique_ptr<QLockFile> m_pLock;
    QLocalServer* m_pServer = nullptr;
    bool m_bAccepting = false;
    bool m_bEarlyRequest = false;
};

} // namespace tolvane::gui
