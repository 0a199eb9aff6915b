#include "canvas/ImageSurface.h"
#include "canvas/ZelvorandineView.h"
#include "res/ResourceIds.h"
#include "tests/background/DialogDriver.h"

#include <QTest>

#include <memory>
#include <random>

// The view's two layers as the user sees them: black after the choice, the background wherever the cover
// was etched white, the same picture after any repaint.
namespace {

const QSize kViewSize(200, 150);
const QString kChoice = QStringLiteral("backgroundDlg");

QImage Rgb32(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

// What the view shows over its layers' area: a repaint from scratch, as after another window passed over it.
QImage Repainted(CZelvorandineView& view) {
    view.repaint();
    return Rgb32(view.grab().toImage()).copy(0, 0, view.m_nLayerWidth, view.m_nLayerHeight);
}

QImage LayerArea(const CZelvorandineView& view) {
    return view.WindowSurface().copy(0, 0, view.m_nLayerWidth, view.m_nLayerHeight);
}

bool AllOf(const QImage& image, const QRect& area, QRgb pixel) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) | 0xFF000000u) != (pixel | 0xFF000000u))
                return false;
        }
    }
    return true;
}
bool AllBlack(const QImage& image) {
    return !image.isNull() && AllOf(image, image.rect(), 0);
}

// cover AND colour, pixel by pixel: the picture that must be on screen for a given cover.
QImage Anded(const QImage& cover, const QImage& color) {
    QImage result(cover.size(), QImage::Format_RGB32);
    for (int y = 0; y < cover.height(); ++y) {
        for (int x = 0; x < cover.width(); ++x)
            result.setPixel(x, y, cover.pixel(x, y) & color.pixel(x, y));
    }
    return result;
}

// One figure drawn in one colour; the same call on a black mask tells which pixels it touched.
struct SFigure {
    enum EKind { Line, Rect, Ellipse } kind;
    int nPen;
    QRect box; // for a line: from the top-left to the bottom-right corner
};

