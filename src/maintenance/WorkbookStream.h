#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quollin {

// The workbook stream of an Excel 97-2003 file (the BIFF records, "Workbook",
// or "Book" in files of Excel 5 and 95) out of its compound-document
// container. Empty when the file is no such container or holds no workbook.
std::optional<QByteArray> readWorkbookStream(const QString &path);

} // namespace quollin
