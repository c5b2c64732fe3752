#include "editor/UFilePaths.h"

namespace editor {

// Program paths on Windows are UTF-8, which holds the file system's UTF-16 names without loss.
std::string ProgramPathOf(const QString& fileName) {
    return fileName.toUtf8().toStdString();
}

QString QtFileNameOf(const std::string& programPath) {
    return QString::fromUtf8(programPath.data(), qsizetype(programPath.size()));
}

} // namespace editor
