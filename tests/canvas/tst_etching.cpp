#include "app/framework/CmdTarget.h"
#include "canvas/ZelvorandineView.h"
#include "res/ResourceIds.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr QRgb kBlackPixel = 0xFF000000u;

// Every pixel its own colour, never black and never white, so that a revealed pixel shows which
// background pixel it came from.
QImage ColourLayer(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb(x & 0xFF, y & 0xFF, 0x80 | (x >> 8) | ((y >> 8) << 3));
    }
    return image;
}

QImage BlackLayer(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBlackPixel);
    return image;
}

// An offscreen view holding a known colour layer under a black cover, as after a background was accepted.
std::unique_ptr<CZelvorandineView> MakeView(QSize size = QSize(200, 150), bool bLayers = true) {
    auto view = std::make_unique<CZelvorandineView>();
    view->OnCreate();
    view->resize(size);
    if (bLayers) {
        view->m_bmpColor = ColourLayer(size.width(), size.height());
        view->m_bmpCover = BlackLayer(size.width(), size.height());
        view->m_nLayerWidth = size.width();
        view->m_nLayerHeight = size.height();
        view->m_bReady = 1;
    }
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        return nullptr;
    QCoreApplication::processEvents();
    return view;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void Press(QWidget* w, QPoint p) {
    SendMouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
}
void Drag(QWidget* w, QPoint p) {
    SendMouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
}
void Hover(QWidget* w, QPoint p) {
    SendMouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
}
void Release(QWidget* w, QPoint p) {
    SendMouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
}

// Press at the first point, drag through the others, release at the last.
void Stroke(QWidget* w, const QList<QPoint>& points) {
    Press(w, points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        Drag(w, points[i]);
    Release(w, points.last());
}

void Pick(CZelvorandineView& view, int nCommand) {
    QVERIFY(view.OnCmdMsg(nCommand, CmdCode::Command, nullptr));
}

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) | kBlackPixel;
}

bool Revealed(const CZelvorandineView& v, int x, int y) {
    return At(v.m_bmpCover, x, y) == At(v.m_bmpColor, x, y);
}
bool Black(const CZelvorandineView& v, int x, int y) {
    return At(v.m_bmpCover, x, y) == kBlackPixel;
}

QString Where(int x, int y) {
    return QStringLiteral("(%1, %2)").arg(x).arg(y);
}

// Every pixel of the cover is black or shows the background; white would be a stroke never composed.
QString CoverFault(const CZelvorandineView& v) {
    for (int y = 0; y < v.m_nLayerHeight; ++y)
        for (int x = 0; x < v.m_nLayerWidth; ++x)
            if (!Black(v, x, y) && !Revealed(v, x, y))
                return QStringLiteral("pixel %1 is neither black nor the background").arg(Where(x, y));
    return {};
}

// The window shows the cover wherever the layers reach.
QString SurfaceFault(const CZelvorandineView& v) {
    const QImage& surface = v.WindowSurface();
    for (int y = 0; y < v.m_nLayerHeight; ++y)
        for (int x = 0; x < v.m_nLayerWidth; ++x)
            if (At(surface, x, y) != At(v.m_bmpCover, x, y))
                return QStringLiteral("the window differs from the cover at %1").arg(Where(x, y));
    return {};
}

struct SSegment {
    QPoint a, b;
};

QList<SSegment> Segments(const QList<QPoint>& points) {
    QList<SSegment> segments;
    for (qsizetype i = 1; i < points.size(); ++i)
        segments.append({points[i - 1], points[i]});
    return segments;
}

