#pragma once

#include <QString>

namespace quollin {

class ShopSettings;

// The texts of the print settings: what tickets and slips print around the
// lines. Defaults stand until the shop saves its own.
struct PrintTexts {
    QString ticketTitle = QStringLiteral("POS小票销售单");                 // pos1
    QString ticketSlogan1 = QStringLiteral("Quollin进销存软件提供技术支持"); // pos2
    QString ticketSlogan2 = QStringLiteral("谢谢惠顾，请保留小票");         // pos3
    QString ticketClosing = QStringLiteral("欢迎下次惠顾！");               // pos4
    QString slipHeader = QStringLiteral("销售单");                         // dan1
    QString slipContact = QStringLiteral("地址：              电话：");      // dan2
    QString slipSlogan1 = QStringLiteral("货物当面点清，离店后概不负责");    // dan3
    QString slipSlogan2 = QStringLiteral("感谢您的惠顾！");                 // dan4
    QString company = QStringLiteral("Quollin商店");                       // company
    // Where tickets go: empty for the system printer, or a receipt printer's
    // device file or host:port that takes ESC/POS bytes (posprinter).
    QString ticketPrinter;
    bool openDrawer = false; // drawer

    // The stored texts when the shop has saved any (a ticket title is
    // there), every one of the nine as stored, empty ones included; the
    // defaults otherwise. The printer and drawer choice as stored.
    static PrintTexts load(const ShopSettings &settings);
    // Writes all nine and the printer choice; false when the settings could
    // not be written.
    bool save(ShopSettings &settings) const;
};

} // namespace quollin
