#include "ui/UFilePaths.h"

namespace ui {

// Windows file names are UTF-16; the program keeps them as UTF-8.
std::string ProgramPathOf(const QString& fileName) {
    return fileName.toUtf8().toStdString();
}

QString QtFileNameOf(const std::string& programPath) {
    return QString::fromUtf8(programPath.data(), qsizetype(programPath.size()));
}

} // namespace ui
