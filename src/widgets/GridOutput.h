#pragma once

#include "widgets/GridReport.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QPrinter;

namespace quollin {

class DataGrid;
class Prompter;
class ShopContext;

// "导出Excel" and "打 印" of one grid: the spreadsheet export (save dialog,
// overwrite question, progress that can be cancelled, the file opened
// afterwards) and the print preview. What a grid lists and shows is read
// when the command runs, so the output is the grid as the operator sees it.
//
//     auto *output = new GridOutput(grid, shop, prompter,
//                                   {QStringLiteral("销 售 报 表"), QStringLiteral("销 售 统 计 报 表")}, this);
//     menu->addAction(output->exportAction());
//     menu->addAction(output->printAction());
class GridOutput : public QObject {
    Q_OBJECT
public:
    struct Titles {
        QString exportTitle;  // first line of the workbook
        QString printHeading; // above the printed grid
    };

    GridOutput(DataGrid *grid, const ShopContext &shop, Prompter &prompter, Titles titles, QObject *parent);

    // "导出Excel" and "打 印", ready for a context menu. Set a shortcut and
    // add them to a window too where the grid has one.
    QAction *exportAction() const { return m_exportAction; }
    QAction *printAction() const { return m_printAction; }

    // The grid's visible columns in their order, its rows as shown now.
    GridReport report() const;

    // How a written file is opened with the program the system associates
    // with it; tests put something harmless here.
    using FileOpener = std::function<void(const QString &path)>;
    static void setFileOpener(FileOpener opener);

    // The target file's name with the spreadsheet suffix added when it has
    // none.
    static QString withSuffix(const QString &path);

public slots:
    // Returns the path written, empty when nothing was.
    QString exportToSpreadsheet();
    void printPreview();

public:
    // Draws every page of the grid on the printer (the preview's pages).
    void paintPages(QPrinter *printer) const;
    // Page margins, on every side.
    static constexpr double kMarginMillimetres = 20.0;

private:
    DataGrid *m_grid;
    const ShopContext &m_shop;
    Prompter &m_prompter;
    Titles m_titles;
    QAction *m_exportAction;
    QAction *m_printAction;
};

} // namespace quollin
