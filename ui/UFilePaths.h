#pragma once
// File names from Qt (file and folder choosers, drops) as program paths and back. A program path is the
// file system's own bytes on Linux and UTF-8 on Windows; one file per platform does the conversion.

#include <QString>

#include <string>

namespace ui {

std::string ProgramPathOf(const QString& fileName);
QString QtFileNameOf(const std::string& programPath);

} // namespace ui
