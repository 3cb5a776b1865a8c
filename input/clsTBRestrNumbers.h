#pragma once

#include <QLineEdit>
#include <QMetaObject>
#include <QPointer>
#include <QString>

// Keeps one text field to the allowed characters and one delimiter (input::restrictText) after
// every change of its text, typed, pasted or written by the program. Its connection to the field
// is its own: the window's change handling of the field goes on as before, and the filter's own
// write does not run the filter again.
class clsTBRestrNumbers {
public:
    clsTBRestrNumbers() = default;
    ~clsTBRestrNumbers();
    clsTBRestrNumbers(const clsTBRestrNumbers &) = delete;
    clsTBRestrNumbers &operator=(const clsTBRestrNumbers &) = delete;

    // Binds the filter to TB (dropping any earlier field) and filters TB's whole text once.
    void Init(QLineEdit *TB, const QString &sAllowed, const QString &sDelimiter);

    // The field bound last, or nullptr.
    QLineEdit *boundField() const { return m_box; }

private:
    void txtTmpTB_Change();
    void RestrictText(QLineEdit *box);
    void connectTxtTmpTB();
    void disconnectTxtTmpTB();

    QPointer<QLineEdit> m_box;
    QMetaObject::Connection m_txtTmpTB;
    // As given to Init; restrictText adds the delimiter to the allowed characters and stands in "^"
    // for an empty delimiter.
    QString m_allowed;
    QString m_delimiter;
};
