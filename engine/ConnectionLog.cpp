#include "engine/ConnectionLog.h"

#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/Options.h"
#include "platform/PrivateFile.h"
#include "platform/Texts.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tolvane {

CConnectionLog::~CConnectionLog() {
    if (m_fileLog >= 0) {
        ::close(m_fileLog);
    }
}

void CConnectionLog::Report(const std::string& textCp932, void* context) {
    static_cast<CConnectionLog*>(context)->AppendLog(textCp932);
}

void CConnectionLog::AppendLog(const std::string& textCp932) {
    bool failed = false;
    {
        std::lock_guard lock(m_lock);
        if (m_sink) {
            const bool bRestart =
                m_nSinkLimit != 0 && m_strLog.size() + textCp932.size() > m_nSinkLimit;
            if (bRestart) {
                m_strLog.clear();
            }
            m_sink(textCp932, bRestart);
        }
        if (m_bSaveLog && !WriteLocked(textCp932, textCp932.size())) {
            failed = true;
        }
        m_strLog += textCp932;
    }
    if (failed) {
        ShowWriteError();
    }
}

std::string CConnectionLog::FileBytes(const std::string& textCp932, size_t length) {
    // The log texts end in CR LF; the file keeps exactly those bytes. A text without that
    // end keeps all of its bytes and gets one, so nothing of it is lost.
    std::string bytes = textCp932.substr(0, length);
    if (bytes.empty()) {
        return bytes;
    }
    if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0) {
        bytes += "\r\n";
    }
    return bytes;
}

bool CConnectionLog::WriteLocked(const std::string& textCp932, size_t length) {
    if (m_fileLog < 0) {
        return false;
    }
    const std::string bytes = FileBytes(textCp932, length);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(m_fileLog, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            AbandonLocked();
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

void CConnectionLog::AbandonLocked() {
    if (m_fileLog >= 0) {
        ::close(m_fileLog);
    }
    m_fileLog = -1;
    m_bSaveLog = 0;
}

void CConnectionLog::ShowWriteError() {
    ShowMessage(Sjis(txt::kLogWriteError), MsgButtons::Ok, MsgIcon::Stop);
}

int CConnectionLog::WriteLogFile(const std::string& textCp932, size_t length) {
    bool ok = false;
    {
        std::lock_guard lock(m_lock);
        ok = WriteLocked(textCp932, length);
    }
    if (!ok) {
        ShowWriteError();
    }
    return ok ? 1 : 0;
}

int CConnectionLog::OpenLogFile(bool bOverwrite) {
    const std::string path = options::GetLogFilePath();
    const int fd = path.empty()
                       ? -1
                       : OpenPrivateFile(path, O_WRONLY | (bOverwrite ? 0 : O_APPEND), bOverwrite);
    {
        std::lock_guard lock(m_lock);
        if (m_fileLog >= 0) {
            ::close(m_fileLog);
        }
        m_fileLog = fd;
        m_bSaveLog = fd >= 0 ? 1 : 0;
    }
    if (fd >= 0) {
        return 1;
    }
    options::SetSaveLog(0);
    ShowMessage(SjisFormat(txt::kLogPathInvalid, Utf8ToCp932(path).c_str()), MsgButtons::Ok,
                MsgIcon::Stop);
    return 0;
}

int CConnectionLog::CloseLogFile() {
    int result = 0;
    {
        std::lock_guard lock(m_lock);
        result = m_fileLog < 0 || ::close(m_fileLog) == 0 ? 1 : 0;
        m_fileLog = -1;
        m_bSaveLog = 0;
    }
    if (!result) {
        ShowMessage(Sjis(txt::kLogFileError), MsgButtons::Ok, MsgIcon::Stop);
    }
    return result;
}

int32_t CConnectionLog::IsSaving() const {
    std::lock_guard lock(m_lock);
    return m_bSaveLog;
}

std::string CConnectionLog::GetLog() const {
    std::lock_guard lock(m_lock);
    return m_strLog;
}

void CConnectionLog::ClearLog() {
    std::lock_guard lock(m_lock);
    m_strLog.clear();
}

void CConnectionLog::SetViewSink(ViewSink sink) {
    FollowLog(std::move(sink), 0);
}

std::string CConnectionLog::FollowLog(ViewSink sink, size_t limitBytes) {
    std::lock_guard lock(m_lock);
    m_sink = std::move(sink);
    m_nSinkLimit = limitBytes;
    return m_strLog;
}

} // namespace tolvane
