#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTest>

// Replaces a field's text the way a user does: select all, type (or delete).
inline void retype(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
}

// Replaces a field's text the way a paste does: one change for the whole text.
inline void paste(QLineEdit *field, const QString &text)
{
    field->selectAll();
    field->insert(text);
}

// Deletes the closed windows now; their deletion otherwise waits for the event loop.
inline void processDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
