#pragma once

#include "sales/LayoutPrinter.h"

#include <QString>

class QPrintPreviewDialog;

namespace quollin {

class Prompter;
struct PrintTexts;

// Where no printer is installed a shop can still hand out or mail its
// tickets and slips: the document is offered as a PDF file instead.
struct PrintOutcome {
    bool done = false; // printed, or kept as a PDF
    QString message;   // for the operator when it was not; may be empty (he declined)
};

// Prints the layout through the printer; where the printer is the system's
// and none is installed, asks whether to keep "<document>" as a PDF and
// writes the file the operator names.
PrintOutcome PrintOrKeepAsPdf(const LayoutPrinter &printer, const PrintLayout &layout, const QString &document,
                              Prompter &prompter);

// A ticket goes where the print settings send tickets: to the receipt
// printer chosen there as ESC/POS bytes (with the drawer pulse when chosen),
// otherwise through the printer as PrintOrKeepAsPdf does.
PrintOutcome PrintTicket(const LayoutPrinter &printer, const PrintLayout &ticket, const PrintTexts &texts,
                         Prompter &prompter);

// Writes the layout to a PDF file the operator names; empty name: nothing.
PrintOutcome KeepAsPdf(const PrintLayout &layout, const QString &document, Prompter &prompter);

// A print preview of the layout that, where no printer is installed, also
// offers "另存为PDF" on its tool bar.
void PreviewLayoutOrKeepAsPdf(const PrintLayout &layout, const QString &document, Prompter &prompter,
                              QWidget *parent);

bool PrinterInstalled();

} // namespace quollin
