#pragma once

#include "sales/PrintTexts.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;

namespace quollin {

class Prompter;
class Shop;

// The print settings window "销售单小票设置": the texts of tickets and slips.
// It shows the session's texts (the stored ones, read once) and hands every
// edit back to the session, which tickets and slips print from: an edit
// counts at once, and the save keeps it for the next run. Closing only hides
// it.
class Tpos : public QWidget {
    Q_OBJECT
public:
    Tpos(Shop &shop, Prompter &prompter, QWidget *parent);

    // The texts as the boxes hold them now.
    PrintTexts texts() const;

    QLineEdit *ticketTitleBox() const { return m_boxes[0]; }
    QLineEdit *box(int index) const { return m_boxes[index]; } // in the order of PrintTexts
    QToolButton *saveButton() const { return m_save; }
    QComboBox *ticketPrinterBox() const { return m_ticketPrinter; }
    QCheckBox *drawerTick() const { return m_drawer; }

public slots:
    void save();

private:
    Shop &m_shop;
    Prompter &m_prompter;
    QLineEdit *m_boxes[9];
    QToolButton *m_save;
    QComboBox *m_ticketPrinter;
    QCheckBox *m_drawer;
};

} // namespace quollin
