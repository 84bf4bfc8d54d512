// Writes the English column of the window's language table as a script for the web page:
// `const Text = { Name: "text", ... };`, each row under its name in the header that numbers the
// rows (given as the one argument), so the page and the window speak from one table.
#include "LanguageTable.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LanguageTable.h\n", argv[0]);
        return 2;
    }
    QFile header(QString::fromLocal8Bit(argv[1]));
    if (!header.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const QString rows = QString::fromUtf8(header.readAll());
    auto table = std::make_unique<zarnith::LanguageStrings>();
    zarnith::InitLanguageTable(*table);

    QJsonObject texts;
    static const QRegularExpression row(QStringLiteral(R"(inline constexpr int (\w+) = (\d+);)"));
    bool inRows = false;
    for (const QString& line : rows.split('\n')) {
        if (line.startsWith(QStringLiteral("namespace Row")))
            inRows = true;
        else if (line.startsWith(QStringLiteral("} // namespace Row")))
            inRows = false;
        const QRegularExpressionMatch match = row.match(line);
        if (!inRows || !match.hasMatch())
            continue;
        const int number = match.captured(2).toInt();
        if (number < 0 || number >= zarnith::LanguageRowCount)
            continue;
        texts.insert(match.captured(1), QString::fromStdString((*table)[number * 2 + zarnith::English]));
    }
    if (texts.isEmpty()) {
        std::fprintf(stderr, "%s: no rows named in %s\n", argv[0], argv[1]);
        return 1;
    }
    QTextStream out(stdout);
    out << "const Text = " << QJsonDocument(texts).toJson(QJsonDocument::Compact) << ";\n";
    return 0;
}
