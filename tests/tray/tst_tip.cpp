// Tips as byte strings: cut at 62 bytes on a character boundary, modified
// only when they change, decoded as UTF-8 or Shift-JIS for display.

#include "tests/tray/TrayTestSupport.h"
#include "tray/TipText.h"

#include <QStringDecoder>
#include <QTest>

namespace
{

QByteArray Repeat(const QByteArray &unit, int times)
{
    QByteArray bytes;
    for (int i = 0; i < times; ++i)
        bytes += unit;
    return bytes;
}

// "ア" in Shift-JIS, a two-byte character whose second byte is 'A'.
const QByteArray ShiftJisA("\x83\x41");
// "あ" in UTF-8.
const QByteArray Utf8A("\xE3\x81\x82");

} // namespace

class TestTrayTip final : public QObject
{
    Q_OBJECT

private slots:
    void init() { QCOMPARE(TTrayIcon::Count(), 0); }

    void cutOnCharacterBoundary_data()
    {
        QTest::addColumn<QByteArray>("tip");
        QTest::addColumn<QByteArray>("kept");
        QTest::newRow("70 single bytes") << QByteArray(70, 'x') << QByteArray(62, 'x');
        QTest::newRow("62 single bytes") << QByteArray(62, 'y') << QByteArray(62, 'y');
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("utf-8 three-byte characters") << Repeat(Utf8A, 21) << Repeat(Utf8A, 20);
        QTest::newRow("utf-8 after one ascii byte")
            << "a" + Repeat(Utf8A, 21) << "a" + Repeat(Utf8A, 20);
        QTest::newRow("utf-8 after two ascii bytes")
            << "ab" + Repeat(Utf8A, 21) << "ab" + Repeat(Utf8A, 20);
        QTest::newRow("shift-jis two-byte characters")
            << Repeat(ShiftJisA, 35) << Repeat(ShiftJisA, 31);
        QTest::newRow("shift-jis after one ascii byte")
            << "a" + Repeat(ShiftJisA, 35) << "a" + Repeat(ShiftJisA, 30);
        QTest::newRow("shift-jis half-width katakana")
            << QByteArray(70, '\xB1') << QByteArray(62, '\xB1');
    }

    void cutOnCharacterBoundary()
    {
        QFETCH(QByteArray, tip);
        QFETCH(QByteArray, kept);
        TrayFixture tray;
        tray.icon->SetTipHelp(tip);
        QCOMPARE(tray.icon->TipHelp(), kept);
        QVERIFY(tray.icon->TipHelp().size() <= 62);
    }

    void longTipKeeps62BytesAndSameTipModifiesNothing()
    {
        TrayFixture tray;
        tray.icon->SetIcon(MakeIcon());
        tray.icon->SetVisible(true);
        const QByteArray seventy = QByteArray("0123456789").repeated(7);
        tray.icon->SetTipHelp(seventy);
        QCOMPARE(tray.icon->TipHelp(), seventy.left(62));
        QCOMPARE(tray.area.countOf(nmModify), 1);
        QCOMPARE(tray.area.calls().last().data.Tip(), seventy.left(62));

        tray.icon->SetTipHelp(seventy.left(62));
        QCOMPARE(tray.area.countOf(nmModify), 1);
        tray.icon->SetTipHelp(seventy);
        QCOMPARE(tray.area.countOf(nmModify), 1);
    }

    void tipChangeWhileNotRegisteredModifiesNothing()
    {
        TrayFixture tray;
        tray.icon->SetTipHelp("Song");
        QCOMPARE(tray.icon->TipHelp(), QByteArray("Song"));
        QVERIFY(tray.area.calls().isEmpty());
    }

    void emptyTipDropsTheTipFlag()
    {
        TrayFixture tray;
        tray.icon->SetIcon(MakeIcon());
        tray.icon->SetVisible(true);
        tray.icon->SetTipHelp(QByteArray());
        QCOMPARE(tray.area.calls().last().message, nmModify);
        QCOMPARE(tray.area.calls().last().data.flags, 3u);
        QCOMPARE(tray.area.calls().last().data.Tip(), QByteArray());
    }

    void recordTipIsTerminated()
    {
        TNotifyIconData data;
        data.SetTip(QByteArray(80, 'z'));
        QCOMPARE(data.Tip(), QByteArray(63, 'z'));
        QCOMPARE(data.tip.back(), '\0');
        data.SetTip("ab");
        QCOMPARE(data.Tip(), QByteArray("ab"));
    }

    void decodesUtf8()
    {
        QCOMPARE(DecodeTipText(Repeat(Utf8A, 2)), QStringLiteral("ああ"));
        QCOMPARE(DecodeTipText("Tunelet"), QStringLiteral("Tunelet"));
    }

    void decodesShiftJis()
    {
        if (!QStringDecoder("Shift_JIS").isValid())
            QSKIP("This Qt has no Shift-JIS decoder");
        QCOMPARE(DecodeTipText(Repeat(ShiftJisA, 2)), QStringLiteral("アア"));
        TrayFixture tray;
        tray.icon->SetTipHelp(QByteArray("\x83\x65\x83\x58\x83\x67"));
        QCOMPARE(tray.icon->TipText(), QStringLiteral("テスト"));
    }

    void validUtf8Check()
    {
        QVERIFY(IsValidUtf8("plain"));
        QVERIFY(IsValidUtf8(Utf8A));
        QVERIFY(!IsValidUtf8(ShiftJisA));
        QVERIFY(!IsValidUtf8(Utf8A.left(2)));
    }
};

int RunTipTests(int argc, char **argv)
{
    TestTrayTip tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_tip.moc"
