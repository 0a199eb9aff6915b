// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <utility>

// What the command line asks the program to do.
class CCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, AppHelp, AppVersion, BadArguments };
    // Why the line cannot be used.
    enum BadArgumentKind { UnknownSwitch, ExtraArgument, MissingFileName, MissingPrinterName };

    // Reads the arguments after the program's name. Switches start with '/' or '-': "/p file",
    // "/pt file printer [driver [port]]", "--help", "--version"; "--" ends the switches.
    void ParseArguments(const QStringList& arguments);
    // The arguments without the options the toolkit takes for itself ("-platform offscreen", "-reverse",
    // "-style=fusion" ...).
    static QStringList WithoutToolkitOptions(const QStringList& arguments);
    // The files the toolkit reads while it starts, each with the option that names it: "-stylesheet file",
    // "-stylesheet=file", "-qwindowicon /file" and "-icon /file" (a name without a folder is one of the icon
    // theme's), "-platform offscreen:configfile=file". The toolkit looks at every argument, also after "--".
    static QList<std::pair<QString, QString>> ToolkitFiles(const QStringList& arguments);

    ShellCommand m_nShellCommand = FileNew;
    QString m_strFileName;
    QString m_strPrinterName;
    QString m_strDriverName;
    QString m_strPortName;
    QString m_strBadArgument; // the argument that made the line unusable; the print switch when its
                              // file or printer is missing
    BadArgumentKind m_nBadArgumentKind = UnknownSwitch;

private:
    void SetBadArgument(BadArgumentKind nKind, const QString& arg);
    bool ParseSwitch(const QString& name);
    void ParseParam(const QString& param);

    bool m_bPrintTo = false;
};
