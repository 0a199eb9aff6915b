// SPDX-License-Identifier: MIT
#include "app/framework/CommandLineInfo.h"

#include <algorithm>
#include <iterator>

namespace {

// What the toolkit takes from the command line, with one or two leading dashes.
// Followed by a value: "-style fusion".
constexpr const char* kToolkitOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowtitle",
    "qwindowicon", "session", "style", "stylesheet", "qmljsdebugger",
    // X11
    "display", "geometry", "title", "icon", "name", "visual",
    // X11, documented for earlier releases of the toolkit, which now leaves them unused
    "ncols", "im", "inputstyle", "fn", "font", "bg", "background", "fg", "foreground", "btn", "button"};
// Also written with the value after '=': "-style=fusion".
constexpr const char* kToolkitOptionsWithEquals[] = {"style", "stylesheet", "qmljsdebugger"};
constexpr const char* kToolkitFlags[] = {"reverse", "widgetcount", "testability", "qdevel", "qdebug",
                                         // X11
                                         "nograb", "dograb", "sync", "cmap", "noxim"};

// The option's name without its dashes, or an empty string for an argument that is no option.
QString OptionName(const QString& arg) {
    if (arg.startsWith(QLatin1String("--"))) {
        return arg.mid(2);
    }
    return arg.startsWith(QLatin1Char('-')) ? arg.mid(1) : QString();
}

template <std::size_t N> bool IsOneOf(const QString& name, const char* const (&names)[N]) {
    return !name.isEmpty() && std::any_of(std::begin(names), std::end(names), [&name](const char* option) {
        return name == QLatin1String(option);
    });
}

bool IsToolkitOptionWithValue(const QString& arg) {
    return IsOneOf(OptionName(arg), kToolkitOptionsWithValue);
}

bool IsToolkitOptionWithEquals(const QString& arg) {
    const QString name = OptionName(arg);
    const qsizetype nEquals = name.indexOf(QLatin1Char('='));
    return nEquals > 0 && IsOneOf(name.left(nEquals), kToolkitOptionsWithEquals);
}

bool IsToolkitFlag(const QString& arg) {
    return IsOneOf(OptionName(arg), kToolkitFlags);
}

bool IsPrintSwitch(const QString& name) {
    return name == QLatin1String("p") || name == QLatin1String("pt");
}

// Absolute paths also start with '/': only these names are switches in that spelling.
bool IsSlashSwitch(const QString& arg) {
    const QString name = arg.mid(1).toLower();
    return name == QLatin1String("p") || name == QLatin1String("pt") || name == QLatin1String("dde");
}

} // namespace

QStringList CCommandLineInfo::WithoutToolkitOptions(const QStringList& arguments) {
    QStringList result;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--")) {
            result += arguments.mid(i);
            break;
        }
        // A last "-style" without its value is refused as unknown rather than dropped unseen.
        if (IsToolkitOptionWithValue(arg) && i + 1 < arguments.size()) {
            ++i;
        } else if (!IsToolkitFlag(arg) && !IsToolkitOptionWithEquals(arg)) {
            result << arg;
        }
    }
    return result;
}

QList<std::pair<QString, QString>> CCommandLineInfo::ToolkitFiles(const QStringList& arguments) {
    QList<std::pair<QString, QString>> files;
    const auto add = [&files](const QString& option, const QString& file) {
        // A name starting with ':' is one of the program's own resources.
        if (!file.startsWith(QLatin1Char(':'))) {
            files.append({option, file});
        }
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        const QString name = OptionName(arg);
        if (name.startsWith(QLatin1String("stylesheet="))) {
            add(arg.left(arg.indexOf(QLatin1Char('='))), name.mid(name.indexOf(QLatin1Char('=')) + 1));
            continue;
        }
        // The toolkit takes the next argument as the value, whatever it looks like.
        if (!IsToolkitOptionWithValue(arg) || i + 1 == arguments.size()) {
            continue;
        }
        const QString& value = arguments.at(++i);
        if (name == QLatin1String("stylesheet") ||
            ((name == QLatin1String("qwindowicon") || name == QLatin1String("icon")) &&
             value.startsWith(QLatin1Char('/')))) {
            add(arg, value);
        } else if (name == QLatin1String("platform")) {
            // "xcb;offscreen:configfile=file": platforms to try in turn, each with its parameters.
            for (const QString& platform : value.split(QLatin1Char(';'))) {
                for (const QString& parameter : platform.split(QLatin1Char(':')).mid(1)) {
                    if (parameter.startsWith(QLatin1String("configfile="))) {
                        add(arg, parameter.mid(parameter.indexOf(QLatin1Char('=')) + 1));
                    }
                }
            }
        }
    }
    return files;
}

