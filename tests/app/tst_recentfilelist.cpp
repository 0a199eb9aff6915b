#include "app/framework/RecentFileList.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The list as the application keeps it: four entries under "Recent File List", keys File1..File4.
class TestRecentFileList : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QString m_confPath;
    int m_nFile = 0;

    static CRecentFileList MakeList() {
        return CRecentFileList(4, QStringLiteral("Recent File List"), QStringLiteral("File%1"));
    }

    static QStringList Entries(const CRecentFileList& list) {
        QStringList files;
        for (int i = 0; i < list.GetSize(); ++i) {
            files << list[i];
        }
        return files;
    }

    // A settings file of its own for every test row, so that no cached copy of an earlier row is read.
    std::unique_ptr<QSettings> Settings() const {
        return std::make_unique<QSettings>(m_confPath, QSettings::IniFormat);
    }

    // The application's own per-user settings, as a later run of the program opens them.
    static std::unique_ptr<QSettings> UserSettings() {
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QStringLiteral("Local AppWizard-Generated Applications"),
                                           QStringLiteral("Zelvorandine"));
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_home.path());
    }

    void init() { m_confPath = m_home.filePath(QStringLiteral("row%1.conf").arg(++m_nFile)); }

    void add_data() {
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QStringList>("expected");

        using L = QStringList;
        QTest::newRow("one") << L{"/a"} << L{"/a"};
        QTest::newRow("newest first") << L{"/a", "/b", "/c"} << L{"/c", "/b", "/a"};
        QTest::newRow("four fit") << L{"/a", "/b", "/c", "/d"} << L{"/d", "/c", "/b", "/a"};
        QTest::newRow("fifth drops the oldest")
            << L{"/a", "/b", "/c", "/d", "/e"} << L{"/e", "/d", "/c", "/b"};
        QTest::newRow("many") << L{"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"}
                              << L{"/8", "/7", "/6", "/5"};
        QTest::newRow("reopen moves to top") << L{"/a", "/b", "/c", "/a"} << L{"/a", "/c", "/b"};
        QTest::newRow("reopen head keeps order") << L{"/a", "/b", "/b"} << L{"/b", "/a"};
        QTest::newRow("reopen of the oldest when full")
            << L{"/a", "/b", "/c", "/d", "/a"} << L{"/a", "/d", "/c", "/b"};
        QTest::newRow("same file spelt differently") << L{"/x/a", "/x/./a", "/x/y/../a"} << L{"/x/a"};
        QTest::newRow("relative becomes absolute") << L{"pic.bmp"} << L{QDir::current().filePath("pic.bmp")};
        QTest::newRow("relative and absolute alike")
            << L{"pic.bmp", QDir::current().filePath("pic.bmp")} << L{QDir::current().filePath("pic.bmp")};
    }

    void add() {
        QFETCH(QStringList, opened);
        QFETCH(QStringList, expected);
        CRecentFileList list = MakeList();
        for (const QString& path : opened) {
            list.Add(path);
        }
        QCOMPARE(Entries(list), expected);
        QCOMPARE(list.GetMaxSize(), 4);
    }

    void remove_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("expected");
        using L = QStringList;
        QTest::newRow("head") << 0 << L{"/b", "/a"};
        QTest::newRow("tail") << 2 << L{"/c", "/b"};
        QTest::newRow("past the end") << 3 << L{"/c", "/b", "/a"};
        QTest::newRow("negative") << -1 << L{"/c", "/b", "/a"};
    }

    void remove() {
        QFETCH(int, index);
        QFETCH(QStringList, expected);
        CRecentFileList list = MakeList();
        for (const char* path : {"/a", "/b", "/c"}) {
            list.Add(QString::fromUtf8(path));
        }
        list.Remove(index);
        QCOMPARE(Entries(list), expected);
    }

    void persistsAcrossRestart() {
        {
            CRecentFileList list = MakeList();
            for (const char* path : {"/a", "/b", "/c", "/d", "/e", "/c"}) {
                list.Add(QString::fromUtf8(path));
            }
            auto settings = UserSettings();
            list.WriteList(*settings);
        }
        const QString conf =
            m_home.filePath(QStringLiteral("Local AppWizard-Generated Applications/Zelvorandine.conf"));
        QVERIFY2(QFile::exists(conf), qPrintable(conf));

        CRecentFileList reread = MakeList();
        auto settings = UserSettings();
        reread.ReadList(*settings);
        QCOMPARE(Entries(reread), (QStringList{"/c", "/e", "/d", "/b"}));
    }

    void shorterListLeavesNoStaleEntries() {
        CRecentFileList full = MakeList();
        for (const char* path : {"/a", "/b", "/c", "/d"}) {
            full.Add(QString::fromUtf8(path));
        }
        full.WriteList(*Settings());

        CRecentFileList shorter = MakeList();
        shorter.Add(QStringLiteral("/only"));
        shorter.WriteList(*Settings());

        CRecentFileList reread = MakeList();
        reread.ReadList(*Settings());
        QCOMPARE(Entries(reread), QStringList{"/only"});
    }

    void untrustedSettings_data() {
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<QStringList>("expected");

        using L = QStringList;
        const QByteArray head = "[Recent%20File%20List]\n";
        QTest::newRow("clean") << head + "File1=/a\nFile2=/b\n" << L{"/a", "/b"};
        QTest::newRow("relative paths") << head + "File1=pic.bmp\nFile2=/b\nFile3=../c\n" << L{"/b"};
        QTest::newRow("duplicates") << head + "File1=/a\nFile2=/a\nFile3=/x/../a\nFile4=/b\n"
                                    << L{"/a", "/b"};
        QTest::newRow("more than four")
            << head + "File1=/1\nFile2=/2\nFile3=/3\nFile4=/4\nFile5=/5\nFile6=/6\n"
            << L{"/1", "/2", "/3", "/4"};
        QTest::newRow("number") << head + "File1=@Variant(\\0\\0\\0\\x2\\0\\0\\0*)\nFile2=/b\n" << L{"/b"};
        QTest::newRow("list") << head + "File1=/a, /b\nFile2=/c\n" << L{"/c"};
        QTest::newRow("byte array") << head + "File1=@ByteArray(/a)\nFile2=/c\n" << L{"/c"};
        QTest::newRow("rectangle") << head + "File1=@Rect(1 2 3 4)\nFile2=/c\n" << L{"/c"};
        QTest::newRow("empty value") << head + "File1=\nFile2=/c\n" << L{"/c"};
        QTest::newRow("control character") << head + "File1=/a\\tb\nFile2=/a\\nb\nFile3=/c\n" << L{"/c"};
        QTest::newRow("gaps") << head + "File2=/b\nFile4=/d\n" << L{"/b", "/d"};
        QTest::newRow("wrong group") << QByteArray("[Other]\nFile1=/a\n") << L{};
        QTest::newRow("garbage bytes") << QByteArray("\x00\xff\xfe[\x01\x02=\x80\x81\n\x00\x00", 12) << L{};
        QTest::newRow("garbage after good entries")
            << head + "File1=/a\n" + QByteArray("\xff\xfe\x00=\x01[[[\n", 9) + "File2=/b\n"
            << L{"/a", "/b"};
        QTest::newRow("binary junk only") << QByteArray(4096, '\xA5') << L{};
    }

    void untrustedSettings() {
        QFETCH(QByteArray, conf);
        QFETCH(QStringList, expected);
        {
            QFile file(m_confPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(conf);
        }

        CRecentFileList list = MakeList();
        list.ReadList(*Settings());
        QCOMPARE(Entries(list), expected);

        // Writing it back leaves only the clean list behind.
        list.WriteList(*Settings());
        auto settings = Settings();
        settings->beginGroup(QStringLiteral("Recent File List"));
        QStringList stored;
        for (const QString& key : settings->childKeys()) {
            stored << settings->value(key).toString();
        }
        QCOMPARE(settings->childKeys().size(), int(expected.size()));
        stored.sort();
        QStringList sortedExpected = expected;
        sortedExpected.sort();
        QCOMPARE(stored, sortedExpected);
    }

    void menuText_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");

        QTest::newRow("first") << 0 << "/home/u/pic.bmp"
                               << "&1 /home/u/pic.bmp";
        QTest::newRow("fourth") << 3 << "/pic.bmp"
                                << "&4 /pic.bmp";
        // '&' in a path is shown, not taken as a mnemonic.
        QTest::newRow("ampersand") << 0 << "/a&b/c&d.bmp"
                                   << "&1 /a&&b/c&&d.bmp";
    }

    void menuText() {
        QFETCH(int, index);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        CRecentFileList list = MakeList();
        list.Add(path);
        for (int i = 0; i < index; ++i) {
            list.Add(QStringLiteral("/newer%1").arg(i));
        }
        QCOMPARE(list[index], path);
        QCOMPARE(list.GetMenuText(index), expected);
    }

    void longPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("shortened");
        QTest::newRow("48 characters") << "/" + QString(41, QLatin1Char('d')) + "/p.bmp" << false;
        QTest::newRow("49 characters") << "/" + QString(42, QLatin1Char('d')) + "/p.bmp" << true;
        QTest::newRow("long folder") << "/" + QString(80, QLatin1Char('d')) + "/picture.bmp" << true;
        QTest::newRow("deep folders")
            << "/very/deep/folder/structure/that/goes/on/and/on/and/on/p.bmp" << true;
        // Nothing is gained by dropping the folder of a file whose name alone is long.
        QTest::newRow("long name, short folder") << "/x/" + QString(70, QLatin1Char('n')) + ".bmp" << false;
        QTest::newRow("long name, long folder")
            << "/" + QString(30, QLatin1Char('d')) + "/" + QString(70, QLatin1Char('n')) + ".bmp" << true;
    }

    void longPath() {
        QFETCH(QString, path);
        QFETCH(bool, shortened);
        CRecentFileList list = MakeList();
        list.Add(path);
        const QString text = list.GetMenuText(0);
        const QString name = QFileInfo(path).fileName();
        QVERIFY2(text.startsWith(QLatin1String("&1 ")), qPrintable(text));
        // The file's own name always stays whole; only the folders give way.
        QVERIFY2(text.endsWith(QLatin1Char('/') + name), qPrintable(text));
        QVERIFY2(text.size() <= path.size() + 3, qPrintable(text));
        if (shortened) {
            QVERIFY2(text.contains(QLatin1String(".../")), qPrintable(text));
            QVERIFY2(text.size() < path.size() + 3, qPrintable(text));
            QVERIFY2(text.size() <= 3 + qMax<qsizetype>(48, name.size() + 4), qPrintable(text));
        } else {
            QCOMPARE(text, QStringLiteral("&1 ") + path);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecentFileList)
#include "tst_recentfilelist.moc"
