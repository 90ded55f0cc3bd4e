#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace quollin {

// The help window "使用帮助": a short user guide kept in the program's
// resources. It is created once at start and only hidden when closed, so the
// operator finds it at the place it was read last.
class Tchhform : public QWidget {
    Q_OBJECT

public:
    explicit Tchhform(QWidget *parent = nullptr);

    // Shows the window without blocking the one that asked, and brings it to
    // the front when it is already open.
    void showGuide();

    QTextBrowser *browser() const { return m_browser; }

    static QUrl guideUrl();

private:
    QTextBrowser *m_browser;
};

} // namespace quollin
