// cantrel_makefonts <font.ttf> <settings folder>
//
// Writes the lyric font files of the program: for each character set (English 1252, Central European
// 1250, Russian 1251, Greek 1253) and each size class (14 and 22 pixels) the glyphs of the codes 28 to 255
// drawn from the given monospaced font, as "charset_<set><size>.gsf" in the settings folder. Each file is
// written beside its final name and then renamed, so an interrupted run leaves no half-written font.
#include "display/GLStoredBitmapFont.h"
#include "display/scene/GlyphSheetRenderer.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: cantrel_makefonts <font.ttf> <settings folder>\n");
        return 2;
    }
    const int id = QFontDatabase::addApplicationFont(args[1]);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (id < 0 || families.isEmpty()) {
        std::fprintf(stderr, "cantrel_makefonts: cannot load %s\n", qPrintable(args[1]));
        return 1;
    }

    const struct {
        const char* name;
        int codePage;
    } charsets[] = {{"charset_english", 1252},
                    {"charset_centraleurope", 1250},
                    {"charset_russian", 1251},
                    {"charset_greek", 1253}};
    for (const auto& charset : charsets) {
        for (int size : {14, 22}) {
            display::TGLStoredBitmapFont font(families.first().toStdString(), size);
            QFont systemFont(families.first());
            systemFont.setPixelSize(size);
            display::RenderSystemGlyphs(font, systemFont, charset.codePage);
            const std::string bytes = font.SaveToBytes();

            const QString path = args[2] + "/" + charset.name + QString::number(size) + ".gsf";
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) ||
                !file.commit()) {
                std::fprintf(stderr, "cantrel_makefonts: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
