// SPDX-License-Identifier: MIT
#include "app/framework/CommandLineInfo.h"

namespace {

// Options the toolkit takes for itself, followed by a value; it removes them before the program looks.
bool IsToolkitOptionWithValue(const QString& arg) {
    static const char* const options[] = {"-platform",
                                          "-platformpluginpath",
                                          "-platformtheme",
                                          "-plugin",
                                          "-qwindowgeometry",
                                          "-qwindowtitle",
                                          "-qwindowicon",
                                          "-display",
                                          "-geometry",
                                          "-style",
                                          "-stylesheet",
                                          "-session",
                                          "-name",
                                          "-title"};
    for (const char* option : options) {
        if (arg == QLatin1String(option) || arg == QLatin1String("-") + QLatin1String(option)) {
            return true;
        }
    }
    return false;
}

bool IsToolkitFlag(const QString& arg) {
    return arg == QLatin1String("-reverse") || arg == QLatin1String("-nograb") ||
           arg == QLatin1String("-dograb") || arg == QLatin1String("-sync") ||
           arg == QLatin1String("-widgetcount");
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
        if (IsToolkitOptionWithValue(arg)) {
            ++i;
        } else if (!IsToolkitFlag(arg)) {
            result << arg;
        }
    }
    return result;
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
                m_nShellCommand = BadArguments;
                m_strBadArgument = arg;
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
        if (m_strFileName.isEmpty() || (m_nShellCommand == FilePrintTo && m_strPrinterName.isEmpty())) {
            m_nShellCommand = BadArguments;
            m_strBadArgument = printSwitch;
        }
    }
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
        m_nShellCommand = BadArguments;
        m_strBadArgument = param;
        m_bExtraArgument = true;
    }
}