void CCommandLineInfo::ParseArguments(const QStringList& arguments) {
    bool bSwitches = true;
    QString printSwitch; // named in the message when its file or printer is missing
    for (const QString& arg : arguments) {
        if (m_nShellCommand == BadArguments || m_nShellCommand == AppHelp || m_nShellCommand == AppVersion) {
            return;
        }
        if (bSwitches && arg == QLatin1String("--")) {
            bSwitches = false;
        } else if (bSwitches && arg.size() > 1 && arg.startsWith(QLatin1Char('-'))) {
            QString name = arg.mid(1);
            if (name.startsWith(QLatin1Char('-'))) {
                name = name.mid(1);
            }
            name = name.toLower();
            if (!ParseSwitch(name)) {
                SetBadArgument(UnknownSwitch, arg);
            } else if (IsPrintSwitch(name)) {
                printSwitch = arg;
            }
        } else if (bSwitches && arg.startsWith(QLatin1Char('/')) && IsSlashSwitch(arg)) {
            const QString name = arg.mid(1).toLower();
            ParseSwitch(name);
            if (IsPrintSwitch(name)) {
                printSwitch = arg;
            }
        } else {
            ParseParam(arg);
        }
    }
    if (m_nShellCommand == FilePrint || m_nShellCommand == FilePrintTo) {
        if (m_strFileName.isEmpty()) {
            SetBadArgument(MissingFileName, printSwitch);
        } else if (m_nShellCommand == FilePrintTo && m_strPrinterName.isEmpty()) {
            SetBadArgument(MissingPrinterName, printSwitch);
        }
    }
}

void CCommandLineInfo::SetBadArgument(BadArgumentKind nKind, const QString& arg) {
    m_nShellCommand = BadArguments;
    m_nBadArgumentKind = nKind;
    m_strBadArgument = arg;
}

bool CCommandLineInfo::ParseSwitch(const QString& name) {
    if (name == QLatin1String("help") || name == QLatin1String("h") || name == QLatin1String("?")) {
        m_nShellCommand = AppHelp;
    } else if (name == QLatin1String("version")) {
        m_nShellCommand = AppVersion;
    } else if (name == QLatin1String("p")) {
        m_nShellCommand = FilePrint;
    } else if (name == QLatin1String("pt")) {
        m_nShellCommand = FilePrintTo;
        m_bPrintTo = true;
    } else if (name == QLatin1String("dde")) {
        // Nothing to wait for here: start as with an empty command line.
    } else {
        return false;
    }
    return true;
}

void CCommandLineInfo::ParseParam(const QString& param) {
    if (m_strFileName.isEmpty()) {
        m_strFileName = param;
        if (m_nShellCommand == FileNew) {
            m_nShellCommand = FileOpen;
        }
    } else if (m_bPrintTo && m_strPrinterName.isEmpty()) {
        m_strPrinterName = param;
    } else if (m_bPrintTo && m_strDriverName.isEmpty()) {
        m_strDriverName = param;
    } else if (m_bPrintTo && m_strPortName.isEmpty()) {
        m_strPortName = param;
    } else {
        SetBadArgument(ExtraArgument, param);
    }
}
