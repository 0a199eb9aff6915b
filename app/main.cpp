// SPDX-License-Identifier: MIT
#include "app/ZelvorandineApp.h"

int main(int argc, char** argv) {
    return AfxWinMain(theApp, argc, argv);
}
