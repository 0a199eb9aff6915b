// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/WinApp.h"

class CZelvorandineApp : public CWinApp {
public:
    CZelvorandineApp();

    bool InitInstance() override;
    void OnAppAbout();

    DECLARE_MESSAGE_MAP(CZelvorandineApp)
};

extern CZelvorandineApp theApp;
