#include "app/widgets/LayoutWrites.h"

#include "platform/MessageHost.h"
#include "platform/Profile.h"
#include "platform/Texts.h"

namespace tolvane::gui {

namespace {

// The outermost batch of the GUI thread and where its writes go.
CLayoutBatch* g_pOutermost = nullptr;
ProfileBatch* g_pBatch = nullptr;

} // namespace

CLayoutBatch::CLayoutBatch() : m_bOutermost(g_pOutermost == nullptr) {
    if (m_bOutermost) {
        g_pOutermost = this;
        g_pBatch = &m_batch;
    }
}

CLayoutBatch::~CLayoutBatch() {
    if (!m_bOutermost) {
        return;
    }
    g_pOutermost = nullptr;
    g_pBatch = nullptr;
    if (!m_batch.Commit()) {
        for (int i = 0; i < m_nKeys; ++i) {
            ShowLayoutWriteFailed();
        }
    }
}

ProfileBatch* CLayoutBatch::Current() {
    if (g_pOutermost) {
        ++g_pOutermost->m_nKeys;
    }
    return g_pBatch;
}

void ShowLayoutWriteFailed() {
    ShowMessage(Sjis(txt::kRegistryWriteFailed), MsgButtons::Ok, MsgIcon::Stop);
}

bool WriteLayoutInt(const char* section, const char* key, int32_t value) {
    if (ProfileBatch* batch = CLayoutBatch::Current()) {
        batch->WriteInt(section, key, value);
        return true;
    }
    if (WriteProfileInt(section, key, value)) {
        return true;
    }
    ShowLayoutWriteFailed();
    return false;
}

bool WriteLayoutString(const char* section, const char* key, const std::string& valueCp932) {
    if (ProfileBatch* batch = CLayoutBatch::Current()) {
        batch->WriteString(section, key, valueCp932);
        return true;
    }
    if (WriteProfileString(section, key, valueCp932)) {
        return true;
    }
    ShowLayoutWriteFailed();
    return false;
}

} // namespace tolvane::gui
