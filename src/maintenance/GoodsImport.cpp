#include "maintenance/GoodsImport.h"

#include "core/EngineMessage.h"
#include "core/Database.h"
#include "core/DateText.h"
#include "core/NumberLimits.h"
#include "core/NumberText.h"
#include "core/PinyinInitials.h"
#include "core/Schema.h"
#include "core/ShopContext.h"
#include "core/ShopDatabase.h"

#include <QDate>
#include <QHash>

#include <optional>

namespace quollin {

namespace {

enum Field { A, B, C, D, E, F, G, N1, N2, N3, N4, N5, N6, N7, N8, Z, Day1, FieldCount };

// The sheet's column names, in Field order.
const char *const kColumnNames[FieldCount] = {"a", "b", "c", "d", "e", "f", "g", "a1", "a2",
                                              "a3", "a4", "a5", "a6", "a7", "a8", "z", "day1"};

bool isEmpty(const QVariant &cell)
{
    return !cell.isValid() || (cell.typeId() == QMetaType::QString && cell.toString().trimmed().isEmpty());
}

// What the stock-in panel asks for, in its order, under its words: a row
// without one of them is no goods row the shop could have entered.
struct Required {
    Field field;
    const char *what;
};
const Required kRequired[] = {
    {A, "商品名称"}, {C, "商品编码"}, {D, "商品类别"}, {N1, "进货单价"}, {N2, "进货数量"}, {N4, "销售单价"},
};

// Prices and the purchased quantity are never negative; what was sold, the
// stock and the amounts may be after returns, within the common bound.
bool mayBeNegative(Field f) { return f != N1 && f != N2 && f != N4; }

QString asText(const QVariant &cell)
{
    switch (cell.typeId()) {
    case QMetaType::Double:
        return NumberText::general(cell.toDouble());
    case QMetaType::QDate:
        return DateText::date(cell.toDate());
    case QMetaType::QString:
        return cell.toString();
    default:
        return QString();
    }
}

QString refusal(int sheetRow, Field field, const QString &why)
{
    return QStringLiteral("%1\n工作表“%2”第%3行“%4”列%5，没有导入任何记录。")
        .arg(GoodsImport::failedMessage(), GoodsImport::sheetName())
        .arg(sheetRow)
        .arg(QLatin1String(kColumnNames[field]), why);
}

} // namespace

QString GoodsImport::connectionFailedMessage()
{
    return QStringLiteral("连接ACCESS失败！请联系技术客服QQ:") + supportContact();
}

QString GoodsImport::failedMessage()
{
    return QStringLiteral("批量EXCEL导入失败！请联系技术客服QQ:") + supportContact();
}

GoodsImport::Checked GoodsImport::check(const SheetCells &sheet)
{
    Checked out;
    if (sheet.rows.empty()) {
        out.error = failedMessage();
        return out;
    }
    // Where each field stands in the sheet; e and f may be missing.
    int at[FieldCount];
    std::fill(std::begin(at), std::end(at), -1);
    const std::vector<QVariant> &titles = sheet.rows.front();
    for (int f = 0; f < FieldCount; ++f) {
        for (int c = 0; c < int(titles.size()); ++c) {
            if (asText(titles[c]).trimmed().compare(QLatin1String(kColumnNames[f]), Qt::CaseInsensitive) == 0) {
                at[f] = c;
                break;
            }
        }
        if (at[f] < 0 && f != E && f != F) {
            out.error = failedMessage();
            return out;
        }
    }

    out.rows.reserve(sheet.rows.size() - 1);
    for (size_t r = 1; r < sheet.rows.size(); ++r) {
        const std::vector<QVariant> &row = sheet.rows[r];
        const int sheetRow = int(r) + 1;
        auto cell = [&](Field f) -> QVariant {
            return at[f] >= 0 && at[f] < int(row.size()) ? row[at[f]] : QVariant();
        };
        bool blank = true;
        for (int f = 0; f < FieldCount && blank; ++f)
            blank = isEmpty(cell(Field(f)));
        if (blank)
            continue;

        auto refuse = [&](Field f, const QString &why) {
            out.error = refusal(sheetRow, f, why);
            out.rows.clear();
            return out;
        };
        for (int f = 0; f < FieldCount; ++f)
            if (isUnreadable(cell(Field(f))))
                return refuse(Field(f), QStringLiteral("的值无法读取（公式的结果是错误值，或没有保存结果）"));
        for (const Required &r : kRequired)
            if (isEmpty(cell(r.field)))
                return refuse(r.field, QStringLiteral("没有%1").arg(QString::fromUtf8(r.what)));

        // Texts are kept trimmed, as the stock-in keeps them.
        GoodsRecord g;
        g.name = asText(cell(A)).trimmed();
        g.specification = asText(cell(B)).trimmed();
        g.code = asText(cell(C)).trimmed();
        g.category = asText(cell(D)).trimmed();
        g.nameInitials = asText(cell(E)).trimmed();
        g.specInitials = asText(cell(F)).trimmed();
        g.supplier = asText(cell(G)).trimmed();
        g.remarks = asText(cell(Z)).trimmed();
        // Without initials the live search can never find the row.
        if (g.nameInitials.isEmpty())
            g.nameInitials = PinyinInitials(g.name);
        if (g.specInitials.isEmpty())
            g.specInitials = PinyinInitials(g.specification);

        std::optional<double> *amounts[] = {&g.purchasePrice, &g.quantity,     &g.purchaseAmount, &g.salePrice,
                                            &g.soldQuantity,  &g.salesAmount,  &g.stockQuantity,  &g.stockValue};
        for (int f = N1; f <= N8; ++f) {
            const QVariant value = cell(Field(f));
            if (isEmpty(value))
                continue;
            std::optional<double> number;
            if (value.typeId() == QMetaType::Double)
                number = value.toDouble();
            else if (value.typeId() == QMetaType::QString)
                number = NumberText::parseDecimal(value.toString());
            if (!number)
                return refuse(Field(f), QStringLiteral("的“%1”不是数字").arg(asText(value)));
            if (!NumberLimits::inRange(*number))
                return refuse(Field(f), QStringLiteral("的“%1”超出了可以保存的范围").arg(asText(value)));
            if (!mayBeNegative(Field(f)) && !NumberLimits::inRangeNotNegative(*number))
                return refuse(Field(f), QStringLiteral("的“%1”不能为负数").arg(asText(value)));
            *amounts[f - N1] = *number;
        }

        const QVariant day = cell(Day1);
        QDate date;
        if (day.typeId() == QMetaType::QDate)
            date = day.toDate();
        else if (day.typeId() == QMetaType::QString)
            date = DateText::parseDate(day.toString());
        if (!date.isValid())
            return refuse(Day1, isEmpty(day) ? QStringLiteral("没有入库日期")
                                             : QStringLiteral("的“%1”不是日期（yyyy-mm-dd）").arg(asText(day)));
        g.day1 = DateText::date(date);
        out.rows.push_back(std::move(g));
    }
    return out;
}

GoodsImport::Outcome GoodsImport::run(const QString &workbook, const QString &database)
{
    m_shop.demand(OperatorRestrictions::Command::NewStockIn);
    Outcome out;
    const QString sheetPath = workbook.trimmed();
    const QString dbPath = database.trimmed();
    if (sheetPath.isEmpty() || dbPath.isEmpty()) {
        out.result = Result::MissingPath;
        out.message = missingPathMessage();
        return out;
    }

    std::unique_ptr<Database> db;
    try {
        db = Database::open(dbPath, QByteArray(ShopDatabase::kKey), Database::OpenMode::ExistingOnly);
        Schema::verify(*db);
        db->useDurableJournal();
    } catch (const DbError &) {
        out.result = Result::ConnectionFailed;
        out.message = connectionFailedMessage();
        return out;
    }

    const SheetRead read = readWorkbookSheet(sheetPath, sheetName());
    if (!read.ok) {
        out.message = failedMessage();
        return out;
    }
    const Checked checked = check(read.cells);
    if (!checked.error.isEmpty()) {
        out.message = checked.error;
        return out;
    }

    try {
        ShopTransaction transaction(m_shop, *db);
        Statement insert = db->prepare(QStringLiteral(
            "INSERT INTO data (a,b,c,d,e,f,g,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",z,day1) "
            "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        for (const GoodsRecord &g : checked.rows) {
            const QString texts[] = {g.name, g.specification, g.code, g.category, g.nameInitials, g.specInitials, g.supplier};
            int index = 1;
            for (const QString &text : texts)
                insert.bind(index++, text);
            for (const std::optional<double> &amount : {g.purchasePrice, g.quantity, g.purchaseAmount, g.salePrice,
                                                        g.soldQuantity, g.salesAmount, g.stockQuantity, g.stockValue}) {
                if (amount)
                    insert.bind(index++, *amount);
                else
                    insert.bindNull(index++);
            }
            insert.bind(index++, g.remarks);
            insert.bind(index++, g.day1);
            insert.exec();
            insert.reset();
        }
        transaction.changes().goods.all();
        transaction.commit();
    } catch (const DbError &e) {
        out.message = failedMessage() + QLatin1Char('\n') + engineMessage(e);
        return out;
    }
    out.result = Result::Done;
    out.rows = int(checked.rows.size());
    out.message = doneMessage();
    return out;
}

} // namespace quollin
