#include "app/ZelvorandineApp.h"
#include "app/framework/DialogBuilder.h"
#include "res/DialogTemplates.h"

#include <QDialog>
#include <QLabel>
#include <QTest>

Q_DECLARE_METATYPE(const DialogTemplate*)

// Every text of every dialog template shows whole with the font the program really gets.
class TestDialogBuilder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The program's font substitution.
    void initTestCase() { theApp.InitApplication(); }

    void labelsShowTheirWholeText_data() {
        QTest::addColumn<const DialogTemplate*>("tmpl");
        QTest::newRow("about") << &g_aboutDialog;
        QTest::newRow("background choice") << &g_backgroundDialog;
        QTest::newRow("colour settings") << &g_colorSettingsDialog;
    }

    void labelsShowTheirWholeText() {
        QFETCH(const DialogTemplate*, tmpl);
        QDialog dialog;
        CDialogBuilder::Build(dialog, *tmpl);
        const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
        QVERIFY(!labels.isEmpty());
        for (QLabel* label : labels) {
            if (label->text().isEmpty()) {
                continue;
            }
            const int nNeeded = label->hasHeightForWidth() ? label->heightForWidth(label->width())
                                                           : label->sizeHint().height();
            QVERIFY2(label->height() >= nNeeded, qPrintable(label->text()));
            QVERIFY2(label->geometry().bottom() < dialog.height(), qPrintable(label->text()));
        }
    }
};

QTEST_MAIN(TestDialogBuilder)
#include "tst_dialogbuilder.moc"
