// Builds the Debian package from the build folder with cpack and checks it as
// a Debian maintainer would: its name, its control fields, what it installs
// where, and what lintian, desktop-file-validate and appstreamcli say of it.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{

struct Run {
    int exitCode = -1;
    QString output; // standard output and error together
};

Run run(const QString &program, const QStringList &arguments, int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {-1, QStringLiteral("%1 did not finish: %2")
                        .arg(program, QString::fromLocal8Bit(process.readAll()))};
    }
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, QString::fromLocal8Bit(process.readAll())};
}

} // namespace

class PackageTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void namedAfterVersionAndArchitecture();
    void controlFields();
    void installsUnderUsr_data();
    void installsUnderUsr();
    void programLinksPointIntoTheProgramFolder();
    void lintianFindsNoError();
    void desktopEntryIsValid();
    void appStreamMetadataIsValidAndComplete();

private:
    QString field(const QString &name) const;
    QString extracted(const QString &path) const { return m_root.filePath(path); }

    QTemporaryDir m_work; // cpack's folder
    QTemporaryDir m_root; // the package's files, unpacked
    QString m_deb;
    QString m_architecture;
};

void PackageTest::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty())
        QSKIP("dpkg-deb is not installed: no Debian package can be built here");
    QVERIFY(m_work.isValid() && m_root.isValid());
    const QString build = qEnvironmentVariable("TUNELET_BUILD_DIR");
    const Run pack =
        run(qEnvironmentVariable("TUNELET_CPACK"),
            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
             build + QStringLiteral("/CPackConfig.cmake"), QStringLiteral("-B"), m_work.path()},
            240000);
    QVERIFY2(pack.exitCode == 0, qPrintable(pack.output));
    const QStringList debs = QDir(m_work.path()).entryList({QStringLiteral("*.deb")});
    QVERIFY2(debs.size() == 1, qPrintable(pack.output));
    m_deb = m_work.filePath(debs.first());

    const Run architecture = run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")});
    QCOMPARE(architecture.exitCode, 0);
    m_architecture = architecture.output.trimmed();
    const Run unpack =
        run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root.path()});
    QVERIFY2(unpack.exitCode == 0, qPrintable(unpack.output));
}

QString PackageTest::field(const QString &name) const
{
    return run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, name}).output.trimmed();
}

void PackageTest::namedAfterVersionAndArchitecture()
{
    const QString version = qEnvironmentVariable("TUNELET_VERSION");
    QCOMPARE(QFileInfo(m_deb).fileName(),
             QStringLiteral("tunelet_%1_%2.deb").arg(version, m_architecture));
    QCOMPARE(field(QStringLiteral("Package")), QStringLiteral("tunelet"));
    QCOMPARE(field(QStringLiteral("Version")), version);
    QCOMPARE(field(QStringLiteral("Architecture")), m_architecture);
}

void PackageTest::controlFields()
{
    // Computed from the binaries: the libraries they link, with versions.
    const QString depends = field(QStringLiteral("Depends"));
    for (const char *library : {"libc6 (>=", "libqt6widgets6 (>=", "libsdl2-2.0-0 (>=",
                                "libarchive13 (>=", "fonts-ipafont-gothic"})
        QVERIFY2(depends.contains(QLatin1String(library)), qPrintable(depends));
    QCOMPARE(field(QStringLiteral("Section")), QStringLiteral("sound"));
    QVERIFY(!field(QStringLiteral("Maintainer")).isEmpty());
    const QStringList description = field(QStringLiteral("Description")).split(QLatin1Char('\n'));
    QVERIFY2(description.size() > 3, "the description has no extended part");
    // The changelog's newest entry is this version.
    const Run changelog = run(
        QStringLiteral("gzip"),
        {QStringLiteral("-dc"), extracted(QStringLiteral("usr/share/doc/tunelet/changelog.gz"))});
    QVERIFY2(changelog.output.startsWith(
                 QStringLiteral("tunelet (%1) ").arg(field(QStringLiteral("Version")))),
             qPrintable(changelog.output.left(80)));
}

