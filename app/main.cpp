// SPDX-License-Identifier: MIT
#include "app/ZelvorandineApp.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Pictures of tens of megabytes come and go (layers, files being written). glibc would raise its
    // threshold for handing such blocks back to the system after the first one is freed, and keep later
    // ones for good; a fixed threshold (the usual 128 KiB) gives each one back when it is freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    return AfxWinMain(theApp, argc, argv);
}