void Draw(CImageSurface& dc, const SFigure& figure, PackedColor color) {
    dc.SelectPen(CPenSpec{figure.nPen, color});
    dc.SelectBrush(color);
    const QRect& b = figure.box;
    switch (figure.kind) {
    case SFigure::Line:
        dc.MoveTo(b.left(), b.top());
        dc.LineTo(b.right(), b.bottom());
        break;
    case SFigure::Rect:
        dc.Rectangle(b.left(), b.top(), b.right(), b.bottom());
        break;
    case SFigure::Ellipse:
        dc.Ellipse(b.left(), b.top(), b.right(), b.bottom());
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(SFigure)

class TestView : public QObject {
    Q_OBJECT

    std::unique_ptr<CZelvorandineView> m_pView;

    // A shown view whose background was accepted at the first offer.
    bool Accept(CZelvorandineView& view) {
        CDialogDriver driver;
        driver.Expect(kChoice, CDialogDriver::Click(IDC_USE_THIS));
        view.GenerateBackground();
        return driver.Finished() && driver.Faults().isEmpty() && view.m_bReady == 1;
    }

    // Draws figure in color into the cover and recomposes what it touched, as an etching stroke does.
    void Etch(const SFigure& figure, PackedColor color) {
        CImageSurface dc(m_pView->m_bmpCover);
        Draw(dc, figure, color);
        m_pView->Compose(dc.TakeDirtyRect());
    }

private Q_SLOTS:
    void initTestCase() { CZelvorandineView::s_bFirstPaintDone = true; }

    void init() {
        m_pView = std::make_unique<CZelvorandineView>();
        m_pView->OnCreate();
        m_pView->resize(kViewSize);
        m_pView->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pView.get()));
        QVERIFY(Accept(*m_pView));
    }
    void cleanup() { m_pView.reset(); }

    void blackOnceAccepted() {
        CZelvorandineView& view = *m_pView;
        QCOMPARE(view.m_bmpColor.size(), kViewSize);
        QVERIFY(!AllBlack(view.m_bmpColor));
        QCOMPARE(view.m_bmpCover.size(), kViewSize);
        QVERIFY(AllBlack(view.m_bmpCover));
        QVERIFY(AllBlack(view.WindowSurface()));
        QVERIFY(AllBlack(Repainted(view)));
    }

    // White drawn into the cover shows the background there at the next composition, and the cover keeps
    // that picture: a repaint shows it again.
    void coverHoldsTheVisiblePicture_data() {
        QTest::addColumn<SFigure>("figure");
        QTest::newRow("thin line") << SFigure{SFigure::Line, 1, QRect(QPoint(5, 7), QPoint(180, 120))};
        QTest::newRow("wide line") << SFigure{SFigure::Line, 9, QRect(QPoint(20, 130), QPoint(150, 10))};
        QTest::newRow("rectangle") << SFigure{SFigure::Rect, 1, QRect(QPoint(30, 40), QPoint(90, 100))};
        QTest::newRow("ellipse over the edge")
            << SFigure{SFigure::Ellipse, 4, QRect(QPoint(150, 100), QPoint(260, 190))};
        QTest::newRow("line off the top left")
            << SFigure{SFigure::Line, 4, QRect(QPoint(-30, -20), QPoint(40, 30))};
    }
    void coverHoldsTheVisiblePicture() {
        QFETCH(SFigure, figure);
        CZelvorandineView& view = *m_pView;
        QImage mask(kViewSize, QImage::Format_RGB32);
        mask.fill(Qt::black);
        CImageSurface maskDC(mask);
        Draw(maskDC, figure, kWhite);
        const QImage expected = Anded(mask, view.m_bmpColor);
        QVERIFY(!AllBlack(expected));

        Etch(figure, kWhite);
        QCOMPARE(Rgb32(view.m_bmpCover), expected);
        QCOMPARE(LayerArea(view), expected);
        QCOMPARE(Repainted(view), expected);
        QCOMPARE(Rgb32(view.m_bmpCover), expected);
    }

    void coverPenHidesAndRevealAgainShowsTheSameColours() {
        CZelvorandineView& view = *m_pView;
        const QImage background = view.m_bmpColor.copy();
        const SFigure area{SFigure::Rect, 1, QRect(QPoint(40, 30), QPoint(160, 110))};
        const QRect inside(40, 30, 120, 80);
        Etch(area, kWhite);
        const QImage revealed = LayerArea(view);
        QCOMPARE(revealed.copy(inside), background.copy(inside));

        Etch(SFigure{SFigure::Line, 10, QRect(QPoint(50, 70), QPoint(150, 70))}, kBlack);
        QVERIFY(AllBlack(LayerArea(view).copy(60, 66, 80, 9)));
        QVERIFY(AllBlack(Repainted(view).copy(60, 66, 80, 9)));

        Etch(area, kWhite);
        QCOMPARE(LayerArea(view), revealed);
        QCOMPARE(Repainted(view), revealed);
        QCOMPARE(view.m_bmpColor, background);
    }

    // Recomposing only what each stroke touched leaves exactly the picture a full recomposition gives.
    void partialComposeEqualsFull_data() {
        QTest::addColumn<uint>("seed");
        QTest::addColumn<bool>("throughTheMouse");
        QTest::newRow("figures, seed 1") << 1u << false;
        QTest::newRow("figures, seed 2") << 2u << false;
        QTest::newRow("figures, seed 3") << 3u << false;
        QTest::newRow("mouse strokes, seed 4") << 4u << true;
        QTest::newRow("mouse strokes, seed 5") << 5u << true;
    }
    void partialComposeEqualsFull() {
        QFETCH(uint, seed);
        QFETCH(bool, throughTheMouse);
        CZelvorandineView& view = *m_pView;
        std::mt19937 random(seed);
        auto coordinate = [&](int n) { return int(random() % unsigned(n + 80)) - 40; };
        for (int nStroke = 0; nStroke < 60; ++nStroke) {
            if (throughTheMouse) {
                switch (random() % 4) {
                case 0:
                    view.OnPenFine();
                    break;
                case 1:
                    view.OnPenMedium();
                    break;
                case 2:
                    view.OnPenBold();
                    break;
                default:
                    view.OnPenCover();
                }
                QPoint point(coordinate(kViewSize.width()), coordinate(kViewSize.height()));
                view.OnLButtonDown({}, point);
                for (int nMove = int(random() % 6); nMove > 0; --nMove) {
                    point = QPoint(coordinate(kViewSize.width()), coordinate(kViewSize.height()));
                    view.OnMouseMove(Qt::LeftButton, point);
                }
                view.OnLButtonUp({}, point);
            } else {
                const SFigure figure{
                    SFigure::EKind(random() % 3), 1 + int(random() % 12),
                    QRect(QPoint(coordinate(kViewSize.width()), coordinate(kViewSize.height())),
                          QPoint(coordinate(kViewSize.width()), coordinate(kViewSize.height())))};
                Etch(figure, random() % 4 == 0 ? kBlack : kWhite);
            }
        }
        const QImage shown = LayerArea(view);
        const QImage cover = Rgb32(view.m_bmpCover);
        QVERIFY(!AllBlack(shown));
        view.Compose();
        QCOMPARE(shown, LayerArea(view));
        QCOMPARE(cover, Rgb32(view.m_bmpCover));
        QCOMPARE(Repainted(view), shown);
    }

    // Layers keep the size they were made with; the rest of a larger window is the window's background.
    void windowLargerThanTheLayers_data() {
        QTest::addColumn<bool>("shrinkFirst");
        QTest::newRow("enlarged") << false;
        QTest::newRow("shrunk, then enlarged") << true;
    }
    void windowLargerThanTheLayers() {
        QFETCH(bool, shrinkFirst);
        CZelvorandineView& view = *m_pView;
        Etch(SFigure{SFigure::Rect, 1, QRect(QPoint(10, 10), QPoint(190, 140))}, kWhite);
        const QImage picture = LayerArea(view);
        if (shrinkFirst) {
            view.resize(120, 90);
            QCoreApplication::processEvents();
            view.repaint();
        }
        view.resize(300, 220);
        QCoreApplication::processEvents();
        // A stroke running out of the layers draws nothing outside them.
        view.OnPenBold();
        view.OnLButtonDown({}, QPoint(150, 100));
        view.OnMouseMove(Qt::LeftButton, QPoint(290, 210));
        view.OnLButtonUp({}, QPoint(290, 210));
        view.repaint();
        const QImage shown = Rgb32(view.grab().toImage());
        QCOMPARE(shown.size(), QSize(300, 220));
        QCOMPARE(view.m_bmpCover.size(), kViewSize);
        QCOMPARE(view.m_bmpColor.size(), kViewSize);
        QCOMPARE(QSize(view.m_nLayerWidth, view.m_nLayerHeight), kViewSize);
        const QRgb window = view.palette().color(QPalette::Window).rgb();
        QVERIFY(AllOf(shown, QRect(200, 0, 100, 220), window));
        QVERIFY(AllOf(shown, QRect(0, 150, 200, 70), window));
        QVERIFY(AllOf(view.WindowSurface(), QRect(200, 0, 100, 220), window));
        // Inside the layers the etched picture is intact.
        QCOMPARE(shown.copy(0, 0, 150, 100), picture.copy(0, 0, 150, 100));
    }

    // While the choice dialog is open the view shows the background it offers, also after a repaint.
    void repaintWhileTheChoiceIsOpen() {
        CZelvorandineView& view = *m_pView;
        Etch(SFigure{SFigure::Rect, 1, QRect(QPoint(10, 10), QPoint(190, 140))}, kWhite);
        QList<QImage> offered;
        CDialogDriver driver;
        auto check = [&](int nAnswer) {
            return [&, nAnswer](QDialog* pDialog) {
                QVERIFY(view.m_bmpCover.isNull());
                offered.append(view.m_bmpColor);
                QCOMPARE(LayerArea(view), view.m_bmpColor);
                QCOMPARE(Repainted(view), view.m_bmpColor);
                // Shrunk and enlarged again behind the dialog: the part that was cut off comes back too.
                view.resize(kViewSize / 2);
                QCoreApplication::processEvents();
                view.resize(kViewSize);
                QCoreApplication::processEvents();
                QCOMPARE(Repainted(view), view.m_bmpColor);
                CDialogDriver::Click(nAnswer)(pDialog);
            };
        };
        driver.Expect(kChoice, check(IDC_REDRAW));
        driver.Expect(kChoice, check(IDC_USE_THIS));
        view.GenerateBackground();
        QVERIFY2(driver.Finished() && driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
        QCOMPARE(offered.size(), 2);
        QVERIFY(offered[0] != offered[1]);
        QVERIFY(AllBlack(Repainted(view)));
    }
};

QTEST_MAIN(TestView)
#include "tst_view.moc"
