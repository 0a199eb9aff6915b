// SPDX-License-Identifier: MIT
// Start-up against a bare Qt main window, in one run on one X server.
//
// Program: from starting the real program to the mapping of its first dialog (the title picture), the
// moment the user first sees something happen after the main window.
// BareWindow: from starting this benchmark again as a plain QApplication with one empty QMainWindow of
// the program's default size (three quarters of the screen) to the mapping of that window.
//
// FramedWindow: for reference, not judged: this benchmark again as a plain Qt program that shows what the
// program shows before its first dialog, with none of the program's own code: a main window of the same
// size with a menu bar, a tool bar, a status bar with Japanese text and an opaque black central widget,
// then, right after the first paint, a modal dialog holding a picture of the title's size. Its dialog's
// mapping shows how much of the program's time any Qt program would need for the same things.
//
// All start as fresh processes with a private HOME; their repetitions are interleaved, and the ratio of
// the medians is judged: the program may take at most 1.8 times as long as the bare window. The program
// ends with a non-zero status when that budget is missed.
//
// Needs an X server without a window manager and, as on a desktop, a session bus: without one the
// toolkit's accessibility support, which the bare window never starts, spends about 10 ms trying to launch
// a bus. For example:
//   xvfb-run -a -s "-screen 0 1920x1080x24" dbus-run-session -- build/bench/bench_startup
// The program is build/zelvorandine next to this folder, or the one ZELVORANDINE_BINARY names.

#include "bench/MedianReporter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr char kBareSwitch[] = "--bare-window";
constexpr char kFramedSwitch[] = "--framed-window";
constexpr double kBudget = 1.8;
constexpr int kMapTimeoutMs = 30000;

void ResizeToDefault(QWidget& window) {
    if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
        const QRect available = pScreen->availableGeometry();
        window.resize(available.width() * 3 / 4, available.height() * 3 / 4);
    }
}

// Black, and after its first paint opens a modal dialog with a picture, as the program does.
class CBlackArea : public QWidget {
public:
    CBlackArea() {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter(this).fillRect(e->rect(), Qt::black);
        if (!m_bPainted) {
            m_bPainted = true;
            QTimer::singleShot(0, this, &CBlackArea::ShowDialog);
        }
    }

private:
    void ShowDialog() {
        QDialog dialog(window());
        QPixmap picture(289, 208);
        picture.fill(Qt::white);
        auto* pLabel = new QLabel(&dialog);
        pLabel->setPixmap(picture);
        (new QVBoxLayout(&dialog))->addWidget(pLabel);
        dialog.exec();
    }

    bool m_bPainted = false;
};

int RunBareWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    ResizeToDefault(window);
    window.show();
    return QApplication::exec();
}

int RunFramedWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    ResizeToDefault(window);
    QStyle* pStyle = window.style();
    for (const char* pTitle : {"ファイル(&F)", "ペン(&P)", "表示(&V)", "ヘルプ(&H)"})
        window.menuBar()->addMenu(QString::fromUtf8(pTitle))->addAction(QString::fromUtf8("新規作成(&N)"));
    QToolBar* pToolBar = window.addToolBar(QStringLiteral("standard"));
    for (QStyle::StandardPixmap icon : {QStyle::SP_FileIcon, QStyle::SP_DialogSaveButton,
                                        QStyle::SP_DialogOpenButton, QStyle::SP_MessageBoxQuestion})
        pToolBar->addAction(pStyle->standardIcon(icon), QString());
    for (const char* pIndicator : {"ｶﾅ", "CAP", "NUM", "SCRL"})
        window.statusBar()->addPermanentWidget(new QLabel(QString::fromUtf8(pIndicator)));
    window.statusBar()->showMessage(QString::fromUtf8("ﾍﾙﾌﾟを表示するには [F1] を押してください。"));
    window.setCentralWidget(new CBlackArea);
    window.show();
    return QApplication::exec();
}

std::string SelfPath() {
    std::vector<char> path(4096);
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    return n > 0 ? std::string(path.data(), std::size_t(n)) : std::string();
}

std::string ProgramPath() {
    if (const char* pBinary = std::getenv("ZELVORANDINE_BINARY"); pBinary && *pBinary)
        return pBinary;
    const std::string self = SelfPath();
    const std::string folder = self.substr(0, self.rfind('/'));
    return folder.substr(0, folder.rfind('/')) + "/zelvorandine";
}

// Watches the top-level windows of the X server for their mapping.
class CMapWatcher {
public:
    CMapWatcher() : m_pDisplay(XOpenDisplay(nullptr)) {
        if (!m_pDisplay)
            return;
        XSelectInput(m_pDisplay, DefaultRootWindow(m_pDisplay), SubstructureNotifyMask);
        m_nPidAtom = XInternAtom(m_pDisplay, "_NET_WM_PID", False);
        XSync(m_pDisplay, False);
    }
    ~CMapWatcher() {
        if (m_pDisplay)
            XCloseDisplay(m_pDisplay);
    }
    bool IsOpen() const { return m_pDisplay != nullptr; }

    // Waits for the nth top-level window of process pid (counted from 1) to be mapped. False on a timeout.
    bool WaitForMap(pid_t pid, int nth) {
        int nSeen = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMapTimeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            if (!XPending(m_pDisplay)) {
                pollfd fd{ConnectionNumber(m_pDisplay), POLLIN, 0};
                poll(&fd, 1, 100);
                continue;
            }
            XEvent event;
            XNextEvent(m_pDisplay, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect && PidOf(event.xmap.window) == pid &&
                ++nSeen == nth)
                return true;
        }
        return false;
    }

    // Drops what earlier processes left in the queue.
    void Drain() {
        XSync(m_pDisplay, False);
        while (XPending(m_pDisplay)) {
            XEvent event;
            XNextEvent(m_pDisplay, &event);
        }
    }

