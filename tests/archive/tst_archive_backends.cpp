#include <QTest>
class ArchiveBackendsTest final : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(ArchiveBackendsTest)
#include "tst_archive_backends.moc"
