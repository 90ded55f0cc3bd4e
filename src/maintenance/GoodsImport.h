#pragma once

#include "goods/GoodsRecord.h"
#include "maintenance/SheetCells.h"

#include <QString>

#include <vector>

namespace quollin {

class ShopContext;

// Loads goods rows from the worksheet "morvel" of a workbook into table data
// of a shop file. All or nothing: every row is read and checked before the
// first is written, and the rows go in with one transaction.
class GoodsImport {
public:
    explicit GoodsImport(ShopContext &shop) : m_shop(shop) {}

    static QString sheetName() { return QStringLiteral("morvel"); }
    // The number the failure messages send the operator to.
    static QString supportContact() { return QStringLiteral("800058858"); }

    static QString missingPathMessage() { return QStringLiteral("请正确选择相关路径！"); }
    static QString connectionFailedMessage();
    static QString failedMessage();
    static QString doneMessage() { return QStringLiteral("批量EXCEL导入成功！请退出在主界面中点全部记录查看"); }

    // The sheet's rows as goods records, or the first refusal (naming the
    // sheet row, counted as the spreadsheet counts them, and the column).
    // Rows without any value are passed over. A row meets the stock-in's
    // rule: name, code, category, prices and quantity present, numbers
    // within NumberLimits (prices and quantity not negative), texts trimmed.
    // Empty e and f are computed from the name and the specification.
    struct Checked {
        std::vector<GoodsRecord> rows;
        QString error; // empty when every row passed
    };
    static Checked check(const SheetCells &sheet);

    enum class Result { Done, MissingPath, ConnectionFailed, Failed };
    struct Outcome {
        Result result = Result::Failed;
        QString message; // what the operator is shown
        int rows = 0;
    };
    // Imports the workbook (.xls or .xlsx) at `workbook` into the shop file at
    // `database` (any file our key opens, usually the one in use) through a
    // connection of its own. Announces the reload after the commit.
    Outcome run(const QString &workbook, const QString &database);

private:
    ShopContext &m_shop;
};

} // namespace quollin
