// Writing the keys of a window's layout (placement, columns, fonts) when it closes: each
// write that fails shows "レジストリ情報の書き込みが失敗しました。" with the stop icon, once
// for that key, and the caller goes on with the next key.
//
// While a CLayoutBatch exists (GUI thread only), the writes are gathered instead and reach
// the settings file as one change when the outermost batch ends: a window that closes
// rewrites the file once, not once per key. The writes then report success; when the
// batch's file write fails, none of its keys was written and the message is shown once for
// each of them, as for single writes. Batches nest: an inner one joins the outer.
#pragma once

#include "platform/Profile.h"

#include <cstdint>
#include <string>

namespace tolvane::gui {

class CLayoutBatch {
public:
    CLayoutBatch();
    ~CLayoutBatch(); // commits the outermost batch
    CLayoutBatch(const CLayoutBatch&) = delete;
    CLayoutBatch& operator=(const CLayoutBatch&) = delete;

    // The batch a write goes to now (counted as one key), or nullptr.
    static ProfileBatch* Current();

private:
    ProfileBatch m_batch;
    int m_nKeys = 0;
    bool m_bOutermost;
};

bool WriteLayoutInt(const char* section, const char* key, int32_t value);
bool WriteLayoutString(const char* section, const char* key, const std::string& valueCp932);
// The message alone, for a failure that is not one key's write.
void ShowLayoutWriteFailed();

} // namespace tolvane::gui
