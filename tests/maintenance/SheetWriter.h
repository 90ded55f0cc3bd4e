#pragma once

#include <QJsonArray>
#include <QStringList>
#include <QString>

namespace quollin::test {

// Cells for a test workbook: numbers, texts, QJsonValue() for an empty cell,
// day("2024-03-01") for a date cell.
QJsonValue day(const QString &isoDate);

struct TestSheet {
    QString name;
    QJsonArray rows; // each a QJsonArray of cells
};

// Writes an .xls workbook with the given sheets; returns the error text, empty
// when written.
QString writeWorkbook(const QString &path, const QList<TestSheet> &sheets);
// The same as an .xlsx workbook, as a spreadsheet program saves it (texts
// shared, formulas with their results), optionally spoilt as write_xlsx.py
// describes ("truncated", "oversized", ...). Cells may also be
// runs({"可口", "可乐"}) and inlineText("...").
QString writeXlsxWorkbook(const QString &path, const QList<TestSheet> &sheets, const QString &damage = QString());
QJsonValue runs(const QStringList &pieces);
QJsonValue inlineText(const QString &text);

// The import's column titles in the order the tests write them.
QJsonArray goodsTitles(bool withInitials = true);
// One row under goodsTitles(): a name, a specification and numbers that
// follow from price and quantity.
QJsonArray goodsRow(const QString &name, const QString &spec, double price, double quantity, const QString &date,
                    bool withInitials = true);

} // namespace quollin::test
