#include "app/TAboutBox.h"

#include "app/ExternalTools.h"
#include "core/Database.h"

#include <QCoreApplication>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quollin {

TAboutBox::TAboutBox(const QString &engine, QWidget *parent)
    : QDialog(parent)
    , m_versions(new QLabel(this))
{
    setWindowTitle(QStringLiteral("关于..."));
    setModal(true);

    auto *name = new QLabel(QStringLiteral("Quollin进销存"), this);
    QFont big = name->font();
    if (big.pointSizeF() > 0)
        big.setPointSizeF(big.pointSizeF() * 1.6);
    else
        big.setPixelSize(big.pixelSize() * 8 / 5);
    big.setBold(true);
    name->setFont(big);

    auto *purpose = new QLabel(QStringLiteral("小商店的进货、销售与库存管理"), this);

    m_versions->setText(QStringLiteral("版本：%1\nQt 版本：%2\n数据库引擎：%3")
                            .arg(QCoreApplication::applicationVersion(), QString::fromLatin1(qVersion()),
                                 engine));
    m_versions->setTextInteractionFlags(Qt::TextSelectableByMouse);

    const QString address = ExternalTools::webSite().toString();
    auto *site = new QLabel(QStringLiteral("网址：<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()), this);
    site->setTextFormat(Qt::RichText);
    site->setAccessibleName(QStringLiteral("网址：") + address);
    connect(site, &QLabel::linkActivated, this, [](const QString &) { ExternalTools::openWebSite(); });

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setAccessibleName(ok->text());
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(8);
    layout->addWidget(name);
    layout->addWidget(purpose);
    layout->addSpacing(8);
    layout->addWidget(m_versions);
    layout->addWidget(site);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TAboutBox::versionText() const { return m_versions->text(); }

} // namespace quollin
