#include "editor/UFilePaths.h"

#include <QDir>

namespace editor {

// Program paths on Windows are UTF-8, which holds the file system's UTF-16 names without loss, with the
// system's own separator (Qt's dialogs answer with "/").
std::string ProgramPathOf(const QString& fileName) {
    return QDir::toNativeSeparators(fileName).toUtf8().toStdString();
}

QString QtFileNameOf(const std::string& programPath) {
    return QString::fromUtf8(programPath.data(), qsizetype(programPath.size()));
}

} // namespace editor
