#include "widgets/GridWorkbook.h"

#include "core/DateText.h"
#include "core/NumberText.h"

#include <QFile>

#include <xlsxwriter.h>

namespace quollin::GridWorkbook {

namespace {

QByteArray utf8(const QString &text) { return text.toUtf8(); }

} // namespace

Result write(const GridReport &report, const QString &title, const QString &path, const Progress &progress)
{
    Result result;
    const QByteArray file = QFile::encodeName(path);
    // Row by row to the file: a large grid never sits in memory twice.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(file.constData(), &options);
    if (!book) {
        result.error = QStringLiteral("无法创建文件：") + path;
        return result;
    }
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    lxw_format *titleFormat = workbook_add_format(book);
    format_set_bold(titleFormat);
    format_set_font_size(titleFormat, 14);
    lxw_format *headFormat = workbook_add_format(book);
    format_set_bold(headFormat);
    format_set_align(headFormat, LXW_ALIGN_CENTER);
    format_set_border(headFormat, LXW_BORDER_THIN);
    format_set_bg_color(headFormat, 0xE8E8E8);
    lxw_format *footFormat = workbook_add_format(book);
    format_set_bold(footFormat);
    format_set_align(footFormat, LXW_ALIGN_CENTER);

    const GridModel &model = *report.model;
    const int shown = int(report.columns.size());
    for (int i = 0; i < shown; ++i) {
        // Screen pixels to character widths, roughly.
        const double width = i < int(report.widths.size()) ? report.widths[size_t(i)] / 7.0 : 10.0;
        worksheet_set_column(sheet, lxw_col_t(i), lxw_col_t(i), qBound(4.0, width, 60.0), nullptr);
    }

    worksheet_write_string(sheet, 0, 3, utf8(title).constData(), titleFormat);
    worksheet_write_string(sheet, 1, 0, utf8(QStringLiteral("制表人：") + report.operatorName).constData(), nullptr);
    worksheet_write_string(sheet, 1, 5,
                           utf8(QStringLiteral("制表时间：") + DateText::dateTime(report.madeAt)).constData(), nullptr);

    // The group line: neighbours sharing a group share one merged cell; a
    // column without a group has its title on the column line only.
    for (int i = 0; i < shown;) {
        const QString group = model.column(report.columns[size_t(i)]).group;
        int last = i;
        while (!group.isEmpty() && last + 1 < shown && model.column(report.columns[size_t(last + 1)]).group == group)
            ++last;
        if (group.isEmpty())
            worksheet_write_blank(sheet, 2, lxw_col_t(i), headFormat);
        else if (last > i)
            worksheet_merge_range(sheet, 2, lxw_col_t(i), 2, lxw_col_t(last), utf8(group).constData(), headFormat);
        else
            worksheet_write_string(sheet, 2, lxw_col_t(i), utf8(group).constData(), headFormat);
        i = last + 1;
    }
    for (int i = 0; i < shown; ++i)
        worksheet_write_string(sheet, 3, lxw_col_t(i), utf8(model.column(report.columns[size_t(i)]).title).constData(),
                               headFormat);

    const int rows = model.rowCount();
    std::vector<char> numeric(size_t(shown), 0);
    for (int i = 0; i < shown; ++i)
        numeric[size_t(i)] = isNumeric(model.column(report.columns[size_t(i)]).kind);
    lxw_error error = LXW_NO_ERROR;
    for (int row = 0; row < rows && error == LXW_NO_ERROR; ++row) {
        const lxw_row_t line = lxw_row_t(kLinesAboveRows + row);
        for (int i = 0; i < shown; ++i) {
            const int column = report.columns[size_t(i)];
            if (model.isNull(row, column))
                continue; // an empty value is an empty cell
            if (numeric[size_t(i)]) {
                error = worksheet_write_number(sheet, line, lxw_col_t(i), model.number(row, column), nullptr);
            } else {
                const QString text = model.displayText(row, column);
                if (!text.isEmpty())
                    error = worksheet_write_string(sheet, line, lxw_col_t(i), utf8(text).constData(), nullptr);
            }
        }
        if (progress && !progress(row + 1)) {
            result.cancelled = true;
            break;
        }
    }
    if (!result.cancelled && error == LXW_NO_ERROR) {
        const lxw_row_t line = lxw_row_t(kLinesAboveRows + rows);
        for (int i = 0; i < shown; ++i) {
            const int column = report.columns[size_t(i)];
            const GridColumn &c = model.column(column);
            const QString text = report.footerText(column);
            if (text.isEmpty())
                continue;
            // A sum goes in as the number the screen's footer shows, rounded
            // as it is there, so the sheet's total agrees with the grid's.
            const std::optional<double> sum =
                c.footer == FooterKind::Sum ? NumberText::parseDecimal(text) : std::nullopt;
            if (sum)
                worksheet_write_number(sheet, line, lxw_col_t(i), *sum, footFormat);
            else
                worksheet_write_string(sheet, line, lxw_col_t(i), utf8(text).constData(), footFormat);
        }
    }
    if (result.cancelled || error != LXW_NO_ERROR) {
        // Nothing is kept of a workbook that was not finished.
        lxw_workbook_free(book);
        QFile::remove(path);
        if (error != LXW_NO_ERROR)
            result.error = QString::fromUtf8(lxw_strerror(error));
        return result;
    }
    error = workbook_close(book);
    if (error != LXW_NO_ERROR) {
        QFile::remove(path);
        result.error = QString::fromUtf8(lxw_strerror(error));
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace quollin::GridWorkbook
