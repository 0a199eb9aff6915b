// SPDX-License-Identifier: MIT
#pragma once

class CCmdUI;
class CCmdTarget;

// Handlers are reached through small typed thunks: each casts the target down to the class whose map
// named the handler and calls it there, so no member pointer is ever converted between classes.
using AFX_PMSG = void (*)(CCmdTarget*);
using AFX_PMSG_RANGE = void (*)(CCmdTarget*, int);
using AFX_PMSG_UPDATE = void (*)(CCmdTarget*, CCmdUI*);

template <class T, auto pfn> void AfxCommandThunk(CCmdTarget* pTarget) {
    (static_cast<T*>(pTarget)->*pfn)();
}
template <class T, auto pfn> void AfxRangeThunk(CCmdTarget* pTarget, int nID) {
    (static_cast<T*>(pTarget)->*pfn)(nID);
}
template <class T, auto pfn> void AfxUpdateThunk(CCmdTarget* pTarget, CCmdUI* pCmdUI) {
    (static_cast<T*>(pTarget)->*pfn)(pCmdUI);
}

struct MessageMapEntry {
    enum Kind { End, Command, CommandRange, UpdateCommandUI, UpdateCommandUIRange };
    Kind kind;
    int nID;
    int nLastID;
    AFX_PMSG pfnCommand;
    AFX_PMSG_RANGE pfnRange;
    AFX_PMSG_UPDATE pfnUpdate;
};

// One static map per class; pBaseMap leads to the map of the class it derives from.
struct MessageMap {
    const MessageMap* pBaseMap;
    const MessageMapEntry* pEntries; // ends with an entry of kind End
};

// How a command id is offered to an object.
enum class CmdCode {
    Command, // run the handler
    Update,  // ask the update handler to enable or check the item
    Probe,   // only tell whether a command handler exists
};

// Anything that can receive numeric commands through a message map.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Offers the command to this object alone: its own map first, then its bases' maps.
    // Returns true when an entry took it.
    virtual bool OnCmdMsg(int nID, CmdCode code, CCmdUI* pCmdUI);

    static const MessageMap messageMap;

protected:
    virtual const MessageMap* GetMessageMap() const { return &messageMap; }

private:
    static const MessageMapEntry messageEntries[];
};

#define DECLARE_MESSAGE_MAP(theClass)                                                                        \
protected:                                                                                                   \
    using ThisClass = theClass;                                                                              \
    const MessageMap* GetMessageMap() const override {                                                       \
        return &messageMap;                                                                                  \
    }                                                                                                        \
                                                                                                             \
public:                                                                                                      \
    static const MessageMap messageMap;                                                                      \
                                                                                                             \
private:                                                                                                     \
    static const MessageMapEntry messageEntries[];

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                               \
    const MessageMap theClass::messageMap = {&baseClass::messageMap, &theClass::messageEntries[0]};          \
    const MessageMapEntry theClass::messageEntries[] = {

#define END_MESSAGE_MAP()                                                                                    \
    { MessageMapEntry::End, 0, 0, nullptr, nullptr, nullptr }                                                \
    }                                                                                                        \
    ;

#define ON_COMMAND(id, memberFxn)                                                                            \
    {MessageMapEntry::Command, id, id, &AfxCommandThunk<ThisClass, &ThisClass::memberFxn>, nullptr, nullptr},

#define ON_COMMAND_RANGE(id, lastId, memberFxn)                                                              \
    {MessageMapEntry::CommandRange,                                                                          \
     id,                                                                                                     \
     lastId,                                                                                                 \
     nullptr,                                                                                                \
     &AfxRangeThunk<ThisClass, &ThisClass::memberFxn>,                                                       \
     nullptr},

#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                                  \
    {MessageMapEntry::UpdateCommandUI,                                                                       \
     id,                                                                                                     \
     id,                                                                                                     \
     nullptr,                                                                                                \
     nullptr,                                                                                                \
     &AfxUpdateThunk<ThisClass, &ThisClass::memberFxn>},

#define ON_UPDATE_COMMAND_UI_RANGE(id, lastId, memberFxn)                                                    \
    {MessageMapEntry::UpdateCommandUIRange,                                                                  \
     id,                                                                                                     \
     lastId,                                                                                                 \
     nullptr,                                                                                                \
     nullptr,                                                                                                \
     &AfxUpdateThunk<ThisClass, &ThisClass::memberFxn>},
