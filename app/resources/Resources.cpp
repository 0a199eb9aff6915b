// SPDX-License-Identifier: MIT
#include "app/resources/Resources.h"

#include "res/ArtworkTable.h"
#include "res/StringTable.h"

#include <QFile>
#include <QPixmap>

namespace {

// A name as the user gave it, its control characters written as escapes: a file name or an argument must
// not break a message into lines of its own or send commands to the terminal that shows it.
QString WithVisibleControls(const QString& text) {
    QString result;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n')) {
            result += QLatin1String("\\n");
        } else if (c == QLatin1Char('\r')) {
            result += QLatin1String("\\r");
        } else if (c == QLatin1Char('\t')) {
            result += QLatin1String("\\t");
        } else if (c.category() == QChar::Other_Control) {
            result += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace

static void RegisterResources() {
    Q_INIT_RESOURCE(zelvorandine);
}

void CResources::EnsureRegistered() {
    // The resource data lives in a static library: register it explicitly before the first look-up.
    static const bool registered = (RegisterResources(), true);
    (void)registered;
}

QString CResources::LoadString(int nID) {
    for (const StringResource& s : g_stringTable) {
        if (s.nID == nID) {
            return QString::fromUtf8(s.text);
        }
    }
    return {};
}

bool CResources::HasString(int nID) {
    for (const StringResource& s : g_stringTable) {
        if (s.nID == nID) {
            return true;
        }
    }
    return false;
}

QString CResources::Prompt(int nID) {
    return LoadString(nID).section(QLatin1Char('\n'), 0, 0);
}

QString CResources::Tooltip(int nID) {
    return LoadString(nID).section(QLatin1Char('\n'), 1, 1);
}

QString CResources::DocString(int nID, int nField) {
    return LoadString(nID).section(QLatin1Char('\n'), nField, nField);
}

QString CResources::Format(int nID, const QString& a1, const QString& a2) {
    QString text = LoadString(nID);
    // Replace both markers in one pass so that a %2 inside the first argument stays as it is.
    QString result;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('%') && i + 1 < text.size() &&
            (text[i + 1] == QLatin1Char('1') || text[i + 1] == QLatin1Char('2'))) {
            result += WithVisibleControls(text[i + 1] == QLatin1Char('1') ? a1 : a2);
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

QImage CResources::LoadBitmap(int nID) {
    EnsureRegistered();
    for (const BitmapResource& b : g_bitmaps) {
        if (b.nID == nID) {
            return QImage(QString::fromUtf8(b.path));
        }
    }
    return {};
}

QImage CResources::LoadImageFile(const char* path) {
    EnsureRegistered();
    return QImage(QString::fromUtf8(path));
}

QIcon CResources::LoadIcon(int nID) {
    EnsureRegistered();
    QIcon icon;
    for (const BitmapResource& b : g_iconImages) {
        if (b.nID == nID) {
            icon.addFile(QString::fromUtf8(b.path));
        }
    }
    return icon;
}

QCursor CResources::LoadCursor(int nID) {
    EnsureRegistered();
    for (const CursorResource& c : g_cursors) {
        if (c.nID == nID) {
            return QCursor(QPixmap(QString::fromUtf8(c.path)), c.nHotX, c.nHotY);
        }
    }
    return QCursor(Qt::ArrowCursor);
}

QString CResources::LoadHelpPage() {
    EnsureRegistered();
    QFile file(QStringLiteral(":/help/help_ja.html"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}