void PackageTest::installsUnderUsr_data()
{
    QTest::addColumn<QString>("path");
    for (const char *file : {"libexec/tunelet/tunelet",
                             "libexec/tunelet/sonaro",
                             "libexec/tunelet/mid2snr",
                             "libexec/tunelet/libunlha32.so",
                             "libexec/tunelet/libunzip32.so",
                             "libexec/tunelet/libzip32j.so",
                             "libexec/tunelet/libtar32.so",
                             "libexec/tunelet/libcab32.so",
                             "libexec/tunelet/libunrar32.so",
                             "share/applications/tunelet.desktop",
                             "share/metainfo/org.example.tunelet.metainfo.xml",
                             "share/mime/packages/tunelet.xml",
                             "share/icons/hicolor/scalable/apps/tunelet.svg",
                             "share/icons/hicolor/48x48/apps/tunelet.png",
                             "share/man/man1/tunelet.1.gz",
                             "share/man/man1/sonaro.1.gz",
                             "share/man/man1/mid2snr.1.gz",
                             "share/tunelet/tunelet.html",
                             "share/tunelet/examples/examples.ppl",
                             "share/tunelet/examples/morning-walk.snr",
                             "share/tunelet/examples/evening-waltz.mid",
                             "share/tunelet/examples/harbor-lights.lzh",
                             "share/doc/tunelet/copyright",
                             "share/doc/tunelet/changelog.gz"})
        QTest::newRow(file) << QStringLiteral("usr/") + QLatin1String(file);
}

void PackageTest::installsUnderUsr()
{
    QFETCH(QString, path);
    const QFileInfo info(extracted(path));
    QVERIFY2(info.isFile() && info.size() > 0, qPrintable(path));
    // Nothing outside /usr.
    QCOMPARE(QDir(m_root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("usr")});
}

void PackageTest::programLinksPointIntoTheProgramFolder()
{
    for (const char *program : {"tunelet", "sonaro", "mid2snr"}) {
        const QFileInfo link(extracted(QStringLiteral("usr/bin/") + QLatin1String(program)));
        QVERIFY2(link.isSymLink(), program);
        // Relative, so the link holds wherever the package's root is.
        QCOMPARE(link.symLinkTarget(),
                 extracted(QStringLiteral("usr/libexec/tunelet/") + QLatin1String(program)));
    }
}

void PackageTest::lintianFindsNoError()
{
    const Run lintian =
        run(QStringLiteral("lintian"),
            {QStringLiteral("--fail-on"), QStringLiteral("error"), QStringLiteral("--allow-root"),
             QStringLiteral("--tag-display-limit"), QStringLiteral("0"), m_deb},
            300000);
    QVERIFY2(lintian.exitCode == 0, qPrintable(lintian.output));
    QVERIFY2(!lintian.output.contains(QLatin1String("\nE: ")) &&
                 !lintian.output.startsWith(QLatin1String("E: ")),
             qPrintable(lintian.output));
}

void PackageTest::desktopEntryIsValid()
{
    const Run validate = run(QStringLiteral("desktop-file-validate"),
                             {extracted(QStringLiteral("usr/share/applications/tunelet.desktop"))});
    QVERIFY2(validate.exitCode == 0 && validate.output.trimmed().isEmpty(),
             qPrintable(validate.output));
}

void PackageTest::appStreamMetadataIsValidAndComplete()
{
    const QString metainfo =
        extracted(QStringLiteral("usr/share/metainfo/org.example.tunelet.metainfo.xml"));
    const Run validate = run(QStringLiteral("appstreamcli"),
                             {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo});
    QVERIFY2(validate.exitCode == 0, qPrintable(validate.output));

    QFile file(metainfo);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    for (const char *element : {"<summary>", "<description>", "<screenshot ", "<content_rating ",
                                "<launchable type=\"desktop-id\">tunelet.desktop</launchable>"})
        QVERIFY2(xml.contains(element), element);
    const QByteArray release =
        "<release version=\"" + qEnvironmentVariable("TUNELET_VERSION").toUtf8() + '"';
    QVERIFY2(xml.contains(release), "no release entry for the package's version");
}

QTEST_GUILESS_MAIN(PackageTest)
#include "tst_package.moc"
