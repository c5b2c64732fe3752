#include "ui/UFilePaths.h"

#include <QFile>

namespace ui {

// Qt's file names are decoded from the file system's bytes; encodeName gives those bytes back.
std::string ProgramPathOf(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

QString QtFileNameOf(const std::string& programPath) {
    return QFile::decodeName(QByteArray::fromStdString(programPath));
}

} // namespace ui
