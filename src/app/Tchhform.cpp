#include "app/Tchhform.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// Resources of a static library are only linked in when something refers to
// them; this reference must stand outside any namespace.
static void initHelpResource() { Q_INIT_RESOURCE(help); }

namespace quollin {

QUrl Tchhform::guideUrl() { return QUrl(QStringLiteral("qrc:/help/guide.html")); }

Tchhform::Tchhform(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
{
    initHelpResource();
    setWindowTitle(QStringLiteral("使用帮助"));
    setAccessibleName(windowTitle());

    // Links inside the guide jump to its sections; nothing leaves the program.
    m_browser->setOpenExternalLinks(false);
    m_browser->setAccessibleName(QStringLiteral("使用帮助内容"));
    m_browser->setSource(guideUrl());

    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setAccessibleName(close->text());
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addLayout(buttons);

    resize(680, 560);
}

void Tchhform::showGuide()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

} // namespace quollin
