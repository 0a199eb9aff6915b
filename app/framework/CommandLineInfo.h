// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// What the command line asks the program to do.
class CCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, AppHelp, AppVersion, BadArguments };

    // Reads the arguments after the program's name. Switches start with '/' or '-': "/p file",
    // "/pt file printer [driver [port]]", "--help", "--version"; "--" ends the switches.
    void ParseArguments(const QStringList& arguments);
    // The arguments without the toolkit's own options ("-platform offscreen", "-reverse" ...).
    static QStringList WithoutToolkitOptions(const QStringList& arguments);

    ShellCommand m_nShellCommand = FileNew;
    QString m_strFileName;
    QString m_strPrinterName;
    QString m_strDriverName;
    QString m_strPortName;
    QString m_strBadArgument;      // the argument that made the line unusable
    bool m_bExtraArgument = false; // it was one argument too many, not an unknown switch

private:
    bool ParseSwitch(const QString& name);
    void ParseParam(const QString& param);

    bool m_bPrintTo = false;
};
