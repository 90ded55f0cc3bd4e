#pragma once

#include <QDialog>

class QLabel;

namespace quollin {

// The about box "关于...": what is running, down to the versions of the
// toolkit and the database engine, which is what a support call asks first.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    // engine: the database engine the books are kept by, as it names itself.
    explicit TAboutBox(const QString &engine, QWidget *parent = nullptr);

    // The versions as shown, one per line, for copying into a support request.
    QString versionText() const;

private:
    QLabel *m_versions;
};

} // namespace quollin