private:
    pid_t PidOf(Window window) {
        Atom type = None;
        int format = 0;
        unsigned long nItems = 0, nAfter = 0;
        unsigned char* pData = nullptr;
        pid_t pid = 0;
        if (XGetWindowProperty(m_pDisplay, window, m_nPidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                               &nItems, &nAfter, &pData) == Success &&
            pData && format == 32 && nItems == 1)
            pid = pid_t(*reinterpret_cast<unsigned long*>(pData));
        if (pData)
            XFree(pData);
        return pid;
    }

    Display* m_pDisplay;
    Atom m_nPidAtom = None;
};

CMapWatcher& Watcher() {
    static CMapWatcher watcher;
    return watcher;
}

std::string& Home() {
    static std::string home;
    return home;
}

pid_t Spawn(const std::vector<std::string>& command) {
    std::vector<std::string> environment{"HOME=" + Home(), "XDG_CONFIG_HOME=" + Home() + "/.config",
                                         "LANG=C.UTF-8", "LC_ALL=C.UTF-8", "QT_QPA_PLATFORM=xcb"};
    for (const char* pName : {"DISPLAY", "XAUTHORITY", "PATH", "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS"})
        if (const char* pValue = std::getenv(pName))
            environment.push_back(std::string(pName) + "=" + pValue);
    std::vector<char*> args, env;
    for (const std::string& s : command)
        args.push_back(const_cast<char*>(s.c_str()));
    args.push_back(nullptr);
    for (const std::string& s : environment)
        env.push_back(const_cast<char*>(s.c_str()));
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int nError = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    return nError == 0 ? pid : -1;
}

void Stop(pid_t pid) {
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

using Clock = std::chrono::steady_clock;

// Seconds from the start of the process to the mapping of its nth window.
void TimeToMap(benchmark::State& state, const std::vector<std::string>& command, int nth) {
    for (auto _ : state) {
        Watcher().Drain();
        const Clock::time_point start = Clock::now();
        const pid_t pid = Spawn(command);
        if (pid < 0) {
            state.SkipWithError("the process could not be started");
            break;
        }
        const bool bMapped = Watcher().WaitForMap(pid, nth);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        Stop(pid);
        if (!bMapped) {
            state.SkipWithError("no window was mapped");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_BareWindow(benchmark::State& state) {
    TimeToMap(state, {SelfPath(), kBareSwitch}, 1);
}

// The main window first, then the dialog.
void BM_FramedWindow(benchmark::State& state) {
    TimeToMap(state, {SelfPath(), kFramedSwitch}, 2);
}

// The main window first, then the title picture.
void BM_ProgramMainWindow(benchmark::State& state) {
    TimeToMap(state, {ProgramPath()}, 1);
}
void BM_Program(benchmark::State& state) {
    TimeToMap(state, {ProgramPath()}, 2);
}

BENCHMARK(BM_BareWindow)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramedWindow)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Program)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], kBareSwitch) == 0)
        return RunBareWindow(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], kFramedSwitch) == 0)
        return RunFramedWindow(argc, argv);
    if (!Watcher().IsOpen()) {
        std::fprintf(stderr, "no X server: run under xvfb-run -a -s \"-screen 0 1920x1080x24\"\n");
        return 1;
    }
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        std::fprintf(stderr, "no session bus: the program's figures include a failed bus launch\n");
    char home[] = "/tmp/bench_startup-XXXXXX";
    if (!mkdtemp(home)) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    Home() = home;
    // Defaults that the command line may override: enough repetitions for a median.
    std::vector<char*> arguments(argv, argv + argc + 1);
    std::string repetitions = "--benchmark_repetitions=9";
    arguments.insert(arguments.begin() + 1, repetitions.data());
    CMedianReporter reporter;
    const bool bRan = reporter.RunInterleaved(int(arguments.size()) - 1, arguments.data());
    std::error_code error;
    std::filesystem::remove_all(Home(), error);
    if (!bRan)
        return 1;

    const double bare = reporter.Median("BM_BareWindow");
    const double program = reporter.Median("BM_Program");
    if (bare <= 0 || program <= 0) {
        std::printf("\nbudget not checked: run both BM_BareWindow and BM_Program\n");
        return 0;
    }
    const double ratio = program / bare;
    std::printf("\nmedians: bare main window mapped %.1f ms, program's first dialog mapped %.1f ms\n",
                bare * 1e3, program * 1e3);
    if (const double main = reporter.Median("BM_ProgramMainWindow"); main > 0)
        std::printf("         program's main window mapped %.1f ms\n", main * 1e3);
    if (const double framed = reporter.Median("BM_FramedWindow"); framed > 0)
        std::printf("         plain Qt program with the same window and a dialog: dialog mapped %.1f ms "
                    "(%.2f x the bare window; program / it: %.2f)\n",
                    framed * 1e3, framed / bare, program / framed);
    std::printf("program / bare window: %.2f   budget <= %.1f   %s\n", ratio, kBudget,
                ratio <= kBudget ? "ok" : "MISSED");
    return ratio <= kBudget ? 0 : 1;
}
