#pragma once

#include <QLineEdit>

namespace quollin {

// A password box as every window of the program has it: at most ten
// characters, only the letters A to Z and a to z and the digits, each shown
// as "*".
class PasswordBox : public QLineEdit {
    Q_OBJECT
public:
    explicit PasswordBox(QWidget *parent = nullptr);
};

} // namespace quollin
