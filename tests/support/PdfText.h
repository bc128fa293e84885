#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// A PDF read back as a reader would: its text through pdftotext (laid out as on the page, one page
// per form feed) and its page count through pdfinfo.
namespace PdfText {

inline QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString text(const QString& pdf) { return runTool(QStringLiteral("/usr/bin/pdftotext"), {"-layout", pdf, "-"}); }

// The text of each page.
inline QStringList pages(const QString& pdf)
{
    QStringList list = text(pdf).split(QLatin1Char('\f'));
    if (!list.isEmpty() && list.last().trimmed().isEmpty())
        list.removeLast();
    return list;
}

inline QString info(const QString& pdf, const QString& key)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("%1:\\s+(.*)").arg(key)).match(runTool(QStringLiteral("/usr/bin/pdfinfo"), {pdf}));
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

inline int pageCount(const QString& pdf) { return info(pdf, QStringLiteral("Pages")).toInt(); }

} // namespace PdfText
