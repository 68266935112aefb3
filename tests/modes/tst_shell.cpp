// The desktop-shell seam: finding the first of several programs on a PATH,
// and starting a program detached.
#include "tests/modes/ModesTests.h"

#include "platform/core/ByteFile.h"
#include "platform/shell/ProgramSearch.h"
#include "platform/shell/SystemDesktopShell.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace
{

class ShellTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void findsTheFirstNameFirst();
    void skipsFilesThatCannotRun();
    void searchesTheFoldersInOrder();
    void nothingFound();
    void nameWithAFolder();
    void startsAProgram_data();
    void startsAProgram();
    void missingProgramDoesNotStart();

private:
    QByteArray makeFile(const QByteArray &folder, const QByteArray &name, bool executable);
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_a;
    QByteArray m_b;
};

QByteArray ShellTest::makeFile(const QByteArray &folder, const QByteArray &name, bool executable)
{
    const QString path = QFile::decodeName(folder + '/' + name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n");
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    file.setPermissions(permissions);
    return QFile::encodeName(path);
}

void ShellTest::init()
{
    // A fresh folder for each test.
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const QByteArray root = QFile::encodeName(m_dir->path());
    m_a = root + "/a";
    m_b = root + "/b";
    QDir().mkpath(QFile::decodeName(m_a));
    QDir().mkpath(QFile::decodeName(m_b));
}

void ShellTest::findsTheFirstNameFirst()
{
    makeFile(m_a, "pwvucontrol", true);
    const QByteArray pavu = makeFile(m_b, "pavucontrol", true);
    QCOMPARE(tunelet::findFirstProgram({"pavucontrol", "pwvucontrol"}, m_a + ':' + m_b), pavu);
}

void ShellTest::skipsFilesThatCannotRun()
{
    makeFile(m_a, "plain", false);
    const QByteArray runnable = makeFile(m_b, "plain", true);
    QCOMPARE(tunelet::findFirstProgram({"plain"}, m_a + ':' + m_b), runnable);
    QDir().mkpath(QFile::decodeName(m_a + "/folder"));
    QVERIFY(tunelet::findFirstProgram({"folder"}, m_a).isEmpty());
}

void ShellTest::searchesTheFoldersInOrder()
{
    const QByteArray first = makeFile(m_a, "tool", true);
    makeFile(m_b, "tool", true);
    QCOMPARE(tunelet::findFirstProgram({"tool"}, m_a + ":" + m_b), first);
    QCOMPARE(tunelet::findFirstProgram({"tool"}, m_b + "/:" + m_a), m_b + "/tool");
}

void ShellTest::nothingFound()
{
    QVERIFY(tunelet::findFirstProgram({"pavucontrol", "pwvucontrol"}, m_a).isEmpty());
    QVERIFY(tunelet::findFirstProgram({}, m_a).isEmpty());
    QVERIFY(tunelet::findFirstProgram({"tool"}, QByteArray()).isEmpty());
}

void ShellTest::nameWithAFolder()
{
    const QByteArray tool = makeFile(m_a, "tool", true);
    // A path is taken as it is, not looked for along PATH.
    QCOMPARE(tunelet::findFirstProgram({tool}, m_b), tool);
    QVERIFY(tunelet::findFirstProgram({"a/tool"}, m_b).isEmpty());
}

void ShellTest::startsAProgram_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("text") << QByteArray("started ソング");
    // Shift-JIS bytes, no UTF-8: the argument must arrive byte for byte.
    QTest::newRow("shift-jis") << QByteArray("started \x83\x5c\x83\x93\x83\x4f");
}

void ShellTest::startsAProgram()
{
    QFETCH(QByteArray, name);
    const QByteArray marker = QFile::encodeName(m_dir->path()) + "/" + name;
    const QByteArray script = makeFile(m_a, "touch-it", true);
    QFile file(QFile::decodeName(script));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\ntouch \"$1\"\n");
    file.close();
    tunelet::SystemDesktopShell shell;
    QVERIFY(shell.startProgram(script, {marker}));
    QTRY_VERIFY(tunelet::isExistingFile(marker));
    // By its bytes, as the folder's own clean-up would not find it.
    QVERIFY(tunelet::removeFile(marker));
}

void ShellTest::missingProgramDoesNotStart()
{
    tunelet::SystemDesktopShell shell;
    QVERIFY(!shell.startProgram(m_a + "/no-such-program", {"x"}));
}

} // namespace

int runShellTests(int argc, char **argv)
{
    ShellTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shell.moc"
