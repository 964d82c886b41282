// zentaro-qssdark LIGHT_QSS COLOUR_TABLE OUT_QSS
//
// Writes the dark style sheet: the light one with every colour inside a rule
// replaced by its dark colour from the table and the light picture folder
// replaced by the dark one. The light sheet is the only one edited by hand.
//
// Table lines: `[property:] light dark ; comment`, colours as #rrggbb, #rgb or
// rgb()/rgba(). An entry with a property applies to that property only and
// wins over the plain entry (white text on the accent stays white, white
// cards turn dark). A colour inside a rule that the table does not name is
// kept and reported, so that a new colour in the light sheet is noticed.
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <cstdio>

namespace {

const QRegularExpression& colourPattern() {
    static const QRegularExpression re(
        QStringLiteral(R"(#[0-9a-fA-F]{6}(?![0-9a-zA-Z_-])|#[0-9a-fA-F]{3}(?![0-9a-zA-Z_-])|)"
                       R"(rgba?\([^)]*\))"));
    return re;
}

// Colours compare without case and spaces: "RGB(1, 2, 3)" is "rgb(1,2,3)".
QString key(const QString& colour) {
    QString k = colour.toLower();
    k.remove(QLatin1Char(' '));
    return k;
}

struct Table {
    QHash<QString, QString> plain;                       // colour -> dark
    QHash<QString, QHash<QString, QString>> byProperty;  // property -> colour -> dark
};

bool readTable(const QString& path, Table* table) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "zentaro-qssdark: cannot read %s\n", qPrintable(path));
        return false;
    }
    static const QRegularExpression line(
        QStringLiteral(R"(^\s*(?:([a-z-]+)\s*:\s*)?(#[0-9a-fA-F]{3,6}|rgba?\([^)]*\))\s+)"
                       R"((#[0-9a-fA-F]{3,6}|rgba?\([^)]*\))\s*(?:;.*)?$)"));
    int number = 0;
    while (!file.atEnd()) {
        const QString text = QString::fromUtf8(file.readLine()).trimmed();
        ++number;
        if (text.isEmpty() || text.startsWith(QLatin1Char(';'))) continue;
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch()) {
            std::fprintf(stderr, "%s:%d: not `[property:] light dark`\n", qPrintable(path), number);
            return false;
        }
        const QString property = m.captured(1);
        if (property.isEmpty())
            table->plain.insert(key(m.captured(2)), m.captured(3));
        else
            table->byProperty[property].insert(key(m.captured(2)), m.captured(3));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: zentaro-qssdark LIGHT_QSS COLOUR_TABLE OUT_QSS\n");
        return 2;
    }
    Table table;
    if (!readTable(args.at(2), &table)) return 1;
    QFile in(args.at(1));
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "zentaro-qssdark: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QStringList lines = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'));

    static const QRegularExpression propertyName(QStringLiteral(R"(^\s*([a-zA-Z-]+)\s*:)"));
    QStringList out;
    int depth = 0;  // inside a rule's braces: selectors (#objectName) are never touched
    bool inComment = false;
    for (int i = 0; i < lines.size(); ++i) {
        QString text = lines.at(i);
        const bool comment = inComment || text.trimmed().startsWith(QLatin1String("/*"));
        if (text.contains(QLatin1String("/*"))) inComment = true;
        if (text.contains(QLatin1String("*/"))) inComment = false;
        const int opening = text.indexOf(QLatin1Char('{'));
        if (depth > 0 || opening >= 0) {
            const int from = depth > 0 ? 0 : opening;
            const QString property = propertyName.match(text).captured(1);
            const QHash<QString, QString> special = table.byProperty.value(property);
            QString tail = text.mid(from);
            QString replaced;
            int last = 0;
            auto it = colourPattern().globalMatch(tail);
            while (it.hasNext()) {
                const QRegularExpressionMatch m = it.next();
                const QString k = key(m.captured());
                QString dark;
                if (special.contains(k))
                    dark = special.value(k);
                else if (table.plain.contains(k))
                    dark = table.plain.value(k);
                else {
                    dark = m.captured();
                    if (!comment)
                        std::fprintf(stderr, "%s:%d: %s has no dark colour; kept\n",
                                     qPrintable(args.at(1)), i + 1, qPrintable(m.captured()));
                }
                replaced += tail.mid(last, m.capturedStart() - last) + dark;
                last = m.capturedEnd();
            }
            replaced += tail.mid(last);
            text = text.left(from) + replaced;
        }
        text.replace(QLatin1String(":/images/images/light/"),
                     QLatin1String(":/images/images/dark/"));
        depth += int(text.count(QLatin1Char('{'))) - int(text.count(QLatin1Char('}')));
        if (depth < 0) depth = 0;
        out.append(text);
    }

    QSaveFile file(args.at(3));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        std::fprintf(stderr, "zentaro-qssdark: cannot write %s\n", qPrintable(args.at(3)));
        return 1;
    }
    const QByteArray header =
        "/* Generated at build time from light.qss and dark-colours.txt: edit those. */\n";
    file.write(header + out.join(QLatin1Char('\n')).toUtf8());
    return file.commit() ? 0 : 1;
}
