// Build-time tool: renders every picture source of the application into the
// light and dark image folders in one run.
//
//   zentaro-svgrender <source-dir> <dark-palette> <output-dir>
//
// For each <name>.svg in <source-dir> it writes <output-dir>/light/<name>.png
// and <output-dir>/dark/<name>.png. The sources are drawn in the light
// colours; the dark picture is the same source with every light colour listed
// in the palette file replaced by its dark counterpart. A file
// <name>.dark.svg, when present, is used for the dark picture instead.
//
// Palette file: one "#rrggbb #rrggbb" pair a line (light, dark), optionally
// followed by a ';' comment; empty lines and lines starting with ';' are
// ignored.

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <QSvgRenderer>
#include <cstdio>
#include <utility>

namespace {

using Palette = QList<std::pair<QByteArray, QByteArray>>;

bool readPalette(const QString& path, Palette* palette) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "svgrender: cannot read palette %s\n", qPrintable(path));
        return false;
    }
    static const QRegularExpression pair(
        QStringLiteral("^\\s*(#[0-9a-fA-F]{6})\\s+(#[0-9a-fA-F]{6})\\s*(?:;.*)?$"));
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        const QRegularExpressionMatch m = pair.match(line);
        if (!m.hasMatch()) {
            std::fprintf(stderr, "svgrender: %s:%d: expected \"#rrggbb #rrggbb\"\n",
                         qPrintable(path), lineNumber);
            return false;
        }
        palette->append({m.captured(1).toLower().toLatin1(), m.captured(2).toLower().toLatin1()});
    }
    return true;
}

// Colours are replaced in one pass over the source so that a dark colour
// which happens to equal another light colour is not replaced twice.
QByteArray applyPalette(const QByteArray& svg, const Palette& palette) {
    QByteArray out;
    out.reserve(svg.size());
    for (int i = 0; i < svg.size();) {
        bool replaced = false;
        if (svg.at(i) == '#' && i + 7 <= svg.size()) {
            const QByteArray candidate = svg.mid(i, 7).toLower();
            for (const auto& entry : palette) {
                if (entry.first == candidate) {
                    out.append(entry.second);
                    i += 7;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out.append(svg.at(i++));
    }
    return out;
}

bool render(const QByteArray& svg, const QString& name, const QString& target) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "svgrender: %s is not a valid picture\n", qPrintable(name));
        return false;
    }
    const QSize size = renderer.defaultSize();
    if (size.isEmpty()) {
        std::fprintf(stderr, "svgrender: %s has no size\n", qPrintable(name));
        return false;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        renderer.render(&painter);
    }
    // Only touch the file when its content changes, so that an unrelated
    // source edit does not make every resource look new.
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    QFile existing(target);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == png) return true;
    existing.close();
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(png) != png.size() || !out.commit()) {
        std::fprintf(stderr, "svgrender: cannot write %s\n", qPrintable(target));
        return false;
    }
    return true;
}

QByteArray readAll(const QString& path, bool* ok) {
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    if (!*ok) std::fprintf(stderr, "svgrender: cannot read %s\n", qPrintable(path));
    return *ok ? file.readAll() : QByteArray();
}

}  // namespace

int main(int argc, char** argv) {
    // Text in the pictures needs the font database, which needs a GUI
    // application; no display is used.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: %s <source-dir> <dark-palette> <output-dir>\n",
                     qPrintable(QFileInfo(args.value(0)).fileName()));
        return 2;
    }
    const QDir source(args.at(1));
    Palette palette;
    if (!readPalette(args.at(2), &palette)) return 1;
    const QDir output(args.at(3));
    for (const char* theme : {"light", "dark"}) {
        if (!output.mkpath(QString::fromLatin1(theme))) {
            std::fprintf(stderr, "svgrender: cannot create %s/%s\n", qPrintable(output.path()),
                         theme);
            return 1;
        }
    }

    int failures = 0;
    int count = 0;
    const QStringList files = source.entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        if (file.endsWith(QLatin1String(".dark.svg"))) continue;
        const QString name = file.chopped(4);
        bool ok = false;
        const QByteArray light = readAll(source.filePath(file), &ok);
        if (!ok) {
            ++failures;
            continue;
        }
        QByteArray dark;
        const QString darkFile = source.filePath(name + QStringLiteral(".dark.svg"));
        if (QFileInfo::exists(darkFile)) {
            dark = readAll(darkFile, &ok);
            if (!ok) {
                ++failures;
                continue;
            }
        } else {
            dark = applyPalette(light, palette);
        }
        const QString png = name + QStringLiteral(".png");
        if (!render(light, file, output.filePath(QStringLiteral("light/") + png))) ++failures;
        if (!render(dark, file, output.filePath(QStringLiteral("dark/") + png))) ++failures;
        ++count;
    }
    if (failures > 0) {
        std::fprintf(stderr, "svgrender: %d picture(s) failed\n", failures);
        return 1;
    }
    std::printf("svgrender: %d pictures rendered for two themes\n", count);
    return 0;
}
