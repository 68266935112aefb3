#include <QTest>
class ArchiveIntegrationTest final : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(ArchiveIntegrationTest)
#include "tst_archive_integration.moc"
