// SPDX-License-Identifier: MIT
#pragma once

// Files of every kind for tests of what the program does with them.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

// Makes at path the kind of file a row names; "link to <kind>" makes that kind beside it and links to it by
// its bare name, so that a link followed from another folder than its own leads nowhere.
inline bool MakeFile(const QString& kind, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (kind.startsWith("link to ")) {
        // Without root no device can be made, nor could a faulty save replace the system's.
        const bool bSystemDevice = kind == "link to device" && ::geteuid() != 0;
        const QString target = bSystemDevice ? "/dev/null" : path + ".target";
        return (bSystemDevice || MakeFile(kind.mid(8), target)) &&
               QFile::link(bSystemDevice ? target : QFileInfo(target).fileName(), path);
    }
    if (kind == "regular") {
        QFile file(path);
        // Root gives it to someone else, as a user's file that root replaces.
        return file.open(QIODevice::WriteOnly) && file.write("old bytes") == 9 &&
               ::chmod(name.constData(), 0640) == 0 &&
               (::geteuid() != 0 || ::chown(name.constData(), 4321, 4322) == 0);
    }
    if (kind == "fifo")
        return ::mkfifo(name.constData(), 0644) == 0;
    if (kind == "device") // like /dev/null, but our own: a faulty save would replace only this one
        return ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (kind == "folder")
        return QDir().mkdir(path);
    if (kind == "socket") {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, name.constData(), sizeof(address.sun_path) - 1);
        const int nSocket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool bBound = ::bind(nSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
        ::close(nSocket);
        return bBound;
    }
    return kind == "nothing";
}

// Every entry below folder (its path from there) with its kind and, for files, its bytes.
inline QStringList Listing(const QString& folder) {
    QStringList entries;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        const QFileInfo info(it.next());
        QFile file(info.filePath());
        const QByteArray bytes =
            info.isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        entries << QString("%1 %2%3 %4")
                       .arg(QDir(folder).relativeFilePath(info.filePath()), info.isSymLink() ? "link " : "",
                            info.isDir()    ? "folder"
                            : info.isFile() ? "file"
                                            : "special",
                            QString::fromLatin1(bytes));
    }
    entries.sort();
    return entries;
}
