// The desktop entry and the application icons: the entry passes desktop-file-validate (also
// with the absolute Exec the run script writes), and an install into a fresh prefix puts the
// entry and every icon where desktops look for them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Result
{
    int exitCode = -1;
    QString output;
};

Result run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

} // namespace

TEST(DesktopEntry, ValidatesAsShippedAndWithTheRunScriptsExec)
{
    const Result shipped = run(QStringLiteral("desktop-file-validate"), {QStringLiteral(NIMBREL_DESKTOP_ENTRY)});
    EXPECT_EQ(shipped.exitCode, 0) << shipped.output.toStdString();
    EXPECT_TRUE(shipped.output.trimmed().isEmpty()) << shipped.output.toStdString();

    QFile source(QStringLiteral(NIMBREL_DESKTOP_ENTRY));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(source.readAll());
    ASSERT_TRUE(text.contains(QStringLiteral("\nExec=nimbrel-core\n")));
    text.replace(QStringLiteral("\nExec=nimbrel-core\n"), QStringLiteral("\nExec=\"/home/a user/build release/nimbrel-core\"\n"));
    QTemporaryDir folder;
    QFile local(folder.filePath(QStringLiteral("nimbrel-core.desktop")));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly));
    local.write(text.toUtf8());
    local.close();
    const Result rewritten = run(QStringLiteral("desktop-file-validate"), {local.fileName()});
    EXPECT_EQ(rewritten.exitCode, 0) << rewritten.output.toStdString();
}

TEST(DesktopEntry, InstallPlacesTheEntryTheScalableIconAndEveryPngSize)
{
    QTemporaryDir prefix;
    const Result install = run(QStringLiteral(NIMBREL_CMAKE_COMMAND),
                               {QStringLiteral("--install"), QStringLiteral(NIMBREL_BINARY_DIR), QStringLiteral("--prefix"), prefix.path()});
    ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();
    const QDir share(prefix.filePath(QStringLiteral("share")));
    EXPECT_TRUE(QFileInfo::exists(share.filePath(QStringLiteral("applications/nimbrel-core.desktop"))));
    EXPECT_TRUE(QFileInfo::exists(share.filePath(QStringLiteral("icons/hicolor/scalable/apps/nimbrel-core.svg"))));
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const QImage icon(share.filePath(QStringLiteral("icons/hicolor/%1x%1/apps/nimbrel-core.png").arg(size)));
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_GT(qAlpha(icon.pixel(size / 2, size / 2)), 0); // drawn, not empty
    }
}
