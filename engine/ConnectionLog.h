// CConnectionLog: the connection log of one run (the Qt-free half): the log text, the
// optional log file, and an optional view sink that follows the log live.
//
// Contract:
// - AppendLog may be called from any thread. One lock serialises appends, so the log
//   text, the file and the sink always receive the texts whole and in the same order.
// - The file (options::GetLogFilePath(), the exact UTF-8 bytes of its name) is opened by
//   OpenPrivateFile, mode 0600, appending or emptied: a link or another user's file in its
//   place is refused, never written through. Other programs may read and write it while it
//   is open. Each text reaches it with one write(). It is a log, so it is extended in
//   place, not replaced.
// - A text reaches the file with its line end as CR LF: a text ending in CR LF is written
//   unchanged, any other non-empty text gets CR LF added, an empty text writes nothing.
// - Failures show their message (stop icon) after the lock is released, so a message host
//   that waits for the user interface cannot deadlock against an append from there.
// - The sink runs under the lock on the appending thread; it must not wait for another
//   thread that may itself append (the GUI posts the text to its view).
// - A view that holds at most a number of bytes follows the log with FollowLog: a text
//   that would take the log text beyond that limit starts both the view and the log text
//   again with that text (the sink is told so), so the view and the log stay alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace tolvane {

class CConnectionLog {
public:
    // bRestart: the view starts again with this text instead of adding it.
    using ViewSink = std::function<void(const std::string& textCp932, bool bRestart)>;

    CConnectionLog() = default;
    ~CConnectionLog(); // closes the file without a message
    CConnectionLog(const CConnectionLog&) = delete;
    CConnectionLog& operator=(const CConnectionLog&) = delete;

    // The accounts' report callback: context is the CConnectionLog.
    static void Report(const std::string& textCp932, void* context);

    // Sink (file when saving) then m_strLog. A write failure abandons the file, clears
    // the saving flag (not the SaveLog setting) and shows the write-error message.
    void AppendLog(const std::string& textCp932);

    // Opens the log file, truncating it (overwrite) or appending. 1 on success. On failure
    // clears the saving flag, stores SaveLog 0, shows the invalid-path message with the
    // path and returns 0.
    int OpenLogFile(bool bOverwrite);
    // Closes the file; 1 on success (also when it was not open). On failure the file is
    // abandoned, saving stops (the setting stays) and the file-error message is shown.
    int CloseLogFile();
    // Writes one text of length bytes (see the line-end rule above); 1 on success. On
    // failure behaves as AppendLog's write failure and returns 0.
    int WriteLogFile(const std::string& textCp932, size_t length);

    // 1 while the file is open and every text is also written to it.
    int32_t IsSaving() const;
    std::string GetLog() const;
    // Empties the log text.
    void ClearLog();
    // A sink that keeps everything (no limit); nullptr: none.
    void SetViewSink(ViewSink sink);
    // Installs sink with the view's limit in bytes (0: none) and returns the log text so
    // far, in one step: every text reaches either the returned text or the sink, once.
    std::string FollowLog(ViewSink sink, size_t limitBytes);

    // The bytes one text becomes in the file (pure; see the line-end rule above).
    static std::string FileBytes(const std::string& textCp932, size_t length);

private:
    bool WriteLocked(const std::string& textCp932, size_t length);
    void AbandonLocked();
    static void ShowWriteError();

    mutable std::mutex m_lock;
    std::string m_strLog;
    int32_t m_bSaveLog = 0;
    int m_fileLog = -1;
    ViewSink m_sink;
    size_t m_nSinkLimit = 0;
};

} // namespace tolvane