double Distance(double x, double y, const SSegment& s) {
    const double dx = s.b.x() - s.a.x(), dy = s.b.y() - s.a.y();
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((x - s.a.x()) * dx + (y - s.a.y()) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(x - s.a.x() - t * dx, y - s.a.y() - t * dy);
}

double Distance(int x, int y, const QList<SSegment>& segments) {
    double d = HUGE_VAL;
    for (const SSegment& s : segments)
        d = std::min(d, Distance(x, y, s));
    return d;
}

// A wide pen's stroke: pixels well inside the pen show the background, pixels farther than the pen's
// radius + 1 are still black.
QString WideStrokeFault(const CZelvorandineView& v, const QList<SSegment>& segments, int nWidth) {
    const double inner = nWidth / 2.0 - 0.5;
    const double outer = nWidth / 2.0 + 1;
    for (int y = 0; y < v.m_nLayerHeight; ++y) {
        for (int x = 0; x < v.m_nLayerWidth; ++x) {
            const double d = Distance(x, y, segments);
            if (d <= inner && !Revealed(v, x, y))
                return QStringLiteral("%1 at %2 from the stroke is not revealed").arg(Where(x, y)).arg(d);
            if (d > outer && !Black(v, x, y))
                return QStringLiteral("%1 at %2 from the stroke is not black").arg(Where(x, y)).arg(d);
        }
    }
    return {};
}

// A 1-pixel stroke: one revealed pixel on every step along the longer axis, each within half a pixel of
// the ideal line, and nothing else.
QString ThinStrokeFault(const CZelvorandineView& v, const QList<SSegment>& segments) {
    for (int y = 0; y < v.m_nLayerHeight; ++y)
        for (int x = 0; x < v.m_nLayerWidth; ++x)
            if (Revealed(v, x, y) && Distance(x, y, segments) > 0.5 + 1e-9)
                return QStringLiteral("%1 is revealed off the line").arg(Where(x, y));
    for (const SSegment& s : segments) {
        const int dx = s.b.x() - s.a.x(), dy = s.b.y() - s.a.y();
        const bool bSteep = std::abs(dy) > std::abs(dx);
        const int major = std::max(std::abs(dx), std::abs(dy));
        for (int i = 0; i < major; ++i) {
            const double t = double(i) / major;
            const double ideal = bSteep ? s.a.x() + t * dx : s.a.y() + t * dy;
            bool bFound = false;
            for (int m = int(std::floor(ideal)); m <= int(std::ceil(ideal)) && !bFound; ++m) {
                const int x = bSteep ? m : int(std::lround(s.a.x() + t * dx));
                const int y = bSteep ? int(std::lround(s.a.y() + t * dy)) : m;
                bFound = std::abs(m - ideal) <= 0.5 + 1e-9 && Revealed(v, x, y);
            }
            if (!bFound)
                return QStringLiteral("step %1 of the line from %2 has no pixel")
                    .arg(i)
                    .arg(Where(s.a.x(), s.a.y()));
        }
    }
    return {};
}

// The pixels that differ between two covers.
QRect ChangedBox(const QImage& before, const QImage& after, int* pCount) {
    QRect box;
    *pCount = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (At(before, x, y) != At(after, x, y)) {
                box |= QRect(x, y, 1, 1);
                ++*pCount;
            }
    return box;
}

// What the view's window holds on the screen.
QImage OnScreen(QWidget& view) {
    return view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// The active modal dialog once it is open, then f on it; chained from the event loop.
template <class F> void WhenModal(F f) {
    QTimer::singleShot(0, [f] {
        QWidget* pDialog = QApplication::activeModalWidget();
        if (pDialog == nullptr) {
            WhenModal(f);
            return;
        }
        f(pDialog);
    });
}

} // namespace

class TestEtching : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { CZelvorandineView::s_bFirstPaintDone = true; }

    void startsWithTheFineRevealPen() {
        auto view = MakeView();
        QVERIFY(view);
        QCOMPARE(view->m_nPenWidth, 1);
        QCOMPARE(view->m_bReveal, 1);
        QCOMPARE(view->m_hCursor.hotSpot(), QPoint(1, 1));
    }

    void penCommands_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("reveal");
        QTest::addColumn<QPoint>("hotSpot");
        QTest::newRow("fine") << ID_PEN_COVER << ID_PEN_FINE << 1 << 1 << QPoint(1, 1);
        QTest::newRow("medium") << ID_PEN_COVER << ID_PEN_MEDIUM << 2 << 1 << QPoint(1, 1);
        QTest::newRow("bold") << ID_PEN_COVER << ID_PEN_BOLD << 4 << 1 << QPoint(1, 1);
        QTest::newRow("cover") << ID_PEN_BOLD << ID_PEN_COVER << 10 << 0 << QPoint(16, 16);
    }

    // The tool takes effect at once, its cursor only when the mouse next moves over the view.
    void penCommands() {
        QFETCH(int, before);
        QFETCH(int, command);
        QFETCH(int, width);
        QFETCH(int, reveal);
        QFETCH(QPoint, hotSpot);
        auto view = MakeView();
        QVERIFY(view);
        Pick(*view, before);
        Hover(view.get(), QPoint(10, 10));
        const QPoint oldHotSpot = view->cursor().hotSpot();
        QVERIFY(oldHotSpot != hotSpot);

        Pick(*view, command);
        QCOMPARE(view->m_nPenWidth, width);
        QCOMPARE(view->m_bReveal, reveal);
        QCOMPARE(view->m_hCursor.hotSpot(), hotSpot);
        QCOMPARE(view->cursor().hotSpot(), oldHotSpot);

        Hover(view.get(), QPoint(20, 30));
        QCOMPARE(view->cursor().hotSpot(), hotSpot);
        QCOMPARE(view->cursor().pixmap().toImage(), view->m_hCursor.pixmap().toImage());
        // A move without the button draws nothing.
        QVERIFY(view->m_bmpCover == BlackLayer(200, 150));
    }

    void clickLeavesMark_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QList<QPoint>>("via"); // a drag that comes back to the press point
        const QList<QPoint> click;
        const QList<QPoint> away{QPoint(50, 60), QPoint(45, 55)}; // up and left, clear of the mark's corner
        QTest::newRow("fine click") << ID_PEN_FINE << click;
        QTest::newRow("medium click") << ID_PEN_MEDIUM << click;
        QTest::newRow("bold click") << ID_PEN_BOLD << click;
        QTest::newRow("cover click") << ID_PEN_COVER << click;
        QTest::newRow("medium drag back") << ID_PEN_MEDIUM << away;
        QTest::newRow("bold drag back") << ID_PEN_BOLD << away;
        QTest::newRow("cover drag back") << ID_PEN_COVER << away;
    }

    // Released where it was pressed: a filled square from the point right and down by the pen width, its
    // outline as wide as the pen and centred on the box's edges.
    void clickLeavesMark() {
        QFETCH(int, command);
        QFETCH(QList<QPoint>, via);
        auto view = MakeView();
        QVERIFY(view);
        Pick(*view, command);
        const int w = view->m_nPenWidth;
        if (view->m_bReveal == 0) { // the cover pen shows on a revealed picture
            view->m_bmpCover = view->m_bmpColor.copy();
            view->Compose();
        }
        const QImage before = view->m_bmpCover.copy();
        const QPoint p(90, 80);

        Stroke(view.get(), via.isEmpty() ? QList<QPoint>{p} : QList<QPoint>{p} + via + QList<QPoint>{p});

        QCOMPARE(CoverFault(*view), QString());
        QCOMPARE(SurfaceFault(*view), QString());
        if (!via.isEmpty()) {
            // The lines reach only half the pen width from the point; the square's far corner is its own.
            const int far = w + w / 2 - 1;
            QVERIFY(At(view->m_bmpCover, p.x() + far, p.y() + far) != At(before, p.x() + far, p.y() + far));
            QVERIFY(At(view->m_bmpCover, p.x() + w - 1, p.y() + w - 1) !=
                    At(before, p.x() + w - 1, p.y() + w - 1));
            return;
        }
        int nChanged = 0;
        const QRect mark = ChangedBox(before, view->m_bmpCover, &nChanged);
        if (w == 1) {
            QCOMPARE(mark, QRect(p, QSize(1, 1)));
            QCOMPARE(nChanged, 1);
            QVERIFY(Revealed(*view, p.x(), p.y()));
            return;
        }
        QCOMPARE(nChanged, mark.width() * mark.height()); // filled: corners too, so not round
        QCOMPARE(mark.width(), mark.height());
        QVERIFY(mark.contains(QRect(p, QSize(w, w))));
        const int sides[] = {p.x() - mark.left(), p.y() - mark.top(), mark.right() + 1 - (p.x() + w),
                             mark.bottom() + 1 - (p.y() + w)};
        for (int grown : sides)
            QVERIFY2(std::abs(grown - w / 2) <= 1, qPrintable(QStringLiteral("grown by %1").arg(grown)));
        for (int y = mark.top(); y <= mark.bottom(); ++y)
            for (int x = mark.left(); x <= mark.right(); ++x)
                QVERIFY(view->m_bReveal == 1 ? Revealed(*view, x, y) : Black(*view, x, y));
    }

    void releaseElsewhereDrawsNothing() {
        auto view = MakeView();
        QVERIFY(view);
        Pick(*view, ID_PEN_BOLD);
        Press(view.get(), QPoint(40, 40));
        Release(view.get(), QPoint(41, 40));
        QVERIFY(view->m_bmpCover == BlackLayer(200, 150));
    }

    // A release that no press in the view went with (a dialog closed on the press) leaves no mark.
    void strayReleaseDrawsNothing() {
        auto view = MakeView();
        QVERIFY(view);
        Pick(*view, ID_PEN_BOLD);
        Release(view.get(), QPoint(40, 40));
        QVERIFY(view->m_bmpCover == BlackLayer(200, 150));
    }

    void dragRevealsTheSegments_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QList<QPoint>>("points");
        QTest::newRow("fine, shallow") << ID_PEN_FINE << QList<QPoint>{{10, 20}, {150, 57}, {160, 58}};
        QTest::newRow("fine, steep back") << ID_PEN_FINE << QList<QPoint>{{170, 140}, {120, 10}, {119, 9}};
        QTest::newRow("fine, polyline")
            << ID_PEN_FINE << QList<QPoint>{{5, 5}, {60, 5}, {60, 90}, {20, 130}, {190, 140}, {191, 140}};
        QTest::newRow("medium, diagonal") << ID_PEN_MEDIUM << QList<QPoint>{{20, 20}, {120, 120}};
        QTest::newRow("medium, short steps")
            << ID_PEN_MEDIUM << QList<QPoint>{{30, 30}, {33, 31}, {36, 33}, {38, 36}, {39, 40}, {39, 45}};
        QTest::newRow("bold, shallow") << ID_PEN_BOLD << QList<QPoint>{{15, 100}, {185, 80}};
        QTest::newRow("bold, polyline")
            << ID_PEN_BOLD << QList<QPoint>{{20, 20}, {180, 30}, {100, 130}, {30, 60}};
        QTest::newRow("bold, to the edges") << ID_PEN_BOLD << QList<QPoint>{{0, 0}, {199, 149}, {199, 0}};
    }

    void dragRevealsTheSegments() {
        QFETCH(int, command);
        QFETCH(QList<QPoint>, points);
        auto view = MakeView();
        QVERIFY(view);
        Pick(*view, command);
        Stroke(view.get(), points);
        QCOMPARE(CoverFault(*view), QString());
        QCOMPARE(SurfaceFault(*view), QString());
        const QList<SSegment> segments = Segments(points);
        if (view->m_nPenWidth == 1)
            QCOMPARE(ThinStrokeFault(*view, segments), QString());
        else
            QCOMPARE(WideStrokeFault(*view, segments, view->m_nPenWidth), QString());
    }

    // The end pixel of a 1-pixel segment waits for the segment that starts there.
    void thinLineLeavesOutItsLastPoint() {
        auto view = MakeView();
        QVERIFY(view);
        Press(view.get(), QPoint(10, 10));
        Drag(view.get(), QPoint(50, 30));
        QVERIFY(Revealed(*view, 10, 10));
        QVERIFY(Black(*view, 50, 30));
        Drag(view.get(), QPoint(80, 30));
        QVERIFY(Revealed(*view, 50, 30));
        QVERIFY(Black(*view, 80, 30));
        Release(view.get(), QPoint(80, 30));
        QVERIFY(Black(*view, 80, 30));
    }

    // Black along the cover pen's path, a disc wider than the line at each point it reached; the reveal pen
    // then brings back the very same colours.
    void coverHidesAndRevealBringsBack() {
        auto view = MakeView();
        QVERIFY(view);
        Pick(*view, ID_PEN_BOLD);
        for (int y = 20; y <= 80; y += 3)
            Stroke(view.get(), {{10, y}, {190, y}});
        const QRect band(10, 20, 181, 61);
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x)
                QVERIFY(Revealed(*view, x, y));

        Pick(*view, ID_PEN_COVER);
        const QList<QPoint> path{{40, 50}, {100, 50}, {160, 40}};
        Stroke(view.get(), path);
        QCOMPARE(CoverFault(*view), QString());
        QCOMPARE(SurfaceFault(*view), QString());
        const QList<SSegment> segments = Segments(path);
        for (int y = band.top(); y <= band.bottom(); ++y) {
            for (int x = band.left(); x <= band.right(); ++x) {
                const double d = Distance(x, y, segments);
                if (d <= 4.5)
                    QVERIFY2(Black(*view, x, y), qPrintable(Where(x, y)));
                else if (d > 11 && std::hypot(x - 40, y - 50) > 11)
                    QVERIFY2(Revealed(*view, x, y), qPrintable(Where(x, y)));
            }
        }
        for (qsizetype i = 1; i < path.size(); ++i) {
            const QPoint p = path[i];
            for (const QPoint& off : {QPoint(0, -8), QPoint(0, 8), QPoint(-7, -5), QPoint(7, 5)})
                QVERIFY2(Black(*view, p.x() + off.x(), p.y() + off.y()), qPrintable(Where(p.x(), p.y())));
        }
        // The press point gets no disc: the line's round end is all there is.
        QVERIFY(Revealed(*view, 40, 42));

        Pick(*view, ID_PEN_BOLD);
        for (int y = 20; y <= 80; y += 3)
            Stroke(view.get(), {{10, y}, {190, y}});
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x)
                QVERIFY2(Revealed(*view, x, y), qPrintable(Where(x, y)));
    }

    // A repaint shows the cover: it holds the visible picture.
    void repaintShowsTheCover() {
        auto view = MakeView();
        QVERIFY(view);
        Pick(*view, ID_PEN_BOLD);
        Stroke(view.get(), {{20, 20}, {180, 130}, {30, 120}});
        Pick(*view, ID_PEN_COVER);
        Stroke(view.get(), {{100, 20}, {100, 140}});
        const QImage cover = view->m_bmpCover.copy();
        QVERIFY(cover != BlackLayer(200, 150));
        // What the strokes asked to be repainted reached the screen.
        QCoreApplication::processEvents();
        QCOMPARE(OnScreen(*view), cover);
        // A repaint of the whole view, as when another window moved across it.
        const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown, cover);
        QCOMPARE(view->m_bmpCover, cover);
    }

    // The toolkit keeps reporting moves outside while the button is held: they are ignored, and the stroke
    // goes on from the last point seen inside.
    void leavingAndComingBack() {
        auto view = MakeView();
        QVERIFY(view);
        Pick(*view, ID_PEN_BOLD);
        Press(view.get(), QPoint(20, 40));
        Drag(view.get(), QPoint(180, 40));
        Drag(view.get(), QPoint(230, 40));
        Drag(view.get(), QPoint(260, 90));
        Drag(view.get(), QPoint(230, 120));
        Drag(view.get(), QPoint(180, 120));
        Release(view.get(), QPoint(180, 120));
        QCOMPARE(CoverFault(*view), QString());
        const QList<SSegment> inside{{{20, 40}, {180, 40}}, {{180, 40}, {180, 120}}};
        QCOMPARE(WideStrokeFault(*view, inside, 4), QString());
    }

    // Before any press the first move with the button held starts the stroke where it is.
    void moveBeforeAnyPress() {
        auto view = MakeView();
        QVERIFY(view);
        Pick(*view, ID_PEN_BOLD);
        Drag(view.get(), QPoint(120, 100));
        Drag(view.get(), QPoint(150, 110));
        Release(view.get(), QPoint(150, 110));
        QCOMPARE(CoverFault(*view), QString());
        QCOMPARE(WideStrokeFault(*view, {{{120, 100}, {150, 110}}}, 4), QString());
    }

    void noCoverNoDrawing_data() {
        QTest::addColumn<bool>("colour");
        QTest::newRow("no layers") << false;
        QTest::newRow("background on offer") << true;
    }

    void noCoverNoDrawing() {
        QFETCH(bool, colour);
        auto view = MakeView(QSize(200, 150), false);
        QVERIFY(view);
        if (colour) {
            view->m_bmpColor = ColourLayer(200, 150);
            view->m_nLayerWidth = 200;
            view->m_nLayerHeight = 150;
            view->update();
            QCoreApplication::processEvents();
        }
        const QImage shown = view->WindowSurface().copy();
        for (int command : {ID_PEN_FINE, ID_PEN_BOLD, ID_PEN_COVER}) {
            Pick(*view, command);
            Stroke(view.get(), {{10, 10}, {100, 80}, {150, 20}});
            Stroke(view.get(), {{60, 60}});
            Drag(view.get(), QPoint(20, 140));
        }
        QCoreApplication::processEvents();
        QVERIFY(view->m_bmpCover.isNull());
        QCOMPARE(view->m_bReady, 0);
        QVERIFY(view->WindowSurface() == shown);
        if (colour)
            QVERIFY(view->m_bmpColor == ColourLayer(200, 150));
    }

    // The pen chosen before New is still the pen afterwards.
    void toolStateSurvivesNew() {
        auto view = MakeView();
        QVERIFY(view);
        Pick(*view, ID_PEN_COVER);
        bool bClicked = false;
        WhenModal([&bClicked](QWidget* pDialog) {
            if (pDialog->objectName() != QLatin1String("backgroundDlg")) {
                pDialog->close();
                return;
            }
            for (QPushButton* pButton : pDialog->findChildren<QPushButton*>())
                if (pButton->text() == QString::fromUtf8("これでいく")) {
                    bClicked = true;
                    pButton->click();
                }
        });
        Pick(*view, ID_FILE_NEW);
        QVERIFY(bClicked);
        QCOMPARE(view->m_bReady, 1);
        QCOMPARE(view->m_nPenWidth, 10);
        QCOMPARE(view->m_bReveal, 0);
        QCOMPARE(view->m_hCursor.hotSpot(), QPoint(16, 16));
        Hover(view.get(), QPoint(50, 50));
        QCOMPARE(view->cursor().hotSpot(), QPoint(16, 16));
    }

    // A stroke recomposes the rectangle it touched and nothing else. The planted pixel is one a full
    // recomposition changes, so a composition of more than the stroke's rectangle shows.
    void onlyTheTouchedRectangleIsComposed() {
        auto view = MakeView(QSize(300, 200));
        QVERIFY(view);
        const QPoint planted(250, 150);
        view->m_bmpCover.setPixel(planted, 0xFFFFFFFFu);
        Pick(*view, ID_PEN_BOLD);
        Stroke(view.get(), {{20, 20}, {40, 30}, {45, 40}});
        QCoreApplication::processEvents(); // the repaint of what changed
        QVERIFY(Revealed(*view, 40, 30));
        QCOMPARE(At(view->WindowSurface(), 40, 30), At(view->m_bmpColor, 40, 30));
        QCOMPARE(At(view->m_bmpCover, planted.x(), planted.y()), 0xFFFFFFFFu);
        QCOMPARE(At(view->WindowSurface(), planted.x(), planted.y()), kBlackPixel);
        const QImage screen = OnScreen(*view);
        QCOMPARE(At(screen, 40, 30), At(view->m_bmpColor, 40, 30));
        QCOMPARE(At(screen, 45, 40), At(view->m_bmpColor, 45, 40)); // drawn by the last move alone
        QCOMPARE(At(screen, planted.x(), planted.y()), kBlackPixel);

        view->Compose();
        QCOMPARE(At(view->m_bmpCover, planted.x(), planted.y()),
                 At(view->m_bmpColor, planted.x(), planted.y()));
    }
};

QTEST_MAIN(TestEtching)
#include "tst_etching.moc"
