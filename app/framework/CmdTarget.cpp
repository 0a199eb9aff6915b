// SPDX-License-Identifier: MIT
#include "app/framework/CmdTarget.h"

#include "app/framework/CmdUI.h"

const MessageMapEntry CCmdTarget::messageEntries[] = {
    {MessageMapEntry::End, 0, 0, nullptr, nullptr, nullptr}};
const MessageMap CCmdTarget::messageMap = {nullptr, &CCmdTarget::messageEntries[0]};

namespace {

bool Covers(const MessageMapEntry& e, int nID) {
    return nID >= e.nID && nID <= e.nLastID;
}

bool IsCommandEntry(const MessageMapEntry& e) {
    return e.kind == MessageMapEntry::Command || e.kind == MessageMapEntry::CommandRange;
}

bool IsUpdateEntry(const MessageMapEntry& e) {
    return e.kind == MessageMapEntry::UpdateCommandUI || e.kind == MessageMapEntry::UpdateCommandUIRange;
}

} // namespace

bool CCmdTarget::OnCmdMsg(int nID, CmdCode code, CCmdUI* pCmdUI) {
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->pBaseMap) {
        for (const MessageMapEntry* e = map->pEntries; e->kind != MessageMapEntry::End; ++e) {
            if (!Covers(*e, nID)) {
                continue;
            }
            if (code == CmdCode::Update && IsUpdateEntry(*e)) {
                if (pCmdUI != nullptr) {
                    e->pfnUpdate(this, pCmdUI);
                }
                return true;
            }
            if (code == CmdCode::Probe && IsCommandEntry(*e)) {
                return true;
            }
            if (code == CmdCode::Command && IsCommandEntry(*e)) {
                if (e->kind == MessageMapEntry::Command) {
                    e->pfnCommand(this);
                } else {
                    e->pfnRange(this, nID);
                }
                return true;
            }
        }
    }
    return false;
}
