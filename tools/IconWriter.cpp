// dosarium-icon FOLDER: writes the program's icon in the desktop's usual sizes, as
// FOLDER/hicolor/NxN/apps/dosarium.png, for the installation, and all of them in one Windows
// icon file, FOLDER/dosarium.ico, for the Windows program and its shortcuts.
#include "ui/ProgramIcon.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QtEndian>
#include <cstdio>

namespace {

// An icon file holds a directory of its images; each image may be a whole PNG file.
bool writeIconFile(const QString &path, const QList<int> &sizes)
{
    QList<QByteArray> images;
    for (int size : sizes) {
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        if (!dosarium::programIcon(size).save(&png, "PNG"))
            return false;
        images.append(png.data());
    }
    QByteArray out(6 + 16 * images.size(), '\0');
    qToLittleEndian<quint16>(1, out.data() + 2); // an icon
    qToLittleEndian<quint16>(quint16(images.size()), out.data() + 4);
    quint32 offset = quint32(out.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        char *entry = out.data() + 6 + 16 * i;
        entry[0] = char(sizes.at(i) % 256); // 256 is written as 0
        entry[1] = char(sizes.at(i) % 256);
        qToLittleEndian<quint16>(1, entry + 4);  // planes
        qToLittleEndian<quint16>(32, entry + 6); // bits per pixel
        qToLittleEndian<quint32>(quint32(images.at(i).size()), entry + 8);
        qToLittleEndian<quint32>(offset, entry + 12);
        offset += quint32(images.at(i).size());
    }
    for (const QByteArray &image : images)
        out += image;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.flush();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "folosire: dosarium-icon DIRECTOR\n");
        return 2;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(args.at(1)).arg(size);
        if (!QDir().mkpath(folder) ||
            !dosarium::programIcon(size).save(folder + QStringLiteral("/dosarium.png"))) {
            std::fprintf(stderr, "nu pot scrie %s\n", qPrintable(folder));
            return 1;
        }
    }
    const QString icon = args.at(1) + QStringLiteral("/dosarium.ico");
    if (!writeIconFile(icon, {16, 24, 32, 48, 64, 256})) {
        std::fprintf(stderr, "nu pot scrie %s\n", qPrintable(icon));
        return 1;
    }
    return 0;
}
