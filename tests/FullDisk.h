#pragma once
// A small file system of a test's own (tmpfs, mounted by root), filled up to
// a few kilobytes of room: writes there fail with "disk full" while the
// rest of the machine is untouched. Unmounted on destruction.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace quillet::test {

class FullDisk {
public:
    // room: the bytes left free once it is filled.
    explicit FullDisk(qint64 room = 8192)
    {
        QProcess mounter;
        mounter.start(QStringLiteral("mount"),
            { QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                QStringLiteral("size=256k"), QStringLiteral("tmpfs"), dir_.path() });
        if (!mounter.waitForFinished(30000) || mounter.exitStatus() != QProcess::NormalExit
            || mounter.exitCode() != 0) {
            why_ = QString::fromLocal8Bit(mounter.readAllStandardError());
            return;
        }
        mounted_ = true;
        QFile filler(Filler());
        if (!filler.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) { }
        filler.close();
        QFile::resize(Filler(), QFileInfo(Filler()).size() - room);
    }
    ~FullDisk()
    {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), { dir_.path() });
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool Mounted() const { return mounted_; }
    // Why it could not be mounted (needs root where mounts are allowed).
    const QString& Why() const { return why_; }
    QString Path() const { return dir_.path(); }
    QString Filler() const { return dir_.path() + QStringLiteral("/.filler"); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString why_;
};

} // namespace quillet::test
