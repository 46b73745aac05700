#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

// Types text into a widget as key presses carrying the characters, which also works for
// characters that have no key of their own (QTest::keyClicks takes Latin-1 only).
inline void TypeText(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}
