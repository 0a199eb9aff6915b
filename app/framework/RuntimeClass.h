// SPDX-License-Identifier: MIT
#pragma once

// The record by which the document template creates a document, frame or view it knows only by class.
template <class Base> struct CRuntimeClassT {
    const char* m_lpszClassName;
    Base* (*m_pfnCreateObject)();

    Base* CreateObject() const { return m_pfnCreateObject(); }
};

#define DECLARE_DYNCREATE(theClass, frameworkBase)                                                           \
public:                                                                                                      \
    static const CRuntimeClassT<frameworkBase> classRuntime;

#define IMPLEMENT_DYNCREATE(theClass, frameworkBase)                                                         \
    const CRuntimeClassT<frameworkBase> theClass::classRuntime = {                                           \
        #theClass, []() -> frameworkBase* { return new theClass; }};

#define RUNTIME_CLASS(theClass) (&theClass::classRuntime)
