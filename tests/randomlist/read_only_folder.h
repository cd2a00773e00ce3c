#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>

#include <unistd.h>

// Makes a folder that this user cannot write into, for as long as the object
// lives: through its permissions, and for root, whom those do not stop,
// through the immutable flag, which is undone at the end.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : path_(path) {
        QFile::setPermissions(path_, kReadOnly);
        if (writable()) {
            QProcess chattr;
            chattr.setProcessChannelMode(QProcess::MergedChannels);
            chattr.start(QStringLiteral("chattr"), {QStringLiteral("+i"), path_});
            immutable_ = chattr.waitForFinished() && chattr.exitCode() == 0;
            if (!immutable_)
                why_ = "chattr +i failed: " + chattr.readAll().trimmed();
        }
    }
    ~ReadOnlyFolder() {
        if (immutable_)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        QFile::setPermissions(path_, kReadOnly | QFile::WriteOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool active() const { return !writable(); }
    // Why the folder stayed writable.
    QByteArray why() const { return why_; }

private:
    static constexpr QFile::Permissions kReadOnly = QFile::ReadOwner | QFile::ExeOwner |
                                                    QFile::ReadGroup | QFile::ExeGroup |
                                                    QFile::ReadOther | QFile::ExeOther;

    bool writable() const { return ::access(QFile::encodeName(path_).constData(), W_OK) == 0; }

    QString path_;
    bool immutable_ = false;
    QByteArray why_ = "the permissions do not stop this user";
};
