#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>

namespace tunelet::testkit
{

// An INI text taken apart: section names in file order, a section's keys with
// their values in file order, and one value ("<missing>" when absent).
QStringList sectionsOf(const QByteArray &ini);
QList<QPair<QByteArray, QByteArray>> entriesOf(const QByteArray &ini, const QByteArray &section);
QByteArray iniValue(const QByteArray &ini, const QByteArray &section, const QByteArray &key);

} // namespace tunelet::testkit
