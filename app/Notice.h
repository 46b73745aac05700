#pragma once

#include <QMessageBox>
#include <QString>

namespace tovrenic {

// A notice: caption "信息：", the text, one OK button, no icon, no owner window, modal for the
// whole application.
QMessageBox* MakeNotice(const QString& text);

// Shows a notice and waits until the user dismisses it.
void ShowNotice(const QString& text);

}  // namespace tovrenic
